#pragma once
// The windows created once at start-up, in the program's fixed order, owned
// here for the whole run. The program and the tests create them the same way.
#include <QList>
#include <memory>
#include <vector>

class QWidget;

namespace k71t {

struct AppContext;
class ConfigPage;
class ModbusLink;
class ArchiveWindow;
class DevicesPage;
class StartPanelWindow;
class MonitorWindow;
class RegisterChooserDialog;
class LiveValuesWindow;
class DisplayPage;
class CharacteristicPage;
class AnalogOutputPage;
class AlarmsPage;
class SystemPage;
class InterfacePage;
class BulkTransferDialog;
class SourceAddressDialog;
class AboutDialog;
class DatabaseWindow;
class SchedulerWindow;
class ChartTableWindow;
class ChartWindow;
class ChartInfoWindow;
class DictionaryWindow;

class AppWindows {
public:
    AppWindows();
    ~AppWindows();
    AppWindows(const AppWindows &) = delete;
    AppWindows &operator=(const AppWindows &) = delete;

    // Creates every window, the start panel first (its creation handler runs
    // then), the others as its children.
    void create(AppContext &context);

    StartPanelWindow *startPanel = nullptr;
    ArchiveWindow *archiveWindow = nullptr;
    MonitorWindow *monitorWindow = nullptr;
    DevicesPage *devicesPage = nullptr;
    DisplayPage *displayPage = nullptr;
    CharacteristicPage *characteristicPage = nullptr;
    AnalogOutputPage *analogOutputPage = nullptr;
    AlarmsPage *alarmsPage = nullptr;
    SystemPage *systemPage = nullptr;
    InterfacePage *interfacePage = nullptr;
    BulkTransferDialog *bulkTransferDialog = nullptr;
    LiveValuesWindow *liveValuesWindow = nullptr;
    SourceAddressDialog *sourceAddressDialog = nullptr;
    RegisterChooserDialog *registerChooserDialog = nullptr;
    AboutDialog *aboutDialog = nullptr;
    DatabaseWindow *databaseWindow = nullptr;
    SchedulerWindow *schedulerWindow = nullptr;
    ChartTableWindow *chartTableWindow = nullptr;
    ChartWindow *chartWindow = nullptr;
    ChartInfoWindow *chartInfoWindow = nullptr;
    DictionaryWindow *dictionaryWindow = nullptr;

    // The configuration pages in the order of a redraw after a bulk read
    // (the monitor comes before the last one, the devices page).
    QList<ConfigPage *> pages;

    // Redraws every configuration page from the register image, in that
    // order; after a bulk read the monitor too, before the devices page.
    void refreshPages(bool withMonitor = false) const;

private:
    template <typename T, typename... Args> T *make(Args &&...args);
    // Destroyed in reverse order of creation: the start panel last.
    std::vector<std::unique_ptr<QWidget>> owned_;
    ModbusLink *toldOfPorts_ = nullptr; // whose port changes the task log hears
};

} // namespace k71t
