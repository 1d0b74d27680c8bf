// A memory card's daily file through the monthly conversion.
#include "FuzzSupport.h"
#include "archive/MonthlyArchive.h"

using namespace k71t;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QString month = QStringLiteral("ARCHIVES/2013/09");
    fuzz::inputFile(QStringLiteral("DAY_01.DAT"), data, size, month);
    fuzz::inputFile(QStringLiteral("day_02.dat"), data, size / 2, month);
    QDir().mkpath(fuzz::workDir().filePath(QStringLiteral("out")));
    (void)createMonthlyArchive(fuzz::workDir().filePath(month) + QLatin1Char('/'),
                               fuzz::workDir().filePath(QStringLiteral("out")), QStringLiteral("K71T_201309_"));
    return 0;
}
