// The start-up password and its clue: recording a new one and checking what is typed.
#pragma once

#include "core/notice.h"

namespace Password {

// The clue box's first text; left as it is, it is taken for a clue never typed.
inline const QString CluePrompt =
    QStringLiteral("Type something that will make you remember your password");

// Check mode once the main window has been loaded; before, a new password is recorded.
bool checking(const QString& file);

struct Recorded {
    bool stored = false;
    QString clue;        // as stored: "No Password" for an empty password
    Core::Notice notice; // why nothing was stored
};
// Stores the password and its clue (and read1 = "1" when markLoaded) in one write: a password
// is never stored without its clue.
Recorded record(const QString& file, const QString& password, const QString& clue, bool markLoaded);

enum class Check { Open, Wrong, Failed };
// The typed password against the stored one, without regard to letter case. Failed (with
// *failed) when the file can't be read: an unread password opens nothing.
Check check(const QString& file, const QString& typed, Core::Notice* failed);
// What a wrong password is told before the program ends.
Core::Notice wrong();

// The stored clue, as "I forgot my password" shows it.
Core::Notice clue(const QString& file);

} // namespace Password
