// The five sets: their names, the section each one's entries live in, loading and saving a set.
#pragma once

#include "core/notice.h"
#include "storage/datafile.h"

#include <QStringList>

namespace Sets {

// The five slots, and what each is called until it is named.
using DataFile::defaultName;
using DataFile::Slots;

// A set's thirty boxes, in the order entry 1's name, entry 1's number, entry 2's name, ...
inline constexpr int Boxes = 30;

// The section a set's entries live in: its stored name without outer blanks.
QString sectionOf(const QString& storedName);

// The name as a menu shows it: "&" marks no access letter.
QString caption(QString name);

// The status line and the warning for typing before a set is chosen.
QString statusLine(int slot);
Core::Notice chooseASet();

// The five names as stored (a missing one empty).
struct Names {
    QStringList names;
    Core::Notice failed;
};
Names names(const QString& file);

// Slot 1 .. 5 chosen: its name as stored and its entries, as the boxes show them (cut to the
// longest value a box holds).
struct Loaded {
    QString name;
    QStringList boxes;
    Core::Notice failed; // then nothing is loaded
};
Loaded load(const QString& file, int slot);

struct Saved {
    bool saved = false;
    QString name;        // as stored: without outer blanks
    Core::Notice notice; // a refused name, or why the set could not be saved
};
// The boxes under name, in slot's section, with the slot renamed; refused names are judged on the
// names as stored at the moment of the write. A box that shows the start of a longer stored value
// (from the set's section as the slot names it now) stores that value whole.
Saved save(const QString& file, int slot, const QString& name, const QStringList& boxes);

} // namespace Sets
