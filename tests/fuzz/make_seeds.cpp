// Writes the fuzz targets' seed files: valid files as the program itself
// writes them, one per target folder: make_seeds SEED_FOLDER
#include "shell/UartCfg.h"
#include "archive/ArchiveFiles.h"
#include "automat/Tasks.h"
#include "chart/Dictionary.h"
#include "chart/Series.h"
#include "config/ConfigFile.h"
#include "config/StandardConfig.h"
#include "db/DatabaseSettings.h"
#include "link/Crc16.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <cstdio>
#include <memory>

using namespace k71t;

namespace {

QDir root;

void put(const char *target, const char *name, const QByteArray &bytes)
{
    root.mkpath(QString::fromLatin1(target));
    QFile f(root.filePath(QString::fromLatin1(target) + QLatin1Char('/') + QString::fromLatin1(name)));
    if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size())
        std::fprintf(stderr, "make_seeds: %s/%s not written\n", target, name);
}

QByteArray withCrc(QByteArray frame)
{
    const std::uint16_t crc =
        crc16(reinterpret_cast<const std::uint8_t *>(frame.constData()), static_cast<std::size_t>(frame.size()));
    frame += static_cast<char>(crc >> 8);
    frame += static_cast<char>(crc & 0xff);
    return frame;
}

QByteArray fileBytes(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

} // namespace

int main(int argc, char *argv[])
{
    if (argc != 2) {
        std::fprintf(stderr, "make_seeds SEED_FOLDER\n");
        return 2;
    }
    root = QDir(QString::fromLocal8Bit(argv[1]));
    RegisterImage image;
    loadStandardConfiguration(image);
    put("fuzz_config", "standard.k71t", buildConfigFile(image));

    const QString tmp = root.filePath(QStringLiteral(".tmp"));
    root.mkpath(QStringLiteral(".tmp"));
    PortSettings port;
    saveUartCfg(tmp + QStringLiteral("/uart.cfg"), port);
    put("fuzz_uart_cfg", "uart.cfg", fileBytes(tmp + QStringLiteral("/uart.cfg")));
    put("fuzz_ports_conf", "ports.conf", "# mapping\nCOM3=/dev/ttyUSB0\ncom1 = /dev/ttyS0\n");

    auto store = std::make_unique<RecordStore>();
    int n = 0;
    for (int m = 0; m < 6; ++m)
        for (int d = 0; d < 2; ++d)
            for (int r = 0; r < 2; ++r)
                (*store)[n++] = ArchiveRecord::make(d + 1, r, 2013, 9, 16, 12, m, 0, 1.5f * m + d + r);
    put("fuzz_bin", "small.bin", buildBin(*store, n, image));
    exportDat(tmp + QStringLiteral("/small.dat"), *store, n, 20130101, 20131231, 0, 235959,
              QDateTime(QDate(2013, 9, 17), QTime(6, 0)));
    const QByteArray dat = fileBytes(tmp + QStringLiteral("/small.dat"));
    put("fuzz_dat", "small.dat", dat);
    put("fuzz_dat", "line", "2013-09-16\t12:00:00\t0\t1.5\t*\t*\t*\t*\t*\t*\t*\t*\t*");

    SqlConf settings;
    settings.params.password = QStringLiteral("hasło");
    settings.enabled = true;
    put("fuzz_sql_conf", "sql.conf", encodeSettingsText(settingsText(settings)));

    TaskTable tasks;
    put("fuzz_auto_conf", "auto.conf", tasksFileText(tasks));

    SeriesModel series;
    series.series[0] = SeriesAssignment{5, 2, 7, QStringLiteral("Hala")};
    series.series[9] = SeriesAssignment{247, 9, 9, QStringLiteral("Kocioł")};
    put("fuzz_series_conf", "series.conf", seriesConfText(series));

    Dictionary dictionary;
    dictionary.add();
    dictionary.add();
    dictionary.meters[0].name = QStringLiteral("Kotłownia");
    put("fuzz_slo", "def.slo", dictionaryText(dictionary));

    put("fuzz_daily", "DAY_01.DAT",
        "Data\tCzas\tDEV\tR0\r\n2013-09-01\t00:00:00\t0\t1.5\r\n2013-09-01\t00:00:00\t1\t1.0E+020\r\n"
        "2013-09-01\t00:01:00\t2\t2\n2013-09-01\t00:02:00\tx\t3\r");

    // The first byte chooses the request (bits 0-1: read 16, read 32, write
    // 16, write 32; the rest the count - 1); then the meter's answer.
    put("fuzz_reply", "read16", QByteArray(1, '\0') + withCrc(QByteArray("\x01\x03\x02\x00\x2a", 5)));
    put("fuzz_reply", "read32", QByteArray(1, '\1') + withCrc(QByteArray("\x01\x03\x04\x3f\xc0\x00\x00", 7)));
    put("fuzz_reply", "write16", QByteArray(1, '\2') + withCrc(QByteArray("\x01\x10\x0f\xa0\x00\x01", 6)));
    put("fuzz_reply", "exception", QByteArray(1, '\2') + withCrc(QByteArray("\x01\x90\x04", 3)));

    put("fuzz_sim_request", "read", withCrc(QByteArray("\x01\x03\x0f\xa0\x00\x02", 6)));
    put("fuzz_sim_request", "write",
        withCrc(QByteArray("\x01\x10\x0f\xa3\x00\x01\x02\x00\x07", 9)));
    QDir(tmp).removeRecursively();
    return 0;
}
