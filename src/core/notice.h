// What the rules of the data have to say to the user: a message box's title and text. The core
// decides what is said; the windows only show it.
#pragma once

#include <QString>

namespace Core {

// The program's name: the title of every report of something not done.
inline const QString ProgramName = QStringLiteral("Tallivor II");

struct Notice {
    QString title;
    QString text;
    // Nothing to say.
    bool isNull() const { return title.isEmpty() && text.isEmpty(); }
};

// How the program says that something it was asked to do did not happen.
inline Notice failure(const QString& text) {
    return {ProgramName, text};
}

// A data file that is there but can't be read: path and reason.
Notice unreadable(const QString& file, const QString& reason);

} // namespace Core
