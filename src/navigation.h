// The one place that knows every window: which class each Window is, and which window carries
// out the main window's Reset and Password commands. The windows know only the registry.
#pragma once

namespace Navigation {
// Defines the windows; once, before the first window is shown.
void install();
} // namespace Navigation
