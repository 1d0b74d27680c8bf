#include "app/ui/StartPanelWindow.h"

#include "app/ui/AboutDialog.h"
#include "shell/PortChoices.h"
#include "shell/UartCfg.h"
#include "archive/ui/MonthlyArchiveDialog.h"
#include "archive/ui/ArchiveWindow.h"
#include "config/ConfigFile.h"
#include "config/InterfaceWrite.h"
#include "config/StandardConfig.h"
#include "config/ui/AlarmsPage.h"
#include "config/ui/AnalogOutputPage.h"
#include "config/ui/CharacteristicPage.h"
#include "config/ui/SystemPage.h"
#include "config/ui/BulkTransferDialog.h"
#include "config/ui/InterfacePage.h"
#include "config/ui/DevicesPage.h"
#include "config/ui/DisplayPage.h"
#include "automat/ui/SchedulerWindow.h"
#include "chart/ui/ChartWindow.h"
#include "db/ui/DatabaseWindow.h"
#include "monitor/ui/MonitorWindow.h"

#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QFormLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QGuiApplication>
#include <QTimer>
#include <QVBoxLayout>

namespace k71t {

StartPanelWindow::StartPanelWindow(AppContext &context, AppWindows &windows, QWidget *parent)
    : QWidget(parent), ctx_(context), windows_(windows)
{
    setObjectName(QStringLiteral("StartPanelWindow"));
    setWindowTitle(QStringLiteral("K71T"));
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);

    auto *settings = new QFormLayout;
    ComboBox1 = new QComboBox(this);
    ComboBox1->setObjectName(QStringLiteral("ComboBox1"));
    ComboBox2 = new QComboBox(this);
    ComboBox2->setObjectName(QStringLiteral("ComboBox2"));
    Edit1 = new QLineEdit(this);
    Edit1->setObjectName(QStringLiteral("Edit1"));
    ComboBox3 = new QComboBox(this);
    ComboBox3->setObjectName(QStringLiteral("ComboBox3"));
    settings->setHorizontalSpacing(12);
    settings->setLabelAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    settings->addRow(QStringLiteral("Port"), ComboBox1);
    settings->addRow(QStringLiteral("Tryb"), ComboBox2);
    settings->addRow(QStringLiteral("Adres"), Edit1);
    settings->addRow(QStringLiteral("Prędkosć"), ComboBox3);

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(settings);
    layout->addSpacing(6);
    layout->setSpacing(1);

    SpeedButton4 = addButton("SpeedButton4", QStringLiteral("Wyświetlanie / Tryb pracy"));
    SpeedButton5 = addButton("SpeedButton5", QStringLiteral("Charakterystyka indywidualna"));
    SpeedButton7 = addButton("SpeedButton7", QStringLiteral("Wyjście analogowe"));
    SpeedButton6 = addButton("SpeedButton6", QStringLiteral("Alarmy"));
    SpeedButton8 = addButton("SpeedButton8", QStringLiteral("Parametry systemowe"));
    SpeedButton9 = addButton("SpeedButton9", QStringLiteral("Parametry połączenia"));
    SpeedButton14 = addButton("SpeedButton14", QStringLiteral("MySQL-konfiguracja połączenia"));
    SpeedButton3 = addButton("SpeedButton3", QStringLiteral("Konfiguracja odczytu z urządzeń / archiwizacji"));
    SpeedButton2 = addButton("SpeedButton2", QStringLiteral("Archiwum - Odczyt/Konwersja"));
    SpeedButton15 = addButton("SpeedButton15", QStringLiteral("Automatyczne pobieranie archiwum"));
    SpeedButton1 = addButton("SpeedButton1", QStringLiteral("Monitor - odczyt danych"));
    SpeedButton16 = addButton("SpeedButton16", QStringLiteral("Wykres - analiza danych"));
    SpeedButton10 = addButton("SpeedButton10", QStringLiteral("Odczytaj konfigurację z K71T"));
    SpeedButton11 = addButton("SpeedButton11", QStringLiteral("Zapisz konfigurację do K71T"));
    SpeedButton12 = addButton("SpeedButton12", QStringLiteral("Odczytaj konfigurację z pliku"));
    SpeedButton13 = addButton("SpeedButton13", QStringLiteral("Zapisz konfigurację do pliku"));
    SpeedButton18 = addButton("SpeedButton18", QStringLiteral("Utwórz archiwum miesięczne"));
    SpeedButton17 = addButton("SpeedButton17", QStringLiteral("O programie"));
    for (QPushButton *b : buttons_)
        layout->addWidget(b);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    // Windows not built yet stay visible but disabled.
    working_ = {SpeedButton4,  SpeedButton5,  SpeedButton7,  SpeedButton6,  SpeedButton8,
                SpeedButton9,  SpeedButton14, SpeedButton3,  SpeedButton2,  SpeedButton15, SpeedButton1,
                SpeedButton10, SpeedButton11, SpeedButton12, SpeedButton13, SpeedButton16, SpeedButton17,
                SpeedButton18};
    // Every window but the about box, the database settings, the task list,
    // the chart and the monthly archive talks to the meter or to the image
    // (a task waits while the link is busy).
    duringTransfer_ = working_;
    for (QPushButton *b : {SpeedButton17, SpeedButton14, SpeedButton15, SpeedButton16, SpeedButton18})
        duringTransfer_.removeOne(b);
    for (QPushButton *b : buttons_)
        b->setEnabled(working_.contains(b));
    connect(SpeedButton4, &QPushButton::clicked, this, &StartPanelWindow::SpeedButton4Click);
    connect(SpeedButton5, &QPushButton::clicked, this, &StartPanelWindow::SpeedButton5Click);
    connect(SpeedButton7, &QPushButton::clicked, this, &StartPanelWindow::SpeedButton7Click);
    connect(SpeedButton6, &QPushButton::clicked, this, &StartPanelWindow::SpeedButton6Click);
    connect(SpeedButton8, &QPushButton::clicked, this, &StartPanelWindow::SpeedButton8Click);
    connect(SpeedButton9, &QPushButton::clicked, this, &StartPanelWindow::SpeedButton9Click);
    connect(SpeedButton14, &QPushButton::clicked, this, &StartPanelWindow::SpeedButton14Click);
    connect(SpeedButton15, &QPushButton::clicked, this, &StartPanelWindow::SpeedButton15Click);
    connect(SpeedButton3, &QPushButton::clicked, this, &StartPanelWindow::SpeedButton3Click);
    // The archive button's handler carries the other button's number.
    connect(SpeedButton2, &QPushButton::clicked, this, &StartPanelWindow::SpeedButton1Click);
    // And the monitor's handler carries the archive button's number.
    connect(SpeedButton1, &QPushButton::clicked, this, &StartPanelWindow::SpeedButton2Click);
    connect(SpeedButton10, &QPushButton::clicked, this, &StartPanelWindow::SpeedButton10Click);
    connect(SpeedButton11, &QPushButton::clicked, this, &StartPanelWindow::SpeedButton11Click);
    connect(SpeedButton12, &QPushButton::clicked, this, &StartPanelWindow::SpeedButton12Click);
    connect(SpeedButton13, &QPushButton::clicked, this, &StartPanelWindow::SpeedButton13Click);
    connect(SpeedButton16, &QPushButton::clicked, this, &StartPanelWindow::SpeedButton16Click);
    connect(SpeedButton17, &QPushButton::clicked, this, &StartPanelWindow::SpeedButton17Click);
    connect(SpeedButton18, &QPushButton::clicked, this, &StartPanelWindow::SpeedButton18Click);

    connect(ComboBox1, &QComboBox::currentIndexChanged, this, &StartPanelWindow::ComboBox1Change);
    connect(ComboBox2, &QComboBox::currentIndexChanged, this, &StartPanelWindow::ComboBox2Change);
    connect(ComboBox3, &QComboBox::currentIndexChanged, this, &StartPanelWindow::ComboBox3Change);
    connect(Edit1, &QLineEdit::textChanged, this, &StartPanelWindow::Edit1Change);

    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setInterval(100);
    connect(Timer1, &QTimer::timeout, this, &StartPanelWindow::Timer1Timer);

    ctx_.followLine = [this](const PortSettings &settings, std::uint8_t address) { followLine(settings, address); };
    FormCreate();
    Timer1->start();
    // The panel is as large as its controls, no larger and no smaller.
    adjustSize();
    setFixedSize(size());
    if (const QScreen *screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
}

StartPanelWindow::~StartPanelWindow()
{
    ctx_.followLine = nullptr;
}

QPushButton *StartPanelWindow::addButton(const char *name, const QString &caption)
{
    auto *b = new QPushButton(caption, this);
    b->setObjectName(QString::fromLatin1(name));
    b->setFlat(true);
    // Flat, but the pointer and a press show on the button.
    b->setStyleSheet(QStringLiteral("QPushButton { text-align: left; padding: 5px 10px; border: 1px solid transparent; }"
                                    "QPushButton:hover:enabled { background: palette(midlight); border-color: palette(mid); }"
                                    "QPushButton:pressed { background: palette(mid); }"));
    b->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    b->setMinimumWidth(330);
    buttons_ << b;
    return b;
}

QList<QPushButton *> StartPanelWindow::buttonColumn() const
{
    return buttons_;
}

void StartPanelWindow::FormCreate()
{
    const QSignalBlocker b1(ComboBox1), b2(ComboBox2), b3(ComboBox3), b4(Edit1);
    for (int i = 0; i < PortCount; ++i)
        ComboBox1->addItem(PortMap::portName(i));
    loadStandardConfiguration(ctx_.image);
    ComboBox2->addItems(modeItems());
    ComboBox3->addItems(speedItems());
    Edit1->setText(QString::number(ctx_.meterAddress));
    for (const QString &w : ctx_.portMap.load(ctx_.AppDirectory))
        qWarning("%s", qUtf8Printable(w));
    for (int i = 0; i < PortCount; ++i)
        ComboBox1->setItemData(i, ctx_.portMap.path(i), Qt::ToolTipRole);
    LoadUartCfg();
    showPortSettings();
}

void StartPanelWindow::showPortSettings()
{
    const QSignalBlocker b1(ComboBox1), b2(ComboBox2), b3(ComboBox3);
    ComboBox1->setCurrentIndex(ctx_.portSettings.portIndex);
    ComboBox2->setCurrentIndex(positionForModeKind(ctx_.portSettings.modeKind));
    ComboBox3->setCurrentIndex(positionForSpeedIndex(ctx_.portSettings.speedIndex));
    ComboBox1->setToolTip(ctx_.portMap.path(ctx_.portSettings.portIndex));
}

void StartPanelWindow::ApplyPortSettings()
{
    if (ctx_.link.isOpen())
        ctx_.link.ClosePort();
    const auto address = parseMeterAddress(Edit1->text());
    if (!address) {
        ctx_.prompt.message(this, QStringLiteral("Błędnie podany adres"), QStringLiteral("Błąd"), PromptIcon::Error);
        return;
    }
    ctx_.image.reg16(4033) = static_cast<std::uint16_t>(*address);
    ctx_.meterAddress = static_cast<std::uint8_t>(*address);
    // The operator's choice becomes the port setting even if the port cannot
    // be opened now: later transactions retry that port, not the previous one.
    if (ComboBox1->currentIndex() >= 0)
        ctx_.portSettings.portIndex = static_cast<std::uint8_t>(ComboBox1->currentIndex());
    if (const int mode = modeKindForPosition(ComboBox2->currentIndex()); mode >= 0)
        ctx_.portSettings.modeKind = static_cast<std::uint8_t>(mode);
    if (const int speed = speedIndexForPosition(ComboBox3->currentIndex()); speed >= 0)
        ctx_.portSettings.speedIndex = static_cast<std::uint8_t>(speed);
    ComboBox1->setToolTip(ctx_.portMap.path(ctx_.portSettings.portIndex));
    ctx_.link.OpenPort(ctx_.portSettings.portIndex, ctx_.portSettings.modeKind, ctx_.portSettings.speedIndex);
}

bool StartPanelWindow::SaveUartCfg()
{
    return k71t::SaveUartCfg(ctx_.appFile(QStringLiteral("uart.cfg")), ctx_.portSettings);
}

bool StartPanelWindow::LoadUartCfg()
{
    return k71t::LoadUartCfg(ctx_.appFile(QStringLiteral("uart.cfg")), ctx_.portSettings);
}

void StartPanelWindow::ComboBox1Change() { ApplyPortSettings(); }
void StartPanelWindow::ComboBox2Change() { ApplyPortSettings(); }
void StartPanelWindow::ComboBox3Change() { ApplyPortSettings(); }
void StartPanelWindow::Edit1Change() { ApplyPortSettings(); }

void StartPanelWindow::SpeedButton1Click()
{
    showModal(windows_.archiveWindow);
}

void StartPanelWindow::SpeedButton2Click()
{
    if (windows_.monitorWindow)
        windows_.monitorWindow->start();
}

void StartPanelWindow::SpeedButton4Click()
{
    showModal(windows_.displayPage);
}

void StartPanelWindow::SpeedButton5Click()
{
    showModal(windows_.characteristicPage);
}

void StartPanelWindow::SpeedButton7Click()
{
    showModal(windows_.analogOutputPage);
}

void StartPanelWindow::SpeedButton6Click()
{
    showModal(windows_.alarmsPage);
}

void StartPanelWindow::SpeedButton8Click()
{
    showModal(windows_.systemPage);
}

void StartPanelWindow::SpeedButton9Click()
{
    showModal(windows_.interfacePage);
}

void StartPanelWindow::SpeedButton15Click()
{
    showModal(windows_.schedulerWindow);
}

void StartPanelWindow::SpeedButton14Click()
{
    showModal(windows_.databaseWindow);
}

void StartPanelWindow::SpeedButton3Click()
{
    showModal(windows_.devicesPage);
}

void StartPanelWindow::SpeedButton10Click()
{
    if (windows_.bulkTransferDialog)
        windows_.bulkTransferDialog->startRead();
}

void StartPanelWindow::SpeedButton11Click()
{
    if (!windows_.bulkTransferDialog)
        return;
    // Interface settings no interface has (a file from elsewhere) would be
    // found only after most of the configuration had gone to the meter.
    if (!interfaceSettingsValid(ctx_.image)) {
        ctx_.prompt.message(this,
                            QStringLiteral("Konfiguracja zawiera błędne parametry połączenia (prędkość, tryb lub "
                                           "adres). Zapis nie został rozpoczęty."),
                            QStringLiteral("Błąd"), PromptIcon::Error);
        return;
    }
    if (!ctx_.prompt.ask(this, QStringLiteral("Zapis spowoduje usunięcie danych archiwlanych z pamięci wewnętrznej. Kontynuować"),
                         QStringLiteral("Archiwum")))
        return;
    windows_.bulkTransferDialog->startWrite();
}

void StartPanelWindow::bulkTransferRunning(bool running)
{
    for (QPushButton *b : duringTransfer_)
        b->setEnabled(!running);
    // A change of port or address between two steps would send the rest of
    // the configuration (and the address 4033) elsewhere.
    for (QWidget *w : std::initializer_list<QWidget *>{ComboBox1, ComboBox2, Edit1, ComboBox3})
        w->setEnabled(!running);
}

void StartPanelWindow::showModal(QDialog *window)
{
    if (window)
        ctx_.prompt.showModal(window);
}

bool StartPanelWindow::loadConfiguration(const QString &path)
{
    switch (LoadConfigFile(path, ctx_.image)) {
    case ConfigLoad::Loaded: return true;
    case ConfigLoad::Missing:
        ctx_.prompt.message(this, QStringLiteral("Brak ostatniej konfiguracji. Załadowano konfigurację standardową."),
                            QStringLiteral("Informacja"), PromptIcon::Information);
        return false;
    case ConfigLoad::Invalid: return false;
    }
    return false;
}

void StartPanelWindow::SpeedButton12Click()
{
    const QString file = ctx_.prompt.openFileName(this, configFileFilter(), ctx_.AppDirectory);
    if (file.isEmpty())
        return;
    if (!loadConfiguration(file)) {
        ctx_.prompt.message(this, QStringLiteral("Błąd podczas odczytu plik. Niewłaściwy format lub plik uszkodzony."),
                            QStringLiteral("Błąd"), PromptIcon::Information);
        return;
    }
    windows_.refreshPages();
}

void StartPanelWindow::SpeedButton13Click()
{
    const QString file = ctx_.prompt.saveFileName(this, configFileFilter(), ctx_.AppDirectory);
    if (file.isEmpty())
        return;
    // The operator chose this file and must know when it was not written, and why.
    QString error;
    if (SaveConfigFile(file, ctx_.image, &error).isEmpty())
        ctx_.prompt.message(this,
                            QStringLiteral("Błąd podczas zapisu pliku %1 (%2). Konfiguracja nie została zapisana.")
                                .arg(configFileName(file), error),
                            QStringLiteral("Błąd"), PromptIcon::Error);
}

void StartPanelWindow::SpeedButton16Click()
{
    // The chart does not block the panel: it stays open beside the others.
    if (!windows_.chartWindow)
        return;
    windows_.chartWindow->show();
    windows_.chartWindow->raise();
    windows_.chartWindow->activateWindow();
}

void StartPanelWindow::SpeedButton18Click()
{
    // Created anew each time, so it starts with no folders chosen; it works
    // on files only.
    MonthlyArchiveDialog dialog(ctx_, this);
    ctx_.prompt.showModal(&dialog);
}

void StartPanelWindow::SpeedButton17Click()
{
    showModal(windows_.aboutDialog);
}

void StartPanelWindow::Timer1Timer()
{
    Timer1->stop();
    lastConfigurationRead_ = true;
    if (!loadConfiguration(ctx_.appFile(QStringLiteral("def.k71t"))))
        return;
    windows_.refreshPages();
    setAddressFromImage();
}

void StartPanelWindow::setAddressFromImage()
{
    // A changed text applies the port settings as an operator's edit would,
    // with "Błędnie podany adres" for an address outside 1 .. 247.
    const int address = ctx_.image.reg16(4033);
    Edit1->setText(QString::number(address));
    // Such an address never becomes the meter address: 0 would make every
    // write a broadcast and 300 would write to meter 44.
    if (address >= 1 && address <= 247)
        ctx_.meterAddress = static_cast<std::uint8_t>(address);
}

void StartPanelWindow::followLine(const PortSettings &settings, std::uint8_t address)
{
    // A setting the lists cannot show (2400 baud from uart.cfg) is kept all the same.
    ctx_.portSettings.modeKind = settings.modeKind;
    ctx_.portSettings.speedIndex = settings.speedIndex;
    {
        const QSignalBlocker b2(ComboBox2), b3(ComboBox3), b4(Edit1);
        ComboBox2->setCurrentIndex(positionForModeKind(settings.modeKind));
        ComboBox3->setCurrentIndex(positionForSpeedIndex(settings.speedIndex));
        Edit1->setText(QString::number(address));
    }
    ApplyPortSettings();
}

void StartPanelWindow::FormClose()
{
    // Closed before def.k71t was even read (a signal at start-up): the image
    // holds the standard configuration, which must not replace the file.
    if (lastConfigurationRead_)
        SaveConfigFile(ctx_.appFile(QStringLiteral("def.k71t")), ctx_.image);
    SaveUartCfg();
}

void StartPanelWindow::closeEvent(QCloseEvent *event)
{
    FormClose();
    event->accept();
    QCoreApplication::quit();
}

} // namespace k71t
