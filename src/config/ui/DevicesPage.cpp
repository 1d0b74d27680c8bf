#include "config/ui/DevicesPage.h"

#include "widgets/Widgets.h"
#include "config/RegisterMap.h"
#include "config/StandardConfig.h"

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

    TreeView1 = named(new QTreeWidget(this), "TreeView1");
    TreeView1->setHeaderLabel(QStringLiteral("Wybierz urządzenie "));
    TreeView1->setRootIsDecorated(false);
    TreeView1->setFixedWidth(200);
    for (int d = 0; d < 10; ++d)
        new QTreeWidgetItem(TreeView1, {QStringLiteral("DEV %1 - Urządzenie %2").arg(d).arg(d + 1)});

    auto *transmissionGroup = named(new QGroupBox(QStringLiteral("Parametry transmisji"), this), "GroupBox1");
    ComboBox1 = named(new QComboBox(transmissionGroup), "ComboBox1");
    ComboBox2 = named(new QComboBox(transmissionGroup), "ComboBox2");
    Edit1 = named(new QLineEdit(transmissionGroup), "Edit1");
    auto *timeout = new QHBoxLayout;
    timeout->addWidget(Edit1);
    timeout->addWidget(new QLabel(QStringLiteral("[ms]"), transmissionGroup));
    auto *transmissionForm = new QFormLayout(transmissionGroup);
    transmissionForm->addRow(QStringLiteral("Prędkość"), ComboBox1);
    transmissionForm->addRow(QStringLiteral("Tryb transmisji"), ComboBox2);
    transmissionForm->addRow(QStringLiteral("Czas oczekiwania na odpowiedź"), timeout);

    auto *deviceGroup =
        named(new QGroupBox(QStringLiteral("Konfiguracja odczytu i archiwizacji"), this), "GroupBox2");
    Edit2 = named(new QLineEdit(deviceGroup), "Edit2");
    Edit3 = named(new QLineEdit(deviceGroup), "Edit3");
    Edit4 = named(new QLineEdit(deviceGroup), "Edit4");
    ComboBox3 = named(new QComboBox(deviceGroup), "ComboBox3");
    Edit5 = named(new QLineEdit(deviceGroup), "Edit5");
    auto *archivedGroup = named(new QGroupBox(QStringLiteral("Rejestry archiwizowane"), deviceGroup), "GroupBox3");
    auto *archivedGrid = new QGridLayout(archivedGroup);
    for (int r = 0; r < 10; ++r) {
        archived[static_cast<std::size_t>(r)] =
            named(new QCheckBox(QStringLiteral("R%1").arg(r), archivedGroup),
                  QStringLiteral("CheckBox%1").arg(r + 1).toLatin1().constData());
        archivedGrid->addWidget(archived[static_cast<std::size_t>(r)], r / 5, r % 5);
    }
    Edit6 = named(new QLineEdit(deviceGroup), "Edit6");
    ComboBox4 = named(new QComboBox(deviceGroup), "ComboBox4");
    Edit7 = named(new QLineEdit(deviceGroup), "Edit7");
    Edit7->setToolTip(QStringLiteral("Dolny próg dla archiwizacji warunkowej."));
    Edit8 = named(new QLineEdit(deviceGroup), "Edit8");
    Edit8->setToolTip(QStringLiteral("Rórny próg dla archiwizacji warunkowej."));
    auto *deviceForm = new QFormLayout(deviceGroup);
    deviceForm->addRow(QStringLiteral("Adres w sieci"), Edit2);
    deviceForm->addRow(QStringLiteral("Rejestr bazowy"), Edit3);
    deviceForm->addRow(QStringLiteral("Liczba rejestrów"), Edit4);
    deviceForm->addRow(QStringLiteral("Typ rejestrów"), ComboBox3);
    deviceForm->addRow(QStringLiteral("Okres odpytywania"), Edit5);
    deviceForm->addRow(archivedGroup);
    deviceForm->addRow(QStringLiteral("Okres Archiwizacji [s*10]"), Edit6);
    deviceForm->addRow(QStringLiteral("Rodzaj archiwizacji"), ComboBox4);
    deviceForm->addRow(QStringLiteral("Próg dolny"), Edit7);
    deviceForm->addRow(QStringLiteral("Próg górny"), Edit8);

    SpeedButton4 = named(new QPushButton(QStringLiteral("Wypełnij parametrami domyślnymi"), this), "SpeedButton4");

    auto *right = new QVBoxLayout;
    right->addWidget(transmissionGroup);
    right->addWidget(deviceGroup);
    auto *top = new QHBoxLayout;
    top->addWidget(TreeView1);
    top->addLayout(right);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(top);
    finishPage(layout, QStringLiteral("Zapisz Konfigurację"), {SpeedButton4});

    transmission_.list(ComboBox1, fixed(4035));
    transmission_.list(ComboBox2, fixed(4036));
    transmission_.edit(Edit1, fixed(4037), QStringLiteral("Błędnie podany czas oczekiwania na odpowiedź"));
    // The fields of the current device, in the order Take checks them.
    const auto field = [this](int offset) {
        return [this, offset] { return DeviceTable + RecordWords * std::max<int>(current_, 0) + offset; };
    };
    const auto threshold = [this](int which) {
        return [this, which] { return Thresholds + 2 * std::max<int>(current_, 0) + which; };
    };
    device_.edit(Edit2, field(Address), QStringLiteral("Błędnie podany adres"));
    device_.edit(Edit3, field(BaseRegister), QStringLiteral("Błędnie podany rejestr bazowy"));
    device_.edit(Edit4, field(RegisterCount), QStringLiteral("Błędnie podana liczba rejestrow"));
    device_.edit(Edit5, field(PollingPeriod), QStringLiteral("Błędnie podany okres odpytywania"));
    device_.edit(Edit6, field(ArchivingPeriod), QStringLiteral("Błędnie podany okres archiwizacji"));
    device_.edit(Edit7, threshold(0), QStringLiteral("Błędnie podany dolny próg archiwizacji warunkowej"));
    device_.edit(Edit8, threshold(1), QStringLiteral("Błędnie podany górny próg archiwizacji warunkowej"));
    device_.list(ComboBox3, field(RegisterType));
    device_.list(ComboBox4, field(Kind));

    connect(TreeView1, &QTreeWidget::currentItemChanged, this, &DevicesPage::TreeView1Change);
    connect(ComboBox1, &QComboBox::activated, this, &DevicesPage::ComboBox1Change);
    connect(ComboBox2, &QComboBox::activated, this, &DevicesPage::ComboBox2Change);
    connect(SpeedButton4, &QPushButton::clicked, this, &DevicesPage::SpeedButton4Click);
    FormCreate();
}

void DevicesPage::FormCreate()
{
    ComboBox1->addItems({"4800", "9600", "19200", "38400", "57600", "115200"});
    ComboBox2->addItems({"RTU 8N2", "RTU 8E1", "RTU 8O1", "RTU 8N1"});
    ComboBox3->addItems(registerTypeItems());
    ComboBox4->addItems(archivingKindItems());
    showFields(transmission_);
    ShowDevice(0);
    const QSignalBlocker block(TreeView1);
    TreeView1->setCurrentItem(TreeView1->topLevelItem(0));
    current_ = 0;
}

void DevicesPage::ShowDevice(int d)
{
    const std::int16_t shown = current_;
    current_ = static_cast<std::int16_t>(d);
    showFields(device_);
    const std::uint16_t bits = ctx_.image.reg16(DeviceTable + RecordWords * d + Archived);
    for (int r = 0; r < 10; ++r)
        archived[static_cast<std::size_t>(r)]->setChecked(bits & (1u << r));
    current_ = shown;
}

bool DevicesPage::TakeDevice(int d)
{
    const std::int16_t shown = current_;
    current_ = static_cast<std::int16_t>(d);
    const bool ok = takeFields(device_, FieldGroup::Take::WhenAllPassed);
    current_ = shown;
    if (!ok)
        return false;
    std::uint16_t bits = 0;
    for (int r = 0; r < 10; ++r)
        if (archived[static_cast<std::size_t>(r)]->isChecked())
            bits |= static_cast<std::uint16_t>(1u << r);
    const int record = DeviceTable + RecordWords * d;
    ctx_.image.reg16(record + Archived) = bits;
    if (ctx_.image.reg16(record + RegisterCount) < std::popcount(bits))
        ctx_.prompt.message(this, QStringLiteral("Wybrano archiwizację większej liczby rejestrów niż jest odczytywana"),
                            QStringLiteral("Informacja"), PromptIcon::Information);
    return true;
}

bool DevicesPage::TakeTimeout()
{
    return takeFields(transmission_);
}

void DevicesPage::Show()
{
    showFields(transmission_);
    ShowDevice(std::max<int>(current_, 0));
}

void DevicesPage::refresh()
{
    if (current_ <= 0)
        current_ = 0;
    Show();
}

bool DevicesPage::Take()
{
    // The current device before anything is asked or sent: the question
    // would erase the meter's archive for a configuration not meant.
    return TakeTimeout() && TakeDevice(std::max<int>(current_, 0));
}

void DevicesPage::FormClose()
{
    if (current_ >= 0)
        TakeDevice(current_);
    TakeTimeout();
}

bool DevicesPage::confirmWrite()
{
    return ctx_.prompt.ask(this, QStringLiteral("Zapis spowoduje usunięcie danych archiwlanych z pamięci wewnętrznej. "
                                                "Kontynuować"),
                           QStringLiteral("Archiwum"));
}

void DevicesPage::TreeView1Change()
{
    const int next = TreeView1->indexOfTopLevelItem(TreeView1->currentItem());
    if (next < 0)
        return;
    // The edits of the device being left go into the image first; when a
    // field fails they are lost, and the move still happens.
    if (current_ >= 0 && current_ != next)
        TakeDevice(current_);
    ShowDevice(next);
    current_ = static_cast<std::int16_t>(next);
}

void DevicesPage::ComboBox1Change()
{
    if (ComboBox1->currentIndex() >= 0)
        ctx_.image.reg16(4035) = static_cast<std::uint16_t>(ComboBox1->currentIndex());
}

void DevicesPage::ComboBox2Change()
{
    if (ComboBox2->currentIndex() >= 0)
        ctx_.image.reg16(4036) = static_cast<std::uint16_t>(ComboBox2->currentIndex());
}

void DevicesPage::SpeedButton4Click()
{
    loadStandardDeviceConfiguration(ctx_.image);
    Show();
}

} // namespace k71t
