// What screen readers are told about the program's windows.
#pragma once

class QWidget;

namespace Accessibility {

// A top-level window that is a plain widget would be announced as a "filler": expose it as a
// window, named by its caption. Call it first in the window's constructor.
void exposeAsWindow(QWidget* window);

} // namespace Accessibility
