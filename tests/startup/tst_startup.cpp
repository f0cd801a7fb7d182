// Start-up through its windows: the splash and its choice of the next window, the password screen
// (Form2) setting a password on a first start, and the pauses between the splash's titles; driven
// as a user does and checked on the data file's bytes.
#include "mainwindow/form1.h"
#include "startup/form2.h"
#include "startup/form3.h"
#include "support/faketoolkit.h"
#include "ui/routines.h"
#include "ui/sequencetimer.h"
#include "ui/windowregistry.h"

#include <QtTest>
#include <QtWidgets>

#include <optional>

namespace {
const QString Important = "IMPORTANT|If you don't want to password this program, leave the box "
                          "blank and click enter.";
const QByteArray Marker = ini({"[readone]", "READ2=2"});

// The data file as the main window's first load leaves it after a password was recorded.
QByteArray saved(const QString& password, const QString& clue) {
    return ini({"[readone]", "READ2=" + password, "READ3=" + clue, "READ1=1", "[Ruduze Vad Ovo]",
                "NAME1=Set 1", "NAME2=Set 2", "NAME3=Set 3", "NAME4=Set 4", "NAME5=Set 5"});
}

// Pastes into the box after a click, which must empty it.
void retype(QLineEdit* box, const QString& typed) {
    QTest::mouseClick(box, Qt::LeftButton);
    QVERIFY(box->text().isEmpty());
    QGuiApplication::clipboard()->setText(typed);
    QTest::keyClick(box, Qt::Key_V, Qt::ControlModifier);
}

QLineEdit* box(QWidget* w, const char* name) {
    return w->findChild<QLineEdit*>(name);
}

// The window on screen: "Form1", "Form2" (setting a password), "Form2 check", or "none".
QString shown() {
    Form2* f = Windows::find<Form2>();
    if (f && f->isVisible())
        return box(f, "Text2")->isVisible() ? "Form2" : "Form2 check";
    return Windows::find<Form1>() && Windows::find<Form1>()->isVisible() ? "Form1" : "none";
}

// One start: the data file before ("/": a folder of that name) with its modes, what is typed on
// the password screen that opens, and then the boxes shown, the window on screen ("none": the
// program ended), the file after (null: as before).
struct Start {
    QByteArray before;
    int folderMode = 0777;
    int closeAt = 0;        // the window system closes the splash at its n-th pause (7: the notice)
    bool painted = true;    // a splash the window manager leaves unmapped is never painted
    QString password, clue; // password null: nothing typed; clue null: its prompt left
    Need need = Need::Nothing;
    QStringList boxes;
    QString window;
    QByteArray after;
};
} // namespace
Q_DECLARE_METATYPE(Start)

class TestStartup : public QObject {
    Q_OBJECT
    std::optional<FakeToolkit> toolkit; // one start of the program in a folder of its own

  private slots:
    void init() { toolkit.emplace(); }
    void cleanup() { toolkit.reset(); }

    // The splash runs as nobody, so that the modes count for root too. Enter on the password
    // screen is clicked after Return and Enter were pressed in the password box, which press
    // no button.
    void start_data() {
        QTest::addColumn<Start>("s");
        const QByteArray password = ini({"[readone]", "READ2=pw", "READ3=cat", "READ1=1"});
        const QString unread = "Tallivor II|The data file could not be read: %file ";
        const auto row = [](const char* name, const Start& start) { QTest::newRow(name) << start; };
        // clang-format off
        row("first start, never painted, blanks kept", {.painted = false, .password = " pA s ",
            .clue = " c ", .boxes = {Important}, .window = "Form1", .after = saved(" pA s ", " c ")});
        row("no password", {.before = ini({"[readone]", "READ2=", "READ1=1"}), .window = "Form1"});
        row("a password", {.before = password, .window = "Form2 check"});
        row("a wrong password", {.before = password, .password = "pw ",
            .boxes = {"Sorry|Sorry, wrong password"}, .window = "none"});
        row("closed after the marker", {.closeAt = 6, .window = "none", .after = Marker});
        row("closed at the notice",
            {.closeAt = 7, .boxes = {Important}, .window = "none", .after = Marker});
        row("a folder of that name",
            {.before = "/", .boxes = {unread + "(it is a folder)"}, .window = "none"});
        row("first start, read-only folder", {.folderMode = 0555, .need = Need::Modes,
            .boxes = {"Tallivor II|The data file could not be written: the folder %folder can't "
                      "be written to"}, .window = "none"});
        // clang-format on
    }
    void start() {
        QFETCH(Start, s);
        if (const char* why = lacking(s.need))
            QSKIP(why);
        s.before == "/" ? void(QDir().mkdir(toolkit->dataFile())) : toolkit->write(s.before);
        setMode(toolkit->dataFile(), 0666);
        setMode(toolkit->programFolder(), s.folderMode);
        for (const QString& box : s.boxes)
            toolkit->expect(box);
        QPointer<Form3> splash;
        int pauses = 0;
        const auto next = [&] {
            if (++pauses == s.closeAt)
                splash->close();
        };
        toolkit->onWait = [&] {
            splash->repaint(); // a paint during a pause must not start the sequence again
            QVERIFY(splash->isVisible() && !splash->findChild<QTimer*>("Timer1")->isActive() &&
                    Windows::loadedCount() == 1);
            next();
        };
        toolkit->onBox = [&] { splash ? next() : void(); };
        {
            const Conditions nobody(0, true);
            splash = Windows::show<Form3>();
            // The sequence waits for the splash to be on screen: painted.
            QVERIFY(!splash || !splash->findChild<QTimer*>("Timer1")->isActive());
            if (splash) {
                splash->setUpdatesEnabled(s.painted);
                toolkit->watchTexts(splash);
            }
            QVERIFY(QTest::qWaitFor([&] { return !splash || toolkit->ended; }));
        }
        if (!s.password.isNull()) {
            Form2* w = Windows::find<Form2>();
            QVERIFY(w && w->focusWidget() == box(w, "Text1"));
            retype(box(w, "Text1"), s.password);
            QCOMPARE(box(w, "Text1")->displayText(), QString(s.password.size(), u'$'));
            if (!s.clue.isNull())
                retype(box(w, "Text2"), s.clue);
            for (const auto key : {Qt::Key_Return, Qt::Key_Enter})
                QTest::keyClick(box(w, "Text1"), key);
            QTest::mouseClick(w->findChild<QPushButton*>("Command1"), Qt::LeftButton);
        }
        QCOMPARE(shown(), s.window);
        // Every title was drawn whole.
        QVERIFY2(lacking(Need::Fonts) || toolkit->unfit.isEmpty(),
                 qPrintable(toolkit->unfit.join('|')));
        QCOMPARE(toolkit->endCalls, s.window == "none" ? 1 : 0);
        setMode(toolkit->dataFile(), 0600); // readable to the test, whoever runs it
        QCOMPARE(toolkit->bytes(), s.after.isNull() ? s.before.replace("/", "") : s.after);
    }

    // How long Pause waits, in virtual time: the rounded start, a program already ending, and
    // the clock set back an hour at the first wait (summer time, a manual change).
    void pauseEndsOnTheRoundedSecond_data() {
        QTest::addColumn<QList<double>>("t"); // called at, seconds, clock set back, waited
        QTest::newRow("100.5 +1 halves to even") << QList<double>{100.5, 1, 0, 0.5};
        QTest::newRow("101.5 +1 halves to even") << QList<double>{101.5, 1, 0, 1.5};
        QTest::newRow("0 seconds rounded up") << QList<double>{100.7, 0, 0, 0.3};
        QTest::newRow("100.2 +1, clock set back") << QList<double>{100.2, 1, 3600, 0.8};
        QTest::newRow("program ending") << QList<double>{100.7, 0, 0, -1};
    }
    void pauseEndsOnTheRoundedSecond() {
        QFETCH(QList<double>, t);
        toolkit->now = t[0];
        toolkit->ended = t[3] < 0;
        toolkit->onWait = [&, back = t[2]]() mutable { toolkit->now -= std::exchange(back, 0); };
        Ui::Pause(int(t[1]));
        QVERIFY(qAbs(toolkit->mono - qMax(t[3], 0.0)) < 1e-9);
    }
};

QTEST_MAIN(TestStartup)
#include "tst_startup.moc"
