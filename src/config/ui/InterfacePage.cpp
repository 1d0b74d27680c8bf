#include "config/ui/InterfacePage.h"

#include "config/InterfaceWrite.h"
#include "config/RegisterMap.h"
#include "link/LineCodes.h"
#include "widgets/Widgets.h"

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
    additionalAddressEdit = named(new QLineEdit(additional), "additionalAddressEdit");
    additionalModeList = named(new QComboBox(additional), "additionalModeList");
    additionalSpeedList = named(new QComboBox(additional), "additionalSpeedList");
    auto *a = new QFormLayout(additional);
    a->addRow(QStringLiteral("Adres"), additionalAddressEdit);
    a->addRow(QStringLiteral("Tryb"), additionalModeList);
    a->addRow(QStringLiteral("Prędkość"), additionalSpeedList);

    auto *primary = new QGroupBox(QStringLiteral("Interfejs podstawowy"), this);
    primaryTimeoutEdit = named(new QLineEdit(primary), "primaryTimeoutEdit");
    primaryTimeoutEdit->setToolTip(QStringLiteral("Czas oczekiwania na odpowiedź z urządzenia podrzędnego"));
    primaryModeList = named(new QComboBox(primary), "primaryModeList");
    primarySpeedList = named(new QComboBox(primary), "primarySpeedList");
    auto *p = new QFormLayout(primary);
    p->addRow(QStringLiteral("TimeOut  [ms]"), primaryTimeoutEdit);
    p->addRow(QStringLiteral("Tryb"), primaryModeList);
    p->addRow(QStringLiteral("Prędkość"), primarySpeedList);

    // Taken in this order: the address, the timeout, then the four lists.
    describeEdit(additionalAddressEdit, 4033, QStringLiteral("Błędnie podany adres"));
    describeEdit(primaryTimeoutEdit, 4037, QStringLiteral("Błędnie podany czas oczekiwania na odpowiedź - TimeOut"));
    describeList(additionalModeList, 4032);
    describeList(additionalSpeedList, 4031);
    describeList(primaryModeList, 4036);
    describeList(primarySpeedList, 4035);

    auto *groups = new QHBoxLayout;
    groups->addWidget(additional);
    groups->addWidget(primary);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(groups);
    finishPage(layout, QStringLiteral("Zapisz"), {}, QStringLiteral("Odczytaj"));
    fillLists();
}

void InterfacePage::fillLists()
{
    for (QComboBox *box : {additionalModeList, primaryModeList})
        box->addItems(meterModeItems());
    for (QComboBox *box : {additionalSpeedList, primarySpeedList})
        box->addItems(meterSpeedItems());
    fillFromImage();
}

bool InterfacePage::takeIntoImage()
{
    if (!ConfigPage::takeIntoImage())
        return false;
    ctx_.image.reg16(4034) = 0;
    return true;
}

void InterfacePage::writePage()
{
    setStatus(texts().writing);
    if (!takeIntoImage()) {
        setStatus(texts().writeRefused);
        return;
    }
    if (onLink([this] { return succeeded(writeInterface(ctx_, ctx_.followLine)); })) {
        setStatus(texts().writeOk);
        infoBox(QStringLiteral("Parametry transmisji zostały zmienione."), QStringLiteral("Uwaga"));
    } else {
        setStatus(texts().writeFailed);
        errorBox(texts().writeFailedBox);
    }
}

} // namespace k71t
