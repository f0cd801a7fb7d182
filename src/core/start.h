// Starting the program: whether the data file can be used, the first start with its marker, the
// window that comes after the splash, and what the main window's loading stores.
#pragma once

#include "core/notice.h"

namespace Start {

// Null when the data file can be read (or is missing); otherwise nothing may start over it.
Core::Notice checkReadable(const QString& file);

// A first start (read1 is not "1"): the splash shows its titles and writes the marker. A read
// that fails is reported in *failed, never taken for a first start.
bool firstStart(const QString& file, Core::Notice* failed);

// The first-run marker "2" in read2, which makes the password screen ask for a password;
// written only while read1 is still not "1", so a password set meanwhile is never overwritten.
Core::Notice markFirstRun(const QString& file);

// Whether the password screen comes after the splash (a password or the marker is stored)
// rather than the main window.
bool passwordAsked(const QString& file, Core::Notice* failed);

// The main window's loading: on a first load the five default set names, then read1 = "1",
// in one write. Null when stored (or stored already).
Core::Notice mainWindowLoaded(const QString& file);

} // namespace Start
