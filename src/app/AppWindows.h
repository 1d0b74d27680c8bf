#pragma once
// The windows created once at start-up, in the order main creates them. The
// start panel opens them from its buttons.
namespace k71t {

class TForm1;
class TForm3;
class TForm5;
class TForm12;
class TInformacje;

struct AppWindows {
    TForm3 *form3 = nullptr;
    TForm1 *form1 = nullptr;
    TForm5 *form5 = nullptr;
    TForm12 *form12 = nullptr;
    TInformacje *informacje = nullptr;

    // Redraws every configuration page from the register image, in the order
    // of a redraw after a bulk read, without the monitor.
    void refreshPages() const;
};

} // namespace k71t
