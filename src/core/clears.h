// What the two Reset commands write.
#pragma once

#include "core/notice.h"

namespace Clears {

// Clear Current Set, in the steps its window shows.
enum class Step { Names, Numbers, Name };

// Empties the set's entry names, or its numbers, everywhere the set's section stands in the file;
// Name empties its own name and gives the slot its default name back, unless the set was saved
// again meanwhile. The section is the one the slot's stored name gives at the moment of the write.
// Null when done; otherwise the report.
Core::Notice clearStep(const QString& file, int slot, Step step);

// While one clear runs, another is not started.
Core::Notice alreadyClearing();

// Clear All: one replacement of the file by what a used program needs: the password stored at
// this moment, read1 and the default set names. Null when done.
Core::Notice clearAll(const QString& file);

} // namespace Clears
