#include "app/AppWindows.h"

#include "config/Wyswietlanie.h"

namespace k71t {

void AppWindows::refreshPages() const
{
    if (form5)
        form5->Show();
}

} // namespace k71t
