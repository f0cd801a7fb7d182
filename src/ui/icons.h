// The program's two icons, built into the executable.
#pragma once

#include <QIcon>

namespace Icons {
// The main icon (Form1 to Form4).
QIcon main();
// The hourglass of the clearing windows (Form5 and Form6).
QIcon progress();
} // namespace Icons
