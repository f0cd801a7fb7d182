// The few steps of reading and saving that each platform does its own way: opening a file that
// others may replace, getting a file's data and a folder's entries onto the disk.
#pragma once

#include <QString>

class QFile;
class QFileDevice;

namespace Durable {

// The path in the extended-length form Windows takes past 260 characters, as Qt gives it to
// the system: \\?\C:\a\b for C:/a/b, \\?\UNC\server\share for //server/share, with native
// separators and ".", ".." and doubled separators resolved. Already in that form, or relative:
// unchanged but for native separators. On every platform, so it can be tested anywhere.
QString extendedPath(const QString& path);

// Opens the file for reading while others may read, write or replace it: another copy of the
// program may save meanwhile. False with a plain reason.
bool openToRead(QFile& file, QString* reason);

// Whether a program that has a file open keeps it from being replaced: on Windows it does
// (under Wine even when it lets others delete the file), so a save tries again for a while.
bool readersBlockReplacement();

// Whether anything has the file open now, where readers block its replacement.
bool heldOpen(const QString& path);

// Pushes the open file's data to the disk. False with the system's reason.
bool flush(QFileDevice& file, QString* reason);

// Pushes the folder's entries (a file just renamed into it) to the disk, where the platform
// has such a step; true where it has none, or where the file system offers none.
bool syncFolder(const QString& folder, QString* reason);

} // namespace Durable
