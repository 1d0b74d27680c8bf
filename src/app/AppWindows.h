#pragma once
// The windows created once at start-up, in the order main creates them. The
// start panel opens them from its buttons.
namespace k71t {

class TForm3;
class TInformacje;

struct AppWindows {
    TForm3 *form3 = nullptr;
    TInformacje *informacje = nullptr;
};

} // namespace k71t
