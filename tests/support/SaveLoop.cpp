#include "support/SaveLoop.h"

#include "config/StandardConfig.h"

namespace k71t::test {

RegisterImage saveLoopImage(int variant)
{
    RegisterImage image;
    loadStandardConfiguration(image);
    for (int r = 4000; r < 6000; ++r)
        if (isConfigurationRegister(r))
            image.reg16(r) = static_cast<std::uint16_t>(variant ? r % 251 : 0);
    return image;
}

TaskTable saveLoopTasks(int variant)
{
    TaskTable table;
    for (int slot = 0; slot < (variant ? 32 : 3); ++slot) {
        DownloadTask &z = table[slot];
        z.address = static_cast<std::uint8_t>(1 + slot);
        z.name = QStringLiteral("Zadanie %1").arg(slot + variant * 100);
    }
    return table;
}

SqlConf saveLoopSettings(int variant)
{
    SqlConf s;
    s.params.server = variant ? QStringLiteral("serwer.zaklad.lan") : QStringLiteral("127.0.0.1");
    s.params.password = QString(variant ? 40 : 3, QLatin1Char('x'));
    s.enabled = variant == 1;
    return s;
}

int saveLoopRecords(RecordStore &store, int variant)
{
    const int n = variant ? 60000 : 30000;
    for (int i = 0; i < n; ++i)
        store[i] = ArchiveRecord::make(i % 10 + 1, i / 10 % 10, 2013, 9, 1 + i / 30000, i / 1200 % 24, i / 20 % 60,
                                       i % 20 * 3, static_cast<float>(i) * (variant ? 0.5f : 0.25f));
    return n;
}

} // namespace k71t::test
