// The dictionary of meter names: the .slo file byte by byte, damaged and
// hostile files, adding, removing and compacting, and the window as the
// program creates it with its store, apply, load and save and def.slo.
#include "chart/Dictionary.h"
#include "chart/ui/DictionaryWindow.h"
#include "chart/ui/ChartWindow.h"
#include "support/AppHarness.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTableWidget>
#include <QTimer>
#include <gtest/gtest.h>

using namespace k71t;

namespace {

// An unused slot's fields as the file holds them, written out.
QByteArray unusedSlot(int i)
{
    QByteArray out = "0\tK71T_" + QByteArray::number(i) + '\t';
    out += "DEV0\tDEV1\tDEV2\tDEV3\tDEV4\tDEV5\tDEV6\tDEV7\tDEV8\tDEV9\t";
    for (int d = 0; d < 10; ++d)
        out += "R0\tR1\tR2\tR3\tR4\tR5\tR6\tR7\tR8\tR9\t";
    return out;
}

QStringList itemsOf(const QListWidget *list)
{
    QStringList out;
    for (int i = 0; i < list->count(); ++i)
        out << list->item(i)->text();
    return out;
}

// A file of three meters (addresses 7, 0 and 9: the middle slot unused).
QByteArray threeSlots()
{
    Dictionary d;
    d.meters[0].address = 7;
    d.meters[0].name = QStringLiteral("Kotłownia");
    d.meters[2].address = 9;
    d.meters[2].name = QStringLiteral("Hala");
    return dictionaryText(d);
}

} // namespace

TEST(DictionaryFile, ByteVectorsByHand)
{
    Dictionary d;
    DictionaryEntry &m = d.meters[0];
    m.address = 5;
    m.name = QStringLiteral("Kotłownia");
    m.deviceNames[0] = QStringLiteral("Pompa");
    m.registerNames[0][3] = QStringLiteral("Ciśnienie");
    m.registerNames[9][9] = QStringLiteral("a\tb\r\nc"); // no TAB, CR or LF goes into the file
    d.entryCount = 1;

    QByteArray expected = "\t5\tKot\xb3ownia\tPompa\tDEV1\tDEV2\tDEV3\tDEV4\tDEV5\tDEV6\tDEV7\tDEV8\tDEV9\t"
                          "R0\tR1\tR2\tCi\x9cnienie\tR4\tR5\tR6\tR7\tR8\tR9\t";
    for (int dev = 1; dev < 9; ++dev)
        expected += "R0\tR1\tR2\tR3\tR4\tR5\tR6\tR7\tR8\tR9\t";
    expected += "R0\tR1\tR2\tR3\tR4\tR5\tR6\tR7\tR8\tabc\t";
    for (int i = 1; i < 32; ++i)
        expected += unusedSlot(i);
    EXPECT_EQ(dictionaryText(d), expected);
    EXPECT_EQ(expected.count('\t'), 3585);

    test::TempDir dir;
    // ".slo" is appended unless it occurs from the name's second character on.
    const std::pair<const char *, const char *> names[] = {
        {"meters", "meters.slo"}, {"meters.slo", "meters.slo"}, {"a.slo.bak", "a.slo.bak"}, {".slo", ".slo.slo"}};
    for (const auto &[given, written] : names)
        EXPECT_EQ(dictionaryFileName(QString::fromLatin1(given)), QString::fromLatin1(written)) << given;
    for (const char *given : {"meters", "meters.slo"}) {
        ASSERT_TRUE(saveDictionary(dir.file(QString::fromLatin1(given)), d)) << given;
        EXPECT_EQ(dir.read(QStringLiteral("meters.slo")), expected) << given;
    }
    EXPECT_FALSE(QFile::exists(dir.file(QStringLiteral("meters"))));

    Dictionary back;
    ASSERT_TRUE(loadDictionary(dir.file(QStringLiteral("meters.slo")), back));
    EXPECT_EQ(back.meters[0].name, QStringLiteral("Kotłownia"));
    EXPECT_EQ(back.meters[0].registerNames[0][3], QStringLiteral("Ciśnienie"));
    EXPECT_EQ(back.meters[0].registerNames[9][9], QStringLiteral("abc"));
    EXPECT_EQ(back.meters[31], Dictionary::defaultSlot(31));
    // Names are kept to 255 characters, so every dictionary saved loads again.
    Dictionary longNames;
    longNames.meters[31].name = QString(5 << 20, QLatin1Char('x'));
    ASSERT_TRUE(saveDictionary(dir.file(QStringLiteral("dlugie")), longNames));
    Dictionary read;
    ASSERT_TRUE(loadDictionary(dir.file(QStringLiteral("dlugie.slo")), read));
    EXPECT_EQ(read.meters[31].name, QString(255, QLatin1Char('x')));
    // A file written elsewhere may hold CR, LF or names over 255 characters:
    // they are read as a save would write them, so a save reads back the same.
    QByteArray foreign = expected;
    foreign.replace("Pompa", "Pom\r\npa").replace("Kot\xb3ownia", QByteArray(300, 'k'));
    Dictionary fromElsewhere;
    ASSERT_EQ(parseDictionary(foreign, fromElsewhere), 32);
    EXPECT_EQ(fromElsewhere.meters[0].deviceNames[0], QStringLiteral("Pompa"));
    EXPECT_EQ(fromElsewhere.meters[0].name, QString(255, QLatin1Char('k')));
    Dictionary again;
    ASSERT_EQ(parseDictionary(dictionaryText(fromElsewhere), again), 32);
    EXPECT_EQ(again.meters, fromElsewhere.meters);
    // Empty names are read as they are.
    QByteArray empty = expected;
    empty.replace("Pompa", "");
    ASSERT_TRUE(parseDictionary(empty, back) == 32);
    EXPECT_EQ(back.meters[0].deviceNames[0], QString());
}

TEST(DictionaryFile, DamagedAndHostileFilesChangeNothingUnlessPartial)
{
    const QByteArray good = threeSlots();
    const int slot3 = good.indexOf(unusedSlot(3));
    ASSERT_GT(slot3, 0);
    auto withAddress = [&](const QByteArray &address) {
        QByteArray b = good;
        return b.replace(slot3, 1, address);
    };
    QByteArray binary(4096, '\0');
    for (int i = 0; i < binary.size(); ++i)
        binary[i] = static_cast<char>((i * 131 + 7) % 256);
    QByteArray huge = good;
    huge.insert(slot3 + 2, QByteArray(5 << 20, 'x')); // the same TABs in a 5 MiB file
    const struct {
        const char *what;
        QByteArray bytes;
        int partialSlots; // slots a partial load takes (-1: none, the file is refused whole)
    } cases[] = {
        {"3584 TABs", good.left(good.size() - 1), -1},
        {"3586 TABs", good + '\t', -1},
        {"empty", {}, -1},
        {"binary", binary, -1},
        {"over 4 MiB", huge, -1},
        {"slot 3 address x", withAddress("x"), 3},
        {"slot 3 address empty", withAddress(""), 3},
        {"slot 3 address 248", withAddress("248"), 3},
        {"slot 3 address -1", withAddress("-1"), 3},
        {"slot 3 address 7x", withAddress("7x"), 3},
        {"slot 3 address -0", withAddress("-0"), 3},
        {"slot 3 address +7", withAddress("+7"), 3},
        {"no TAB first", "1" + good.mid(1) + '\t', -1},
    };
    test::TempDir dir;
    Dictionary before;
    before.meters[0].address = 1;
    before.meters[0].name = QStringLiteral("stary");
    before.meters[3].name = QStringLiteral("czwarty");
    for (const auto &c : cases) {
        dir.write(QStringLiteral("x.slo"), c.bytes);
        Dictionary d = before;
        EXPECT_FALSE(loadDictionary(dir.file(QStringLiteral("x.slo")), d)) << c.what;
        EXPECT_EQ(d.meters, before.meters) << c.what;
        Dictionary p = before;
        EXPECT_FALSE(loadDictionary(dir.file(QStringLiteral("x.slo")), p, true)) << c.what;
        if (c.partialSlots < 0) {
            EXPECT_EQ(p.meters, before.meters) << c.what;
        } else {
            EXPECT_EQ(p.meters[0].name, QStringLiteral("Kotłownia")) << c.what;
            EXPECT_EQ(p.meters[2].address, 9) << c.what;
            EXPECT_EQ(p.meters[3], before.meters[3]) << c.what;
        }
    }
    Dictionary d = before;
    EXPECT_FALSE(loadDictionary(dir.file(QStringLiteral("brak.slo")), d, true));
    EXPECT_EQ(d.meters, before.meters);
    dir.write(QStringLiteral("x.slo"), withAddress("247"));
    EXPECT_TRUE(loadDictionary(dir.file(QStringLiteral("x.slo")), d));
    EXPECT_EQ(d.meters[3].address, 247);
}

TEST(DictionaryEntries, AddRemoveAndCompact)
{
    Dictionary d;
    for (int i = 0; i < 3; ++i)
        ASSERT_TRUE(d.add());
    EXPECT_EQ(d.longName(0), QStringLiteral("1. K71T_1 (1)"));
    EXPECT_EQ(d.longName(2), QStringLiteral("3. K71T_3 (3)"));
    d.meters[1].name = QStringLiteral("Hala %3 Łódź"); // shown as typed
    EXPECT_EQ(d.longName(1), QStringLiteral("2. Hala %3 Łódź (2)"));
    d.meters[1].name = QStringLiteral("K71T_2");
    ASSERT_TRUE(d.remove(0));
    EXPECT_EQ(d.entryCount, 2);
    EXPECT_EQ(d.meters[0].address, 2);
    EXPECT_EQ(d.meters[0].name, QStringLiteral("K71T_2"));
    EXPECT_EQ(d.meters[1].address, 3);
    EXPECT_EQ(d.meters[2].address, 0);
    EXPECT_FALSE(d.remove(2));
    EXPECT_FALSE(d.remove(-1));

    Dictionary full;
    for (int i = 0; i < 32; ++i)
        ASSERT_TRUE(full.add());
    const auto all = full.meters;
    EXPECT_FALSE(full.add()); // the 33rd
    EXPECT_EQ(full.meters, all);
    ASSERT_TRUE(full.remove(5));
    EXPECT_EQ(full.meters[30], all[31]);
    // The last meter has moved up; its old slot is free, not a second copy.
    EXPECT_EQ(full.meters[31], Dictionary::defaultSlot(31));
    EXPECT_EQ(full.meters[31].address, 0);

    Dictionary gap;
    ASSERT_EQ(parseDictionary(threeSlots(), gap), 32);
    gap.compact();
    EXPECT_EQ(gap.entryCount, 2);
    EXPECT_EQ(gap.meters[0].name, QStringLiteral("Kotłownia"));
    EXPECT_EQ(gap.meters[1].name, QStringLiteral("Hala"));
    EXPECT_EQ(gap.meters[2].address, 0);
    EXPECT_EQ(gap.meterWithAddress(9, -1), 1);
    EXPECT_EQ(gap.meterWithAddress(9, 1), -1);
}

TEST(DictionaryWindow, TextsTheFreshStartAndDefSloOnClosing)
{
    test::AppHarness app;
    app.start();
    DictionaryWindow &s = *app.windows->dictionaryWindow;
    EXPECT_EQ(s.windowTitle(), QStringLiteral("Słownik"));
    const std::tuple<const char *, const char *, const char *> texts[] = {
        {"addButton", "Dodaj pozycję", "Dodaje pozycje do słownika"},
        {"removeButton", "Usuń pozycję", "Usuwa wskazaną pozycję ze slownika"},
        {"storeButton", "Wpisz do Slownika", ""},
        {"applyButton", "Zastosuj", ""},
    };
    for (const auto &[name, text, hint] : texts) {
        auto *b = s.findChild<QPushButton *>(QString::fromLatin1(name));
        ASSERT_TRUE(b) << name;
        EXPECT_EQ(b->text(), QString::fromUtf8(text)) << name;
        EXPECT_EQ(b->toolTip(), QString::fromUtf8(hint)) << name;
    }
    const std::pair<const char *, const char *> labels[] = {
        {"addressLabel", "Adres K71T"},
        {"nameLabel", "Nazwa miernika"},
        {"hintLabel", "Wybierz serię i naciśnij zastosuj, aby wypełnić parametry serii automatycznie"},
        {"seriesLabel", "Seria"},
    };
    for (const auto &[name, text] : labels)
        EXPECT_EQ(s.findChild<QLabel *>(QString::fromLatin1(name))->text(), QString::fromUtf8(text)) << name;
    EXPECT_EQ(s.addressEdit->text(), QStringLiteral("1"));
    EXPECT_EQ(s.addressEdit->toolTip(), QStringLiteral("Adres wskaźnika K71T w sieci MODBUS"));
    EXPECT_EQ(s.nameEdit->text(), QStringLiteral("K71T"));
    EXPECT_EQ(s.nameEdit->toolTip(), QStringLiteral("Nazwa wskaźnika (dowolna)"));
    EXPECT_EQ(s.seriesList->toolTip(), QStringLiteral("Wybierz serię, która ma zostać wypełniona ze słownika"));
    EXPECT_EQ(s.loadAction->text(), QStringLiteral("Wczytaj Słownik"));
    EXPECT_EQ(s.saveAction->text(), QStringLiteral("Zapisz Słownik"));
    EXPECT_EQ(s.closeAction->text(), QStringLiteral("Zamknij"));
    EXPECT_EQ(s.namesGrid->item(0, 1)->text(), QStringLiteral("DEV0"));
    EXPECT_EQ(s.namesGrid->item(10, 0)->text(), QStringLiteral("REG9"));
    EXPECT_FALSE(s.namesGrid->item(3, 0)->flags() & Qt::ItemIsSelectable);
    // A fresh start: no meters, nothing to edit, no series chosen.
    EXPECT_EQ(s.meterList->count(), 0);
    EXPECT_FALSE(s.namesGrid->isEnabled());
    EXPECT_FALSE(s.storeButton->isEnabled());
    EXPECT_EQ(s.seriesList->count(), 10);
    EXPECT_EQ(s.seriesList->itemText(9), QStringLiteral("Seria 10"));
    EXPECT_EQ(s.seriesList->currentIndex(), -1);

    // Both chart buttons show it.
    app.windows->chartWindow->editor->dictionaryPickButton->click();
    EXPECT_TRUE(s.isVisible());
    s.closeAction->trigger();
    EXPECT_FALSE(s.isVisible());
    QByteArray unused = "\t";
    for (int i = 0; i < 32; ++i)
        unused += unusedSlot(i);
    EXPECT_EQ(app.dir.read(QStringLiteral("def.slo")), unused);
    app.windows->chartWindow->dictionaryButton->click();
    EXPECT_TRUE(s.isVisible());
    s.close();
    EXPECT_TRUE(app.prompt.messages.isEmpty());

    // The window is not modal, so the program can end while it is open: its
    // names are saved then too; a closed window is not saved again.
    auto endProgram = [] {
        QTimer::singleShot(0, qApp, &QCoreApplication::quit);
        QApplication::exec();
    };
    QFile::remove(app.dir.file(QStringLiteral("def.slo")));
    endProgram();
    EXPECT_FALSE(QFile::exists(app.dir.file(QStringLiteral("def.slo"))));
    app.windows->chartWindow->dictionaryButton->click();
    s.addButton->click();
    ASSERT_EQ(s.meterList->count(), 1);
    s.addressEdit->setText(QStringLiteral("12"));
    s.nameEdit->setText(QStringLiteral("Kotłownia"));
    s.storeButton->click();
    endProgram();
    Dictionary saved;
    ASSERT_TRUE(loadDictionary(app.dir.file(QStringLiteral("def.slo")), saved));
    EXPECT_EQ(saved.meters[0].address, 12);
    EXPECT_EQ(saved.meters[0].name, QStringLiteral("Kotłownia"));
    s.close();
}

TEST(DictionaryWindow, AddRemoveStoreAndApplyIntoTheChart)
{
    test::AppHarness app;
    app.start();
    DictionaryWindow &s = *app.windows->dictionaryWindow;
    ChartWindow &w = *app.windows->chartWindow;
    s.show();
    for (int i = 0; i < 3; ++i)
        s.addButton->click();
    EXPECT_EQ(itemsOf(s.meterList), (QStringList{"1. K71T_1 (1)", "2. K71T_2 (2)", "3. K71T_3 (3)"}));
    EXPECT_EQ(s.addressEdit->text(), QStringLiteral("3"));
    EXPECT_TRUE(s.storeButton->isEnabled());
    s.meterList->setCurrentRow(0);
    s.removeButton->click();
    EXPECT_EQ(itemsOf(s.meterList), (QStringList{"K71T_2", "K71T_3"}));
    EXPECT_EQ(s.dictionary().entryCount, 2);
    EXPECT_EQ(s.dictionary().meters[0].address, 2);

    // Storing: 300 and 0 store nothing and say nothing; "x" and another
    // meter's address are refused with their messages.
    s.meterList->setCurrentRow(0);
    const DictionaryEntry kept = s.dictionary().meters[0];
    s.nameEdit->setText(QStringLiteral("Kotłownia"));
    const std::pair<const char *, const char *> refused[] = {
        {"300", nullptr},
        {"0", nullptr},
        {"x", "Podano błędny adres. Podaj wartość z przedziału 1..247"},
        {"", "Podano błędny adres. Podaj wartość z przedziału 1..247"},
        {"-5", "Podano błędny adres. Podaj wartość z przedziału 1..247"},
        {"3", "W słowniku istniej już wpis o takim adresie."},
    };
    for (const auto &[address, message] : refused) {
        app.prompt.messages.clear();
        s.addressEdit->setText(QString::fromLatin1(address));
        s.storeButton->click();
        EXPECT_EQ(s.dictionary().meters[0], kept) << address;
        if (!message) {
            EXPECT_TRUE(app.prompt.messages.isEmpty()) << address;
        } else {
            ASSERT_EQ(app.prompt.messages.size(), 1) << address;
            EXPECT_EQ(app.prompt.messages[0].text, QString::fromUtf8(message));
            EXPECT_EQ(app.prompt.messages[0].caption, QStringLiteral("Błąd"));
            EXPECT_EQ(app.prompt.messages[0].icon, PromptIcon::Error);
        }
    }
    // Its own address stores the boxes and the grid.
    app.prompt.messages.clear();
    s.addressEdit->setText(QStringLiteral("2"));
    s.nameEdit->setText(QStringLiteral("Kotłow\tnia"));
    s.namesGrid->item(0, 2)->setText(QStringLiteral("Pompa"));
    s.namesGrid->item(5, 2)->setText(QStringLiteral("Ciśnienie"));
    s.storeButton->click();
    EXPECT_TRUE(app.prompt.messages.isEmpty());
    EXPECT_EQ(s.meterList->item(0)->text(), QStringLiteral("1. Kotłownia (2)"));
    EXPECT_EQ(s.dictionary().meters[0].deviceNames[1], QStringLiteral("Pompa"));
    EXPECT_EQ(s.dictionary().meters[0].registerNames[1][4], QStringLiteral("Ciśnienie"));

    // Applying: a meter, a register cell and a series must be chosen.
    const std::tuple<int, int, int, int, const char *> missing[] = {
        {-1, 5, 2, 3, "Nie wskazano miernika."},
        {0, 0, 2, 3, "Nie wskazano rejestru. Proszę wskazać rejestr i spróbować ponownie"},
        {0, 5, 2, -1, "Nie wybrano serii. Wybierz serię i spróbuj ponownie."},
    };
    for (const auto &[meter, row, column, series, message] : missing) {
        app.prompt.messages.clear();
        s.meterList->setCurrentRow(meter);
        s.namesGrid->setCurrentCell(row, column);
        s.seriesList->setCurrentIndex(series);
        s.applyButton->click();
        ASSERT_EQ(app.prompt.messages.size(), 1) << message;
        EXPECT_EQ(app.prompt.messages[0].text, QString::fromUtf8(message));
        EXPECT_EQ(w.model().series[3].address, 0) << message;
    }
    app.prompt.messages.clear();
    s.meterList->setCurrentRow(0);
    s.namesGrid->setCurrentCell(5, 2);
    s.namesGrid->item(5, 2)->setText(QStringLiteral("niezapisane")); // an edit not stored: not used
    s.seriesList->setCurrentIndex(3);
    s.applyButton->click();
    EXPECT_TRUE(app.prompt.messages.isEmpty());
    const QString name = QStringLiteral("Kotłownia_Pompa_Ciśnienie");
    EXPECT_EQ(w.editor->seriesNameEdit->text(), name);
    EXPECT_EQ(w.model().series[3], (SeriesAssignment{2, 1, 4, name}));
    SeriesModel saved;
    ASSERT_TRUE(loadSeriesConf(w.seriesConfPath(), saved));
    EXPECT_EQ(saved.series[3], (SeriesAssignment{2, 1, 4, name}));
    // The chooser shows the series' new name and keeps the choice.
    EXPECT_EQ(s.seriesList->itemText(3), name);
    EXPECT_EQ(s.seriesList->currentIndex(), 3);
    // Renamed in the chart window, the name reaches the chooser on activation.
    w.editor->seriesList->setCurrentIndex(0);
    w.editor->seriesNameEdit->setText(QStringLiteral("Hala"));
    w.editor->seriesAddressEdit->setText(QStringLiteral("5"));
    w.editor->applyButton->click();
    s.onActivated();
    EXPECT_EQ(s.seriesList->itemText(0), QStringLiteral("Hala"));

    // Closing writes def.slo; the next start shows the meters.
    s.close();
    Dictionary written;
    ASSERT_TRUE(loadDictionary(app.dir.file(QStringLiteral("def.slo")), written));
    EXPECT_EQ(written.meters[0].name, QStringLiteral("Kotłownia"));
    EXPECT_EQ(written.meters[1].name, QStringLiteral("K71T_3"));
    EXPECT_EQ(written.meters[2].address, 0);
}

TEST(DictionaryWindow, LoadSaveAndDamagedDefSlo)
{
    test::AppHarness app;
    // def.slo damaged at slot 2: the slots before it are kept, silently.
    QByteArray damaged = threeSlots();
    damaged.replace(damaged.indexOf(unusedSlot(1)), 1, "4");
    damaged.replace(damaged.indexOf("\t9\tHala\t"), 3, "\tx\t");
    app.dir.write(QStringLiteral("def.slo"), damaged);
    app.start();
    DictionaryWindow &s = *app.windows->dictionaryWindow;
    EXPECT_EQ(itemsOf(s.meterList), (QStringList{"Kotłownia", "K71T_1"}));
    EXPECT_TRUE(app.prompt.messages.isEmpty());

    // Save under "meters": meters.slo.
    app.prompt.fileNames << app.dir.file(QStringLiteral("meters"));
    s.saveAction->trigger();
    EXPECT_EQ(app.prompt.fileFilters.last(), QStringLiteral("Pliki słownika (*.slo)|*.slo"));
    EXPECT_EQ(app.dir.read(QStringLiteral("meters.slo")), dictionaryText(s.dictionary()));
    EXPECT_TRUE(app.prompt.messages.isEmpty());
    // A folder that is not there.
    app.prompt.fileNames << app.dir.file(QStringLiteral("brak/meters"));
    s.saveAction->trigger();
    ASSERT_EQ(app.prompt.messages.size(), 1);
    EXPECT_EQ(app.prompt.messages[0].text,
              QStringLiteral("Błąd podczas zapisu pliku. Sprawdź czy dysk nie jest chroniony i spróbuj ponownie."));

    // A file with one TAB too many changes nothing.
    app.prompt.messages.clear();
    app.dir.write(QStringLiteral("zly.slo"), threeSlots() + '\t');
    app.prompt.fileNames << app.dir.file(QStringLiteral("zly.slo"));
    s.loadAction->trigger();
    ASSERT_EQ(app.prompt.messages.size(), 1);
    EXPECT_EQ(app.prompt.messages[0].text,
              QStringLiteral("Błąd podczas odczytu pliku. Plik ma niewłaściwy format lub jest uszkodzony"));
    EXPECT_EQ(itemsOf(s.meterList), (QStringList{"Kotłownia", "K71T_1"}));
    EXPECT_EQ(app.prompt.fileFilters.last(), QStringLiteral("Pliki słownika (*.slo)|*.slo"));

    // A good file with an unused slot between two meters: the list and the
    // slots stay in step.
    app.prompt.messages.clear();
    app.dir.write(QStringLiteral("dobry.slo"), threeSlots());
    app.prompt.fileNames << app.dir.file(QStringLiteral("dobry.slo"));
    s.loadAction->trigger();
    EXPECT_TRUE(app.prompt.messages.isEmpty());
    EXPECT_EQ(itemsOf(s.meterList), (QStringList{"Kotłownia", "Hala"}));
    EXPECT_EQ(s.dictionary().entryCount, 2);
    s.meterList->setCurrentRow(1);
    EXPECT_EQ(s.addressEdit->text(), QStringLiteral("9"));
    EXPECT_EQ(s.nameEdit->text(), QStringLiteral("Hala"));
}
