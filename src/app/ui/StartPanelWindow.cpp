#include "app/ui/StartPanelWindow.h"

#include "app/ui/AboutDialog.h"
#include "archive/ui/ArchiveWindow.h"
#include "archive/ui/MonthlyArchiveDialog.h"
#include "automat/ui/SchedulerWindow.h"
#include "chart/ui/ChartWindow.h"
#include "config/ConfigFile.h"
#include "config/StandardConfig.h"
#include "config/ui/AlarmsPage.h"
#include "config/ui/AnalogOutputPage.h"
#include "config/ui/BulkTransferDialog.h"
#include "config/ui/CharacteristicPage.h"
#include "config/ui/DevicesPage.h"
#include "config/ui/DisplayPage.h"
#include "config/ui/InterfacePage.h"
#include "config/ui/SystemPage.h"
#include "db/ui/DatabaseWindow.h"
#include "link/LineCodes.h"
#include "monitor/ui/MonitorWindow.h"
#include "shell/PortChoices.h"
#include "shell/UartCfg.h"
#include "widgets/Widgets.h"

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

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(buildPortSettings());
    layout->addSpacing(6);
    layout->setSpacing(1);
    buildButtonColumn();
    for (QPushButton *b : buttons_)
        layout->addWidget(b);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    // Every window but the about box, the database settings, the task list,
    // the chart and the monthly archive talks to the meter or to the image
    // (a task waits while the link is busy).
    duringTransfer_ = buttons_;
    for (QPushButton *b : {aboutButton, databaseButton, schedulerButton, chartButton, monthlyArchiveButton})
        duringTransfer_.removeOne(b);

    startupTimer = named(new QTimer(this), "startupTimer");
    startupTimer->setInterval(100);
    connect(startupTimer, &QTimer::timeout, this, &StartPanelWindow::onStartupTimer);

    ctx_.followLine = [this](const PortSettings &settings, std::uint8_t address) { followLine(settings, address); };
    for (Worker *worker : {&ctx_.linkWorker, &ctx_.databaseWorker})
        connect(worker, &Worker::idle, this, [this] {
            if (closeWhenIdle_ && !ctx_.workInHand())
                close();
        });
    initialise();
    startupTimer->start();
    // The panel is as large as its controls, no larger and no smaller.
    adjustSize();
    setFixedSize(size());
    if (const QScreen *screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
}

QFormLayout *StartPanelWindow::buildPortSettings()
{
    portList = named(new QComboBox(this), "portList");
    modeList = named(new QComboBox(this), "modeList");
    addressEdit = named(new QLineEdit(this), "addressEdit");
    speedList = named(new QComboBox(this), "speedList");
    auto *settings = new QFormLayout;
    settings->setHorizontalSpacing(12);
    settings->setLabelAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    settings->addRow(QStringLiteral("Port"), portList);
    settings->addRow(QStringLiteral("Tryb"), modeList);
    settings->addRow(QStringLiteral("Adres"), addressEdit);
    settings->addRow(QStringLiteral("Prędkosć"), speedList);
    connect(portList, &QComboBox::currentIndexChanged, this, &StartPanelWindow::onPortChanged);
    connect(modeList, &QComboBox::currentIndexChanged, this, &StartPanelWindow::onModeChanged);
    connect(speedList, &QComboBox::currentIndexChanged, this, &StartPanelWindow::onSpeedChanged);
    connect(addressEdit, &QLineEdit::textChanged, this, &StartPanelWindow::onAddressChanged);
    return settings;
}

void StartPanelWindow::buildButtonColumn()
{
    using W = StartPanelWindow;
    displayButton = addButton("displayButton", QStringLiteral("Wyświetlanie / Tryb pracy"), &W::onDisplayClicked);
    characteristicButton =
        addButton("characteristicButton", QStringLiteral("Charakterystyka indywidualna"), &W::onCharacteristicClicked);
    analogOutputButton = addButton("analogOutputButton", QStringLiteral("Wyjście analogowe"), &W::onAnalogOutputClicked);
    alarmsButton = addButton("alarmsButton", QStringLiteral("Alarmy"), &W::onAlarmsClicked);
    systemButton = addButton("systemButton", QStringLiteral("Parametry systemowe"), &W::onSystemClicked);
    interfaceButton = addButton("interfaceButton", QStringLiteral("Parametry połączenia"), &W::onInterfaceClicked);
    databaseButton = addButton("databaseButton", QStringLiteral("MySQL-konfiguracja połączenia"), &W::onDatabaseClicked);
    devicesButton = addButton("devicesButton", QStringLiteral("Konfiguracja odczytu z urządzeń / archiwizacji"),
                              &W::onDevicesClicked);
    archiveButton = addButton("archiveButton", QStringLiteral("Archiwum - Odczyt/Konwersja"), &W::onArchiveClicked);
    schedulerButton =
        addButton("schedulerButton", QStringLiteral("Automatyczne pobieranie archiwum"), &W::onSchedulerClicked);
    monitorButton = addButton("monitorButton", QStringLiteral("Monitor - odczyt danych"), &W::onMonitorClicked);
    chartButton = addButton("chartButton", QStringLiteral("Wykres - analiza danych"), &W::onChartClicked);
    bulkReadButton = addButton("bulkReadButton", QStringLiteral("Odczytaj konfigurację z K71T"), &W::onBulkReadClicked);
    bulkWriteButton = addButton("bulkWriteButton", QStringLiteral("Zapisz konfigurację do K71T"), &W::onBulkWriteClicked);
    openConfigurationButton = addButton("openConfigurationButton", QStringLiteral("Odczytaj konfigurację z pliku"),
                                        &W::onOpenConfigurationClicked);
    saveConfigurationButton = addButton("saveConfigurationButton", QStringLiteral("Zapisz konfigurację do pliku"),
                                        &W::onSaveConfigurationClicked);
    monthlyArchiveButton =
        addButton("monthlyArchiveButton", QStringLiteral("Utwórz archiwum miesięczne"), &W::onMonthlyArchiveClicked);
    aboutButton = addButton("aboutButton", QStringLiteral("O programie"), &W::onAboutClicked);
}

StartPanelWindow::~StartPanelWindow()
{
    ctx_.followLine = nullptr;
}

QPushButton *StartPanelWindow::addButton(const char *name, const QString &caption, void (StartPanelWindow::*onClicked)())
{
    auto *b = named(new QPushButton(caption, this), name);
    b->setFlat(true);
    // Flat, but the pointer and a press show on the button.
    b->setStyleSheet(QStringLiteral("QPushButton { text-align: left; padding: 5px 10px; border: 1px solid transparent; }"
                                    "QPushButton:hover:enabled { background: palette(midlight); border-color: palette(mid); }"
                                    "QPushButton:pressed { background: palette(mid); }"));
    b->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    b->setMinimumWidth(330);
    connect(b, &QPushButton::clicked, this, onClicked);
    buttons_ << b;
    return b;
}

QList<QPushButton *> StartPanelWindow::buttonColumn() const
{
    return buttons_;
}

void StartPanelWindow::initialise()
{
    const QSignalBlocker b1(portList), b2(modeList), b3(speedList), b4(addressEdit);
    for (int i = 0; i < PortCount; ++i)
        portList->addItem(PortMap::portName(i));
    loadStandardConfiguration(ctx_.image);
    modeList->addItems(meterModeItems());
    speedList->addItems(meterSpeedItems());
    addressEdit->setText(QString::number(ctx_.meterAddress));
    for (const QString &w : ctx_.portMap.load(ctx_.appDirectory))
        qWarning("%s", qUtf8Printable(w));
    for (int i = 0; i < PortCount; ++i)
        portList->setItemData(i, ctx_.portMap.path(i), Qt::ToolTipRole);
    loadUartCfg();
    showPortSettings();
}

// The mode and speed lists show the meter's codes in their order: a
// position is a code.
void StartPanelWindow::showPortSettings()
{
    const QSignalBlocker b1(portList), b2(modeList), b3(speedList);
    portList->setCurrentIndex(ctx_.portSettings.portIndex);
    modeList->setCurrentIndex(meterCodeForModeKind(ctx_.portSettings.modeKind));
    speedList->setCurrentIndex(meterCodeForSpeedIndex(ctx_.portSettings.speedIndex));
    portList->setToolTip(ctx_.portMap.path(ctx_.portSettings.portIndex));
}

void StartPanelWindow::applyPortSettings()
{
    // The port belongs to the link worker: it closes and opens it, after
    // any exchange in hand.
    ctx_.linkWorker.call([this] {
        if (ctx_.link.isOpen())
            ctx_.link.closePort();
    });
    const auto address = parseMeterAddress(addressEdit->text());
    if (!address) {
        ctx_.prompt.error(this, QStringLiteral("Błędnie podany adres"));
        return;
    }
    // The operator's choice becomes the port setting even if the port cannot
    // be opened now: later transactions retry that port, not the previous one.
    PortSettings chosen = ctx_.portSettings;
    if (portList->currentIndex() >= 0)
        chosen.portIndex = static_cast<std::uint8_t>(portList->currentIndex());
    if (const int mode = modeKindForMeterCode(modeList->currentIndex()); mode >= 0)
        chosen.modeKind = static_cast<std::uint8_t>(mode);
    if (const int speed = speedIndexForMeterCode(speedList->currentIndex()); speed >= 0)
        chosen.speedIndex = static_cast<std::uint8_t>(speed);
    portList->setToolTip(ctx_.portMap.path(chosen.portIndex));
    ctx_.linkWorker.call([this, chosen, address] { switchLine(chosen, static_cast<std::uint8_t>(*address)); });
}

void StartPanelWindow::switchLine(const PortSettings &settings, std::uint8_t address)
{
    if (ctx_.link.isOpen())
        ctx_.link.closePort();
    ctx_.image.reg16(4033) = address;
    ctx_.meterAddress = address;
    ctx_.portSettings = settings;
    ctx_.link.openPort(settings.portIndex, settings.modeKind, settings.speedIndex);
}

bool StartPanelWindow::saveUartCfg()
{
    return k71t::saveUartCfg(ctx_.appFile(QStringLiteral("uart.cfg")), ctx_.portSettings);
}

bool StartPanelWindow::loadUartCfg()
{
    return k71t::loadUartCfg(ctx_.appFile(QStringLiteral("uart.cfg")), ctx_.portSettings);
}

void StartPanelWindow::onPortChanged() { applyPortSettings(); }
void StartPanelWindow::onModeChanged() { applyPortSettings(); }
void StartPanelWindow::onSpeedChanged() { applyPortSettings(); }
void StartPanelWindow::onAddressChanged() { applyPortSettings(); }

void StartPanelWindow::onArchiveClicked()
{
    showModal(windows_.archiveWindow);
}

void StartPanelWindow::onMonitorClicked()
{
    if (windows_.monitorWindow)
        windows_.monitorWindow->start();
}

void StartPanelWindow::onDisplayClicked()
{
    showModal(windows_.displayPage);
}

void StartPanelWindow::onCharacteristicClicked()
{
    showModal(windows_.characteristicPage);
}

void StartPanelWindow::onAnalogOutputClicked()
{
    showModal(windows_.analogOutputPage);
}

void StartPanelWindow::onAlarmsClicked()
{
    showModal(windows_.alarmsPage);
}

void StartPanelWindow::onSystemClicked()
{
    showModal(windows_.systemPage);
}

void StartPanelWindow::onInterfaceClicked()
{
    showModal(windows_.interfacePage);
}

void StartPanelWindow::onSchedulerClicked()
{
    showModal(windows_.schedulerWindow);
}

void StartPanelWindow::onDatabaseClicked()
{
    showModal(windows_.databaseWindow);
}

void StartPanelWindow::onDevicesClicked()
{
    showModal(windows_.devicesPage);
}

void StartPanelWindow::onBulkReadClicked()
{
    if (windows_.bulkTransferDialog)
        windows_.bulkTransferDialog->startRead();
}

void StartPanelWindow::onBulkWriteClicked()
{
    if (!windows_.bulkTransferDialog)
        return;
    // Interface settings no interface has (a file from elsewhere) are told
    // before the question.
    if (windows_.bulkTransferDialog->transfer().refusal(BulkTransfer::Direction::Write) ==
        BulkTransfer::Refusal::InterfaceSettings) {
        ctx_.prompt.error(this, QStringLiteral("Konfiguracja zawiera błędne parametry połączenia (prędkość, tryb lub "
                                               "adres). Zapis nie został rozpoczęty."));
        return;
    }
    if (!ctx_.prompt.ask(this, QStringLiteral("Zapis spowoduje usunięcie danych archiwlanych z pamięci wewnętrznej. Kontynuować"),
                         QStringLiteral("Archiwum")))
        return;
    windows_.bulkTransferDialog->startWrite();
}

void StartPanelWindow::onBulkTransferRunning(bool running)
{
    for (QPushButton *b : duringTransfer_)
        b->setEnabled(!running);
    // A change of port or address between two steps would send the rest of
    // the configuration (and the address 4033) elsewhere.
    for (QWidget *w : std::initializer_list<QWidget *>{portList, modeList, addressEdit, speedList})
        w->setEnabled(!running);
}

void StartPanelWindow::showModal(QDialog *window)
{
    if (window)
        ctx_.prompt.showModal(window);
}

bool StartPanelWindow::loadConfiguration(const QString &path)
{
    switch (loadConfigFile(path, ctx_.image)) {
    case ConfigLoad::Loaded: return true;
    case ConfigLoad::Missing:
        ctx_.prompt.inform(this, QStringLiteral("Brak ostatniej konfiguracji. Załadowano konfigurację standardową."),
                           QStringLiteral("Informacja"));
        return false;
    case ConfigLoad::Invalid: return false;
    }
    return false;
}

void StartPanelWindow::onOpenConfigurationClicked()
{
    const QString file = ctx_.prompt.openFileName(this, configFileFilter(), ctx_.appDirectory);
    if (file.isEmpty())
        return;
    if (!loadConfiguration(file)) {
        ctx_.prompt.inform(this, QStringLiteral("Błąd podczas odczytu plik. Niewłaściwy format lub plik uszkodzony."),
                           QStringLiteral("Błąd"));
        return;
    }
    windows_.refreshPages();
}

void StartPanelWindow::onSaveConfigurationClicked()
{
    const QString file = ctx_.prompt.saveFileName(this, configFileFilter(), ctx_.appDirectory);
    if (file.isEmpty())
        return;
    // The operator chose this file and must know when it was not written, and why.
    QString error;
    if (saveConfigFile(file, ctx_.image, &error).isEmpty())
        ctx_.prompt.error(this, QStringLiteral("Błąd podczas zapisu pliku %1 (%2). Konfiguracja nie została zapisana.")
                                    .arg(configFileName(file), error));
}

void StartPanelWindow::onChartClicked()
{
    // The chart does not block the panel: it stays open beside the others.
    if (!windows_.chartWindow)
        return;
    windows_.chartWindow->show();
    windows_.chartWindow->raise();
    windows_.chartWindow->activateWindow();
}

void StartPanelWindow::onMonthlyArchiveClicked()
{
    // Created anew each time, so it starts with no folders chosen; it works
    // on files only.
    MonthlyArchiveDialog dialog(ctx_, this);
    ctx_.prompt.showModal(&dialog);
}

void StartPanelWindow::onAboutClicked()
{
    showModal(windows_.aboutDialog);
}

void StartPanelWindow::onStartupTimer()
{
    startupTimer->stop();
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
    addressEdit->setText(QString::number(address));
    // Such an address never becomes the meter address: 0 would make every
    // write a broadcast and 300 would write to meter 44.
    if (address >= 1 && address <= 247)
        ctx_.meterAddress = static_cast<std::uint8_t>(address);
}

void StartPanelWindow::followLine(const PortSettings &settings, std::uint8_t address)
{
    // Told on the link worker in the middle of an interface change: the link
    // follows at once, and the lists show the change before it goes on. A
    // setting the lists cannot show (2400 baud from uart.cfg) is kept all
    // the same.
    PortSettings next = ctx_.portSettings;
    next.modeKind = settings.modeKind;
    next.speedIndex = settings.speedIndex;
    ctx_.linkWorker.call([&] { switchLine(next, address); });
    Worker::onThreadOf(this, [&] {
        const QSignalBlocker b2(modeList), b3(speedList), b4(addressEdit);
        modeList->setCurrentIndex(meterCodeForModeKind(settings.modeKind));
        speedList->setCurrentIndex(meterCodeForSpeedIndex(settings.speedIndex));
        addressEdit->setText(QString::number(address));
    });
}

void StartPanelWindow::saveOnClose()
{
    // Closed before def.k71t was even read (a signal at start-up): the image
    // holds the standard configuration, which must not replace the file.
    if (lastConfigurationRead_)
        saveConfigFile(ctx_.appFile(QStringLiteral("def.k71t")), ctx_.image);
    saveUartCfg();
}

void StartPanelWindow::closeEvent(QCloseEvent *event)
{
    // Work on the link or the database in hand (a scheduled download, a
    // chart load): stopped safely first when the operator agrees, and the
    // program closes once it has.
    if (ctx_.workInHand()) {
        event->ignore();
        if (closeWhenIdle_)
            return;
        if (ctx_.prompt.message(this,
                                QStringLiteral("Trwa komunikacja z K71T lub z bazą danych. Przerwać ją i zamknąć "
                                               "program?"),
                                QStringLiteral("Uwaga"), PromptIcon::Question,
                                PromptButtons::OkCancel) != PromptAnswer::Ok)
            return;
        if (ctx_.workInHand()) {
            closeWhenIdle_ = true;
            ctx_.stopWork();
            return;
        }
    }
    saveOnClose();
    event->accept();
    QCoreApplication::quit();
}

} // namespace k71t
