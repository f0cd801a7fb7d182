// What a set may be called. A set's name is also the name of the data-file section that holds
// its entries, and section names match without regard to letter case (and, in the Windows
// version's reader, without outer blanks), so a name must not lead to a section that belongs to
// something else.
#pragma once

#include <QString>
#include <QStringList>

namespace SetNames {

enum class Verdict {
    Ok,
    Blank,      // nothing but blanks
    Default,    // "Set 1" .. "Set 5", in any letter case
    Reserved,   // the section of the program's own data
    AnotherSet, // the name another slot carries now
};

// The name as it is stored: without outer spaces and tabs.
QString trimmed(const QString& name);

// A default name is refused for a set being named; a set being cleared may still carry it.
enum class Defaults { Refused, Allowed };

// The verdict on slot (1 .. 5) carrying name, with stored the five names as the data file holds
// them now. Looks at the trimmed name.
Verdict judge(const QString& name, int slot, const QStringList& stored,
              Defaults defaults = Defaults::Refused);

} // namespace SetNames
