// The data file's sections and keys: the one place their names are spelt. Files already in use
// depend on every one of them.
#pragma once

#include <QString>

namespace DataFile {

// In the program's own folder.
inline const QString FileName = QStringLiteral("tallivor.tvr");

inline constexpr int Slots = 5;    // the five sets
inline constexpr int Entries = 15; // the entries of a set

// The start-up state.
inline const QString StateSection = QStringLiteral("readone");
inline const QString LoadedKey = QStringLiteral("read1");   // "1" once the main window loaded
inline const QString PasswordKey = QStringLiteral("read2"); // empty: no password
inline const QString ClueKey = QStringLiteral("read3");
inline const QString Loaded = QStringLiteral("1");
inline const QString FirstRunMarker = QStringLiteral("2"); // in read2 until a password is set

// The five sets' names, Name1 .. Name5.
inline const QString NamesSection = QStringLiteral("Ruduze Vad Ovo");
inline QString nameKey(int slot) {
    return QStringLiteral("Name%1").arg(slot);
}
// What a slot is called until it is given a name of its own: "Set 1" .. "Set 5".
inline QString defaultName(int slot) {
    return QStringLiteral("Set %1").arg(slot);
}

// A set's own section, named like the set: its entries and its own name.
inline QString entryNameKey(int entry) {
    return QStringLiteral("name%1").arg(entry);
}
inline QString entryNumberKey(int entry) {
    return QStringLiteral("num%1").arg(entry);
}
inline const QString SetNameKey = QStringLiteral("Name");

} // namespace DataFile
