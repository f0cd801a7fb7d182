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
const QByteArray inTheWay = "a folder where the data file should be";

// Types into the box after a click, twice: every click must empty it, whatever it holds. Key
// by key with the text, as QTest::keyClicks can't type non-ASCII letters; "paste:" and "drop:"
// bring the rest in as a terminal's copy or a drag would, line breaks and all.
void retype(QLineEdit* box, const QString& text) {
    for (const QString& typed : {QStringLiteral("junk"), text}) {
        QTest::mouseClick(box, Qt::LeftButton);
        if (typed.startsWith("paste:")) {
            QGuiApplication::clipboard()->setText(typed.mid(6));
            QTest::keyClick(box, Qt::Key_V, Qt::ControlModifier);
        } else if (typed.startsWith("drop:")) {
            QMimeData mime;
            mime.setText(typed.mid(5));
            QDragEnterEvent enter(box->rect().center(), Qt::CopyAction, &mime, Qt::LeftButton, {});
            QDropEvent drop(box->rect().center(), Qt::CopyAction, &mime, Qt::LeftButton, {});
            QApplication::sendEvent(box, &enter);
            QApplication::sendEvent(box, &drop);
        } else {
            for (const QChar c : typed)
                QTest::sendKeyEvent(QTest::Click, box, Qt::Key_unknown, QString(c), {});
        }
    }
}
// What the box holds after retype(): what a single-line box can hold.
QString held(QString text) {
    if (text.startsWith("paste:") || text.startsWith("drop:"))
        text = text.section(':', 1);
    return text.remove(QRegularExpression(R"([\r\n\x{85}\x{2028}\x{2029}])")).left(749);
}

} // namespace

class TestStartup : public QObject {
    Q_OBJECT
    std::optional<TestFolder> folder; // one start of the program in a folder of its own
    std::optional<FakeToolkit> toolkit;
    void expectImportant() { toolkit->expectBox(QStringLiteral("IMPORTANT"), important); }

    // A password screen opened as "Form2", "Form4", "changep" from the main window, or "start":
    // the splash, then the password screen it opens.
    static PasswordScreen* open(const QString& how) {
        if (how == "start") {
            Windows::show<Form3>();
            const bool gone = QTest::qWaitFor([] { return !Windows::find<Form3>(); });
            return gone ? Windows::find<Form2>() : nullptr;
        }
        if (how != "changep")
            return how == "Form2" ? static_cast<PasswordScreen*>(Windows::show<Form2>())
                                  : Windows::show<Form4>();
        Windows::show<Form1>()->changep->trigger();
        return Windows::find<Form4>();
    }

  private slots:
    void init() { toolkit.reset(), folder.emplace(), toolkit.emplace(folder->path()); }
    void cleanup() { // every box expected, every expectation used
        Windows::unloadAll();
        QVERIFY2(toolkit->problems().isEmpty(), qPrintable(toolkit->problems()));
    }

    void splash_data() {
        for (const char* column : {"before", "after"}) // after differs when the titles ran
            QTest::addColumn<QByteArray>(column);
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
        const QByteArray password = readone({"READ2=Secret", "READ3=cat", "read1=1"});
        row("read1 1, password stored", password, password, "Form2 check");
        row("never painted", {}, marker, "Form2");
    }
    void splash() {
        QFETCH(QByteArray, before);
        QFETCH(QByteArray, after);
        QFETCH(QString, opens);
        if (!before.isNull())
            folder->write(before);
        if (opens == "Form2")
            expectImportant();
        QPointer<Form3> splash = Windows::show<Form3>();
        QVERIFY(splash && !splash->Timer1->isActive()); // nothing runs before the first paint
        // A splash the window manager leaves unmapped is never painted: it runs all the same.
        splash->setUpdatesEnabled(QTest::currentDataTag() != QByteArray("never painted"));
        int runs = 0;
        connect(splash->Timer1, &SequenceTimer::sequence, this, [&] { ++runs; });
        QStringList seen;
        bool splashAtNotice = false;
        toolkit->onWait = [&](double) {
            splash->repaint(); // a paint during a pause must not start the sequence again
            // The labels on screen, whether the marker is written, and the splash alone at work.
            const bool alone =
                splash->isVisible() && !splash->Timer1->isActive() && Windows::loadedCount() == 1;
            seen << splash->Label1->text() + '/' + splash->Label2->text() + '/' +
                        splash->Label3->text() + (folder->bytes() == after ? " +marker" : "") +
                        (alone ? "" : " +more");
        };
        toolkit->onBox = [&](const FakeToolkit::Box&) { splashAtNotice = splash->isVisible(); };
        QVERIFY(QTest::qWaitFor([] { return !Windows::find<Form3>(); }));
        const QString r = QStringLiteral("Registration Tallivor II/");
        const QStringList titles = {
            "Registration//", "Registration Tallivor//", r + "/",
            r + "Presented/", r + "Presented By:/",      r + "Presented By:/Quorvex +marker"};
        QCOMPARE(seen, before == after ? QStringList() : titles);
        const QList<double> pauses = {36001, 36002, 36003, 36004, 36005, 36007}; // 1 s x5, 2 s
        QCOMPARE(toolkit->waits, before == after ? QList<double>() : pauses);
        QCOMPARE(folder->bytes(), after);
        const Form2* f = Windows::find<Form2>(); // the window left open once the splash has gone
        QCOMPARE(QString(f ? (f->Text2->isVisible() ? "Form2" : "Form2 check")
                           : (Windows::find<Form1>() ? "Form1" : "none")),
                 opens);
        QCOMPARE(runs, 1);
        QCOMPARE(splashAtNotice, opens == "Form2"); // handed over while on screen
        QCOMPARE(Windows::loadedCount(), 1);
        QCOMPARE(toolkit->endCalls, 0);
    }

    void splashClosedFromOutside_data() {
        QTest::addColumn<int>("closeAt"); // 1: before the sequence; 2-7: in a pause; 8: notice
        for (int at = 1; at <= 8; ++at)
            QTest::addRow("%d", at) << at;
    }
    void splashClosedFromOutside() {
        QFETCH(int, closeAt);
        QPointer<Form3> splash = Windows::show<Form3>();
        int step = 0;
        const auto next = [&](auto&&...) {
            if (++step == closeAt)
                splash->close();
        };
        next();
        toolkit->onWait = next;
        toolkit->onBox = next;
        if (closeAt == 8)
            expectImportant();
        QTRY_VERIFY(!splash);
        QCOMPARE(step, closeAt);
        QCOMPARE(toolkit->endCalls, 1);
        QCOMPARE(Windows::loadedCount(), closeAt == 8 ? 1 : 0); // nothing opens after the close
        QCOMPARE(folder->exists(), closeAt >= 7);               // the marker follows the titles
    }

    // One use of a password screen: opened as `how`, the password typed, the clue typed (null:
    // the prompt left alone), Enter clicked, or the clue button for a "Clue" box; then the box
    // shown ("title|text") and the bytes (null: as before). No box: the main window opens;
    // "Sorry": the program ends; any other box: the screen stays.
    void screenUse_data() {
        for (const char* column : {"how", "password", "clue", "box"})
            QTest::addColumn<QString>(column);
        for (const char* column : {"before", "after"})
            QTest::addColumn<QByteArray>(column);
        const auto row = [](const char* name, const char* how, const QByteArray& before,
                            const QString& password, const QString& clue, const QString& box,
                            const QByteArray& after = {}) {
            QTest::newRow(name) << how << password << clue << box << before << after;
        };
        const auto check = [&](const char* name, const QByteArray& stored, const char* typed,
                               bool accepted) {
            const QByteArray file = readone({"READ2=" + stored, "READ3=cat", "READ1=1"});
            row(name, "Form2", file, typed, {}, accepted ? "" : "Sorry|Sorry, wrong password");
        };
        const QString reminder = "Reminder|" + prompt;
        const QString unstored = "Tallivor II|The password could not be stored: %reason";
        const QString clue = "Clue|The clue you left for yourself was: ";
        const QByteArray old = saved("old", "old clue"), noPassword = saved("", "No Password");
        const QString k760(760, QLatin1Char('k')); // the boxes keep 749: all that reads back
        const QByteArray k749(749, 'k');
        // A whole first start through the real windows, and the next one.
        row("start: first", "start", {}, "Open Sesame", "cave", {}, saved("Open Sesame", "cave"));
        row("start: next", "start", saved("Open Sesame", "cave"), "oPEN sESAME", {}, {});
        row("set: letters, blanks kept", "Form2", marker, " pA s ", " c ", {},
            saved(" pA s ", " c "));
        row("set: emptied clue", "Form2", marker, "Secret", "", {}, saved("Secret", ""));
        row("set: pasted and dropped with line breaks", "Form2", marker, "paste:pw1\n",
            "drop:\r\nmy\u2028cat\u2029\u0085", {}, saved("pw1", "mycat"));
        row("set: no password, clue typed", "Form2", marker, "", "c", {}, noPassword);
        row("set: 749 characters at most", "Form2", marker, k760, k760, {}, saved(k749, k749));
        row("set: prompt left", "Form2", marker, "Secret", {}, reminder);
        row("set: can't store", "Form2", inTheWay, "Secret", "cat", unstored);
        row("set: forgot, no clue", "Form2", {}, "", {}, clue);
        row("set: forgot", "Form2", readone({"READ2=2", "READ3= my cat "}), "", {},
            clue + " my cat ");
        check("check: other case", "Secret", "sECRET", true);
        check("check: umlaut in other case", "Ärger", "äRGER", true);
        check("check: no case folding of ß", "Grüße", "GRÜSSE", false);
        check("check: first-run marker is a plain value", "2", "2", true);
        check("check: pasted with a line break", "pw1", "paste:PW1\r\n", true);
        check("check: wrong", "Secret", "Secrex", false);
        check("check: prefix", "Secret", "Secre", false);
        check("check: trailing blank typed", "Secret", "Secret ", false);
        check("check: stored with a blank", " Secret", "Secret", false);
        check("check: empty", "Secret", "", false);
        row("change", "changep", old, "NeW", "c", {}, saved("NeW", "c"));
        row("change: written in order", "Form4", {}, "NeW", "c", {},
            readone({"READ2=NeW", "READ3=c", "READ1=1"}));
        row("change: can't store", "Form4", inTheWay, "NeW", "c", unstored);
        row("change: closed with the frame", "changep", old, "NeW", "c", "close");
    }
    void screenUse() {
        QFETCH(QString, how);
        QFETCH(QString, password);
        QFETCH(QString, clue);
        QFETCH(QString, box);
        QFETCH(QByteArray, before);
        QFETCH(QByteArray, after);
        QString reason;
        if (before == inTheWay) { // neither readable nor replaceable
            QVERIFY(QDir(folder->path()).mkdir(QStringLiteral("tallivor.tvr")));
            QVERIFY(!ProfileRoutines::WriteProfileValues({{"readone", "read2", "x"}},
                                                         toolkit->dataFile(), &reason));
            before = QByteArray();
        } else if (!before.isNull()) {
            folder->write(before);
        }
        if (how == "Form4" || how == "changep" || !before.contains("READ1=1"))
            expectImportant();
        QPointer<PasswordScreen> w = open(how);
        QVERIFY(w && w->isVisible());
        const QPointer<Form1> main = Windows::find<Form1>();
        QCOMPARE(
            QStringList({w->windowTitle(), w->Command1->text(), w->Command2->text(),
                         w->Text2->text(), w->focusWidget()->objectName()}),
            QStringList({"Password Screen", "Enter", "I forgot my password", prompt, "Text1"}));
        retype(w->Text1, password);
        QCOMPARE(w->Text1->displayText(), QString(held(password).size(), QLatin1Char('$')));
        if (!clue.isNull())
            retype(w->Text2, clue);
        for (const auto key : {Qt::Key_Return, Qt::Key_Enter}) // press no button
            QTest::keyClick(w->Text1, key);
        if (main) { // asked for again: the same screen, no second notice
            main->changep->trigger();
            QCOMPARE(Windows::find<Form4>(), w.data());
        }
        if (box.contains('|'))
            toolkit->expectBox(box.section('|', 0, 0),
                               box.section('|', 1).replace("%reason", reason));
        if (box == "close")
            QVERIFY(w->close());
        else
            QTest::mouseClick(box.startsWith("Clue|") ? w->Command2 : w->Command1, Qt::LeftButton);
        const QString then = box.isEmpty() || box == "close" ? "Form1"
                             : box.startsWith("Sorry")       ? "end"
                                                             : "stays";
        QCOMPARE(folder->bytes(), after.isNull() ? before : after);
        QCOMPARE(toolkit->endCalls, then == "end" ? 1 : 0);
        QCOMPARE(w && w->isVisible(), then != "Form1");
        QCOMPARE(Windows::find<Form1>() != nullptr, then == "Form1" || how == "changep");
        if (main)
            QCOMPARE(Windows::find<Form1>(), main.data()); // brought forward, not loaded again
        if (then == "stays")
            QCOMPARE(w->Text1->text(), held(password));
        if (box == "close") { // opened afresh, with the notice again
            expectImportant();
            QCOMPARE(open(how)->Text1->text(), QString());
        }
    }
};

QTEST_MAIN(TestStartup)
#include "tst_startup.moc"
