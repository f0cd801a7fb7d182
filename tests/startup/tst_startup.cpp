// Start-up: the splash and its choice of the next window, the password screen (Form2) and the
// change-password screen (Form4), driven as a user does and checked on the data file's bytes.
#include "mainwindow/form1.h"
#include "startup/form2.h"
#include "startup/form3.h"
#include "startup/form4.h"
#include "storage/profileroutines.h"
#include "support/faketoolkit.h"
#include "support/testfolder.h"
#include "ui/windows.h"

#include <QtTest>
#include <QtWidgets>

#include <optional>

namespace {
const QString prompt = QStringLiteral("Type something that will make you remember your password");
const QString important = QStringLiteral(
    "If you don't want to password this program, leave the box blank and click enter.");

// Data-file bytes: the readone section with these lines, each ended with CRLF as new files are.
QByteArray readone(std::initializer_list<QByteArray> lines) {
    QByteArray out = "[readone]\r\n";
    for (const QByteArray& line : lines)
        out += line + "\r\n";
    return out;
}
// The data file as the main window's first load leaves it after a password was recorded.
QByteArray saved(const QByteArray& password, const QByteArray& clue) {
    return readone({"READ2=" + password, "READ3=" + clue, "READ1=1", "[Ruduze Vad Ovo]",
                    "NAME1=Set 1", "NAME2=Set 2", "NAME3=Set 3", "NAME4=Set 4", "NAME5=Set 5"});
}
const QByteArray marker = readone({"READ2=2"});
const QByteArray oldPassword = saved("old", "old clue");
const QByteArray inTheWay = "a folder where the data file should be";

// Types into the box after a click, twice: every click must empty it, whatever it holds. Key
// by key with the text, as QTest::keyClicks can't type non-ASCII letters.
void retype(QLineEdit* box, const QString& text) {
    for (const QString& typed : {QStringLiteral("junk"), text}) {
        QTest::mouseClick(box, Qt::LeftButton);
        for (const QChar c : typed)
            QTest::sendKeyEvent(QTest::Click, box, Qt::Key_unknown, QString(c), Qt::NoModifier);
    }
}

// The controls that Form2 and Form4 share.
struct Screen {
    QPointer<QWidget> window;
    QLineEdit *Text1 = nullptr, *Text2 = nullptr;
    QPushButton *Command1 = nullptr, *Command2 = nullptr;
    template <class Form> explicit Screen(Form* f) : window(f) {
        if (f)
            Text1 = f->Text1, Text2 = f->Text2, Command1 = f->Command1, Command2 = f->Command2;
    }
    bool loaded() const { return window && window->isVisible(); }
};

// One start of the program in a folder of its own.
struct Session {
    TestFolder folder;
    FakeToolkit toolkit{folder.path()};
    QPointer<Form1> main;
    ~Session() { // every box expected, every expectation used
        Windows::unloadAll();
        QVERIFY2(toolkit.problems().isEmpty(), qPrintable(toolkit.problems()));
    }
    void expectImportant() { toolkit.expectBox(QStringLiteral("IMPORTANT"), important); }
    // A password screen opened as "Form2", "Form4", or "changep" from the main window.
    Screen open(const QString& how) {
        if (how != "changep")
            return how == "Form2" ? Screen(Windows::show<Form2>()) : Screen(Windows::show<Form4>());
        main = Windows::show<Form1>();
        main->changep->trigger();
        return Screen(Windows::find<Form4>());
    }
};

// The window left open once the splash has gone.
QString openWindow() {
    if (Windows::find<Form1>())
        return QStringLiteral("Form1");
    if (Form2* f = Windows::find<Form2>())
        return f->Text2->isVisible() ? QStringLiteral("Form2") : QStringLiteral("Form2 check");
    return QStringLiteral("none");
}

// One use of a password screen: opened as `how`, the password typed, the clue typed (null: the
// prompt left alone), one button clicked; then the box shown ("title|text"), what is open
// ("Form1": the main window, "stays", "end": the program ends) and the bytes.
struct Use {
    QString how, password, clue, then, box;
    QByteArray before, after;
    int button;
};
// The password and clue recorded, the main window open.
void saves(const char* name, const char* how, const QByteArray& before, const QString& password,
           const QString& clue, const QByteArray& after) {
    QTest::newRow(name) << Use{how, password, clue, "Form1", {}, before, after, 1};
}
// Nothing written: a box, and the screen stays or the program ends.
void refuses(const char* name, const char* how, const QByteArray& before, const QString& password,
             const QString& clue, int button, const QString& box, const char* then = "stays") {
    QTest::newRow(name) << Use{how, password, clue, then, box, before, before, button};
}
void check(const char* name, const QByteArray& stored, const char* typed, bool accepted) {
    const QByteArray file = readone({"READ2=" + stored, "READ3=cat", "READ1=1"});
    accepted ? saves(name, "Form2", file, typed, {}, file)
             : refuses(name, "Form2", file, typed, {}, 1, "Sorry|Sorry, wrong password", "end");
}
} // namespace
Q_DECLARE_METATYPE(Use)

class TestStartup : public QObject {
    Q_OBJECT
    std::optional<Session> s;

  private slots:
    void init() { s.emplace(); }
    void cleanup() { s.reset(); }

    void splash_data() {
        QTest::addColumn<QByteArray>("before");
        QTest::addColumn<QByteArray>("after"); // differs from before when the titles ran
        QTest::addColumn<QString>("opens");
        const auto row = [](const char* name, const QByteArray& before, const QByteArray& after,
                            const char* opens) { QTest::newRow(name) << before << after << opens; };
        row("no data file", {}, marker, "Form2");
        row("read1 empty", readone({"READ1="}), readone({"READ1=", "READ2=2"}), "Form2");
        row("read1 with a blank", readone({"READ1=1 "}), readone({"READ1=1 ", "READ2=2"}), "Form2");
        row("read1 other, password stored: marker overwrites it",
            readone({"READ2=Secret", "READ3=cat", "READ1=2"}),
            readone({"READ2=2", "READ3=cat", "READ1=2"}), "Form2");
        const QByteArray empty = readone({"READ2=", "READ3=No Password", "READ1=1"});
        row("read1 1, read2 empty", empty, empty, "Form1");
        row("read1 1, read2 missing", readone({"READ1=1"}), readone({"READ1=1"}), "Form1");
        const QByteArray password = readone({"READ2=Secret", "READ3=cat", "read1=1"});
        row("read1 1, password stored", password, password, "Form2 check");
    }
    void splash() {
        QFETCH(QByteArray, before);
        QFETCH(QByteArray, after);
        QFETCH(QString, opens);
        if (!before.isNull())
            s->folder.write(before);
        if (opens == "Form2")
            s->expectImportant();
        QPointer<Form3> splash = Windows::show<Form3>();
        QVERIFY(splash && !splash->Timer1->isActive()); // nothing runs before the first paint
        QStringList seen;
        bool splashAtNotice = false;
        s->toolkit.onWait = [&](double) {
            splash->repaint(); // a paint during a pause must not start the sequence again
            // The labels on screen, whether the marker is written, and the splash alone at work.
            const bool alone =
                splash->isVisible() && !splash->Timer1->isActive() && openWindow() == "none";
            seen << splash->Label1->text() + '/' + splash->Label2->text() + '/' +
                        splash->Label3->text() + (s->folder.bytes() == after ? " +marker" : "") +
                        (alone ? "" : " +more");
        };
        s->toolkit.onBox = [&](const FakeToolkit::Box&) { splashAtNotice = splash->isVisible(); };
        QVERIFY(QTest::qWaitFor([] { return !Windows::find<Form3>(); }));
        const QString r = QStringLiteral("Registration Tallivor II/");
        const QStringList titles = {
            "Registration//", "Registration Tallivor//", r + "/",
            r + "Presented/", r + "Presented By:/",      r + "Presented By:/Quorvex +marker"};
        QCOMPARE(seen, before == after ? QStringList() : titles);
        const QList<double> pauses = {36001, 36002, 36003, 36004, 36005, 36007}; // 1 s x5, 2 s
        QCOMPARE(s->toolkit.waits, before == after ? QList<double>() : pauses);
        QCOMPARE(s->folder.bytes(), after);
        QCOMPARE(openWindow(), opens);
        QCOMPARE(splashAtNotice, opens == "Form2"); // handed over while on screen
        QCOMPARE(Windows::loadedCount(), 1);
        QCOMPARE(s->toolkit.endCalls, 0);
    }

    void splashClosedFromOutside_data() {
        QTest::addColumn<int>("closeAt"); // 0: before the sequence; 1-6: in that pause; 7: notice
        for (int at = 0; at <= 7; ++at)
            QTest::addRow("%d", at) << at;
    }
    void splashClosedFromOutside() {
        QFETCH(int, closeAt);
        QPointer<Form3> splash = Windows::show<Form3>();
        QVERIFY(splash);
        if (closeAt == 0)
            splash->close();
        int pauses = 0;
        s->toolkit.onWait = [&](double) {
            if (++pauses == closeAt)
                splash->close();
        };
        if (closeAt == 7) {
            s->expectImportant();
            s->toolkit.onBox = [&](const FakeToolkit::Box&) { splash->close(); };
        }
        QTRY_VERIFY(!splash);
        QCOMPARE(pauses, std::min(closeAt, 6));
        QCOMPARE(s->toolkit.endCalls, 1);
        QCOMPARE(Windows::loadedCount(), closeAt == 7 ? 1 : 0); // nothing opens after the close
        QCOMPARE(s->folder.exists(), closeAt >= 6);             // the marker follows the titles
    }

    void screenUse_data() {
        QTest::addColumn<Use>("use");
        const QString reminder = "Reminder|" + prompt;
        const QString unstored = "Tallivor II|The password could not be stored: %reason";
        const QString clue = "Clue|The clue you left for yourself was: ";
        const QByteArray noPassword = saved("", "No Password");
        const QString k760(760, QLatin1Char('k')); // the boxes keep 749: all that reads back
        const QByteArray k749(749, 'k');
        saves("set", "Form2", marker, "Secret", "my cat", saved("Secret", "my cat"));
        saves("set: letters, blanks kept", "Form2", marker, " pA s ", " c ",
              saved(" pA s ", " c "));
        saves("set: emptied clue", "Form2", marker, "Secret", "", saved("Secret", ""));
        saves("set: no password", "Form2", marker, "", {}, noPassword);
        saves("set: no password, clue typed", "Form2", marker, "", "c", noPassword);
        saves("set: 749 characters at most", "Form2", marker, k760, k760, saved(k749, k749));
        refuses("set: prompt left", "Form2", marker, "Secret", {}, 1, reminder);
        refuses("set: can't store", "Form2", inTheWay, "Secret", "cat", 1, unstored);
        refuses("set: forgot, no clue", "Form2", {}, "", {}, 2, clue);
        refuses("set: forgot", "Form2", readone({"READ2=2", "READ3= my cat "}), "", {}, 2,
                clue + " my cat ");
        refuses("check: forgot", "Form2", readone({"READ2=Secret", "READ3=cat", "READ1=1"}), "", {},
                2, clue + "cat");
        check("check: as stored", "Secret", "Secret", true);
        check("check: lower case", "Secret", "secret", true);
        check("check: upper case", "Secret", "SECRET", true);
        check("check: umlaut in other case", "Ärger", "äRGER", true);
        check("check: no case folding of ß", "Grüße", "GRÜSSE", false);
        check("check: first-run marker is a plain value", "2", "2", true);
        check("check: wrong", "Secret", "Secrex", false);
        check("check: prefix", "Secret", "Secre", false);
        check("check: trailing blank typed", "Secret", "Secret ", false);
        check("check: stored with a blank", " Secret", "Secret", false);
        check("check: empty", "Secret", "", false);
        saves("change", "changep", oldPassword, "NeW", "c", saved("NeW", "c"));
        saves("change: no password", "changep", oldPassword, "", {}, noPassword);
        saves("change: emptied clue", "changep", oldPassword, "NeW", "", saved("NeW", ""));
        saves("change: written in order", "Form4", {}, "NeW", "c",
              readone({"READ2=NeW", "READ3=c", "READ1=1"}));
        saves("change: 749 characters at most", "changep", oldPassword, k760, k760,
              saved(k749, k749));
        refuses("change: prompt left", "changep", oldPassword, "NeW", {}, 1, reminder);
        refuses("change: can't store", "Form4", inTheWay, "NeW", "c", 1, unstored);
        refuses("change: forgot", "changep", oldPassword, "", {}, 2, clue + "old clue");
    }
    void screenUse() {
        QFETCH(Use, use);
        QString reason;
        if (use.before == inTheWay) { // neither readable nor replaceable
            QVERIFY(QDir(s->folder.path()).mkdir(QStringLiteral("tallivor.tvr")));
            QVERIFY(!ProfileRoutines::WriteProfileValues({{"readone", "read2", "x"}},
                                                         s->toolkit.dataFile(), &reason));
            use.before = use.after = QByteArray();
        } else if (!use.before.isNull()) {
            s->folder.write(use.before);
        }
        if (use.how != "Form2" || !use.before.contains("READ1=1"))
            s->expectImportant();
        Screen w = s->open(use.how);
        QVERIFY(w.loaded());
        const QPointer<Form1> main = s->main;
        QCOMPARE(QStringList({w.window->windowTitle(), w.Command1->text(), w.Command2->text(),
                              w.Text2->text()}),
                 QStringList({"Password Screen", "Enter", "I forgot my password", prompt}));
        // Focus starts in the password box; Tab goes on to Enter, the clue button, the clue box.
        QCOMPARE(w.window->focusWidget(), w.Text1);
        QCOMPARE(QList<QWidget*>({w.Text1->nextInFocusChain(), w.Command1->nextInFocusChain(),
                                  w.Command2->nextInFocusChain()}),
                 QList<QWidget*>({w.Command1, w.Command2, w.Text2}));
        retype(w.Text1, use.password);
        QCOMPARE(w.Text1->displayText(), QString(use.password.left(749).size(), QLatin1Char('$')));
        if (!use.clue.isNull())
            retype(w.Text2, use.clue);
        for (const auto key : {Qt::Key_Return, Qt::Key_Enter}) // press no button
            QTest::keyClick(w.Text1, key);
        if (!use.box.isEmpty())
            s->toolkit.expectBox(use.box.section('|', 0, 0),
                                 use.box.section('|', 1).replace("%reason", reason));
        QTest::mouseClick(use.button == 1 ? w.Command1 : w.Command2, Qt::LeftButton);
        QCOMPARE(s->folder.bytes(), use.after);
        QCOMPARE(s->toolkit.endCalls, use.then == "end" ? 1 : 0);
        QCOMPARE(w.loaded(), use.then != "Form1");
        QCOMPARE(Windows::find<Form1>() != nullptr, use.then == "Form1" || use.how == "changep");
        if (main)
            QCOMPARE(Windows::find<Form1>(), main.data()); // brought forward, not loaded again
        if (use.then == "stays")
            QCOMPARE(w.Text1->text(), use.password);
    }

    // The first start sets a password through the real windows; the next one checks it, and
    // asks twice for the change-password screen: one screen, one notice; its frame's close
    // writes nothing, and so does the next opening's.
    void wholeStarts() {
        for (const bool first : {true, false}) {
            Windows::unloadAll();
            s->toolkit.waits.clear();
            if (first)
                s->expectImportant();
            QVERIFY(Windows::show<Form3>());
            QVERIFY(QTest::qWaitFor([] { return !Windows::find<Form3>(); }));
            QCOMPARE(s->toolkit.waits.size(), first ? 6 : 0); // the titles on a first start only
            Screen w(Windows::find<Form2>());
            QVERIFY(w.loaded());
            QCOMPARE(w.Text2->isVisible(), first); // set mode, then check mode
            retype(w.Text1, first ? "Open Sesame" : "oPEN sESAME");
            if (first)
                retype(w.Text2, QStringLiteral("cave"));
            QTest::mouseClick(w.Command1, Qt::LeftButton);
            QVERIFY(Windows::find<Form1>() && Windows::find<Form1>()->isVisible());
            QCOMPARE(Windows::loadedCount(), 1);
            QCOMPARE(s->folder.bytes(), saved("Open Sesame", "cave"));
        }
        for (int opening = 1; opening <= 2; ++opening) {
            s->expectImportant(); // on every new opening
            Screen w = s->open("changep");
            QCOMPARE(QStringList({w.Text1->text(), w.Text2->text()}), QStringList({"", prompt}));
            retype(w.Text1, QStringLiteral("new"));
            retype(w.Text2, QStringLiteral("new clue"));
            s->main->changep->trigger();
            QCOMPARE(Windows::find<Form4>(), w.window.data());
            QCOMPARE(w.Text1->text(), QStringLiteral("new")); // the same screen, not afresh
            QCOMPARE(s->toolkit.boxes.size(), opening + 1);
            QVERIFY(w.window->close());
        }
        QCOMPARE(s->folder.bytes(), saved("Open Sesame", "cave"));
        QCOMPARE(Windows::loadedCount(), 1);
        QCOMPARE(s->toolkit.endCalls, 0);
    }
};

QTEST_MAIN(TestStartup)
#include "tst_startup.moc"
