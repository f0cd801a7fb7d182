// The few steps of a save that each platform does its own way: getting a file's data and a
// folder's entries onto the disk.
#pragma once

#include <QString>

class QFileDevice;

namespace Durable {

// Pushes the open file's data to the disk. False with the system's reason.
bool flush(QFileDevice& file, QString* reason);

// Pushes the folder's entries (a file just renamed into it) to the disk, where the platform
// has such a step; true where it has none, or where the file system offers none.
bool syncFolder(const QString& folder, QString* reason);

} // namespace Durable
