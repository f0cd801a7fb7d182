// The two shared routines beside the data-file access: a pause that keeps the windows alive,
// and a plain notice box.
#pragma once

#include <QString>
#include <QtGlobal>

namespace ProfileRoutines {

// Waits until the clock passes the call's time, rounded to the nearest second (halves to even),
// plus seconds, dispatching window events meanwhile; measured on the monotonic clock. Ends
// early once the program is ending.
void Pause(qint32 seconds);

// A modal box with prompt, one OK button, no icon, and title; returns once it is closed.
void ShowNotice(const QString& prompt, const QString& title);

} // namespace ProfileRoutines
