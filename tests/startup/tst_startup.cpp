// Start-up: the splash and its choice of the next window, the password screen (Form2) and the
// change-password screen (Form4), driven as a user does and checked on the data file's bytes.
#include "mainwindow/form1.h"
#include "startup/form2.h"
#include "startup/form3.h"
#include "startup/form4.h"
#include "support/faketoolkit.h"
#include "ui/windows.h"

#include <QtTest>
#include <QtWidgets>

#include <optional>

namespace {
// Data-file bytes: the readone section with these lines, each ended with CRLF as new files are.
QByteArray readone(const QByteArrayList& lines) {
    return "[readone]\r\n" + lines.join("\r\n") + "\r\n";
}
// The data file as the main window's first load leaves it after a password was recorded.
QByteArray saved(const QByteArray& password, const QByteArray& clue) {
    return readone({"READ2=" + password, "READ3=" + clue, "READ1=1", "[Ruduze Vad Ovo]",
                    "NAME1=Set 1", "NAME2=Set 2", "NAME3=Set 3", "NAME4=Set 4", "NAME5=Set 5"});
}
const QByteArray marker = readone({"READ2=2"});

// Types into the box after a click, which must empty it.
void retype(QLineEdit* box, const QString& typed) {
    QTest::mouseClick(box, Qt::LeftButton);
    type(box, typed);
}
} // namespace

class TestStartup : public QObject {
    Q_OBJECT
    std::optional<FakeToolkit> toolkit; // one start of the program in a folder of its own

  private slots:
    void init() { toolkit.emplace(); }
    void cleanup() { toolkit.reset(); }

    // One start with the data file `before`. "start:W": the splash runs and leaves window W open
    // ("none": the program ended); it may be closed from outside in its pauses (closeAt 2-7) or
    // at the next window's notice (8). "Form2", "Form4", "changep" (from the main window): that
    // password screen opens at once. Unless password is null, the screen is used: the password
    // typed, the clue typed (null: the prompt left alone), then Enter clicked, or the clue
    // button for a "Clue" box. Then the box shown ("title|text"; with "Tallivor II" the file
    // may grow by the password, not by its clue too) and the bytes (null: as before). No box:
    // the main window opens; "Sorry": the program ends; any other box: the screen stays.
    void start_data() {
        for (const char* column : {"how", "password", "clue", "box"})
            QTest::addColumn<QString>(column);
        for (const char* column : {"before", "after"})
            QTest::addColumn<QByteArray>(column);
        QTest::addColumn<int>("closeAt");
        const auto row = [](const char* name, const char* how, const QByteArray& before,
                            const QString& password, const QString& clue, const QString& box,
                            const QByteArray& after = {}, int closeAt = 0) {
            QTest::newRow(name) << how << password << clue << box << before << after << closeAt;
        };
        const auto check = [&](const char* name, const QByteArray& stored, const char* typed,
                               bool accepted) {
            const QByteArray file = readone({"READ2=" + stored, "READ3=cat", "read1=1"});
            row(name, "start:Form2 check", file, typed, {},
                accepted ? "" : "Sorry|Sorry, wrong password");
        };
        const QString unstored = "Tallivor II|The password could not be stored: the file %file "
                                 "couldn't be saved (File too large)";
        const QByteArray old = saved("old", "old clue");
        const QString k760(760, u'k'); // the boxes keep 749: what reads back
        const QByteArray k749(749, 'k');
        row("start: read1 with a blank, a password: the marker overwrites it", "start:Form2",
            readone({"READ2=Secret", "READ3=cat", "READ1=1 "}), {}, {}, {},
            readone({"READ2=2", "READ3=cat", "READ1=1 "}));
        row("start: no password", "start:Form1", readone({"READ2=", "READ1=1"}), {}, {}, {});
        row("start: never painted", "start:Form2", {}, {}, {}, {}, marker);
        row("start: closed after the marker", "start:none", {}, {}, {}, {}, marker, 7);
        row("start: closed at the notice", "start:none", {}, {}, {}, {}, marker, 8);
        row("set: blanks kept", "Form2", marker, " pA s ", " c ", {}, saved(" pA s ", " c "));
        row("set: pasted with line breaks", "Form2", marker, "pw1\n", "\r\nmy\u2028cat\u2029\u0085",
            {}, saved("pw1", "mycat"));
        row("set: no password, clue typed", "Form2", marker, "", "c", {}, saved("", "No Password"));
        row("set: 749 characters at most", "Form2", marker, k760, k760, {}, saved(k749, k749));
        row("set: too large with the clue", "Form2", marker, k760, k760, unstored);
        row("set: prompt left", "Form2", marker, "Secret", {},
            "Reminder|Type something that will make you remember your password");
        row("set: forgot", "Form2", readone({"READ2=2", "READ3= my cat "}), "", {},
            "Clue|The clue you left for yourself was:  my cat ");
        check("check: pasted, line break, other case", "Ärger", "äRGER\r\n", true);
        check("check: no case folding of ß", "Grüße", "GRÜSSE", false);
        check("check: prefix", "Secret", "Secre", false);
        check("check: trailing blank typed", "Secret", "Secret ", false);
        row("change", "changep", old, "NeW", "c", {}, saved("NeW", "c"));
        row("change: written in order", "Form4", {}, "NeW", "c", {},
            readone({"READ2=NeW", "READ3=c", "READ1=1"}));
        row("change: too large with the clue", "Form4", old, k760, k760, unstored);
        row("change: closed with the frame", "changep", old, "NeW", "c", "close");
    }
    void start() {
        QFETCH(QString, how);
        QFETCH(QString, password);
        QFETCH(QString, clue);
        QFETCH(QString, box);
        QFETCH(QByteArray, before);
        QFETCH(QByteArray, after);
        QFETCH(int, closeAt);
        if (const char* why =
                box.startsWith("Tallivor II|") ? lacking(Need::FileSizeLimit) : nullptr)
            QSKIP(why);
        if (!before.isNull())
            toolkit->write(before);
        const auto important = [this] {
            toolkit->expect("IMPORTANT|If you don't want to password this program, leave the box "
                            "blank and click enter.");
        };
        if (how == "start:Form2" || !how.startsWith("start") || closeAt == 8)
            important();
        QPointer<Form3> splash = how.startsWith("start:") ? Windows::show<Form3>() : nullptr;
        QVERIFY(!splash || !splash->Timer1->isActive()); // nothing runs before the first paint
        // A splash the window manager leaves unmapped is never painted: it runs all the same.
        if (splash && QTest::currentDataTag() == QByteArray("start: never painted"))
            splash->setUpdatesEnabled(false);
        int step = 1;
        const auto next = [&] { return ++step == closeAt && splash->close(); };
        QStringList seen;
        toolkit->onWait = [&] {
            splash->repaint(); // a paint during a pause must not start the sequence again
            // The splash on screen and alone at work, its titles, and whether the marker is in.
            QVERIFY(splash->isVisible() && !splash->Timer1->isActive() &&
                    Windows::loadedCount() == 1);
            seen << QStringList{QString::number(toolkit->waits.last() - 36000),
                                splash->Label1->text(), splash->Label2->text(),
                                splash->Label3->text(), toolkit->bytes() == after ? "marker" : ""}
                        .join('/');
            next();
        };
        toolkit->onBox = [&] { next(); };
        QVERIFY(QTest::qWaitFor([&] { return !splash; }));
        // At the end of each pause (the last one 2 s): the time, the titles, the marker.
        const QStringList titles =
            QString("1/Registration///|2/Registration Tallivor///|3/%1//|4/%1Presented//|"
                    "5/%1Presented By://|7/%1Presented By:/Quorvex/marker")
                .arg("Registration Tallivor II/")
                .split('|');
        const int steps = how == "start:Form2" || how == "start:none"
                              ? (closeAt ? std::min(closeAt - 1, 6) : 6)
                              : 0;
        QCOMPARE(seen, titles.mid(0, steps));
        if (const Form2* f = Windows::find<Form2>(); how.startsWith("start:")) // the window shown
            QCOMPARE(QString(f && f->isVisible() ? (f->Text2->isVisible() ? "Form2" : "Form2 check")
                             : Windows::find<Form1>() ? "Form1"
                                                      : "none"),
                     how.mid(6));
        if (!password.isNull()) { // the screen used
            if (how == "changep") // from the main window's Password menu
                Windows::show<Form1>()->changep->trigger();
            QPointer<PasswordScreen> w = how == "Form4" || how == "changep"
                                             ? static_cast<PasswordScreen*>(Windows::show<Form4>())
                                             : Windows::show<Form2>();
            QVERIFY(w && w->isVisible());
            QCOMPARE(w->focusWidget(), w->Text1);
            const QPointer<Form1> main = Windows::find<Form1>();
            retype(w->Text1, password);
            QCOMPARE(w->Text1->displayText().count('$'), w->Text1->text().size());
            if (!clue.isNull())
                retype(w->Text2, clue);
            for (const auto key : {Qt::Key_Return, Qt::Key_Enter}) // press no button
                QTest::keyClick(w->Text1, key);
            if (main) { // asked for again: the same screen comes to the front, with no second
                        // notice
                main->activateWindow();
                QVERIFY(QTest::qWaitForWindowActive(main));
                main->changep->trigger();
                QVERIFY(QTest::qWaitFor([&] { return w && w->isActiveWindow(); }));
            }
            // Room for the password alone, not for its clue too.
            limitFileSize(box.startsWith("Tallivor II|") ? 1000 : NoLimit);
            if (box.contains('|'))
                toolkit->expect(QString(box).replace("%file", toolkit->dataFile()));
            box == "close" ? (void)w->close()
                           : QTest::mouseClick(box.startsWith("Clue|") ? w->Command2 : w->Command1,
                                               Qt::LeftButton);
            limitFileSize(NoLimit);
            const bool opened = box.isEmpty() || box == "close"; // the main window
            QCOMPARE(w && w->isVisible(), !opened);
            QCOMPARE(Windows::find<Form1>() != nullptr, opened || how == "changep");
            if (main)
                QCOMPARE(Windows::find<Form1>(), main.data()); // brought forward, not loaded again
            if (box == "close") { // opened afresh, with the notice again
                important();
                main->changep->trigger();
                QCOMPARE(Windows::find<Form4>()->Text1->text(), QString());
            }
        }
        QCOMPARE(toolkit->bytes(), after.isNull() ? before : after);
        QCOMPARE(toolkit->endCalls, closeAt || box.startsWith("Sorry") ? 1 : 0);
    }

    // A data file that is there but can't be used: what the start says, and that it writes
    // nothing. Run as nobody, as root reads and writes whatever the mode bits say.
    void unusableDataFile_data() {
        QTest::addColumn<QByteArray>("before"); // "/": a folder of that name
        QTest::addColumn<int>("fileMode");
        QTest::addColumn<int>("folderMode");
        QTest::addColumn<QString>("box"); // "%1": the data file
        QTest::addColumn<QString>("window");
        const QString unread = "Tallivor II|The data file could not be read: %1 ";
        QTest::newRow("a folder of that name")
            << QByteArray("/") << 0 << 0755 << unread + "(it is a folder)"
            << "none";
        QTest::newRow("unreadable")
            << readone({"READ2=", "READ1=1"}) << 0 << 0755 << unread + "(Permission denied)"
            << "none";
        QTest::newRow("first start, read-only folder")
            << QByteArray() << 0 << 0555
            << "Tallivor II|The data file could not be written: the folder %2 can't be written to"
            << "none";
        // What a full file needs is there already: nothing is written, so nothing fails.
        QTest::newRow("complete file, read-only folder")
            << readone({"READ2=", "READ1=1", "[Ruduze Vad Ovo]", "NAME1=a", "NAME2=b", "NAME3=c",
                        "NAME4=d", "NAME5=e"})
            << 0444 << 0555 << QString() << "Form1";
    }
    void unusableDataFile() {
        QFETCH(QByteArray, before);
        QFETCH(int, fileMode);
        QFETCH(int, folderMode);
        QFETCH(QString, box);
        QFETCH(QString, window);
        // Failures that come from the mode bits alone.
        const QByteArray tag = QTest::currentDataTag();
        if (const char* why = tag == "unreadable" || tag.startsWith("first start")
                                  ? lacking(Need::Modes)
                                  : nullptr)
            QSKIP(why);
        const QString file = toolkit->dataFile();
        if (before == "/")
            QVERIFY(QDir().mkdir(file));
        else if (!before.isEmpty())
            toolkit->write(before);
        setMode(file, fileMode);
        QVERIFY(setMode(toolkit->programFolder(), folderMode));
        if (!box.isEmpty())
            toolkit->expect(
                QString(box).replace("%1", file).replace("%2", toolkit->programFolder()));
        const bool asNobody = becomeNobody();
        const QPointer<Form3> splash = Windows::show<Form3>();
        QVERIFY(QTest::qWaitFor([&] { return !splash || toolkit->ended; }));
        QVERIFY(!asNobody || becomeSelf());
        setMode(toolkit->programFolder(), 0755);
        setMode(file, 0600);
        QCOMPARE(toolkit->ended, window == "none");
        QCOMPARE(Windows::find<Form1>() != nullptr, window == "Form1");
        QCOMPARE(toolkit->bytes(), before == "/" ? QByteArray() : before);
        QCOMPARE(QDir(toolkit->programFolder()).entryList(QDir::Files | QDir::Hidden).size(),
                 before.isEmpty() || before == "/" ? 0 : 1);
    }
};

QTEST_MAIN(TestStartup)
#include "tst_startup.moc"
