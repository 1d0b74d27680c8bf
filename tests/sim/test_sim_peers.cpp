// The simulator against an independent master (mbpoll), and the k71t-sim
// program as scripts use it.
#include "support/SimFixture.h"
#include "support/TempDir.h"

#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <gtest/gtest.h>
#include <map>

using namespace k71t;

namespace {

std::map<int, int> mbpollRead(const QString &path, int start, int count, QString *output = nullptr)
{
    QProcess p;
    p.start(QStringLiteral(MBPOLL_BINARY),
            {"-m", "rtu", "-a", "1", "-b", "115200", "-P", "none", "-s", "2", "-t", "4", "-0", "-r",
             QString::number(start), "-c", QString::number(count), "-o", "1", "-1", path});
    p.waitForFinished(10000);
    const QString out = QString::fromLocal8Bit(p.readAllStandardOutput());
    if (output)
        *output = out + QString::fromLocal8Bit(p.readAllStandardError());
    std::map<int, int> values;
    static const QRegularExpression line(QStringLiteral("\\[(\\d+)\\]:\\s+(-?\\d+)"));
    for (auto it = line.globalMatch(out); it.hasNext();) {
        const auto m = it.next();
        values[m.captured(1).toInt()] = m.captured(2).toInt();
    }
    return values;
}

} // namespace

TEST(SimAgainstMbpoll, ServesSixteenBitRegisters)
{
    test::SimHarness sim;
    for (int i = 0; i < 10; ++i)
        sim.meter.setReg16(4000 + i, static_cast<std::uint16_t>(100 * i + 3));
    QString output;
    const auto values = mbpollRead(sim.path, 4000, 10, &output);
    ASSERT_EQ(values.size(), 10u) << output.toStdString();
    for (int i = 0; i < 10; ++i)
        EXPECT_EQ(values.at(4000 + i), 100 * i + 3);
}

TEST(SimAgainstMbpoll, RefusesAMasterAtAnotherSpeed)
{
    test::SimHarness sim(1, 1, 0); // the meter's interface at 9600 8N2
    EXPECT_TRUE(mbpollRead(sim.path, 4000, 2).empty());
    EXPECT_TRUE(sim.meter.receivedFrames().empty());
}

TEST(SimProgram, PrintsItsPtyPublishesALinkAndAnswers)
{
    test::TempDir dir;
    const QString link = dir.file("ttyK71T");
    QProcess sim;
    sim.start(QStringLiteral(K71T_SIM_BINARY), {"--link", link, "--address", "5"});
    ASSERT_TRUE(sim.waitForReadyRead(5000));
    const QString first = QString::fromLocal8Bit(sim.readLine()).trimmed();
    ASSERT_TRUE(first.startsWith(QStringLiteral("PTY /dev/pts/"))) << first.toStdString();
    EXPECT_EQ(QFileInfo(link).symLinkTarget(), first.mid(4));

    QProcess cli;
    cli.start(QStringLiteral(K71T_CLI_BINARY), {"--device", link, "--address", "5", "read", "4033", "1"});
    ASSERT_TRUE(cli.waitForFinished(10000));
    EXPECT_EQ(cli.exitCode(), 0) << cli.readAllStandardError().toStdString();
    EXPECT_EQ(cli.readAllStandardOutput(), QByteArray("4033\t5\n"));

    sim.terminate();
    ASSERT_TRUE(sim.waitForFinished(5000));
    EXPECT_EQ(sim.exitCode(), 0);
    EXPECT_FALSE(QFileInfo::exists(link) || QFileInfo(link).isSymLink());
}

TEST(SimProgram, FaultOptionAndUsageErrors)
{
    QProcess sim;
    sim.start(QStringLiteral(K71T_SIM_BINARY), {"--fault", "exception:1"});
    ASSERT_TRUE(sim.waitForReadyRead(5000));
    const QString pty = QString::fromLocal8Bit(sim.readLine()).trimmed().mid(4);
    QProcess cli;
    cli.start(QStringLiteral(K71T_CLI_BINARY), {"--device", pty, "read", "4000", "1"});
    ASSERT_TRUE(cli.waitForFinished(10000));
    EXPECT_EQ(cli.exitCode(), 1); // the first request gets an exception
    cli.start(QStringLiteral(K71T_CLI_BINARY), {"--device", pty, "read", "4000", "1"});
    ASSERT_TRUE(cli.waitForFinished(10000));
    EXPECT_EQ(cli.exitCode(), 0);
    sim.terminate();
    sim.waitForFinished(5000);

    // A fault aimed at one function and block: (fault, command, exit status).
    const std::tuple<const char *, QStringList, int> aimed[] = {
        {"silence@W4004", {"write", "4004", "1"}, 1}, {"silence@W4004", {"read", "4004", "1"}, 0},
        {"silence@W4004", {"write", "4003", "1"}, 0}, {"exception@r7500", {"read", "7500", "1"}, 1},
        {"exception@r7500", {"write", "7500", "1"}, 0},
    };
    for (const auto &[fault, command, status] : aimed) {
        QProcess meter;
        meter.start(QStringLiteral(K71T_SIM_BINARY), {"--fault", fault});
        ASSERT_TRUE(meter.waitForReadyRead(5000));
        const QString path = QString::fromLocal8Bit(meter.readLine()).trimmed().mid(4);
        cli.start(QStringLiteral(K71T_CLI_BINARY), QStringList{"--device", path} + command);
        ASSERT_TRUE(cli.waitForFinished(10000));
        EXPECT_EQ(cli.exitCode(), status) << fault << ' ' << command.join(' ').toStdString();
        meter.terminate();
        meter.waitForFinished(5000);
    }

    for (const QStringList &bad : {QStringList{"--address", "0"}, QStringList{"--fault", "smoke"},
                                   QStringList{"--fault", "silence@X4004"},
                                   QStringList{"--speed", "1234"}, QStringList{"--bogus"}}) {
        QProcess p;
        p.start(QStringLiteral(K71T_SIM_BINARY), bad);
        ASSERT_TRUE(p.waitForFinished(5000));
        EXPECT_EQ(p.exitCode(), 2) << bad.join(' ').toStdString();
    }
}

TEST(SimProgram, ArchiveOptionsAndADownloadThroughTheCommandLine)
{
    test::TempDir dir;
    const QString dump = dir.file("ring.dump");
    QProcess sim;
    sim.start(QStringLiteral(K71T_SIM_BINARY), {"--archive-records", "100", "--archive-first-page", "6999:480",
                                                "--archive-dump", dump, "--address", "7"});
    ASSERT_TRUE(sim.waitForReadyRead(5000));
    const QString pty = QString::fromLocal8Bit(sim.readLine()).trimmed().mid(4);
    QFile ring(dump);
    ASSERT_TRUE(ring.open(QIODevice::ReadOnly));
    const QByteArray held = ring.readAll();
    ring.close();
    ASSERT_EQ(held.size(), 100 * 12);

    QProcess cli;
    cli.start(QStringLiteral(K71T_CLI_BINARY),
              {"--device", pty, "--address", "7", "download", "--out", dir.path(), "--delete"});
    ASSERT_TRUE(cli.waitForFinished(30000));
    EXPECT_EQ(cli.exitCode(), 0) << cli.readAllStandardError().toStdString();
    const QStringList lines = QString::fromUtf8(cli.readAllStandardOutput()).split('\n', Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 2);
    EXPECT_TRUE(lines[0].endsWith(QStringLiteral("_7.bin")));
    EXPECT_TRUE(lines[1].startsWith(QStringLiteral("Odczytano: 100 rekordów")));
    QFile bin(lines[0]);
    ASSERT_TRUE(bin.open(QIODevice::ReadOnly));
    EXPECT_EQ(bin.read(100 * 12), held); // across the end of the ring, byte for byte

    // The delete reached the meter, and the dump followed it.
    ASSERT_TRUE(ring.open(QIODevice::ReadOnly));
    EXPECT_EQ(ring.size(), 0);
    sim.terminate();
    sim.waitForFinished(5000);
}

TEST(SimProgram, StatusClockAndInterfaceOptions)
{
    QProcess sim;
    // Bit 7 of the status word fits the outputs board: the PC is on the
    // additional interface, at 19200 8E1.
    sim.start(QStringLiteral(K71T_SIM_BINARY),
              {"--status-word", "0x8480", "--device-status", "3", "--alarm-status", "17", "--card-status", "5",
               "--clock", "2027-03-14 09:26", "--speed", "19200", "--mode", "8E1", "--refuse-apply"});
    ASSERT_TRUE(sim.waitForReadyRead(5000));
    const QString pty = QString::fromLocal8Bit(sim.readLine()).trimmed().mid(4);
    const QStringList at = {"--device", pty, "--speed", "19200", "--mode", "8E1"};
    QProcess cli;
    cli.start(QStringLiteral(K71T_CLI_BINARY), at + QStringList{"read", "4031", "24"});
    ASSERT_TRUE(cli.waitForFinished(10000));
    ASSERT_EQ(cli.exitCode(), 0) << cli.readAllStandardError().toStdString();
    QMap<int, int> regs;
    for (const QString &line : QString::fromUtf8(cli.readAllStandardOutput()).split('\n', Qt::SkipEmptyParts))
        regs[line.section('\t', 0, 0).toInt()] = line.section('\t', 1, 1).toInt();
    const std::pair<int, int> expected[] = {{4031, 2},    {4032, 1},    {4040, 926}, {4041, 314}, {4042, 2027},
                                            {4050, 3},    {4051, 0x8480}, {4052, 17}, {4054, 5}};
    for (const auto &[reg, value] : expected)
        EXPECT_EQ(regs.value(reg, -1), value) << reg;
    // The apply is refused, while a write beside it is taken at the same settings.
    cli.start(QStringLiteral(K71T_CLI_BINARY), at + QStringList{"write", "4034", "1"});
    ASSERT_TRUE(cli.waitForFinished(10000));
    EXPECT_EQ(cli.exitCode(), 1);
    cli.start(QStringLiteral(K71T_CLI_BINARY), at + QStringList{"write", "4034", "0"});
    ASSERT_TRUE(cli.waitForFinished(10000));
    EXPECT_EQ(cli.exitCode(), 0);
    sim.terminate();
    sim.waitForFinished(5000);

    // Pinned live values, a silent device and an alarm, through the monitor's eyes.
    sim.start(QStringLiteral(K71T_SIM_BINARY), {"--set", "7505=1e10", "--set", "7509=-inf", "--device-fault", "3",
                                                "--alarm", "2", "--alarm", "4"});
    ASSERT_TRUE(sim.waitForReadyRead(5000));
    const QString pty2 = QString::fromLocal8Bit(sim.readLine()).trimmed().mid(4);
    cli.start(QStringLiteral(K71T_CLI_BINARY), {"--device", pty2, "watch", "--interval", "0.1", "--count", "1"});
    ASSERT_TRUE(cli.waitForFinished(10000));
    EXPECT_EQ(cli.exitCode(), 0) << cli.readAllStandardError().toStdString();
    const QStringList f = QString::fromUtf8(cli.readAllStandardOutput()).trimmed().split('\t');
    ASSERT_EQ(f.size(), 8);
    EXPECT_EQ(f.at(1), QStringLiteral("*")); // 1e10 holds no value
    EXPECT_EQ(f.at(5), QStringLiteral("*")); // nor does -inf
    EXPECT_EQ(f.at(6), QStringLiteral("8"));  // DEV 3
    EXPECT_EQ(f.at(7), QStringLiteral("10")); // AL2, AL4
    sim.terminate();
    sim.waitForFinished(5000);

    for (const QStringList &bad : {QStringList{"--card-status", "x"}, QStringList{"--device-status", "1024"},
                                   QStringList{"--clock", "2027-02-30 10:00"}, QStringList{"--set", "4000=1"},
                                   QStringList{"--set", "7505"}, QStringList{"--alarm", "5"},
                                   QStringList{"--device-fault", "10"}}) {
        QProcess p;
        p.start(QStringLiteral(K71T_SIM_BINARY), bad);
        ASSERT_TRUE(p.waitForFinished(5000));
        EXPECT_EQ(p.exitCode(), 2) << bad.join(' ').toStdString();
    }
}
