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
class TForm1;
class TForm2;
class TForm3;
class TForm4;
class TForm13;
class TOdczytane;
class TForm5;
class TForm6;
class TForm7;
class TForm8;
class TForm9;
class TForm10;
class TForm11;
class TForm12;
class TInformacje;
class T_MySQL;
class T_Automat;
class TTabela;
class TWykres;
class TInfoWykres;
class TSlownik;

class AppWindows {
public:
    AppWindows();
    ~AppWindows();
    AppWindows(const AppWindows &) = delete;
    AppWindows &operator=(const AppWindows &) = delete;

    // Creates every window, the start panel first (its creation handler runs
    // then), the others as its children.
    void create(AppContext &context);

    TForm3 *form3 = nullptr;
    TForm1 *form1 = nullptr;
    TForm4 *form4 = nullptr;
    TForm2 *form2 = nullptr;
    TForm5 *form5 = nullptr;
    TForm6 *form6 = nullptr;
    TForm7 *form7 = nullptr;
    TForm8 *form8 = nullptr;
    TForm9 *form9 = nullptr;
    TForm10 *form10 = nullptr;
    TForm11 *form11 = nullptr;
    TOdczytane *odczytane = nullptr;
    TForm12 *form12 = nullptr;
    TForm13 *form13 = nullptr;
    TInformacje *informacje = nullptr;
    T_MySQL *mysql = nullptr;
    T_Automat *automat = nullptr;
    TTabela *tabela = nullptr;
    TWykres *wykres = nullptr;
    TInfoWykres *infoWykres = nullptr;
    TSlownik *slownik = nullptr;

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
};

} // namespace k71t
