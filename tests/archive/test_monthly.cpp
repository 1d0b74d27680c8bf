// The monthly archive from a memory card's daily files: the month prefix,
// a month of hand-made daily files against the monthly files written out
// byte by byte, a second run, failures that must leave the old files, the
// folder browser's OK rule, the dialog through the start panel and the
// command line.
#include "Cli.h"
#include "archive/ui/MonthlyArchiveDialog.h"
#include "archive/MonthlyArchive.h"
#include "support/AppHarness.h"
#include "support/DiskLimits.h"
#include "support/TempDir.h"

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <gtest/gtest.h>
#include <sys/stat.h>

using namespace k71t;

namespace {

// A data line of device d: the date, the time and the device digit at index 20.
QByteArray line(int day, const char *time, char device, const QByteArray &values)
{
    return "2013-09-" + QByteArray::number(day).rightJustified(2, '0') + '\t' + time + '\t' + device + '\t' + values;
}

struct Month {
    test::TempDir dir;
    QString source, out;
    Month()
    {
        QDir(dir.path()).mkpath(QStringLiteral("karta/ARCHIVES/2013/09"));
        QDir(dir.path()).mkpath(QStringLiteral("wynik"));
        source = dir.file(QStringLiteral("karta/ARCHIVES/2013/09/"));
        out = dir.file(QStringLiteral("wynik/"));
    }
    void day(const QString &name, const QByteArray &bytes) const
    {
        QFile f(source + name);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }
    QByteArray monthly(int d) const
    {
        QFile f(out + QStringLiteral("K71T_201309_D%1.DAT").arg(d));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("(brak)");
    }
    MonthlyOutcome run(QStringList *seen = nullptr) const
    {
        return createMonthlyArchive(source, out, QStringLiteral("K71T_201309_"), [seen](const QString &daily) {
            if (seen)
                *seen << QFileInfo(daily).fileName();
        });
    }
    QStringList outFiles() const { return QDir(out).entryList(QDir::Files | QDir::Hidden, QDir::Name); }
};

// The month of the edge cases: day 01 (CR LF) with devices 0 and 1, a line
// with E+020, one without a device digit, a short and an empty line; day 05
// (LF) with devices 0 and 2 and Windows-1250 text; day 12 as day_12.dat (CR,
// no end after its last line) where device 3 first appears; day 20 only a
// heading; day 21 empty; day 31 a single line of device 2; a DAY_32.DAT and
// a folder called DAY_02.DAT that are no days.
void fillMonth(const Month &m)
{
    const QByteArray crlf = "\r\n";
    m.day(QStringLiteral("DAY_01.DAT"), "Naglowek 01" + crlf + line(1, "00:00:00", '0', "1.5\t2") + crlf +
                                           line(1, "00:00:00", '1', "7") + crlf +
                                           line(1, "00:01:00", '1', "1.00000E+020\t3") + crlf +
                                           line(1, "00:01:00", 'x', "4") + crlf + "krotki" + crlf + crlf +
                                           line(1, "00:02:00", '0', "1.25") + crlf);
    m.day(QStringLiteral("DAY_05.DAT"), "Nag\xb3\xf3wek 05\n" + line(5, "10:00:00", '2', "Zbiornik \xb9\x9c") + "\n" +
                                           line(5, "10:00:00", '0', "-3") + "\n");
    m.day(QStringLiteral("day_12.dat"), "Naglowek 12\r" + line(12, "08:00:00", '3', "9") + "\r" +
                                           line(12, "08:00:00", '0', "0") + "\r" + line(12, "08:01:00", '3', "10"));
    m.day(QStringLiteral("DAY_20.DAT"), "Naglowek 20\r\n");
    m.day(QStringLiteral("DAY_21.DAT"), "");
    m.day(QStringLiteral("DAY_31.DAT"), "Naglowek 31\r\n" + line(31, "23:59:00", '2', "5") + "\r\n");
    m.day(QStringLiteral("DAY_32.DAT"), "Naglowek 32\r\n" + line(31, "23:59:00", '4', "5") + "\r\n");
    QDir(m.source).mkdir(QStringLiteral("DAY_02.DAT"));
}

} // namespace

TEST(MonthlyPrefix, OnlyAMonthFolderAfterTheLastArchives)
{
    const std::pair<const char *, const char *> cases[] = {
        {"/media/karta/ARCHIVES/2013/09/", "K71T_201309_"},
        {"C:\\karta\\ARCHIVES\\2013\\09\\", "K71T_201309_"},
        {"/media/karta/ARCHIVES/2013/09", "K71T_201309_"},
        {"/stare/ARCHIVES/x/ARCHIVES/2014/01/", "K71T_201401_"},
        {"/media/karta/archives/2013/09/", ""},
        {"/media/karta/ARCHIVES/13/09/", ""},
        {"/media/karta/ARCHIVES/2013/9/", ""},
        {"/media/karta/ARCHIVES/20x3/09/", ""},
        {"/media/karta/ARCHIVES/2013", ""},
        {"/media/karta/ARCHIVES", ""},
        {"/media/karta/ARCHIVESX2013/09/", ""},
        {"/media/karta/ARCHIVES/2013/09/ARCHIVES/", ""},
        {"/media/karta/ARCHIVES/2013/09/inne", ""},
        {"/media/karta/ARCHIVES/2013/09abc", ""},
        {"/media/karta/ARCHIVES/2013/09//", ""},
        {"/media/karta/xARCHIVES/2013/09/", ""},
        {"ARCHIVES/2013/09", "K71T_201309_"},
        {"/media/karta/ARCHIVES/2013/13/", ""},
        {"/media/karta/ARCHIVES/2013/00/", ""},
        {"/media/karta/ARCHIVES/0000/09/", ""},
        {"", ""},
    };
    for (const auto &[path, prefix] : cases)
        EXPECT_EQ(monthlyFilePrefix(QString::fromLatin1(path)), QString::fromLatin1(prefix)) << path;
    EXPECT_EQ(monthlyFileName(QStringLiteral("K71T_201309_"), 7), QStringLiteral("K71T_201309_D7.DAT"));
}

TEST(MonthlyArchive, AMonthOfDailyFilesByteForByte)
{
    Month m;
    fillMonth(m);
    QStringList seen;
    const MonthlyOutcome o = m.run(&seen);
    ASSERT_TRUE(o.error.isEmpty()) << o.error.toStdString();
    EXPECT_TRUE(o.wrote);
    EXPECT_EQ(seen, (QStringList{"DAY_01.DAT", "DAY_05.DAT", "day_12.dat", "DAY_20.DAT", "DAY_21.DAT", "DAY_31.DAT"}));
    EXPECT_EQ(o.dailyFiles, 6);

    const QByteArray crlf = "\r\n";
    EXPECT_EQ(m.monthly(0), "Naglowek 01" + crlf + line(1, "00:00:00", '0', "1.5\t2") + crlf +
                                line(1, "00:02:00", '0', "1.25") + crlf + line(5, "10:00:00", '0', "-3") + crlf +
                                line(12, "08:00:00", '0', "0") + crlf);
    EXPECT_EQ(m.monthly(1), "Naglowek 01" + crlf + line(1, "00:00:00", '1', "7") + crlf);
    EXPECT_EQ(m.monthly(2), "Nag\xb3\xf3wek 05" + crlf + line(5, "10:00:00", '2', "Zbiornik \xb9\x9c") + crlf +
                                line(31, "23:59:00", '2', "5") + crlf);
    EXPECT_EQ(m.monthly(3), "Naglowek 12" + crlf + line(12, "08:00:00", '3', "9") + crlf +
                                line(12, "08:01:00", '3', "10") + crlf);
    // Devices without lines get no file; no temporary file is left behind.
    EXPECT_EQ(m.outFiles(), (QStringList{"K71T_201309_D0.DAT", "K71T_201309_D1.DAT", "K71T_201309_D2.DAT",
                                         "K71T_201309_D3.DAT"}));
    EXPECT_EQ(o.lines, (std::array<int, 10>{4, 1, 2, 2, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(o.lastFile, QStringLiteral("K71T_201309_D2.DAT"));
    EXPECT_EQ(o.droppedNoValue, 1);
    EXPECT_EQ(o.droppedDevice, 1);

    // A second run replaces the files instead of extending them; an old file
    // of a device without lines this month is not touched.
    const QByteArray d0 = m.monthly(0);
    QFile old(m.out + QStringLiteral("K71T_201309_D5.DAT"));
    ASSERT_TRUE(old.open(QIODevice::WriteOnly));
    old.write("stary plik");
    old.close();
    const MonthlyOutcome again = m.run();
    EXPECT_TRUE(again.error.isEmpty());
    EXPECT_EQ(m.monthly(0), d0);
    EXPECT_EQ(m.monthly(5), QByteArray("stary plik"));
}

TEST(MonthlyArchive, NothingToConvert)
{
    const std::pair<const char *, QList<std::pair<const char *, QByteArray>>> cases[] = {
        {"no daily files", {{"notatki.txt", "2013-09-01\t00:00:00\t0\t1\r\n"}}},
        {"headings only and empty files", {{"DAY_01.DAT", "Naglowek\r\n"}, {"DAY_02.DAT", ""}}},
        {"every line dropped",
         {{"DAY_03.DAT", "Naglowek\r\n" + line(3, "00:00:00", '0', "1.0E+020") + "\r\n" +
                             line(3, "00:00:00", '-', "1") + "\r\nkrotki\r\n"}}},
        {"binary", {{"DAY_04.DAT", QByteArray("\x00\x01\x02\xff\xfe", 5).repeated(1000)}}},
    };
    for (const auto &[what, files] : cases) {
        Month m;
        for (const auto &[name, bytes] : files)
            m.day(QString::fromLatin1(name), bytes);
        const MonthlyOutcome o = m.run();
        EXPECT_TRUE(o.error.isEmpty()) << what;
        EXPECT_FALSE(o.wrote) << what;
        EXPECT_TRUE(m.outFiles().isEmpty()) << what;
    }
}

TEST(MonthlyArchive, LongLinesAndLargeFilesPassUnchanged)
{
    Month m;
    // A 100 kB line, and a day of 200,000 lines read in many pieces with a
    // CR LF split across the pieces' edges somewhere.
    const QByteArray wide = line(1, "00:00:00", '6', QByteArray(100000, '7'));
    QByteArray big = "Naglowek\r\n";
    QByteArray expected = "Naglowek\r\n" + wide + "\r\n";
    for (int i = 0; i < 200000; ++i) {
        const QByteArray l = line(2, "00:00:00", '6', QByteArray::number(i));
        big += l + "\r\n";
        expected += l + "\r\n";
    }
    m.day(QStringLiteral("DAY_01.DAT"), "Naglowek\r\n" + wide);
    m.day(QStringLiteral("DAY_02.DAT"), big);
    // A line of more than a mebibyte (binary data without line ends) is left
    // out and counted; the line after it is kept.
    m.day(QStringLiteral("DAY_03.DAT"), "Naglowek\r\n" + line(3, "00:00:00", '6', QByteArray(3 << 20, '5')) +
                                           "\r\n" + line(3, "00:01:00", '6', "1") + "\r\n");
    expected += line(3, "00:01:00", '6', "1") + "\r\n";
    const MonthlyOutcome o = m.run();
    ASSERT_TRUE(o.error.isEmpty());
    EXPECT_EQ(o.lines[6], 200002);
    EXPECT_EQ(o.droppedLong, 1);
    EXPECT_EQ(m.monthly(6), expected);
}

TEST(MonthlyArchive, AFailedRunLeavesTheOldFiles)
{
    // An unreadable daily file in the middle of the month (reading the
    // process's own memory at address 0 fails with EIO, also for root).
    {
        Month m;
        fillMonth(m);
        ASSERT_TRUE(m.run().error.isEmpty());
        const QByteArray d0 = m.monthly(0), d3 = m.monthly(3);
        ASSERT_TRUE(QFile::remove(m.source + QStringLiteral("day_12.dat")));
        ASSERT_TRUE(QFile::link(QStringLiteral("/proc/self/mem"), m.source + QStringLiteral("DAY_12.DAT")));
        m.day(QStringLiteral("DAY_01.DAT"), "Nowy\r\n" + line(1, "00:00:00", '0', "99") + "\r\n");
        const MonthlyOutcome o = m.run();
        EXPECT_TRUE(o.error.startsWith(QStringLiteral("DAY_12.DAT: "))) << o.error.toStdString();
        EXPECT_FALSE(o.wrote);
        EXPECT_EQ(m.monthly(0), d0);
        EXPECT_EQ(m.monthly(3), d3);
        EXPECT_EQ(m.outFiles().size(), 4);
    }
    // A destination that fills up.
    {
        test::SmallDisk disk(64 * 1024);
        ASSERT_TRUE(disk.mounted()) << "the tests run as root to mount a small disk";
        Month m;
        m.out = disk.path() + QLatin1Char('/');
        QFile old(disk.file(QStringLiteral("K71T_201309_D0.DAT")));
        ASSERT_TRUE(old.open(QIODevice::WriteOnly));
        old.write("stary plik");
        old.close();
        QByteArray day = "Naglowek\r\n";
        for (int i = 0; i < 4000; ++i)
            day += line(1, "00:00:00", '0', QByteArray::number(i)) + "\r\n";
        m.day(QStringLiteral("DAY_01.DAT"), day);
        const MonthlyOutcome o = m.run();
        EXPECT_TRUE(o.error.startsWith(QStringLiteral("K71T_201309_D0.DAT: "))) << o.error.toStdString();
        EXPECT_FALSE(o.wrote);
        EXPECT_EQ(m.monthly(0), QByteArray("stary plik"));
        EXPECT_EQ(m.outFiles(), QStringList{"K71T_201309_D0.DAT"});
    }
    // A destination that is read-only.
    {
        test::SmallDisk disk(64 * 1024);
        ASSERT_TRUE(disk.mounted());
        Month m;
        fillMonth(m);
        m.out = disk.path() + QLatin1Char('/');
        ASSERT_TRUE(m.run().error.isEmpty());
        const QByteArray d2 = m.monthly(2);
        m.day(QStringLiteral("DAY_30.DAT"), "Naglowek 30\r\n" + line(30, "00:00:00", '2', "1") + "\r\n");
        ASSERT_TRUE(disk.makeReadOnly());
        const MonthlyOutcome o = m.run();
        EXPECT_EQ(o.error, QStringLiteral("K71T_201309_D0.DAT: system plików tylko do odczytu"));
        EXPECT_EQ(m.monthly(2), d2);
    }
    // A FIFO, or a link to a device, in a daily file's place: refused at
    // once (reading it would block, or never end), and the old files stay.
    for (const char *kind : {"fifo", "device"}) {
        Month m;
        fillMonth(m);
        ASSERT_TRUE(m.run().error.isEmpty());
        const QByteArray d0 = m.monthly(0);
        m.day(QStringLiteral("DAY_01.DAT"), "Nowy\r\n" + line(1, "00:00:00", '0', "99") + "\r\n");
        const QString place = m.source + QStringLiteral("day_05.dat");
        ASSERT_TRUE(QFile::remove(m.source + QStringLiteral("DAY_05.DAT")));
        if (QByteArray(kind) == "fifo")
            ASSERT_EQ(::mkfifo(QFile::encodeName(place).constData(), 0600), 0);
        else
            ASSERT_TRUE(QFile::link(QStringLiteral("/dev/zero"), place));
        const MonthlyOutcome o = m.run();
        EXPECT_EQ(o.error, QStringLiteral("day_05.dat: to nie jest zwykły plik")) << kind;
        EXPECT_EQ(m.monthly(0), d0) << kind;
        EXPECT_EQ(m.outFiles().size(), 4) << kind;
    }
    // A folder where a monthly file would go: nothing is replaced.
    {
        Month m;
        fillMonth(m);
        QFile old(m.out + QStringLiteral("K71T_201309_D0.DAT"));
        ASSERT_TRUE(old.open(QIODevice::WriteOnly));
        old.write("stary plik");
        old.close();
        QDir(m.out).mkdir(QStringLiteral("K71T_201309_D3.DAT"));
        const MonthlyOutcome o = m.run();
        EXPECT_TRUE(o.error.startsWith(QStringLiteral("K71T_201309_D3.DAT: "))) << o.error.toStdString();
        EXPECT_EQ(m.monthly(0), QByteArray("stary plik"));
    }
    // A destination that is not there.
    {
        Month m;
        fillMonth(m);
        m.out = m.dir.file(QStringLiteral("brak/"));
        const MonthlyOutcome o = m.run();
        EXPECT_TRUE(o.error.startsWith(QStringLiteral("K71T_201309_D0.DAT: "))) << o.error.toStdString();
    }
}

TEST(MonthlyBrowser, OkOnlyForAFolderWithAnEntry)
{
    test::TempDir dir;
    QDir(dir.path()).mkpath(QStringLiteral("pusty"));
    QDir(dir.path()).mkpath(QStringLiteral("z_katalogiem/pod"));
    QDir(dir.path()).mkpath(QStringLiteral("z_plikiem"));
    dir.write(QStringLiteral("z_plikiem/BEZKROPKI"), "x");
    dir.write(QStringLiteral("z_ukrytym/.ukryty"), "x");
    EXPECT_FALSE(folderMatchesMask(dir.file(QStringLiteral("pusty")), QStringLiteral("*.*")));
    EXPECT_FALSE(folderMatchesMask(dir.file(QStringLiteral("brak")), QStringLiteral("*.*")));
    EXPECT_FALSE(folderMatchesMask(QString(), QStringLiteral("*.*")));
    EXPECT_TRUE(folderMatchesMask(dir.file(QStringLiteral("z_katalogiem")), QStringLiteral("*.*")));
    EXPECT_TRUE(folderMatchesMask(dir.file(QStringLiteral("z_plikiem")), QStringLiteral("*.*")));
    EXPECT_TRUE(folderMatchesMask(dir.file(QStringLiteral("z_plikiem/")), QStringLiteral("*.*")));
    EXPECT_FALSE(folderMatchesMask(dir.file(QStringLiteral("z_plikiem")), QStringLiteral("*.DAT")));

    test::RecordingPrompt prompt;
    QString chosen = QStringLiteral("bez zmian");
    prompt.folders << dir.file(QStringLiteral("pusty"));
    EXPECT_EQ(browseForFolder(prompt, nullptr, QStringLiteral("/start"), QStringLiteral("*.*"), &chosen,
                              QStringLiteral("Tytuł")),
              1);
    EXPECT_EQ(chosen, QStringLiteral("bez zmian"));
    EXPECT_EQ(prompt.folderTitles, QStringList{"Tytuł"});
    EXPECT_EQ(prompt.folderStarts, QStringList{"/start"});
    prompt.folders << dir.file(QStringLiteral("z_plikiem"));
    EXPECT_EQ(browseForFolder(prompt, nullptr, {}, QStringLiteral("*.*"), &chosen, QStringLiteral("Tytuł")), 0);
    EXPECT_EQ(chosen, dir.file(QStringLiteral("z_plikiem")));
    EXPECT_EQ(browseForFolder(prompt, nullptr, {}, QStringLiteral("*.*"), nullptr, QStringLiteral("Tytuł")), -1);
}

TEST(MonthlyDialog, ThroughTheStartPanel)
{
    test::AppHarness app;
    app.start();
    app.runStartTimer();
    app.prompt.messages.clear();
    Month m;
    fillMonth(m);
    // A lower-case archives folder holding a file, for the refusal.
    QDir(m.dir.path()).mkpath(QStringLiteral("karta/archives/2013/09"));
    m.dir.write(QStringLiteral("karta/archives/2013/09/DAY_01.DAT"), "Naglowek\r\n");

    struct Seen {
        QStringList texts;
        bool createAtStart = true, createWithSource = true, createWithBoth = false, createBadSource = true;
        QString fileM, fileDay, dropped, editFrom, sourceAfterCancel;
    } seen;
    int opened = 0;
    app.prompt.onModal = [&](QDialog *d) {
        auto *dlg = qobject_cast<MonthlyArchiveDialog *>(d);
        ASSERT_TRUE(dlg);
        ++opened;
        if (opened == 2) {
            // Created anew: nothing of the first opening is left.
            EXPECT_TRUE(dlg->sourceEdit->text().isEmpty());
            EXPECT_TRUE(dlg->source().isEmpty());
            return;
        }
        seen.texts << dlg->windowTitle() << dlg->bannerLabel->text()
                   << dlg->findChild<QLabel *>(QStringLiteral("sourceCaption"))->text()
                   << dlg->findChild<QLabel *>(QStringLiteral("destinationCaption"))->text()
                   << dlg->findChild<QLabel *>(QStringLiteral("monthlyFileCaption"))->text()
                   << dlg->sourceButton->text() << dlg->destinationButton->text() << dlg->createButton->text();
        seen.createAtStart = dlg->createButton->isEnabled();
        app.prompt.folders << m.source.chopped(1);
        dlg->sourceButton->click();
        seen.editFrom = dlg->sourceEdit->text();
        seen.fileM = dlg->monthlyFileLabel->text();
        seen.createWithSource = dlg->createButton->isEnabled();
        app.prompt.folders << m.out;
        dlg->destinationButton->click();
        seen.createWithBoth = dlg->createButton->isEnabled();
        dlg->createButton->click();
        seen.fileM = dlg->monthlyFileLabel->text();
        seen.fileDay = dlg->dailyFileLabel->text();
        seen.dropped = dlg->droppedLabel->text();
        // A cancelled browser keeps the source; it opens on it.
        dlg->sourceButton->click();
        seen.sourceAfterCancel = dlg->source();
        // The lower-case folder is refused and the button cannot start a run.
        app.prompt.folders << m.dir.file(QStringLiteral("karta/archives/2013/09"));
        dlg->sourceButton->click();
        seen.createBadSource = dlg->createButton->isEnabled();
    };
    app.startPanel->monthlyArchiveButton->click();
    EXPECT_EQ(seen.texts, (QStringList{"Archiwum miesięczne",
                                       "Tworzenie archiwum miesięcznego na podstawie archiwum dziennego",
                                       "Katalog z archiwum dziennym", "Zapisz do ", "Plik archiwum miesięcznego",
                                       "Przeglądaj...", "Przeglądaj...", "Utwórz nowe archiwum"}));
    EXPECT_FALSE(seen.createAtStart);
    EXPECT_EQ(seen.editFrom, m.source);
    EXPECT_FALSE(seen.createWithSource);
    EXPECT_TRUE(seen.createWithBoth);
    EXPECT_EQ(seen.fileM, QStringLiteral("K71T_201309_D2.DAT"));
    EXPECT_EQ(seen.fileDay, m.source + QStringLiteral("DAY_31.DAT"));
    EXPECT_EQ(seen.dropped,
              QStringLiteral("Pominięte wiersze: z brakiem wartości (E+020): 1, bez numeru urządzenia: 1"));
    EXPECT_EQ(seen.sourceAfterCancel, m.source);
    EXPECT_FALSE(seen.createBadSource);
    EXPECT_EQ(app.prompt.folderTitles,
              (QStringList{"Wybierz katalog źródłowy", "Wybierz katalog docelowy", "Wybierz katalog źródłowy",
                           "Wybierz katalog źródłowy"}));
    EXPECT_EQ(app.prompt.folderStarts, (QStringList{"", "", m.source, m.source}));
    ASSERT_EQ(app.prompt.messages.size(), 2);
    EXPECT_EQ(app.prompt.messages[0].text, QStringLiteral("Zakończono tworzenie archiwum miesięcznego."));
    EXPECT_EQ(app.prompt.messages[0].caption, QStringLiteral("Sukces"));
    EXPECT_EQ(app.prompt.messages[0].icon, PromptIcon::Information);
    EXPECT_EQ(app.prompt.messages[1].text, QStringLiteral("Nieprawidłowy katalog danych."));
    EXPECT_EQ(app.prompt.messages[1].caption, QStringLiteral("Błąd"));
    EXPECT_EQ(m.monthly(1), "Naglowek 01\r\n" + line(1, "00:00:00", '1', "7") + "\r\n");
    app.startPanel->monthlyArchiveButton->click();
    EXPECT_EQ(opened, 2);
}

TEST(MonthlyDialog, NoDataAndAFailedRun)
{
    test::AppHarness app;
    app.start();
    app.runStartTimer();
    app.prompt.messages.clear();
    Month m;
    m.day(QStringLiteral("DAY_01.DAT"), "Naglowek\r\n");
    QFile old(m.out + QStringLiteral("K71T_201309_D0.DAT"));
    ASSERT_TRUE(old.open(QIODevice::WriteOnly));
    old.write("stary plik");
    old.close();
    app.prompt.onModal = [&](QDialog *d) {
        auto *dlg = qobject_cast<MonthlyArchiveDialog *>(d);
        ASSERT_TRUE(dlg);
        app.prompt.folders << m.source << m.out;
        dlg->sourceButton->click();
        dlg->destinationButton->click();
        dlg->createButton->click();
        m.day(QStringLiteral("DAY_02.DAT"), "Naglowek\r\n" + line(2, "00:00:00", '0', "1") + "\r\n");
        ASSERT_TRUE(QFile::link(QStringLiteral("/proc/self/mem"), m.source + QStringLiteral("DAY_03.DAT")));
        dlg->createButton->click();
    };
    app.startPanel->monthlyArchiveButton->click();
    ASSERT_EQ(app.prompt.messages.size(), 2);
    EXPECT_EQ(app.prompt.messages[0].text, QStringLiteral("Brak danych."));
    EXPECT_EQ(app.prompt.messages[0].caption, QStringLiteral("Uwaga"));
    EXPECT_EQ(app.prompt.messages[0].icon, PromptIcon::Error);
    EXPECT_TRUE(app.prompt.messages[1].text.startsWith(
        QStringLiteral("Nie udało się utworzyć archiwum miesięcznego; poprzednie pliki pozostały bez zmian.\nDAY_03.DAT: ")))
        << app.prompt.messages[1].text.toStdString();
    EXPECT_EQ(app.prompt.messages[1].caption, QStringLiteral("Błąd"));
    EXPECT_EQ(m.monthly(0), QByteArray("stary plik"));
}

TEST(MonthlyCli, FilesAndLineCountsOrAReason)
{
    Month m;
    fillMonth(m);
    QString out, err;
    ASSERT_EQ(runCli({"monthly", m.source, "--out", m.out}, out, err), CliOk) << err.toStdString();
    const QString o = QDir(m.out).filePath(QStringLiteral("K71T_201309_D%1.DAT"));
    EXPECT_EQ(out, o.arg(0) + "\t4\n" + o.arg(1) + "\t1\n" + o.arg(2) + "\t2\n" + o.arg(3) + "\t2\n" +
                       "Plików dziennych: 6. Pominięto wierszy: z brakiem wartości (E+020) 1, bez numeru "
                       "urządzenia 1\n");
    EXPECT_TRUE(err.isEmpty());

    const struct {
        QStringList args;
        int status;
        const char *says;
    } bad[] = {
        {{"monthly", m.source}, CliUsage, "monthly KATALOG --out KATALOG_DOCELOWY"},
        {{"monthly", m.source, "--do", m.out}, CliUsage, "monthly KATALOG --out KATALOG_DOCELOWY"},
        {{"monthly", m.dir.file("karta"), "--out", m.out}, CliMeterFailed, "Nieprawidłowy katalog danych."},
        {{"monthly", m.source, "--out", m.dir.file("brak")}, CliMeterFailed, "nie istnieje"},
        {{"monthly", m.dir.file("wynik/ARCHIVES/2013/10"), "--out", m.out}, CliMeterFailed, "Brak danych."},
    };
    for (const auto &b : bad) {
        out.clear();
        err.clear();
        EXPECT_EQ(runCli(b.args, out, err), b.status) << b.args.join(' ').toStdString();
        EXPECT_TRUE(err.contains(QString::fromUtf8(b.says))) << err.toStdString();
    }
}
