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
    form3 = make<TForm3>(context, *this);
    form1 = make<TForm1>(context, form3);
    form4 = make<TForm4>(context, form3);
    form2 = make<TForm2>(context, form3);
    form5 = make<TForm5>(context, form3);
    form6 = make<TForm6>(context, form3);
    form7 = make<TForm7>(context, form3);
    form8 = make<TForm8>(context, form3);
    form9 = make<TForm9>(context, form3);
    form10 = make<TForm10>(context, form3);
    tabela = make<TTabela>(form3);
    form11 = make<TForm11>(context, form3);
    odczytane = make<TOdczytane>(form3);
    automat = make<T_Automat>(context, form3);
    wykres = make<TWykres>(context, *tabela, form3);
    infoWykres = make<TInfoWykres>(form3);
    form12 = make<TForm12>(context, form3);
    slownik = make<TSlownik>(context, *wykres, form3);
    wykres->setCompanions(infoWykres, form12, slownik);
    form13 = make<TForm13>(form3);
    form4->setCompanions(odczytane, form13);
    informacje = make<TInformacje>(form3);
    mysql = make<T_MySQL>(context, form3);
    pages = {form5, form6, form7, form8, form9, form10, form2};
    form11->setRedraw([this] { refreshPages(true); });
    QObject::connect(form11, &TForm11::runningChanged, form3, &TForm3::bulkTransferRunning);
}

void AppWindows::refreshPages(bool withMonitor) const
{
    for (ConfigPage *page : pages) {
        if (withMonitor && page == form2)
            form4->Redraw();
        page->refresh();
    }
}

} // namespace k71t
