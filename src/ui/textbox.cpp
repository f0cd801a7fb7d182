#include "ui/textbox.h"

#include "storage/profileroutines.h"

#include <QLineEdit>
#include <QValidator>

#include <algorithm>

namespace {

bool isLineBreak(QChar c) {
    return c == u'\r' || c == u'\n' || c == u'\u0085' || c == u'\u2028' || c == u'\u2029';
}

// A validator sees every change of the box's text, wherever it comes from, and may rewrite it.
class NoLineBreaks : public QValidator {
  public:
    using QValidator::QValidator;

    State validate(QString& input, int& pos) const override {
        if (std::none_of(input.cbegin(), input.cend(), isLineBreak))
            return Acceptable;
        int removedBeforeCursor = 0;
        for (int i = 0; i < pos && i < input.size(); ++i)
            removedBeforeCursor += isLineBreak(input[i]) ? 1 : 0;
        input.removeIf(isLineBreak);
        pos -= removedBeforeCursor;
        return Acceptable;
    }
};

} // namespace

namespace TextBox {

QLineEdit* create(QWidget* parent, const QString& objectName, const QString& accessibleName) {
    auto* box = new QLineEdit(parent);
    box->setObjectName(objectName);
    box->setAccessibleName(accessibleName);
    // Longer text would be cut unseen on its way back from the data file.
    box->setMaxLength(ProfileRoutines::MaxValueLength);
    box->setValidator(new NoLineBreaks(box));
    return box;
}

} // namespace TextBox
