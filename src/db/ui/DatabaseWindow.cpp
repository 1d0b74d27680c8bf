#include "db/ui/DatabaseWindow.h"

#include <QCoreApplication>

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

    supportCheck = named(new QCheckBox(QStringLiteral("Włącz obsługę bazy danych MySQL"), this), "supportCheck");

    buildConnectionGroup();
    QGroupBox *importGroup = buildImportGroup();

    statusBar = named(new QStatusBar(this), "statusBar");
    statusBar->setSizeGripEnabled(false);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(supportCheck);
    layout->addWidget(connectionGroup);
    layout->addWidget(importGroup);
    layout->addWidget(statusBar);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    connect(supportCheck, &QCheckBox::toggled, this, &DatabaseWindow::onSupportToggled);
    connect(createTableButton, &QPushButton::clicked, this, &DatabaseWindow::onCreateTableClicked);
    connect(testConnectionButton, &QPushButton::clicked, this, &DatabaseWindow::onTestConnectionClicked);
    connect(importButton, &QPushButton::clicked, this, &DatabaseWindow::onImportClicked);
    loadSettings();
    ctx_.databaseSwitch = [this] { return supportCheck->isChecked(); };
}

void DatabaseWindow::buildConnectionGroup()
{
    connectionGroup = named(new QGroupBox(QStringLiteral("Parametry połączenia"), this), "connectionGroup");
    const auto edit = [this](const char *name, const QString &hint) {
        auto *e = named(new QLineEdit(connectionGroup), name);
        e->setToolTip(hint);
        e->setMinimumWidth(220);
        return e;
    };
    serverEdit = edit("serverEdit", QStringLiteral("Nazwa serwera lub jego IP"));
    portEdit = edit("portEdit", QStringLiteral("Numer portu na którym pracuje serwer MySQL"));
    databaseEdit = edit("databaseEdit", QStringLiteral("Nazwa bazy danych"));
    tableEdit = edit("tableEdit", QStringLiteral("Nazwa istniejącej tablicy lub tablicy do założenia"));
    userEdit = edit("userEdit", QStringLiteral("Nazwa użytkownika z uprawnieniami to bazy lub tablicy."));
    passwordEdit = edit("passwordEdit", QStringLiteral("Hasło dostępu"));
    passwordEdit->setEchoMode(QLineEdit::Password);
    compressionCheck =
        named(new QCheckBox(QStringLiteral("Kompresja transmisji"), connectionGroup), "compressionCheck");
    createTableButton = named(new QPushButton(QStringLiteral("Załóż tablicę"), connectionGroup), "createTableButton");
    testConnectionButton =
        named(new QPushButton(QStringLiteral("Test połączenia"), connectionGroup), "testConnectionButton");
    auto *form = new QFormLayout;
    form->addRow(QStringLiteral("Serwer"), serverEdit);
    form->addRow(QStringLiteral("Port"), portEdit);
    form->addRow(QStringLiteral("Baza Danych"), databaseEdit);
    form->addRow(QStringLiteral("Tablica"), tableEdit);
    form->addRow(QStringLiteral("Użytkownik"), userEdit);
    form->addRow(QStringLiteral("Hasło"), passwordEdit);
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(createTableButton);
    buttons->addWidget(testConnectionButton);
    auto *groupLayout = new QVBoxLayout(connectionGroup);
    groupLayout->addLayout(form);
    groupLayout->addWidget(compressionCheck);
    groupLayout->addLayout(buttons);
    connectionGroup->setEnabled(false);
}

QGroupBox *DatabaseWindow::buildImportGroup()
{
    auto *importGroup = named(new QGroupBox(QStringLiteral("Import plików *.dat do bazy"), this), "importGroup");
    auto *addressCaption =
        named(new QLabel(QStringLiteral("Podaj adres urządzenia z którego"), importGroup), "addressCaption");
    auto *addressCaptionEnd = named(new QLabel(QStringLiteral("pochodzą dane"), importGroup), "addressCaptionEnd");
    importAddressEdit = named(new QLineEdit(QStringLiteral("1"), importGroup), "importAddressEdit");
    importAddressEdit->setMaximumWidth(60);
    importButton = named(new QPushButton(QStringLiteral("Wskaż plik do zaimportowania"), importGroup), "importButton");
    importLabel = named(new QLabel(QStringLiteral("Import danych"), importGroup), "importLabel");
    importProgress = named(new QProgressBar(importGroup), "importProgress");
    importProgress->setTextVisible(false);
    auto *importLayout = new QGridLayout(importGroup);
    importLayout->addWidget(addressCaption, 0, 0);
    importLayout->addWidget(addressCaptionEnd, 1, 0);
    importLayout->addWidget(importAddressEdit, 0, 1, 2, 1);
    importLayout->addWidget(importButton, 2, 0, 1, 2);
    importLayout->addWidget(importLabel, 3, 0, 1, 2);
    importLayout->addWidget(importProgress, 4, 0, 1, 2);
    return importGroup;
}

DatabaseWindow::~DatabaseWindow()
{
    ctx_.databaseSwitch = nullptr;
}

QString DatabaseWindow::settingsPath() const
{
    return ctx_.appFile(QStringLiteral("sql.conf"));
}

void DatabaseWindow::loadSettings()
{
    QString problem;
    if (const auto loaded = loadSqlConf(settingsPath(), &problem)) {
        ctx_.databaseSettings = loaded->params;
        if (loaded->enabled)
            supportCheck->setChecked(true);
    } else {
        ctx_.databaseSettings = DatabaseSettings{};
        // A missing or damaged file gives the defaults silently; a name the
        // program refuses to put into a statement is worth a word.
        if (!problem.isEmpty())
            ctx_.prompt.error(this, QStringLiteral("Ustawienia bazy danych z pliku sql.conf nie zostały wczytane. ") +
                                        problem);
    }
    showSettings();
}

void DatabaseWindow::showSettings()
{
    const DatabaseSettings &p = ctx_.databaseSettings;
    serverEdit->setText(p.server);
    portEdit->setText(QString::number(p.port));
    databaseEdit->setText(p.database);
    tableEdit->setText(p.table);
    userEdit->setText(p.user);
    passwordEdit->setText(p.password);
    compressionCheck->setChecked(p.compression != 0);
}

bool DatabaseWindow::takeSettings()
{
    DatabaseSettings &p = ctx_.databaseSettings;
    const auto field = [this](QLineEdit *e, const QString &what) {
        const QString problem = fieldProblem(e->text(), what);
        if (!problem.isEmpty())
            ctx_.prompt.error(this, problem);
        return problem.isEmpty();
    };
    const auto name = [this](QLineEdit *e, const QString &what) {
        const QString problem = nameProblem(e->text(), what);
        if (!problem.isEmpty())
            ctx_.prompt.error(this, problem);
        return problem.isEmpty();
    };
    if (!field(serverEdit, QStringLiteral("Serwer")))
        return false;
    p.server = serverEdit->text();
    bool ok = false;
    const qlonglong port = portEdit->text().toLongLong(&ok);
    // A number beyond a TCP port would be cut to another port.
    if (!ok || port < 1 || port > 65535) {
        ctx_.prompt.error(this, QStringLiteral("Błędnie wprowadzony numer portu."));
        return false;
    }
    p.port = static_cast<std::uint16_t>(port);
    if (!name(databaseEdit, QStringLiteral("bazy danych")))
        return false;
    p.database = databaseEdit->text();
    if (!name(tableEdit, QStringLiteral("tablicy")))
        return false;
    p.table = tableEdit->text();
    if (!field(userEdit, QStringLiteral("Użytkownik")))
        return false;
    p.user = userEdit->text();
    if (!field(passwordEdit, QStringLiteral("Hasło")))
        return false;
    p.password = passwordEdit->text();
    p.compression = compressionCheck->isChecked() ? 1 : 0;
    return true;
}

void DatabaseWindow::saveSettings()
{
    takeSettings();
    saveSqlConf(settingsPath(), SqlConf{ctx_.databaseSettings, supportCheck->isChecked()});
}

void DatabaseWindow::done(int result)
{
    saveSettings();
    QDialog::done(result);
}

void DatabaseWindow::setWorking(bool working)
{
    working_ = working;
    for (QWidget *w : std::initializer_list<QWidget *>{supportCheck, connectionGroup, importAddressEdit, importButton})
        w->setEnabled(!working && (w != connectionGroup || supportCheck->isChecked()));
}

void DatabaseWindow::reject()
{
    // Closed only once the work in hand has ended: it uses the settings shown.
    if (!working_)
        QDialog::reject();
}

void DatabaseWindow::onSupportToggled()
{
    connectionGroup->setEnabled(supportCheck->isChecked());
}

void DatabaseWindow::onCreateTableClicked()
{
    if (!takeSettings()) {
        statusBar->showMessage(QStringLiteral("Tworzenie tablicy przerwane"));
        return;
    }
    QString message;
    const DatabaseSettings settings = ctx_.databaseSettings;
    setWorking(true);
    const bool created =
        ctx_.databaseWorker.call([&] { return createArchiveTable(ctx_.database, settings, &message); });
    setWorking(false);
    if (created) {
        statusBar->showMessage(QStringLiteral("Utworzono tablicę"));
    } else {
        ctx_.prompt.error(this, message);
        statusBar->showMessage(QStringLiteral("Tworzenie tablicy zakończone błędem"));
    }
}

void DatabaseWindow::onTestConnectionClicked()
{
    statusBar->showMessage(QStringLiteral("Łączenie z bazą..."));
    if (!takeSettings())
        return;
    // The window goes on answering while the library waits for the server.
    QString message;
    const DatabaseSettings settings = ctx_.databaseSettings;
    setWorking(true);
    const bool connected = ctx_.databaseWorker.call([&] {
        ctx_.database.disconnect();
        return ctx_.database.connect(settings, &message);
    });
    setWorking(false);
    if (connected) {
        statusBar->showMessage(QStringLiteral("Łączenie z bazą...OK"));
        ctx_.prompt.inform(this, QStringLiteral("Nawiązano połączenie z bazą danych"), QStringLiteral("Test"));
    } else {
        ctx_.prompt.error(this, message);
        statusBar->showMessage(QStringLiteral("Łączenie z bazą...Błąd"));
    }
}

void DatabaseWindow::onImportClicked()
{
    bool ok = false;
    int address = importAddressEdit->text().trimmed().toInt(&ok);
    if (!ok)
        address = 0;
    if (address < 1 || address > 247) {
        ctx_.prompt.error(this, QStringLiteral("Podany adres jest nieprawidłowy"));
        return;
    }
    if (!ctx_.prompt.ask(this, QStringLiteral("Czy adres urządzenia podano prawidłowo. Kontynuować"),
                         QStringLiteral("Pytanie")))
        return;
    if (!ctx_.databaseEnabled()) {
        ctx_.prompt.inform(this, DatabaseOff, QStringLiteral("Błąd"));
        return;
    }
    // The working folder, where the exports are, not the program's own
    // folder (/usr/bin once installed).
    const QString file = ctx_.prompt.openFileName(this, datFilter(), ctx_.appDirectory);
    if (file.isEmpty())
        return;
    // The settings as shown are the ones used (the window may be open since
    // they were last taken).
    if (!takeSettings())
        return;
    importProgress->setValue(0);
    const DatabaseSettings settings = ctx_.databaseSettings;
    // The import runs on the database worker; its progress comes back as
    // queued calls, in order.
    const auto progress = [this](int done, int total) {
        QMetaObject::invokeMethod(this, [this, done, total] {
            importProgress->setMaximum(total);
            importProgress->setValue(done);
            importLabel->setText(QStringLiteral("Import danych: %1").arg(done));
        }, Qt::QueuedConnection);
    };
    setWorking(true);
    const ImportOutcome out = ctx_.databaseWorker.call([&] {
        return importDataFile(ctx_.database, settings, file, static_cast<std::uint8_t>(address), progress);
    });
    QCoreApplication::sendPostedEvents(this);
    setWorking(false);
    importProgress->setValue(importProgress->maximum());
    importLabel->setText(QStringLiteral("Import danych: %1").arg(out.store.stored));
    if (out.store.stored <= 0)
        statusBar->showMessage(QStringLiteral("Nie zaimportowano rekordów!"));
    else
        statusBar->showMessage(QStringLiteral("Zaimportowano: %1").arg(out.store.stored));
    if (out.missing)
        ctx_.prompt.error(this, QStringLiteral("Nie można odczytać pliku %1.").arg(file));
    else if (!out.store.ok() || out.refused.count > 0)
        ctx_.prompt.error(this, QStringLiteral("Import pliku %1 nie powiódł się w całości.\n").arg(file) +
                                    importReport(out));
    else if (out.store.changed > 0)
        ctx_.prompt.inform(this, importReport(out), QStringLiteral("Informacje"));
    else if (out.lines == 0)
        ctx_.prompt.inform(this, QStringLiteral("Plik %1 nie zawiera wierszy danych.").arg(file),
                           QStringLiteral("Informacje"));
}

} // namespace k71t
