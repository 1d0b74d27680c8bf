#include "config/ui/DevicesPage.h"

#include "config/RegisterMap.h"
#include "config/StandardConfig.h"
#include "link/LineCodes.h"
#include "widgets/Widgets.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStatusBar>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <bit>

namespace k71t {

namespace {

constexpr int DeviceTable = 4300;
constexpr int RecordWords = 8;
constexpr int Thresholds = 7664;

enum RecordField { Address, BaseRegister, RegisterCount, RegisterType, PollingPeriod, Archived, ArchivingPeriod, Kind };

} // namespace

DevicesPage::DevicesPage(AppContext &context, QWidget *parent)
    : ConfigPage(context, Owner::Devices, parent, [] {
          PageTexts t;
          t.writing = QStringLiteral("Zapis danych...");
          t.writeOk = QStringLiteral("Zapis danych...OK");
          t.writeFailed = QStringLiteral("Zapis zakończony błędem");
          return t;
      }())
{
    setObjectName(QStringLiteral("DevicesPage"));
    setWindowTitle(QStringLiteral("Urządzenia dołączone"));

    buildDeviceTree();
    QGroupBox *transmissionGroup = buildTransmissionGroup();
    QGroupBox *deviceGroup = buildDeviceGroup();
    defaultsButton = named(new QPushButton(QStringLiteral("Wypełnij parametrami domyślnymi"), this), "defaultsButton");
    // Its text keeps clear of the border.
    defaultsButton->setMinimumWidth(defaultsButton->fontMetrics().horizontalAdvance(defaultsButton->text()) + 32);

    auto *right = new QVBoxLayout;
    right->addWidget(transmissionGroup);
    right->addWidget(deviceGroup);
    auto *top = new QHBoxLayout;
    top->addWidget(deviceTree);
    top->addLayout(right);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(top);
    finishPage(layout, QStringLiteral("Zapisz Konfigurację"), {defaultsButton});
    describeFields();

    connect(deviceTree, &QTreeWidget::currentItemChanged, this, &DevicesPage::onDeviceChosen);
    connect(speedList, &QComboBox::activated, this, &DevicesPage::onSpeedChosen);
    connect(modeList, &QComboBox::activated, this, &DevicesPage::onModeChosen);
    connect(defaultsButton, &QPushButton::clicked, this, &DevicesPage::onDefaultsClicked);
    fillLists();
}

void DevicesPage::buildDeviceTree()
{
    deviceTree = named(new QTreeWidget(this), "deviceTree");
    deviceTree->setHeaderLabel(QStringLiteral("Wybierz urządzenie "));
    deviceTree->setRootIsDecorated(false);
    deviceTree->setFixedWidth(200);
    for (int d = 0; d < 10; ++d)
        new QTreeWidgetItem(deviceTree, {QStringLiteral("DEV %1 - Urządzenie %2").arg(d).arg(d + 1)});
}

QGroupBox *DevicesPage::buildTransmissionGroup()
{
    auto *group = named(new QGroupBox(QStringLiteral("Parametry transmisji"), this), "transmissionGroup");
    speedList = named(new QComboBox(group), "speedList");
    modeList = named(new QComboBox(group), "modeList");
    timeoutEdit = named(new QLineEdit(group), "timeoutEdit");
    auto *timeout = new QHBoxLayout;
    timeout->addWidget(timeoutEdit);
    timeout->addWidget(new QLabel(QStringLiteral("[ms]"), group));
    auto *form = new QFormLayout(group);
    form->addRow(QStringLiteral("Prędkość"), speedList);
    form->addRow(QStringLiteral("Tryb transmisji"), modeList);
    form->addRow(QStringLiteral("Czas oczekiwania na odpowiedź"), timeout);
    return group;
}

QGroupBox *DevicesPage::buildDeviceGroup()
{
    auto *group = named(new QGroupBox(QStringLiteral("Konfiguracja odczytu i archiwizacji"), this), "deviceGroup");
    deviceAddressEdit = named(new QLineEdit(group), "deviceAddressEdit");
    baseRegisterEdit = named(new QLineEdit(group), "baseRegisterEdit");
    registerCountEdit = named(new QLineEdit(group), "registerCountEdit");
    registerTypeList = named(new QComboBox(group), "registerTypeList");
    pollingPeriodEdit = named(new QLineEdit(group), "pollingPeriodEdit");
    auto *archivedGroup = named(new QGroupBox(QStringLiteral("Rejestry archiwizowane"), group), "archivedGroup");
    auto *archivedGrid = new QGridLayout(archivedGroup);
    for (int r = 0; r < 10; ++r) {
        QCheckBox *&check = archivedChecks[static_cast<std::size_t>(r)];
        check = new QCheckBox(QStringLiteral("R%1").arg(r), archivedGroup);
        check->setObjectName(QStringLiteral("archivedCheckR%1").arg(r));
        archivedGrid->addWidget(check, r / 5, r % 5);
    }
    archivingPeriodEdit = named(new QLineEdit(group), "archivingPeriodEdit");
    archivingKindList = named(new QComboBox(group), "archivingKindList");
    lowThresholdEdit = named(new QLineEdit(group), "lowThresholdEdit");
    lowThresholdEdit->setToolTip(QStringLiteral("Dolny próg dla archiwizacji warunkowej."));
    highThresholdEdit = named(new QLineEdit(group), "highThresholdEdit");
    highThresholdEdit->setToolTip(QStringLiteral("Rórny próg dla archiwizacji warunkowej."));
    auto *form = new QFormLayout(group);
    form->addRow(QStringLiteral("Adres w sieci"), deviceAddressEdit);
    form->addRow(QStringLiteral("Rejestr bazowy"), baseRegisterEdit);
    form->addRow(QStringLiteral("Liczba rejestrów"), registerCountEdit);
    form->addRow(QStringLiteral("Typ rejestrów"), registerTypeList);
    form->addRow(QStringLiteral("Okres odpytywania"), pollingPeriodEdit);
    form->addRow(archivedGroup);
    form->addRow(QStringLiteral("Okres Archiwizacji [s*10]"), archivingPeriodEdit);
    form->addRow(QStringLiteral("Rodzaj archiwizacji"), archivingKindList);
    form->addRow(QStringLiteral("Próg dolny"), lowThresholdEdit);
    form->addRow(QStringLiteral("Próg górny"), highThresholdEdit);
    return group;
}

void DevicesPage::describeFields()
{
    transmission_.list(speedList, fixed(4035));
    transmission_.list(modeList, fixed(4036));
    transmission_.edit(timeoutEdit, fixed(4037), QStringLiteral("Błędnie podany czas oczekiwania na odpowiedź"));
    // The fields of the current device, in the order taking them checks them.
    const auto field = [this](int offset) {
        return [this, offset] { return DeviceTable + RecordWords * std::max<int>(current_, 0) + offset; };
    };
    const auto threshold = [this](int which) {
        return [this, which] { return Thresholds + 2 * std::max<int>(current_, 0) + which; };
    };
    device_.edit(deviceAddressEdit, field(Address), QStringLiteral("Błędnie podany adres"));
    device_.edit(baseRegisterEdit, field(BaseRegister), QStringLiteral("Błędnie podany rejestr bazowy"));
    device_.edit(registerCountEdit, field(RegisterCount), QStringLiteral("Błędnie podana liczba rejestrow"));
    device_.edit(pollingPeriodEdit, field(PollingPeriod), QStringLiteral("Błędnie podany okres odpytywania"));
    device_.edit(archivingPeriodEdit, field(ArchivingPeriod), QStringLiteral("Błędnie podany okres archiwizacji"));
    device_.edit(lowThresholdEdit, threshold(0), QStringLiteral("Błędnie podany dolny próg archiwizacji warunkowej"));
    device_.edit(highThresholdEdit, threshold(1), QStringLiteral("Błędnie podany górny próg archiwizacji warunkowej"));
    device_.list(registerTypeList, field(RegisterType));
    device_.list(archivingKindList, field(Kind));
}

void DevicesPage::fillLists()
{
    speedList->addItems(meterBaudItems());
    modeList->addItems(meterModeItems(QStringLiteral("RTU ")));
    registerTypeList->addItems(registerTypeItems());
    archivingKindList->addItems(archivingKindItems());
    showFields(transmission_);
    showDevice(0);
    const QSignalBlocker block(deviceTree);
    deviceTree->setCurrentItem(deviceTree->topLevelItem(0));
    current_ = 0;
}

void DevicesPage::showDevice(int d)
{
    const std::int16_t shown = current_;
    current_ = static_cast<std::int16_t>(d);
    showFields(device_);
    const std::uint16_t bits = ctx_.image.reg16(DeviceTable + RecordWords * d + Archived);
    for (int r = 0; r < 10; ++r)
        archivedChecks[static_cast<std::size_t>(r)]->setChecked(bits & (1u << r));
    current_ = shown;
}

bool DevicesPage::takeDevice(int d)
{
    const std::int16_t shown = current_;
    current_ = static_cast<std::int16_t>(d);
    const bool ok = takeFields(device_, FieldGroup::Take::WhenAllPassed);
    current_ = shown;
    if (!ok)
        return false;
    std::uint16_t bits = 0;
    for (int r = 0; r < 10; ++r)
        if (archivedChecks[static_cast<std::size_t>(r)]->isChecked())
            bits |= static_cast<std::uint16_t>(1u << r);
    const int record = DeviceTable + RecordWords * d;
    ctx_.image.reg16(record + Archived) = bits;
    if (ctx_.image.reg16(record + RegisterCount) < std::popcount(bits))
        ctx_.prompt.inform(this, QStringLiteral("Wybrano archiwizację większej liczby rejestrów niż jest odczytywana"),
                           QStringLiteral("Informacja"));
    return true;
}

bool DevicesPage::takeTimeout()
{
    return takeFields(transmission_);
}

void DevicesPage::fillFromImage()
{
    showFields(transmission_);
    showDevice(std::max<int>(current_, 0));
}

void DevicesPage::refresh()
{
    if (current_ <= 0)
        current_ = 0;
    fillFromImage();
}

bool DevicesPage::takeIntoImage()
{
    return takeTimeout() && takeDevice(std::max<int>(current_, 0));
}

bool DevicesPage::checkBeforeWrite()
{
    // The current device's fields are checked before anything is asked or
    // sent (the question would erase the meter's archive for a configuration
    // not meant), but taken only once the operator has said OK.
    if (!takeTimeout())
        return false;
    const std::int16_t shown = current_;
    current_ = static_cast<std::int16_t>(std::max<int>(shown, 0));
    const bool ok = takeFields(device_, FieldGroup::Take::CheckOnly);
    current_ = shown;
    return ok;
}

void DevicesPage::onClosing()
{
    if (current_ >= 0)
        takeDevice(current_);
    takeTimeout();
}

bool DevicesPage::confirmWrite()
{
    // Asked first: Cancel leaves the device's edits out of the image.
    return ctx_.prompt.ask(this, QStringLiteral("Zapis spowoduje usunięcie danych archiwlanych z pamięci wewnętrznej. "
                                                "Kontynuować"),
                           QStringLiteral("Archiwum")) &&
           takeDevice(std::max<int>(current_, 0));
}

void DevicesPage::onDeviceChosen()
{
    const int next = deviceTree->indexOfTopLevelItem(deviceTree->currentItem());
    if (next < 0)
        return;
    // The edits of the device being left go into the image first; when a
    // field fails they are lost, and the move still happens.
    if (current_ >= 0 && current_ != next)
        takeDevice(current_);
    showDevice(next);
    current_ = static_cast<std::int16_t>(next);
}

void DevicesPage::onSpeedChosen()
{
    if (speedList->currentIndex() >= 0)
        ctx_.image.reg16(4035) = static_cast<std::uint16_t>(speedList->currentIndex());
}

void DevicesPage::onModeChosen()
{
    if (modeList->currentIndex() >= 0)
        ctx_.image.reg16(4036) = static_cast<std::uint16_t>(modeList->currentIndex());
}

void DevicesPage::onDefaultsClicked()
{
    loadStandardDeviceConfiguration(ctx_.image);
    fillFromImage();
}

} // namespace k71t
