#include "startup/passwordscreen.h"

#include "core/password.h"
#include "ui/accessibility.h"
#include "ui/layout.h"
#include "ui/routines.h"
#include "ui/textbox.h"
#include "ui/toolkit.h"
#include "ui/windowregistry.h"

#include <QCloseEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPointer>
#include <QPushButton>

namespace {

// Empties a text box on every click in it, whatever it holds.
class EmptyOnClick : public QObject {
  public:
    using QObject::QObject;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::MouseButtonRelease) {
            auto* box = static_cast<QLineEdit*>(watched);
            auto* mouse = static_cast<QMouseEvent*>(event);
            if (mouse->button() == Qt::LeftButton &&
                box->rect().contains(mouse->position().toPoint()))
                box->clear();
        }
        return false;
    }
};

QLineEdit* makeBox(QWidget* form, const char* name, const QString& accessibleName,
                   const QRect& rect, QObject* emptier) {
    auto* box = TextBox::create(form, QLatin1String(name), accessibleName);
    box->setGeometry(rect);
    box->installEventFilter(emptier);
    return box;
}

QPushButton* makeButton(QWidget* form, const char* name, const QString& caption,
                        const QRect& rect) {
    auto* button = new QPushButton(caption, form);
    button->setObjectName(QLatin1String(name));
    button->setGeometry(rect);
    // The Enter key in a box must not press a button.
    button->setAutoDefault(false);
    button->setDefault(false);
    return button;
}
} // namespace

PasswordScreen::PasswordScreen(const QString& name, int designLeft) {
    Accessibility::exposeAsWindow(this);
    setObjectName(name);
    setWindowTitle(QStringLiteral("Password Screen"));
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    setGeometry(Layout::rect(designLeft, 3435, 4680, 2805));

    auto* emptier = new EmptyOnClick(this);
    Text1 = makeBox(this, "Text1", QStringLiteral("Password"), Layout::rect(120, 240, 4335, 375),
                    emptier);
    Text1->setEchoMode(QLineEdit::Password);
    Text1->setStyleSheet(QStringLiteral("QLineEdit { lineedit-password-character: 36; }"));
    Text2 =
        makeBox(this, "Text2", QStringLiteral("Clue"), Layout::rect(120, 720, 4335, 375), emptier);
    Text2->setText(Password::CluePrompt);
    Text2->setCursorPosition(0); // the prompt reads from its start
    Command1 =
        makeButton(this, "Command1", QStringLiteral("Enter"), Layout::rect(120, 1320, 4335, 615));
    Command2 = makeButton(this, "Command2", QStringLiteral("I forgot my password"),
                          Layout::rect(120, 2040, 4335, 615));

    QWidget::setTabOrder(Text1, Command1);
    QWidget::setTabOrder(Command1, Command2);
    QWidget::setTabOrder(Command2, Text2);
    Text1->setFocus();

    connect(Command1, &QPushButton::clicked, this, &PasswordScreen::Command1_Click);
    connect(Command2, &QPushButton::clicked, this, &PasswordScreen::Command2_Click);
}

void PasswordScreen::showImportantNotice() {
    Ui::ShowNotice(QStringLiteral("If you don't want to password this program, leave the box "
                                  "blank and click enter."),
                   QStringLiteral("IMPORTANT"));
}

void PasswordScreen::Command2_Click() {
    Ui::ShowNotice(Password::clue(Toolkit::current().dataFile()));
}

bool PasswordScreen::recordPassword(bool markLoaded) {
    const Password::Recorded r =
        Password::record(Toolkit::current().dataFile(), Text1->text(), Text2->text(), markLoaded);
    Text2->setText(r.clue);
    Ui::ShowNotice(r.notice);
    return r.stored;
}

void PasswordScreen::openMainWindow() {
    const QPointer<PasswordScreen> self(this);
    Windows::show(Windows::Window::Main);
    if (self)
        Windows::unload(this);
}

void PasswordScreen::closeEvent(QCloseEvent* event) {
    QWidget::closeEvent(event);
    Windows::forget(this);
}
