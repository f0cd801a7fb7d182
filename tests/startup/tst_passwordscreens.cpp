// What the password screen and the change-password screen share, run on both: the layout a
// user meets, the "$" mask, the length bound, boxes emptied by clicks, the reminder, the clue
// and a password that can't be stored.
#include "screenfixture.h"
#include "startup/form2.h"
#include "startup/form4.h"
#include "storage/profileroutines.h"

#include <QDir>

namespace {
// Opens Form2 or Form4; both show the notice first, except Form2 in check mode.
Screen open(Session& s, int form, bool notice = true) {
    if (notice)
        s.expectImportant();
    QWidget* w = form == 2 ? static_cast<QWidget*>(Windows::show<Form2>())
                           : static_cast<QWidget*>(Windows::show<Form4>());
    return Screen(w);
}

void addFormColumn() {
    QTest::addColumn<int>("form");
}
} // namespace

class TestPasswordScreens : public QObject {
    Q_OBJECT
  private slots:
    void layoutAsTheUserMeetsIt_data() { bothForms(); }
    void layoutAsTheUserMeetsIt();
    void typedPasswordShowsDollars_data() { bothForms(); }
    void typedPasswordShowsDollars();
    void boxesTakeAtMost749Characters_data() { bothForms(); }
    void boxesTakeAtMost749Characters();
    void everyClickEmptiesTheBox_data();
    void everyClickEmptiesTheBox();
    void enterKeyPressesNoButton_data() { bothForms(); }
    void enterKeyPressesNoButton();
    void reminderWhenCluePromptUntouched_data() { bothForms(); }
    void reminderWhenCluePromptUntouched();
    void forgottenClue_data();
    void forgottenClue();
    void passwordThatCantBeStored_data() { bothForms(); }
    void passwordThatCantBeStored();

  private:
    static void bothForms() {
        addFormColumn();
        QTest::newRow("Form2") << 2;
        QTest::newRow("Form4") << 4;
    }
};

void TestPasswordScreens::layoutAsTheUserMeetsIt() {
    QFETCH(int, form);
    Session s;
    Screen w = open(s, form);
    QVERIFY(w.Text1 && w.Text2 && w.Command1 && w.Command2);
    QCOMPARE(w.window->windowTitle(), QStringLiteral("Password Screen"));
    QVERIFY(
        !(w.window->windowFlags() & (Qt::WindowMaximizeButtonHint | Qt::WindowMinimizeButtonHint)));
    QCOMPARE(w.window->size(), QSize(312, 187));
    QCOMPARE(w.Text1->text(), QString());
    QCOMPARE(w.Text2->text(), cluePromptText);
    QCOMPARE(w.Text2->cursorPosition(), 0);
    QCOMPARE(w.Command1->text(), QStringLiteral("Enter"));
    QCOMPARE(w.Command2->text(), QStringLiteral("I forgot my password"));
    QVERIFY(w.Command1->y() > w.Text2->y() && w.Command2->y() > w.Command1->y());

    // Focus starts in the password box; Tab goes on to Enter, the clue button, the clue box.
    w.window->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(w.window));
    QCOMPARE(QApplication::focusWidget(), w.Text1);
    for (QWidget* next : {static_cast<QWidget*>(w.Command1), static_cast<QWidget*>(w.Command2),
                          static_cast<QWidget*>(w.Text2), static_cast<QWidget*>(w.Text1)}) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), next);
    }
    VERIFY_BOXES(s);
}

void TestPasswordScreens::typedPasswordShowsDollars() {
    QFETCH(int, form);
    Session s;
    Screen w = open(s, form);
    QTest::keyClicks(w.Text1, QStringLiteral("aB7"));
    QCOMPARE(w.Text1->displayText(), QStringLiteral("$$$"));
    QCOMPARE(w.Text1->text(), QStringLiteral("aB7"));
    // The clue box is not masked.
    w.typeClue(QStringLiteral("cat"));
    QCOMPARE(w.Text2->displayText(), QStringLiteral("cat"));
    VERIFY_BOXES(s);
}

void TestPasswordScreens::boxesTakeAtMost749Characters() {
    QFETCH(int, form);
    Session s;
    Screen w = open(s, form);
    const QString typed(760, QLatin1Char('k'));
    QTest::keyClicks(w.Text1, typed);
    w.typeClue(typed);
    QCOMPARE(w.Text1->text(), typed.left(749));
    QCOMPARE(w.Text2->text(), typed.left(749));
    VERIFY_BOXES(s);
}

void TestPasswordScreens::everyClickEmptiesTheBox_data() {
    addFormColumn();
    QTest::addColumn<int>("box");
    for (int form : {2, 4})
        for (int box : {1, 2})
            QTest::addRow("Form%d Text%d", form, box) << form << box;
}

void TestPasswordScreens::everyClickEmptiesTheBox() {
    QFETCH(int, form);
    QFETCH(int, box);
    Session s;
    Screen w = open(s, form);
    QLineEdit* edit = box == 1 ? w.Text1 : w.Text2;
    QLineEdit* other = box == 1 ? w.Text2 : w.Text1;
    QTest::keyClicks(other, QStringLiteral("kept"));
    const QString otherText = other->text();
    for (const QString& typed : {QStringLiteral("abc"), QStringLiteral("de"), QString()}) {
        QTest::keyClicks(edit, typed);
        QTest::mouseClick(edit, Qt::LeftButton);
        QCOMPARE(edit->text(), QString());
    }
    QCOMPARE(other->text(), otherText);
    VERIFY_BOXES(s);
}

void TestPasswordScreens::enterKeyPressesNoButton() {
    QFETCH(int, form);
    Session s;
    Screen w = open(s, form);
    QTest::keyClicks(w.Text1, QStringLiteral("abc"));
    // Had it pressed "Enter", the reminder would show; had it pressed the clue button, the clue.
    QTest::keyClick(w.Text1, Qt::Key_Return);
    QTest::keyClick(w.Text1, Qt::Key_Enter);
    QTest::qWait(10);
    QCOMPARE(s.toolkit.boxes.size(), 1);
    QVERIFY(w.loaded());
    QVERIFY(!s.folder.exists());
    VERIFY_BOXES(s);
}

void TestPasswordScreens::reminderWhenCluePromptUntouched() {
    QFETCH(int, form);
    Session s;
    const QByteArray before = lines({"[readone]", "READ2=2"});
    s.folder.write(before);
    Screen w = open(s, form);
    QTest::keyClicks(w.Text1, QStringLiteral("Secret"));
    s.toolkit.expectBox(QStringLiteral("Reminder"), cluePromptText);
    QTest::mouseClick(w.Command1, Qt::LeftButton);
    QVERIFY(w.loaded());
    QCOMPARE(w.Text1->text(), QStringLiteral("Secret"));
    QCOMPARE(w.Text2->text(), cluePromptText);
    QCOMPARE(s.folder.bytes(), before);
    QCOMPARE(Windows::loadedCount(), 1);
    VERIFY_BOXES(s);
}

void TestPasswordScreens::forgottenClue_data() {
    addFormColumn();
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QString>("shown");
    const QString prefix = QStringLiteral("The clue you left for yourself was: ");
    for (int form : {2, 4}) {
        QTest::addRow("Form%d no clue stored", form) << form << QByteArray() << prefix;
        QTest::addRow("Form%d clue", form)
            << form << lines({"[readone]", "READ2=2", "READ3= my cat "}) << prefix + " my cat ";
        QTest::addRow("Form%d no password", form)
            << form << lines({"[readone]", "READ2=", "READ3=No Password", "READ1=0"})
            << prefix + "No Password";
    }
    // Check mode hides the clue box, but the button still shows the clue.
    QTest::addRow("Form2 check mode")
        << 2 << lines({"[readone]", "READ2=Secret", "READ3=cat", "READ1=1"}) << prefix + "cat";
}

void TestPasswordScreens::forgottenClue() {
    QFETCH(int, form);
    QFETCH(QByteArray, file);
    QFETCH(QString, shown);
    Session s;
    s.folder.write(file);
    if (form == 2 && file.contains("READ1=1"))
        s.toolkit.onBox = {}; // check mode: no notice
    Screen w =
        form == 2 && file.contains("READ1=1") ? Screen(Windows::show<Form2>()) : open(s, form);
    for (int click = 0; click < 2; ++click) {
        s.toolkit.expectBox(QStringLiteral("Clue"), shown);
        QTest::mouseClick(w.Command2, Qt::LeftButton);
    }
    QVERIFY(w.loaded());
    QCOMPARE(s.folder.bytes(), file);
    VERIFY_BOXES(s);
}

void TestPasswordScreens::passwordThatCantBeStored() {
    QFETCH(int, form);
    Session s;
    // A folder where the data file should be: the file can be neither read nor replaced.
    QVERIFY(QDir(s.folder.path()).mkdir(QStringLiteral("tallivor.tvr")));
    QString reason;
    QVERIFY(!ProfileRoutines::WriteProfileValues({{"readone", "read2", "x"}}, s.toolkit.dataFile(),
                                                 &reason));
    QVERIFY(!reason.isEmpty());
    Screen w = open(s, form);
    QTest::keyClicks(w.Text1, QStringLiteral("Secret"));
    w.typeClue(QStringLiteral("cat"));
    s.toolkit.expectBox(QStringLiteral("Tallivor II"),
                        QStringLiteral("The password could not be stored: ") + reason);
    QTest::mouseClick(w.Command1, Qt::LeftButton);
    QVERIFY(w.loaded());
    QCOMPARE(Windows::loadedCount(), 1); // no main window
    QCOMPARE(w.Text1->text(), QStringLiteral("Secret"));
    QVERIFY(QFileInfo(s.toolkit.dataFile()).isDir());
    VERIFY_BOXES(s);
}

QTEST_MAIN(TestPasswordScreens)
#include "tst_passwordscreens.moc"
