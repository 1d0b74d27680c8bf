#include "config/ui/InterfacePage.h"

#include "widgets/Widgets.h"
#include "config/InterfaceWrite.h"
#include "config/RegisterMap.h"

#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace k71t {

InterfacePage::InterfacePage(AppContext &context, QWidget *parent)
    : ConfigPage(context, Owner::Interface, parent, [] {
          PageTexts t;
          t.reading = QStringLiteral("Odczyt parametrów transmisji...");
          t.readOk = QStringLiteral("Odczyt parametrów transmisji...OK");
          t.readFailed = QStringLiteral("Odczyt parametrów transmisji zakończony błędem.");
          t.readFailedBox.clear();
          t.writeRefused = QStringLiteral("Błędne parametry. Zmiana parametrów niemożliwa.");
          t.writing = QStringLiteral("Zapis parametrów transmisji...");
          t.writeOk = QStringLiteral("Zapis parametrów transmisji...OK");
          t.writeFailed = QStringLiteral("Zapis parametrów transmisji zakończony błędem.");
          t.writeFailedBox = QStringLiteral("Podczas zmiany parametrów wystapił błąd");
          return t;
      }())
{
    setObjectName(QStringLiteral("InterfacePage"));
    setWindowTitle(QStringLiteral("Parametry połączenia"));

    auto *additional = new QGroupBox(QStringLiteral("Interfejs dodatkowy"), this);
    Edit1 = named(new QLineEdit(additional), "Edit1");
    ComboBox1 = named(new QComboBox(additional), "ComboBox1");
    ComboBox2 = named(new QComboBox(additional), "ComboBox2");
    auto *a = new QFormLayout(additional);
    a->addRow(QStringLiteral("Adres"), Edit1);
    a->addRow(QStringLiteral("Tryb"), ComboBox1);
    a->addRow(QStringLiteral("Prędkość"), ComboBox2);

    auto *primary = new QGroupBox(QStringLiteral("Interfejs podstawowy"), this);
    Edit2 = named(new QLineEdit(primary), "Edit2");
    Edit2->setToolTip(QStringLiteral("Czas oczekiwania na odpowiedź z urządzenia podrzędnego"));
    ComboBox3 = named(new QComboBox(primary), "ComboBox3");
    ComboBox4 = named(new QComboBox(primary), "ComboBox4");
    auto *p = new QFormLayout(primary);
    p->addRow(QStringLiteral("TimeOut  [ms]"), Edit2);
    p->addRow(QStringLiteral("Tryb"), ComboBox3);
    p->addRow(QStringLiteral("Prędkość"), ComboBox4);

    // Take: the address, the timeout, then the four lists.
    describeEdit(Edit1, 4033, QStringLiteral("Błędnie podany adres"));
    describeEdit(Edit2, 4037, QStringLiteral("Błędnie podany czas oczekiwania na odpowiedź - TimeOut"));
    describeList(ComboBox1, 4032);
    describeList(ComboBox2, 4031);
    describeList(ComboBox3, 4036);
    describeList(ComboBox4, 4035);

    auto *groups = new QHBoxLayout;
    groups->addWidget(additional);
    groups->addWidget(primary);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(groups);
    finishPage(layout, QStringLiteral("Zapisz"), {}, QStringLiteral("Odczytaj"));
    FormCreate();
}

void InterfacePage::FormCreate()
{
    for (QComboBox *box : {ComboBox1, ComboBox3})
        box->addItems(interfaceModeItems());
    for (QComboBox *box : {ComboBox2, ComboBox4})
        box->addItems(interfaceSpeedItems());
    Show();
}

bool InterfacePage::Take()
{
    if (!ConfigPage::Take())
        return false;
    ctx_.image.reg16(4034) = 0;
    return true;
}

void InterfacePage::writePage()
{
    setStatus(texts().writing);
    if (!Take()) {
        setStatus(texts().writeRefused);
        return;
    }
    if (succeeded(writeInterface(ctx_, ctx_.followLine))) {
        setStatus(texts().writeOk);
        infoBox(QStringLiteral("Parametry transmisji zostały zmienione."), QStringLiteral("Uwaga"));
    } else {
        setStatus(texts().writeFailed);
        errorBox(texts().writeFailedBox);
    }
}

} // namespace k71t
