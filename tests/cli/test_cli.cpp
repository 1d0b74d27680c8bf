// k71t-cli against the simulated meter.
#include "Cli.h"
#include "archive/ArchiveFiles.h"
#include "common/Clock.h"
#include "config/ConfigFile.h"
#include "config/StandardConfig.h"
#include "link/LineCodes.h"
#include "support/FakeClock.h"
#include "support/SimFixture.h"
#include "support/TempDir.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <clocale>
#include <memory>
#include <gtest/gtest.h>

using namespace k71t;

namespace {

struct CliRun {
    int status;
    QString out, err;
};

CliRun cli(const QStringList &args)
{
    CliRun r;
    r.status = runCli(args, r.out, r.err);
    return r;
}

} // namespace

TEST(Cli, ReadsSixteenBitAndFloatRegisters)
{
    test::SimHarness sim;
    sim.meter.setReg16(4000, 42);
    sim.meter.setReg16(4002, 65535);
    auto r = cli({"--device", sim.path, "read", "4000", "3"});
    EXPECT_EQ(r.status, 0) << r.err.toStdString();
    EXPECT_EQ(r.out, QStringLiteral("4000\t42\n4001\t0\n4002\t65535\n"));

    sim.meter.setReg32(7601, 0.1f);
    r = cli({"--device", sim.path, "read", "7600", "2"});
    EXPECT_EQ(r.status, 0) << r.err.toStdString();
    // Nine significant digits: the float reads back exactly.
    EXPECT_EQ(r.out, QStringLiteral("7600\t50\n7601\t0.100000001\n"));
}

TEST(Cli, LongReadsAreSplitIntoBlocks)
{
    test::SimHarness sim;
    for (int i = 0; i < 250; ++i)
        sim.meter.setReg16(4100 + i, static_cast<std::uint16_t>(i));
    const auto r = cli({"--device", sim.path, "read", "4100", "250"});
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    const QStringList lines = r.out.split('\n', Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 250);
    EXPECT_EQ(lines[249], QStringLiteral("4349\t249"));
    EXPECT_EQ(sim.validFrames().size(), 3u);
}

TEST(Cli, WritesRegisters)
{
    test::SimHarness sim(3);
    auto r = cli({"--device", sim.path, "--address", "3", "write", "4003", "120", "2"});
    EXPECT_EQ(r.status, 0) << r.err.toStdString();
    EXPECT_EQ(sim.meter.reg16(4003), 120);
    EXPECT_EQ(sim.meter.reg16(4004), 2);
    r = cli({"--device", sim.path, "--address", "3", "write", "7600", "12.5", "-19999"});
    EXPECT_EQ(r.status, 0) << r.err.toStdString();
    EXPECT_EQ(sim.meter.reg32(7600), 12.5f);
    EXPECT_EQ(sim.meter.reg32(7601), -19999.0f);
}

TEST(Cli, AWriteCountsOnlyWhenTheMeterAcknowledgesIt)
{
    test::SimHarness sim;
    for (sim::Fault f : {sim::Fault::WrongSlave, sim::Fault::BadCrc, sim::Fault::Garbage, sim::Fault::Exception}) {
        sim.fault(f);
        const auto r = cli({"--device", sim.path, "write", "4003", "9"});
        EXPECT_EQ(r.status, 1) << int(f);
    }
    sim.fault(sim::Fault::None);
    EXPECT_EQ(cli({"--device", sim.path, "write", "7600", "3.4e38"}).status, 0);
    EXPECT_EQ(sim.meter.reg32(7600), 3.4e38f);
}

TEST(Cli, MeterFailuresExitWithOne)
{
    test::SimHarness sim;
    auto r = cli({"--device", sim.path, "--address", "2", "read", "4000", "1"});
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(r.err.contains(QStringLiteral("nie odpowiada"))) << r.err.toStdString();
    r = cli({"--device", sim.path, "--speed", "9600", "read", "4000", "1"});
    EXPECT_EQ(r.status, 1);
    r = cli({"--device", "/dev/does-not-exist", "read", "4000", "1"});
    EXPECT_EQ(r.status, 1);
    // Named by its path, never by a COM name it never had.
    EXPECT_TRUE(r.err.startsWith(QStringLiteral("k71t-cli: nie można otworzyć portu /dev/does-not-exist: ")))
        << r.err.toStdString();
    EXPECT_TRUE(r.out.isEmpty());
}

TEST(Cli, UsageErrorsExitWithTwo)
{
    const QList<QStringList> bad = {
        {},
        {"read", "4000", "1"},
        {"--device", "/dev/null", "--port", "COM1", "read", "4000", "1"},
        {"--device", "/dev/null"},
        {"--device", "/dev/null", "read", "6000", "1"},
        {"--device", "/dev/null", "read", "5999", "2"},
        {"--device", "/dev/null", "read", "4000"},
        {"--device", "/dev/null", "read", "4000", "0"},
        {"--device", "/dev/null", "write", "4000", "70000"},
        {"--device", "/dev/null", "write", "7600", "1,5"},
        {"--device", "/dev/null", "write", "7600", "1e39"},
        {"--device", "/dev/null", "write", "7600", "-3.5e38"},
        {"--device", "/dev/null", "--mode", "7N1", "read", "4000", "1"},
        {"--device", "/dev/null", "--speed", "1000", "read", "4000", "1"},
        {"--device", "/dev/null", "--address", "248", "read", "4000", "1"},
        {"--port", "COM9", "read", "4000", "1"},
        {"--device", "/dev/null", "erase"},
    };
    for (const QStringList &args : bad) {
        const auto r = cli(args);
        EXPECT_EQ(r.status, 2) << args.join(' ').toStdString();
        EXPECT_FALSE(r.err.isEmpty());
    }
    const auto help = cli({"--help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_TRUE(help.out.contains(QStringLiteral("read START")));
}

TEST(CliDownload, SavesTheArchiveAndDeletesOnlyWhenAsked)
{
    test::SimHarness sim;
    test::TempDir dir;
    sim.meter.setArchiveStart(3, 12);
    sim.meter.fillArchive(50);
    const auto held = sim.meter.archiveRecords();
    test::FakeClock clock;
    clock.at = QDateTime(QDate(2026, 3, 4), QTime(5, 6, 7));
    QString out, err;
    ASSERT_EQ(runCli({"--device", sim.path, "download", "--out", dir.path()}, clock, out, err), 0)
        << err.toStdString();
    const QStringList lines = out.split('\n', Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 2);
    EXPECT_EQ(lines[0], dir.file("2026-03-04_05_06_07_1.bin"));
    EXPECT_EQ(lines[1], QStringLiteral("Odczytano: 50 rekordów w czasie: 0 s"));
    const QByteArray bin = dir.read("2026-03-04_05_06_07_1.bin");
    ASSERT_EQ(bin.size(), 50 * 12 + 240);
    EXPECT_EQ(bin.left(12), QByteArray(reinterpret_cast<const char *>(held[0].bytes.data()), 12));
    EXPECT_EQ(sim.meter.archiveRecords().size(), 50u);

    out.clear();
    clock.at = clock.at.addSecs(1);
    ASSERT_EQ(runCli({"--device", sim.path, "download", "--out", dir.path(), "--delete"}, clock, out, err), 0);
    EXPECT_TRUE(sim.meter.archiveRecords().empty());
    EXPECT_EQ(dir.read("2026-03-04_05_06_08_1.bin"), bin);
}

// At 9600 baud with the meter's own line timing a page takes over half a
// second on the wire: the download waits for it as long as it must.
TEST(CliDownload, AtNineThousandSixHundredBaudOnTheLinesTime)
{
    test::SimHarness sim(1, speedCodeForBaud(9600), 0);
    sim.line.setLineTime(true);
    sim.meter.setArchiveStart(2, 24);
    sim.meter.fillArchive(100); // three pages
    const auto held = sim.meter.archiveRecords();
    test::TempDir dir;
    test::FakeClock clock;
    QString out, err;
    ASSERT_EQ(runCli({"--device", sim.path, "--speed", "9600", "download", "--out", dir.path()}, clock, out, err), 0)
        << err.toStdString();
    const QStringList files = QDir(dir.path()).entryList(QDir::Files);
    ASSERT_EQ(files.size(), 1);
    const QByteArray bin = dir.read(files[0]);
    ASSERT_EQ(bin.size(), 100 * 12 + 240);
    EXPECT_EQ(bin.mid(99 * 12, 12), QByteArray(reinterpret_cast<const char *>(held[99].bytes.data()), 12));
}

// A disk whose flushes fail: nothing that may not be on disk is reported
// saved; the meter keeps its archive, an export appended to keeps its file.
TEST(CliDownload, AFailedFlushKeepsTheMetersArchiveAndTheOldFile)
{
    test::SimHarness sim;
    sim.meter.fillArchive(30);
    test::TempDir dir;
    auto store = std::make_unique<RecordStore>();
    (*store)[0] = ArchiveRecord::make(1, 0, 2013, 9, 16, 8, 0, 0, 1.5f);
    ASSERT_FALSE(saveNewBin(dir.file("a.bin"), *store, 1, RegisterImage{}).isEmpty());
    dir.write("stare.dat", "bez zmian\n");
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("LD_PRELOAD"), QStringLiteral(K71T_FSYNC_FAILS));
    // A sanitized build's runtime would refuse to follow the preloaded library.
    env.insert(QStringLiteral("ASAN_OPTIONS"), env.value(QStringLiteral("ASAN_OPTIONS")) + ":verify_asan_link_order=0");
    const auto run = [&](const QStringList &args) {
        QProcess p;
        p.setProcessEnvironment(env);
        p.start(QStringLiteral(K71T_CLI_BINARY), args);
        EXPECT_TRUE(p.waitForFinished(60000));
        return std::pair{p.exitCode(), QString::fromUtf8(p.readAllStandardError())};
    };
    const auto [downloaded, why] = run({"--device", sim.path, "download", "--out", dir.file("Archives"), "--delete"});
    EXPECT_EQ(downloaded, 1) << why.toStdString();
    EXPECT_FALSE(why.isEmpty());
    EXPECT_EQ(sim.meter.archiveRecords().size(), 30u);
    EXPECT_TRUE(QDir(dir.file("Archives")).entryList(QDir::Files).isEmpty());
    const auto [exported, reason] =
        run({"export", dir.file("a.bin"), dir.file("stare.dat"), "--from", "2013-09-16", "--to", "2013-09-16"});
    EXPECT_EQ(exported, 1) << reason.toStdString();
    EXPECT_EQ(dir.read("stare.dat"), QByteArray("bez zmian\n"));
}

TEST(CliDownload, TwoDownloadsInTheSameSecondKeepBothFiles)
{
    // Two meters at address 1 on two ports, downloaded and cleared in one second.
    test::SimHarness first, second;
    test::TempDir dir;
    first.meter.fillArchive(50);
    second.meter.fillArchive(30);
    const auto firstRecords = first.meter.archiveRecords();
    test::FakeClock clock;
    clock.at = QDateTime(QDate(2026, 3, 4), QTime(5, 6, 7));
    QString out, err;
    ASSERT_EQ(runCli({"--device", first.path, "download", "--out", dir.path(), "--delete"}, clock, out, err), 0);
    ASSERT_EQ(runCli({"--device", second.path, "download", "--out", dir.path(), "--delete"}, clock, out, err), 0);
    EXPECT_EQ(out.split('\n', Qt::SkipEmptyParts).filter(".bin"),
              (QStringList{dir.file("2026-03-04_05_06_07_1.bin"), dir.file("2026-03-04_05_06_07_1_2.bin")}));
    EXPECT_EQ(dir.read("2026-03-04_05_06_07_1.bin").size(), 50 * 12 + 240);
    EXPECT_EQ(dir.read("2026-03-04_05_06_07_1.bin").left(12),
              QByteArray(reinterpret_cast<const char *>(firstRecords[0].bytes.data()), 12));
    EXPECT_EQ(dir.read("2026-03-04_05_06_07_1_2.bin").size(), 30 * 12 + 240);
    EXPECT_TRUE(first.meter.archiveRecords().empty());
    EXPECT_TRUE(second.meter.archiveRecords().empty());
}

TEST(CliDownload, EmptyFailedAndUnsavableDownloads)
{
    test::SimHarness sim;
    test::TempDir dir;
    auto r = cli({"--device", sim.path, "download", "--out", dir.path()});
    EXPECT_EQ(r.status, 0);
    EXPECT_TRUE(r.out.isEmpty());
    EXPECT_TRUE(r.err.contains(QStringLiteral("Archiwum jest puste")));

    sim.meter.fillArchive(30);
    dir.write("plik", "x");
    r = cli({"--device", sim.path, "download", "--out", dir.file("plik"), "--delete"});
    EXPECT_EQ(r.status, 1);
    r = cli({"--device", sim.path, "download", "--out", dir.file("brak"), "--delete"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(sim.meter.archiveRecords().size(), 30u);

    sim::FaultPlan plan;
    plan.fault = sim::Fault::Silence;
    sim.meter.setFault(plan);
    r = cli({"--device", sim.path, "download", "--out", dir.path(), "--delete"});
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(r.err.contains(QStringLiteral("Błąd transmisji lub urządzenie nie podłączone")));
    EXPECT_EQ(cli({"--device", sim.path, "download"}).status, 2);
    EXPECT_EQ(cli({"--device", sim.path, "download", "--out", dir.path(), "--now"}).status, 2);
}

TEST(CliExport, WritesWhatTheWindowWrites)
{
    test::TempDir dir;
    RecordStore store;
    store[0] = ArchiveRecord::make(1, 0, 2013, 9, 16, 10, 0, 0, 1.5f);
    store[1] = ArchiveRecord::make(1, 0, 2013, 9, 16, 10, 30, 1, 2.5f);
    store[2] = ArchiveRecord::make(2, 3, 2013, 9, 17, 8, 0, 0, 1.0e20f);
    RegisterImage image;
    ASSERT_TRUE(saveBin(dir.file("a.bin"), store, 3, image));
    test::FakeClock clock;
    clock.at = QDateTime(QDate(2026, 12, 8), QTime(9, 8, 7));
    QString out, err;
    ASSERT_EQ(runCli({"export", dir.file("a.bin"), dir.file("day"), "--from", "2013-09-16", "--to", "2013-09-16",
                      "--from-time", "10:00:00", "--to-time", "10:30:00"},
                     clock, out, err),
              0)
        << err.toStdString();
    EXPECT_EQ(out, dir.file("day.dat") + QStringLiteral("\nZapisano wierszy: 1\n")); // 10:30:01 lies outside
    ASSERT_TRUE(exportDat(dir.file("window.dat"), store, 3, 20130916, 20130916, 100000, 103000, clock.at));
    EXPECT_EQ(dir.read("day.dat"), dir.read("window.dat"));
    EXPECT_FALSE(dir.read("day.dat").contains("10:30:01"));

    ASSERT_EQ(runCli({"export", dir.file("a.bin"), dir.file("days.dat"), "--from", "2013-09-16", "--to", "2013-09-17",
                      "--from-time", "10:00:00", "--to-time", "10:00:00"},
                     clock, out, err),
              0);
    const QByteArray days = dir.read("days.dat");
    EXPECT_TRUE(days.contains("10:30:01\t0\t2.500000000E+000")); // the times count only for one day
    EXPECT_TRUE(days.contains("Urz\xb9" "dzenie 2"));
}

// Operators' desktops run under pl_PL.UTF-8, where the C library writes and
// reads decimal commas. The installed program starts under it and writes the
// same .dat bytes as under "C" (the moment of the export aside).
TEST(CliExport, APolishDesktopWritesTheSameFile)
{
    locale_t polish = newlocale(LC_ALL_MASK, "pl_PL.UTF-8", nullptr);
    ASSERT_NE(polish, locale_t(nullptr)) << "the pl_PL.UTF-8 locale is missing: scripts/setup.sh generates it";
    freelocale(polish);
    test::TempDir dir;
    RecordStore store;
    const float values[] = {1.5f, -4.487020493f, 0.000123f, 37.9819f, 1.0e20f};
    for (int i = 0; i < 5; ++i)
        store[i] = ArchiveRecord::make(1, i % 3, 2013, 9, 16, 10, i, 0, values[i]);
    RegisterImage image;
    ASSERT_TRUE(saveBin(dir.file("a.bin"), store, 5, image));
    auto exportUnder = [&](const QString &locale) {
        QProcessEnvironment env;
        env.insert(QStringLiteral("LANG"), locale);
        env.insert(QStringLiteral("LC_ALL"), locale);
        QProcess p;
        p.setProcessEnvironment(env);
        const QString out = dir.file(locale + QStringLiteral(".dat"));
        p.start(QStringLiteral(K71T_CLI_BINARY),
                {"export", dir.file("a.bin"), out, "--from", "2013-09-16", "--to", "2013-09-16"});
        EXPECT_TRUE(p.waitForFinished(60000));
        EXPECT_EQ(p.exitCode(), 0) << p.readAllStandardError().toStdString();
        QList<QByteArray> lines = dir.read(QFileInfo(out).fileName()).split('\n');
        EXPECT_GT(lines.size(), 2);
        if (lines.size() > 2)
            lines.removeAt(1); // "Archiwum odczytano: ..." with the moment of the export
        return lines;
    };
    const QList<QByteArray> c = exportUnder(QStringLiteral("C")), polishLines = exportUnder(QStringLiteral("pl_PL.UTF-8"));
    EXPECT_EQ(polishLines, c);
    const QByteArray text = polishLines.join('\n');
    EXPECT_TRUE(text.contains("\t1.500000E+000\t")) << text.toStdString();
    EXPECT_TRUE(text.contains("\t-4.487020E+000\t")) << text.toStdString();
    EXPECT_FALSE(text.contains(',')) << text.toStdString();
}

TEST(CliExport, Refusals)
{
    test::TempDir dir;
    dir.write("empty.bin", QByteArray(240, '\0'));
    dir.write("odd.bin", QByteArray(251, '\0'));
    EXPECT_EQ(cli({"export", dir.file("empty.bin"), dir.file("x.dat"), "--from", "2013-09-16", "--to", "2013-09-16"}).status, 1);
    EXPECT_EQ(cli({"export", dir.file("odd.bin"), dir.file("x.dat"), "--from", "2013-09-16", "--to", "2013-09-16"}).status, 1);
    EXPECT_EQ(cli({"export", dir.file("none.bin"), dir.file("x.dat"), "--from", "2013-09-16", "--to", "2013-09-16"}).status, 1);
    EXPECT_EQ(cli({"export", dir.file("empty.bin"), dir.file("x.dat"), "--from", "2013-13-16", "--to", "2013-09-16"}).status, 2);
    EXPECT_EQ(cli({"export", dir.file("empty.bin"), dir.file("x.dat"), "--from", "2013-09-16"}).status, 2);
    EXPECT_EQ(cli({"export", dir.file("empty.bin"), dir.file("x.dat"), "--from", "2013-09-16", "--to", "2013-09-16",
                   "--from-time", "25:00:00"}).status,
              2);
    EXPECT_EQ(cli({"export", dir.file("empty.bin")}).status, 2);
    // Ranges that end before they begin are usage errors, not empty exports.
    EXPECT_EQ(cli({"export", dir.file("empty.bin"), dir.file("x.dat"), "--from", "2013-09-17", "--to", "2013-09-16"}).status, 2);
    EXPECT_EQ(cli({"export", dir.file("empty.bin"), dir.file("x.dat"), "--from", "2013-09-16", "--to", "2013-09-16",
                   "--from-time", "10:00:01", "--to-time", "10:00:00"}).status,
              2);
    EXPECT_FALSE(QFile::exists(dir.file("x.dat")));
    RecordStore store;
    store[0] = ArchiveRecord::make(1, 0, 2013, 9, 16, 10, 0, 0, 1.5f);
    RegisterImage image;
    ASSERT_TRUE(saveBin(dir.file("one.bin"), store, 1, image));
    const auto r = cli({"export", dir.file("one.bin"), dir.file("no/such/x.dat"), "--from", "2013-09-16", "--to", "2013-09-16"});
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(r.err.contains(QStringLiteral("nie można zapisać")));
}

TEST(CliStatus, PrintsTheStatusAndSetsTheClock)
{
    test::SimHarness sim;
    sim.meter.setReg16(4051, 0x8000);
    sim.meter.setReg16(4050, 0x0002);
    sim.meter.setReg16(4054, 7);
    sim.meter.setReg16(4039, 77);
    sim.meter.setReg16(4043, 0);
    sim.meter.setClock(QDateTime(QDate(2027, 5, 6), QTime(7, 8)));
    auto r = cli({"--device", sim.path, "status"});
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    const QStringList lines = r.out.split(QLatin1Char('\n'));
    ASSERT_EQ(lines.size(), 1 + 13 + 1 + 10 + 1 + 8 + 1 + 4 + 1);
    EXPECT_EQ(lines.at(0), QStringLiteral("Status K71T"));
    EXPECT_EQ(lines.at(1), QStringLiteral("* Przerwa w zasilaniu."));
    EXPECT_EQ(lines.at(16), QStringLiteral("* Dev 1-urządzenie nr 2 brak komunikacji."));
    EXPECT_EQ(lines.at(34), QStringLiteral("Status karty pamięci")); // status 7: no line
    EXPECT_EQ(lines.at(35), QStringLiteral("Tryb obsługi karty pamięci: Szybki"));
    EXPECT_EQ(lines.at(36), QStringLiteral("Kod dostępu: 77"));
    EXPECT_EQ(lines.at(37), QStringLiteral("Czas / Data: 2027-05-06 07:08"));
    EXPECT_EQ(lines.at(38), QStringLiteral("Automatyczna zmiana czasu: nie"));

    // Set, then synchronise at the start of a minute by the clock given.
    r = cli({"--device", sim.path, "clock", "set", "2030-01-02", "03:04"});
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    EXPECT_EQ(sim.meter.reg16(4042), 2030);
    EXPECT_EQ(sim.meter.reg16(4041), 102);
    EXPECT_EQ(sim.meter.reg16(4043), 0); // kept as the meter had it
    // The clock moves a second each time it is read: 10:00:58, :59, then 10:01:00.
    test::FakeClock clock;
    clock.at = QDateTime(QDate(2026, 12, 8), QTime(10, 0, 58));
    clock.step = 1;
    QString out, err;
    ASSERT_EQ(runCli({"--device", sim.path, "clock", "sync"}, clock, out, err), 0) << err.toStdString();
    EXPECT_EQ(out, QStringLiteral("2026-12-08 10:01\n"));
    EXPECT_EQ(sim.meter.reg16(4040), 1001);

    // A time the PC's zone skips at a change to summer time is still a time for the meter.
    r = cli({"--device", sim.path, "clock", "set", "2027-03-28", "02:30"});
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    EXPECT_EQ(sim.meter.reg16(4040), 230);
    for (const QStringList &bad : {QStringList{"clock"}, QStringList{"clock", "set", "2030-13-01", "00:00"},
                                   QStringList{"clock", "set", "2030-01-01"}, QStringList{"status", "x"}})
        EXPECT_EQ(cli(QStringList{"--device", sim.path} + bad).status, 2) << bad.join(' ').toStdString();
    sim.fault(sim::Fault::Silence);
    EXPECT_EQ(cli({"--device", sim.path, "status"}).status, 1);
}

TEST(CliWatch, PrintsOneLinePerPoll)
{
    test::SimHarness sim;
    sim.meter.pin(7505, 1e10f); // no value: "*"
    sim.meter.setReg16(4050, 0x0204);
    sim.meter.setReg16(4052, 0x0A);
    auto r = cli({"--device", sim.path, "watch", "--interval", "0.1", "--count", "3"});
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    const QStringList lines = r.out.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 3);
    for (const QString &line : lines) {
        const QStringList f = line.split(QLatin1Char('\t'));
        ASSERT_EQ(f.size(), 8) << line.toStdString();
        EXPECT_TRUE(QDateTime::fromString(f.at(0), QStringLiteral("yyyy-MM-dd HH:mm:ss")).isValid());
        EXPECT_EQ(f.at(1), QStringLiteral("*"));
        bool ok = false;
        f.at(2).toDouble(&ok); // the minimum moves on
        EXPECT_TRUE(ok) << f.at(2).toStdString();
        EXPECT_EQ(f.at(6), QStringLiteral("516"));
        EXPECT_EQ(f.at(7), QStringLiteral("10"));
    }
    sim.fault(sim::Fault::Silence);
    r = cli({"--device", sim.path, "watch", "--interval", "0.1", "--count", "1"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out.count(QLatin1Char('*')), 7);
    for (const QStringList &bad : {QStringList{"watch", "--interval", "0.05"}, QStringList{"watch", "--count", "0"},
                                   QStringList{"watch", "--every", "1"}})
        EXPECT_EQ(cli(QStringList{"--device", sim.path} + bad).status, 2) << bad.join(' ').toStdString();
}

TEST(CliConfig, CopiesOneMetersConfigurationToAnother)
{
    test::SimHarness first;
    const std::pair<int, int> set16[] = {{4003, 17}, {4004, 3},  {4020, 77}, {4044, 1},
                                         {4310, 7},  {4035, 4},  {4036, 1},  {4031, 3}};
    for (const auto &[reg, value] : set16)
        first.meter.setReg16(reg, static_cast<std::uint16_t>(value));
    first.meter.setReg32(7600, 3.25f);
    first.meter.setReg32(7683, -1.25f);
    test::TempDir dir;
    const QString file = dir.file("meter");
    QString out, err, shown;
    test::FakeClock clock;
    const CliLineSink progress = [&](const QString &text) { shown += text; };
    ASSERT_EQ(runCli({"--device", first.path, "config", "read", file}, clock, out, err, {}, progress), 0)
        << err.toStdString();
    EXPECT_EQ(out, QStringLiteral("Zapisano konfigurację K71T do pliku %1.k71t\n").arg(file));
    EXPECT_EQ(shown, QStringLiteral("\rTransmisja danych... 120/816\rTransmisja danych... 280/816"
                                    "\rTransmisja danych... 480/816\rTransmisja danych... 616/816"
                                    "\rTransmisja danych... 816/816\n"));

    // To a meter at another address: it keeps its address and takes the
    // rest, the primary interface's 57600 8E1 too, where the PC follows it.
    test::SimHarness second(5);
    second.meter.fillArchive(30);
    const auto r = cli({"--device", second.path, "--address", "5", "config", "write", file + ".k71t", "--yes"});
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    EXPECT_TRUE(second.meter.archiveRecords().empty()); // as the question before a write warns
    EXPECT_EQ(r.out, QStringLiteral("Zapisano konfigurację z pliku %1.k71t do K71T\n"
                                    "Nowe parametry portu: 57600 8E1, adres 5\n")
                         .arg(file));
    std::vector<int> written;
    for (int reg = 4000; reg <= 4044; ++reg)
        if (reg != 4006 && reg != 4007 && (reg < 4038 || reg > 4042))
            written.push_back(reg);
    for (int reg = 4300; reg <= 4379; ++reg)
        written.push_back(reg);
    for (int reg : written)
        EXPECT_EQ(second.meter.reg16(reg), reg == 4033 ? 5 : first.meter.reg16(reg)) << reg;
    for (int reg = 7600; reg <= 7683; ++reg)
        EXPECT_EQ(second.meter.reg32(reg), first.meter.reg32(reg)) << reg;
    EXPECT_EQ(cli({"--device", second.path, "--address", "5", "--speed", "57600", "--mode", "8E1", "read", "4004", "1"})
                  .out,
              QStringLiteral("4004\t3\n"));
}

TEST(CliConfig, NothingReachesTheMeterFromABadFileOrWithoutYes)
{
    test::SimHarness meter;
    test::TempDir dir;
    QByteArray good(650, '\0');
    good.replace(0, 8, "K71T-001");
    const auto put = [&](const QString &name, const QByteArray &bytes) {
        QFile f(dir.file(name));
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
        return f.fileName();
    };
    QByteArray foreign = good;
    foreign[7] = '2';
    // The right size and header, with interface codes no interface has.
    RegisterImage image;
    loadStandardConfiguration(image);
    image.reg16(4035) = 9;
    const QByteArray badCodes = buildConfigFile(image);
    // A device answer time the interface page refuses; an eleventh polled register.
    loadStandardConfiguration(image);
    image.reg16(4037) = 0;
    const QByteArray noTimeout = buildConfigFile(image);
    loadStandardConfiguration(image);
    image.reg16(4300 + 8 * 4 + 2) = 11;
    const QByteArray tooMany = buildConfigFile(image);
    struct Case {
        QStringList args;
        int status;
    };
    const Case cases[] = {
        {{"config", "write", put("short.k71t", good.left(649)), "--yes"}, 1},
        {{"config", "write", put("long.k71t", good + QByteArray(1, '\0')), "--yes"}, 1},
        {{"config", "write", put("foreign.k71t", foreign), "--yes"}, 1},
        {{"config", "write", dir.file("missing.k71t"), "--yes"}, 1},
        {{"config", "write", put("codes.k71t", badCodes), "--yes"}, 1},
        {{"config", "write", put("timeout.k71t", noTimeout), "--yes"}, 1},
        {{"config", "write", put("devices.k71t", tooMany), "--yes"}, 1},
        {{"config", "write", put("good.k71t", good)}, 2},
        {{"config", "read", dir.file("x"), "--yes"}, 2},
        {{"config", "copy", dir.file("x")}, 2},
    };
    for (const Case &c : cases) {
        const auto r = cli(QStringList{"--device", meter.path} + c.args);
        EXPECT_EQ(r.status, c.status) << c.args.join(' ').toStdString();
        EXPECT_FALSE(r.err.isEmpty());
    }
    EXPECT_TRUE(meter.requests().empty());

    // A read that fails writes no file.
    meter.fault(sim::FaultPlan{.fault = sim::Fault::Silence, .onlyStart = 7650});
    const auto r = cli({"--device", meter.path, "config", "read", dir.file("half")});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, QStringLiteral("k71t-cli: Odczyt danych zakończony błędem. (krok 3)\n"));
    EXPECT_FALSE(QFileInfo::exists(dir.file("half.k71t")));
}
