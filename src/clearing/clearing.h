// The two commands of the main window's Reset menu.
#pragma once

namespace Clearing {
// curset: asks, then runs Clear Current Set on the slot (1 .. 5) in Form5.
void ClearCurrentSet(int slot);
// all: asks, then runs Clear All in Form6 and closes the main window.
void ClearAll();
} // namespace Clearing
