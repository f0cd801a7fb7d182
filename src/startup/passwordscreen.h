// What the password screen (Form2) and the change-password screen (Form4) share: the layout,
// the boxes that empty on every click, the clue, and the recording of a new password.
#pragma once

#include <QString>

class QLineEdit;
class QPushButton;
class QWidget;

namespace PasswordScreen {

// The clue box's first text; left as it is, it is taken for a clue never typed.
QString cluePrompt();

// Builds the common layout into form. designLeft is the window's first left edge, in twips.
void layOut(QWidget* form, int designLeft, QLineEdit*& Text1, QLineEdit*& Text2,
            QPushButton*& Command1, QPushButton*& Command2);

// The "IMPORTANT" notice about leaving the password empty.
void showImportantNotice();

// "I forgot my password": the stored clue.
void showClue();

// Records the password box and the clue box (and read1 = "1" when markLoaded) in one write.
// False when nothing was stored: the clue prompt was left as it was, or the data file could not
// be written; the user has been told which.
bool recordPassword(QLineEdit* Text1, QLineEdit* Text2, bool markLoaded);

} // namespace PasswordScreen
