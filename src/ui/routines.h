// The two routines that several windows share beside the data-file access: a pause that keeps
// the windows alive, and a plain notice box.
#pragma once

#include "core/notice.h"

#include <QString>
#include <QtGlobal>

namespace Ui {

// Waits until the clock passes the call's time, rounded to the nearest second (halves to even),
// plus seconds, dispatching window events meanwhile; measured on the monotonic clock. Ends
// early once the program is ending.
void Pause(qint32 seconds);

// A modal box with prompt, one OK button, no icon, and title; returns once it is closed.
void ShowNotice(const QString& prompt, const QString& title);
// The notice the core gave; nothing for a null one.
void ShowNotice(const Core::Notice& notice);

} // namespace Ui
