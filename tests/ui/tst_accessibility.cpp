// What a screen reader is told: every window's and every focusable control's role and name, the
// password boxes' silence, and each step of a progress window as it changes.
#include "clearing/form5.h"
#include "clearing/form6.h"
#include "mainwindow/form1.h"
#include "startup/form2.h"
#include "startup/form3.h"
#include "startup/form4.h"
#include "support/faketoolkit.h"
#include "support/testfolder.h"
#include "ui/windows.h"

#include <QtTest>
#include <QtWidgets>
#include <private/qguiapplication_p.h>
#include <qpa/qplatformaccessibility.h>
#include <qpa/qplatformintegration.h>

using Make = QWidget* (*)();
Q_DECLARE_METATYPE(Make)

namespace {
template <class Form> QWidget* make() {
    return new Form;
}
// "Role: name (description)" for the window and every control under it that takes focus or
// carries a description, in tree order.
QStringList announced(QAccessibleInterface* node) {
    const QAccessible::State state = node->state();
    const QString desc = node->text(QAccessible::Description);
    QStringList out;
    if (state.focusable || !desc.isEmpty() || node->role() == QAccessible::Window)
        out << QStringLiteral("%1: %2%3")
                   .arg(state.passwordEdit
                            ? "PasswordText"
                            : QMetaEnum::fromType<QAccessible::Role>().valueToKey(node->role()),
                        node->text(QAccessible::Name), desc.isEmpty() ? "" : " (" + desc + ")");
    for (int i = 0; i < node->childCount(); ++i)
        out << announced(node->child(i));
    return out;
}
QStringList heard; // the progress labels' names, as each NameChanged event reaches the bus
void listen(QAccessibleEvent* event) {
    QAccessibleInterface* node = event->accessibleInterface();
    if (event->type() == QAccessible::NameChanged && node && node->object() &&
        qobject_cast<ProgressWindow*>(node->object()->parent()))
        heard << node->text(QAccessible::Name);
}
} // namespace

class TestAccessibility : public QObject {
    Q_OBJECT
  private slots:
    void everyControlIsNamed_data() {
        QTest::addColumn<Make>("make");
        QTest::addColumn<QStringList>("expected");
        QStringList main{"Window: Tallivor II ", "StaticText: You are working in:  (Status line)"};
        for (int k = 1; k <= 15; ++k)
            main << QStringLiteral("EditableText: Entry %1 name").arg(k)
                 << QStringLiteral("EditableText: Entry %1 serial number or password").arg(k);
        const QStringList password{"Window: Password Screen", "PasswordText: Password",
                                   "EditableText: Clue", "Button: Enter",
                                   "Button: I forgot my password"};
        QTest::newRow("main") << &make<Form1> << (main << "EditableText: Set name");
        QTest::newRow("password") << &make<Form2> << password;
        QTest::newRow("splash") << &make<Form3> << QStringList{"Window: Form3"};
        QTest::newRow("change password") << &make<Form4> << password;
        QTest::newRow("clear current set")
            << &make<Form5> << QStringList{"Window: Clearing it out."};
        QTest::newRow("clear all") << &make<Form6> << QStringList{"Window: Clearing all"};
    }
    void everyControlIsNamed() {
        QFETCH(Make, make);
        QFETCH(QStringList, expected);
        const std::unique_ptr<QWidget> window(make());
        QCOMPARE(announced(QAccessible::queryAccessibleInterface(window.get())), expected);
        if (auto* screen = qobject_cast<PasswordScreen*>(window.get())) {
            // Nothing typed reaches the bus, by any way a screen reader reads a box.
            QTest::keyClicks(screen->Text1, "Secret");
            QAccessibleInterface* box = QAccessible::queryAccessibleInterface(screen->Text1);
            QAccessibleTextInterface* text = box->textInterface();
            int start = 0, end = 0;
            const QStringList said{box->text(QAccessible::Name), box->text(QAccessible::Value),
                                   box->text(QAccessible::Description), text->text(0, 6),
                                   text->textAtOffset(0, QAccessible::LineBoundary, &start, &end)};
            QCOMPARE(screen->Text1->text(), "Secret");
            QVERIFY2(!said.join('|').contains("ecret"), qPrintable(said.join('|')));
        }
    }

    void progressStepsAreHeard() {
        TestFolder folder;
        FakeToolkit tk(folder.path());
        Form1* main = Windows::show<Form1>();
        main->SetEntry(2)->trigger();
        // Offscreen has no screen reader: without this, no change is ever sent.
        QGuiApplicationPrivate::platformIntegration()->accessibility()->setActive(true);
        QAccessible::installUpdateHandler(listen);
        tk.expectBox("WARNING", "Are you sure you want to clear the current set?");
        main->curset->trigger();
        // The whole run happens inside one wait: the pauses take no real time.
        QTRY_COMPARE_WITH_TIMEOUT(
            heard,
            (QStringList{"Nullifying the names.....", "Nullifying the values.....",
                         "Resetting the name.....", "Reloading Registration Tallivor"}),
            10000);
        Windows::unloadAll();
        QVERIFY2(tk.problems().isEmpty(), qPrintable(tk.problems()));
    }
};

QTEST_MAIN(TestAccessibility)
#include "tst_accessibility.moc"
