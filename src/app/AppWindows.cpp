#include "app/AppWindows.h"

#include "app/ui/AboutDialog.h"
#include "app/ui/StartPanelWindow.h"
#include "archive/ui/ArchiveWindow.h"
#include "archive/ui/SourceAddressDialog.h"
#include "automat/ui/SchedulerWindow.h"
#include "chart/ui/ChartInfoWindow.h"
#include "chart/ui/DictionaryWindow.h"
#include "chart/ui/ChartTableWindow.h"
#include "chart/ui/ChartWindow.h"
#include "config/ui/AlarmsPage.h"
#include "config/ui/AnalogOutputPage.h"
#include "config/ui/CharacteristicPage.h"
#include "config/ui/SystemPage.h"
#include "config/ui/BulkTransferDialog.h"
#include "config/ui/InterfacePage.h"
#include "config/ui/DevicesPage.h"
#include "config/ui/DisplayPage.h"
#include "db/ui/DatabaseWindow.h"
#include "monitor/ui/MonitorWindow.h"
#include "monitor/ui/LiveValuesWindow.h"
#include "monitor/ui/RegisterChooserDialog.h"

namespace k71t {

AppWindows::AppWindows() = default;

AppWindows::~AppWindows()
{
    if (toldOfPorts_)
        toldOfPorts_->onPortChange = nullptr;
    while (!owned_.empty())
        owned_.pop_back();
}

template <typename T, typename... Args> T *AppWindows::make(Args &&...args)
{
    auto window = std::make_unique<T>(std::forward<Args>(args)...);
    T *raw = window.get();
    owned_.push_back(std::move(window));
    return raw;
}

void AppWindows::create(AppContext &context)
{
    startPanel = make<StartPanelWindow>(context, *this);
    archiveWindow = make<ArchiveWindow>(context, startPanel);
    monitorWindow = make<MonitorWindow>(context, startPanel);
    devicesPage = make<DevicesPage>(context, startPanel);
    displayPage = make<DisplayPage>(context, startPanel);
    characteristicPage = make<CharacteristicPage>(context, startPanel);
    analogOutputPage = make<AnalogOutputPage>(context, startPanel);
    alarmsPage = make<AlarmsPage>(context, startPanel);
    systemPage = make<SystemPage>(context, startPanel);
    interfacePage = make<InterfacePage>(context, startPanel);
    chartTableWindow = make<ChartTableWindow>(startPanel);
    bulkTransferDialog = make<BulkTransferDialog>(context, startPanel);
    liveValuesWindow = make<LiveValuesWindow>(startPanel);
    schedulerWindow = make<SchedulerWindow>(context, startPanel);
    chartWindow = make<ChartWindow>(context, *chartTableWindow, startPanel);
    chartInfoWindow = make<ChartInfoWindow>(startPanel);
    sourceAddressDialog = make<SourceAddressDialog>(context, startPanel);
    dictionaryWindow = make<DictionaryWindow>(context, *chartWindow, startPanel);
    chartWindow->setCompanions(chartInfoWindow, sourceAddressDialog, dictionaryWindow);
    registerChooserDialog = make<RegisterChooserDialog>(startPanel);
    monitorWindow->setCompanions(liveValuesWindow, registerChooserDialog);
    aboutDialog = make<AboutDialog>(startPanel);
    databaseWindow = make<DatabaseWindow>(context, startPanel);
    pages = {displayPage, characteristicPage, analogOutputPage, alarmsPage, systemPage, interfacePage, devicesPage};
    bulkTransferDialog->setRedraw([this] { refreshPages(true); });
    QObject::connect(bulkTransferDialog, &BulkTransferDialog::runningChanged, startPanel, &StartPanelWindow::onBulkTransferRunning);
    // A port lost and back again is told once each, in the task log (its
    // box and automat.log), whoever was using the link.
    toldOfPorts_ = &context.link;
    // The link worker tells it; the log is written on the windows' thread.
    context.link.onPortChange = [this](ModbusLink::PortChange, const QString &text) {
        schedulerWindow->log().line(text);
    };
}

void AppWindows::refreshPages(bool withMonitor) const
{
    for (ConfigPage *page : pages) {
        if (withMonitor && page == devicesPage)
            monitorWindow->redraw();
        page->refresh();
    }
}

} // namespace k71t
