// The program's text boxes: single-line in fact, not only in look.
#pragma once

#include <QString>

class QLineEdit;
class QWidget;

namespace TextBox {

// A box that never holds a line break, however text enters it (typing, pasting, dropping, an
// input method or the program): CR, LF, NEL, LS and PS are removed, as browsers do in their
// single-line fields, so what the box shows is what is compared and stored. It holds at most
// the longest value the data file gives back. accessibleName says what the box is for.
QLineEdit* create(QWidget* parent, const QString& objectName, const QString& accessibleName);

} // namespace TextBox
