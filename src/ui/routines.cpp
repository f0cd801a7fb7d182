#include "ui/routines.h"

#include "ui/toolkit.h"

#include <cmath>

namespace Ui {

void Pause(qint32 seconds) {
    Toolkit& toolkit = Toolkit::current();
    // The end falls on a whole second of the clock: the call's time rounded to the nearest
    // second (std::nearbyint: halves to even), plus seconds. It is measured on the monotonic
    // clock from here on, so a clock set back or forward meanwhile neither stretches the pause
    // nor cuts it, and midnight is no different from any other second.
    const double now = toolkit.clock();
    const double until = toolkit.monotonic() + (std::nearbyint(now) + seconds - now);
    while (!toolkit.ending() && toolkit.monotonic() < until)
        toolkit.waitForEvents(until);
}

void ShowNotice(const QString& prompt, const QString& title) {
    Toolkit::current().notice(prompt, title);
}

void ShowNotice(const Core::Notice& notice) {
    if (!notice.isNull())
        ShowNotice(notice.text, notice.title);
}

} // namespace Ui
