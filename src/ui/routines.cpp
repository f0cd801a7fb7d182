#include "storage/routines.h"

#include "ui/toolkit.h"

#include <cmath>

namespace ProfileRoutines {

void Pause(qint32 seconds) {
    Toolkit& toolkit = Toolkit::current();
    // std::nearbyint rounds halves to even in the default rounding mode.
    const double start = std::nearbyint(toolkit.clock());
    for (;;) {
        if (toolkit.ending())
            return;
        double elapsed = toolkit.clock() - start;
        // The clock fell back to 0 at midnight since the start.
        if (elapsed < -43200)
            elapsed += 86400;
        if (elapsed >= seconds)
            return;
        double until = start + seconds;
        if (until >= 86400)
            until -= 86400;
        toolkit.waitForEvents(until);
    }
}

void ShowNotice(const QString& prompt, const QString& title) {
    Toolkit::current().notice(prompt, title);
}

} // namespace ProfileRoutines
