// Start-up: the splash and its choice of the next window, the password screen (Form2) setting a
// password or checking it, the change-password screen (Form4), and the pauses between the
// splash's titles; driven as a user does and checked on the data file's bytes.
#include "mainwindow/form1.h"
#include "startup/form2.h"
#include "startup/form3.h"
#include "startup/form4.h"
#include "support/faketoolkit.h"
#include "ui/routines.h"
#include "ui/windows.h"

#include <QtTest>
#include <QtWidgets>

#include <optional>
#include <sys/stat.h>

namespace {
const QString Important = "IMPORTANT|If you don't want to password this program, leave the box "
                          "blank and click enter.";
const QString TooLarge = "the file %file couldn't be saved (File too large)";
const QByteArray Marker = ini({"[readone]", "READ2=2"});
const QString K760(760, u'k'); // the boxes keep 749 of it

// The data file as the main window's first load leaves it after a password was recorded.
QByteArray saved(const QString& password, const QString& clue) {
    return ini({"[readone]", "READ2=" + password, "READ3=" + clue, "READ1=1", "[Ruduze Vad Ovo]",
                "NAME1=Set 1", "NAME2=Set 2", "NAME3=Set 3", "NAME4=Set 4", "NAME5=Set 5"});
}

// Types into the box after a click, which must empty it.
void retype(QLineEdit* box, const QString& typed) {
    QTest::mouseClick(box, Qt::LeftButton);
    QVERIFY(box->text().isEmpty());
    type(box, typed);
}

// The window on screen: "Form1", "Form2" (setting a password), "Form2 check", or "none".
QString shown() {
    if (Toolkit::current().ending())
        return "none";
    const Form2* f = Windows::find<Form2>();
    if (f && f->isVisible())
        return f->Text2->isVisible() ? "Form2" : "Form2 check";
    return Windows::find<Form1>() && Windows::find<Form1>()->isVisible() ? "Form1" : "none";
}
} // namespace

class TestStartup : public QObject {
    Q_OBJECT
    std::optional<FakeToolkit> toolkit; // one start of the program in a folder of its own

    // Fills in the password box (its "$" shown for each character) and the clue box (null: its
    // prompt left), then presses the keys that must press no button.
    static void fillIn(PasswordScreen* w, const QString& password, const QString& clue) {
        retype(w->Text1, password);
        QCOMPARE(w->Text1->displayText(), QString(w->Text1->text().size(), u'$'));
        if (!clue.isNull())
            retype(w->Text2, clue);
        for (const auto key : {Qt::Key_Return, Qt::Key_Enter})
            QTest::keyClick(w->Text1, key);
    }

  private slots:
    void init() { toolkit.emplace(); }
    void cleanup() { toolkit.reset(); }

    // The splash, run as nobody, with the data file before ("/": a folder of that name) and
    // the file's and folder's modes; the window system may close it at its n-th pause (7: at
    // the next window's notice). Then the box it showed, the window on screen ("none": the
    // program ended) and the file (null: as before).
    void splash_data() {
        QTest::addColumn<QByteArray>("before");
        QTest::addColumn<QList<int>>("modes"); // file, folder, closed at, painted
        QTest::addColumn<QString>("box");
        QTest::addColumn<QString>("window");
        QTest::addColumn<QByteArray>("after");
        const QList<int> plain{0666, 0777, 0, 1};
        const QByteArray password = ini({"[readone]", "READ2=pw", "READ3=cat", "READ1=1"});
        const QString unread = "Tallivor II|The data file could not be read: %file ";
        // A splash the window manager leaves unmapped is never painted: it runs all the same.
        QTest::newRow("first start, never painted")
            << QByteArray() << QList<int>{0666, 0777, 0, 0} << Important << "Form2" << Marker;
        QTest::newRow("read1 with a blank and a password: the marker overwrites it")
            << QByteArray(password).replace("READ1=1", "READ1=1 ") << plain << Important << "Form2"
            << ini({"[readone]", "READ2=2", "READ3=cat", "READ1=1 "});
        QTest::newRow("no password") << ini({"[readone]", "READ2=", "READ1=1"}) << plain
                                     << QString() << "Form1" << QByteArray();
        QTest::newRow("a password")
            << password << plain << QString() << "Form2 check" << QByteArray();
        QTest::newRow("closed after the marker")
            << QByteArray() << QList<int>{0666, 0777, 6, 1} << QString() << "none" << Marker;
        QTest::newRow("closed at the notice")
            << QByteArray() << QList<int>{0666, 0777, 7, 1} << Important << "none" << Marker;
        QTest::newRow("a folder of that name")
            << QByteArray("/") << plain << unread + "(it is a folder)"
            << "none" << QByteArray();
        QTest::newRow("unreadable")
            << password << QList<int>{0, 0777, 0, 1} << unread + "(Permission denied)"
            << "none" << QByteArray();
        QTest::newRow("first start, read-only folder")
            << QByteArray() << QList<int>{0666, 0555, 0, 1}
            << "Tallivor II|The data file could not be written: the folder %folder can't be "
               "written to"
            << "none" << QByteArray();
        // What a start needs is stored already: nothing is written, so nothing fails.
        QTest::newRow("complete file, read-only folder")
            << ini({"[readone]", "READ2=", "READ1=1", "[Ruduze Vad Ovo]", "NAME1=a", "NAME2=b",
                    "NAME3=c", "NAME4=d", "NAME5=e"})
            << QList<int>{0444, 0555, 0, 1} << QString() << "Form1" << QByteArray();
    }
    void splash() {
        QFETCH(QByteArray, before);
        QFETCH(QList<int>, modes);
        QFETCH(QString, box);
        QFETCH(QString, window);
        QFETCH(QByteArray, after);
        const QString file = toolkit->dataFile();
        before == "/" ? void(QDir().mkdir(file)) : toolkit->write(before);
        chmod(qPrintable(file), mode_t(modes[0]));
        chmod(qPrintable(toolkit->programFolder()), mode_t(modes[1]));
        if (!box.isEmpty())
            toolkit->expect(box);
        QPointer<Form3> splash;
        int pauses = 0;
        const auto next = [&] {
            if (++pauses == modes[2])
                splash->close();
        };
        toolkit->onWait = [&] {
            splash->repaint(); // a paint during a pause must not start the sequence again
            QVERIFY(splash->isVisible() && !splash->Timer1->isActive() &&
                    Windows::loadedCount() == 1);
            next();
        };
        toolkit->onBox = [&] { splash ? next() : void(); };
        {
            const AsNobody nobody;
            splash = Windows::show<Form3>();
            if (splash)
                splash->setUpdatesEnabled(modes[3]);
            QVERIFY(QTest::qWaitFor([&] { return !splash || toolkit->ended; }));
        }
        QCOMPARE(shown(), window);
        QCOMPARE(toolkit->endCalls, window == "none" ? 1 : 0);
        QCOMPARE(toolkit->bytes(), after.isNull() ? before.replace("/", "") : after);
    }

    // Form2 setting a password, on a first start: the password and the clue typed (null: the
    // prompt left) with room for a file of limit bytes (0: any), then Enter. The box it shows,
    // the window on screen and the file (null: as before).
    void setPassword_data() {
        for (const char* column : {"password", "clue", "box", "window"})
            QTest::addColumn<QString>(column);
        QTest::addColumn<int>("limit");
        QTest::addColumn<QByteArray>("after");
        const QString k470(470, u'k');
        QTest::newRow("blanks kept") << " pA s "
                                     << " c "
                                     << ""
                                     << "Form1" << 0 << saved(" pA s ", " c ");
        QTest::newRow("pasted with line breaks") << "pw1\n"
                                                 << "\r\nmy\u2028cat\u2029\u0085"
                                                 << ""
                                                 << "Form1" << 0 << saved("pw1", "mycat");
        QTest::newRow("no password, clue typed") << ""
                                                 << "c"
                                                 << ""
                                                 << "Form1" << 0 << saved("", "No Password");
        QTest::newRow("prompt left")
            << "Secret" << QString()
            << "Reminder|Type something that will make you remember your password"
            << "Form2" << 0 << QByteArray();
        // Room for the password alone, not for its clue too: neither is stored.
        QTest::newRow("no room for the clue")
            << K760 << K760 << "Tallivor II|The password could not be stored: " + TooLarge
            << "Form2" << 1000 << QByteArray();
        // Room for the password and the clue, not for the set names: nothing could be kept.
        QTest::newRow("no room for the set names")
            << k470 << k470 << "Tallivor II|The data file could not be written: " + TooLarge
            << "none" << 1000 << ini({"[readone]", "READ2=" + k470, "READ3=" + k470});
    }
    void setPassword() {
        QFETCH(QString, password);
        QFETCH(QString, clue);
        QFETCH(QString, box);
        QFETCH(QString, window);
        QFETCH(int, limit);
        QFETCH(QByteArray, after);
        toolkit->write(Marker);
        toolkit->expect(Important);
        Form2* w = Windows::show<Form2>();
        QCOMPARE(w->focusWidget(), w->Text1);
        fillIn(w, password, clue);
        if (!box.isEmpty())
            toolkit->expect(box);
        {
            const FileSizeLimit room(limit);
            QTest::mouseClick(w->Command1, Qt::LeftButton);
        }
        QCOMPARE(shown(), window);
        QCOMPARE(toolkit->bytes(), after.isNull() ? Marker : after);
    }

    // Form2 checking the stored password, once the clue was asked for: accepted or not.
    void checkPassword_data() {
        for (const char* column : {"stored", "clue", "typed"})
            QTest::addColumn<QString>(column);
        QTest::addColumn<bool>("accepted");
        QTest::newRow("pasted, a line break, other case") << "Ärger"
                                                          << " my cat "
                                                          << "äRGER\r\n"
                                                          << true;
        QTest::newRow("no case folding of ß, no clue") << "Grüße"
                                                       << ""
                                                       << "GRÜSSE" << false;
    }
    void checkPassword() {
        QFETCH(QString, stored);
        QFETCH(QString, clue);
        QFETCH(QString, typed);
        QFETCH(bool, accepted);
        const QByteArray file = ini({"[readone]", "READ2=" + stored, "READ3=" + clue, "read1=1"});
        toolkit->write(file);
        Form2* w = Windows::show<Form2>();
        toolkit->expect("Clue|The clue you left for yourself was: " + clue);
        QTest::mouseClick(w->Command2, Qt::LeftButton);
        fillIn(w, typed, {});
        if (!accepted)
            toolkit->expect("Sorry|Sorry, wrong password");
        QTest::mouseClick(w->Command1, Qt::LeftButton);
        QCOMPARE(shown(), accepted ? "Form1" : "none");
        QCOMPARE(toolkit->endCalls, accepted ? 0 : 1);
        QCOMPARE(toolkit->bytes(), file);
    }

    // Form4 from the main window's Password menu, asked for again while open (the same screen
    // comes to the front, with no second notice): the password and clue typed, then Enter (no
    // box), or a box (the screen stays as it was), or closed by its frame ("close"). Opened
    // afresh, it has the notice again and an empty password box.
    void changePassword_data() {
        for (const char* column : {"password", "clue", "box"})
            QTest::addColumn<QString>(column);
        QTest::addColumn<QByteArray>("after");
        QTest::newRow("changed") << "NeW"
                                 << "c"
                                 << "" << saved("NeW", "c");
        QTest::newRow("no room") << K760 << K760
                                 << "Tallivor II|The password could not be stored: " + TooLarge
                                 << QByteArray();
        QTest::newRow("closed with the frame") << "NeW"
                                               << "c"
                                               << "close" << QByteArray();
    }
    void changePassword() {
        QFETCH(QString, password);
        QFETCH(QString, clue);
        QFETCH(QString, box);
        QFETCH(QByteArray, after);
        const QByteArray before = saved("old", "old clue");
        toolkit->write(before);
        const QPointer<Form1> main = Windows::show<Form1>();
        toolkit->expect(Important);
        main->changep->trigger();
        const QPointer<Form4> w = Windows::find<Form4>();
        fillIn(w, password, clue);
        main->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(main));
        main->changep->trigger();
        QVERIFY(QTest::qWaitFor([&] { return w->isActiveWindow(); }));
        if (box.contains('|'))
            toolkit->expect(box);
        const FileSizeLimit room(box.contains('|') ? 1000 : 0);
        box == "close" ? void(w->close()) : QTest::mouseClick(w->Command1, Qt::LeftButton);
        const bool open = Windows::find<Form4>();
        QCOMPARE(open, box.contains('|'));
        QCOMPARE(Windows::find<Form1>(), main.data()); // brought forward, not loaded again
        QCOMPARE(toolkit->bytes(), after.isNull() ? before : after);
        if (!open)
            toolkit->expect(Important);
        main->changep->trigger();
        QCOMPARE(Windows::find<Form4>()->Text1->text(),
                 box.contains('|') ? password.left(749) : "");
    }

    // How long Pause waits, in virtual time: the rounded start, midnight, a program already
    // ending, and the clock set back an hour at the first wait (summer time, a manual change).
    void pauseEndsOnTheRoundedSecond_data() {
        QTest::addColumn<QList<double>>("t"); // called at, seconds, clock set back, waited
        QTest::newRow("100.2 +1") << QList<double>{100.2, 1, 0, 0.8};
        QTest::newRow("100.5 +1 halves to even") << QList<double>{100.5, 1, 0, 0.5};
        QTest::newRow("101.5 +1 halves to even") << QList<double>{101.5, 1, 0, 1.5};
        QTest::newRow("0 seconds rounded up") << QList<double>{100.7, 0, 0, 0.3};
        QTest::newRow("rounded up to midnight") << QList<double>{86399.7, 1, 0, 1.3};
        QTest::newRow("clock set back") << QList<double>{100.2, 1, 3600, 0.8};
        QTest::newRow("program ending") << QList<double>{100.7, 0, 0, -1};
    }
    void pauseEndsOnTheRoundedSecond() {
        QFETCH(QList<double>, t);
        toolkit->now = t[0];
        toolkit->ended = t[3] < 0;
        toolkit->onWait = [&] { toolkit->now -= toolkit->waits.size() == 1 ? t[2] : 0; };
        ProfileRoutines::Pause(int(t[1]));
        QVERIFY(qAbs(toolkit->mono - qMax(t[3], 0.0)) < 1e-9);
    }
};

QTEST_MAIN(TestStartup)
#include "tst_startup.moc"
