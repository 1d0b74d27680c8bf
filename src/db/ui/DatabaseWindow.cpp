#include "db/ui/DatabaseWindow.h"

#include "widgets/Widgets.h"
#include "db/DataImport.h"

#include <QCheckBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QStatusBar>
#include <QVBoxLayout>

namespace k71t {

namespace {

const QString DatabaseOff = QStringLiteral("Obsługa MySQL jest wyłączona - sprawdź konfigurację MySQL");

} // namespace

DatabaseWindow::DatabaseWindow(AppContext &context, QWidget *parent) : QDialog(parent), ctx_(context)
{
    setObjectName(QStringLiteral("DatabaseWindow"));
    setWindowTitle(QStringLiteral("MySQL"));
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint);

    CheckBox2 = named(new QCheckBox(QStringLiteral("Włącz obsługę bazy danych MySQL"), this), "CheckBox2");

    GroupBox1 = named(new QGroupBox(QStringLiteral("Parametry połączenia"), this), "GroupBox1");
    const auto edit = [this](const char *name, const QString &hint) {
        auto *e = named(new QLineEdit(GroupBox1), name);
        e->setToolTip(hint);
        e->setMinimumWidth(220);
        return e;
    };
    Edit1 = edit("Edit1", QStringLiteral("Nazwa serwera lub jego IP"));
    Edit2 = edit("Edit2", QStringLiteral("Numer portu na którym pracuje serwer MySQL"));
    Edit3 = edit("Edit3", QStringLiteral("Nazwa bazy danych"));
    Edit4 = edit("Edit4", QStringLiteral("Nazwa istniejącej tablicy lub tablicy do założenia"));
    Edit5 = edit("Edit5", QStringLiteral("Nazwa użytkownika z uprawnieniami to bazy lub tablicy."));
    Edit6 = edit("Edit6", QStringLiteral("Hasło dostępu"));
    Edit6->setEchoMode(QLineEdit::Password);
    CheckBox1 = named(new QCheckBox(QStringLiteral("Kompresja transmisji"), GroupBox1), "CheckBox1");
    SpeedButton1 = named(new QPushButton(QStringLiteral("Załóż tablicę"), GroupBox1), "SpeedButton1");
    SpeedButton2 = named(new QPushButton(QStringLiteral("Test połączenia"), GroupBox1), "SpeedButton2");
    auto *form = new QFormLayout;
    form->addRow(QStringLiteral("Serwer"), Edit1);
    form->addRow(QStringLiteral("Port"), Edit2);
    form->addRow(QStringLiteral("Baza Danych"), Edit3);
    form->addRow(QStringLiteral("Tablica"), Edit4);
    form->addRow(QStringLiteral("Użytkownik"), Edit5);
    form->addRow(QStringLiteral("Hasło"), Edit6);
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(SpeedButton1);
    buttons->addWidget(SpeedButton2);
    auto *groupLayout = new QVBoxLayout(GroupBox1);
    groupLayout->addLayout(form);
    groupLayout->addWidget(CheckBox1);
    groupLayout->addLayout(buttons);
    GroupBox1->setEnabled(false);

    auto *importGroup = named(new QGroupBox(QStringLiteral("Import plików *.dat do bazy"), this), "GroupBox2");
    auto *label7 = named(new QLabel(QStringLiteral("Podaj adres urządzenia z którego"), importGroup), "Label7");
    auto *label8 = named(new QLabel(QStringLiteral("pochodzą dane"), importGroup), "Label8");
    Edit7 = named(new QLineEdit(QStringLiteral("1"), importGroup), "Edit7");
    Edit7->setMaximumWidth(60);
    SpeedButton3 =
        named(new QPushButton(QStringLiteral("Wskaż plik do zaimportowania"), importGroup), "SpeedButton3");
    Label9 = named(new QLabel(QStringLiteral("Import danych"), importGroup), "Label9");
    ProgressBar1 = named(new QProgressBar(importGroup), "ProgressBar1");
    ProgressBar1->setTextVisible(false);
    auto *importLayout = new QGridLayout(importGroup);
    importLayout->addWidget(label7, 0, 0);
    importLayout->addWidget(label8, 1, 0);
    importLayout->addWidget(Edit7, 0, 1, 2, 1);
    importLayout->addWidget(SpeedButton3, 2, 0, 1, 2);
    importLayout->addWidget(Label9, 3, 0, 1, 2);
    importLayout->addWidget(ProgressBar1, 4, 0, 1, 2);

    StatusBar1 = named(new QStatusBar(this), "StatusBar1");
    StatusBar1->setSizeGripEnabled(false);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(CheckBox2);
    layout->addWidget(GroupBox1);
    layout->addWidget(importGroup);
    layout->addWidget(StatusBar1);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    connect(CheckBox2, &QCheckBox::toggled, this, &DatabaseWindow::CheckBox2Click);
    connect(SpeedButton1, &QPushButton::clicked, this, &DatabaseWindow::SpeedButton1Click);
    connect(SpeedButton2, &QPushButton::clicked, this, &DatabaseWindow::SpeedButton2Click);
    connect(SpeedButton3, &QPushButton::clicked, this, &DatabaseWindow::SpeedButton3Click);
    FormCreate();
    ctx_.databaseSwitch = [this] { return CheckBox2->isChecked(); };
}

DatabaseWindow::~DatabaseWindow()
{
    ctx_.databaseSwitch = nullptr;
}

QString DatabaseWindow::settingsPath() const
{
    return ctx_.appFile(QStringLiteral("sql.conf"));
}

void DatabaseWindow::FormCreate()
{
    QString problem;
    if (const auto loaded = LoadSettings(settingsPath(), &problem)) {
        ctx_.sql = loaded->params;
        if (loaded->enabled)
            CheckBox2->setChecked(true);
    } else {
        ctx_.sql = SQL_PARAMS{};
        // A missing or damaged file gives the defaults silently; a name the
        // program refuses to put into a statement is worth a word.
        if (!problem.isEmpty())
            error(QStringLiteral("Ustawienia bazy danych z pliku sql.conf nie zostały wczytane. ") + problem);
    }
    SettingsToWindow();
}

void DatabaseWindow::SettingsToWindow()
{
    const SQL_PARAMS &p = ctx_.sql;
    Edit1->setText(p.server);
    Edit2->setText(QString::number(p.port));
    Edit3->setText(p.database);
    Edit4->setText(p.table);
    Edit5->setText(p.user);
    Edit6->setText(p.password);
    CheckBox1->setChecked(p.compression != 0);
}

bool DatabaseWindow::WindowToSettings()
{
    SQL_PARAMS &p = ctx_.sql;
    const auto field = [this](QLineEdit *e, const QString &what) {
        const QString problem = fieldProblem(e->text(), what);
        if (!problem.isEmpty())
            error(problem);
        return problem.isEmpty();
    };
    const auto name = [this](QLineEdit *e, const QString &what) {
        const QString problem = nameProblem(e->text(), what);
        if (!problem.isEmpty())
            error(problem);
        return problem.isEmpty();
    };
    if (!field(Edit1, QStringLiteral("Serwer")))
        return false;
    p.server = Edit1->text();
    bool ok = false;
    const qlonglong port = Edit2->text().toLongLong(&ok);
    // A number beyond a TCP port would be cut to another port.
    if (!ok || port < 1 || port > 65535) {
        error(QStringLiteral("Błędnie wprowadzony numer portu."));
        return false;
    }
    p.port = static_cast<std::uint16_t>(port);
    if (!name(Edit3, QStringLiteral("bazy danych")))
        return false;
    p.database = Edit3->text();
    if (!name(Edit4, QStringLiteral("tablicy")))
        return false;
    p.table = Edit4->text();
    if (!field(Edit5, QStringLiteral("Użytkownik")))
        return false;
    p.user = Edit5->text();
    if (!field(Edit6, QStringLiteral("Hasło")))
        return false;
    p.password = Edit6->text();
    p.compression = CheckBox1->isChecked() ? 1 : 0;
    return true;
}

void DatabaseWindow::FormClose()
{
    WindowToSettings();
    SaveSettings(settingsPath(), SqlSettings{ctx_.sql, CheckBox2->isChecked()});
}

void DatabaseWindow::done(int result)
{
    FormClose();
    QDialog::done(result);
}

void DatabaseWindow::CheckBox2Click()
{
    GroupBox1->setEnabled(CheckBox2->isChecked());
}

void DatabaseWindow::SpeedButton1Click()
{
    if (!WindowToSettings()) {
        StatusBar1->showMessage(QStringLiteral("Tworzenie tablicy przerwane"));
        return;
    }
    QString message;
    if (CreateArchiveTable(ctx_.database, ctx_.sql, &message)) {
        StatusBar1->showMessage(QStringLiteral("Utworzono tablicę"));
    } else {
        error(message);
        StatusBar1->showMessage(QStringLiteral("Tworzenie tablicy zakończone błędem"));
    }
}

void DatabaseWindow::SpeedButton2Click()
{
    ctx_.database.Disconnect();
    StatusBar1->showMessage(QStringLiteral("Łączenie z bazą..."));
    if (!WindowToSettings())
        return;
    // The status text is seen while the library waits for the server.
    StatusBar1->repaint();
    QString message;
    if (ctx_.database.Connect(ctx_.sql, &message)) {
        StatusBar1->showMessage(QStringLiteral("Łączenie z bazą...OK"));
        ctx_.prompt.message(this, QStringLiteral("Nawiązano połączenie z bazą danych"), QStringLiteral("Test"),
                            PromptIcon::Information);
    } else {
        error(message);
        StatusBar1->showMessage(QStringLiteral("Łączenie z bazą...Błąd"));
    }
}

void DatabaseWindow::SpeedButton3Click()
{
    bool ok = false;
    int address = Edit7->text().trimmed().toInt(&ok);
    if (!ok)
        address = 0;
    if (address < 1 || address > 247) {
        error(QStringLiteral("Podany adres jest nieprawidłowy"));
        return;
    }
    if (!ctx_.prompt.ask(this, QStringLiteral("Czy adres urządzenia podano prawidłowo. Kontynuować"),
                         QStringLiteral("Pytanie")))
        return;
    if (!ctx_.databaseEnabled()) {
        ctx_.prompt.message(this, DatabaseOff, QStringLiteral("Błąd"), PromptIcon::Information);
        return;
    }
    // The working folder, where the exports are, not the program's own
    // folder (/usr/bin once installed).
    const QString file = ctx_.prompt.openFileName(this, datFilter(), ctx_.AppDirectory);
    if (file.isEmpty())
        return;
    // The settings as shown are the ones used (the window may be open since
    // they were last taken).
    if (!WindowToSettings())
        return;
    repaint();
    ProgressBar1->setValue(0);
    const ImportOutcome out =
        ImportDataFile(ctx_.database, ctx_.sql, file, static_cast<std::uint8_t>(address), [this](int done, int total) {
            ProgressBar1->setMaximum(total);
            ProgressBar1->setValue(done);
            Label9->setText(QStringLiteral("Import danych: %1").arg(done));
            Label9->repaint();
            ProgressBar1->repaint();
        });
    ProgressBar1->setValue(ProgressBar1->maximum());
    Label9->setText(QStringLiteral("Import danych: %1").arg(out.store.stored));
    if (out.store.stored <= 0)
        StatusBar1->showMessage(QStringLiteral("Nie zaimportowano rekordów!"));
    else
        StatusBar1->showMessage(QStringLiteral("Zaimportowano: %1").arg(out.store.stored));
    if (out.missing)
        error(QStringLiteral("Nie można odczytać pliku %1.").arg(file));
    else if (!out.store.ok())
        error(QStringLiteral("Import pliku %1 nie powiódł się w całości.\n").arg(file) + storeReport(out.store));
    else if (out.lines == 0)
        ctx_.prompt.message(this, QStringLiteral("Plik %1 nie zawiera wierszy danych.").arg(file),
                            QStringLiteral("Informacje"), PromptIcon::Information);
}

void DatabaseWindow::error(const QString &text)
{
    ctx_.prompt.message(this, text, QStringLiteral("Błąd"), PromptIcon::Error);
}

} // namespace k71t
