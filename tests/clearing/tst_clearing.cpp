// The Reset menu's two commands, driven from the main window in virtual time: what their
// progress windows show, the data file they leave, and what stops or reports them.
#include "clearing/form5.h"
#include "clearing/form6.h"
#include "mainwindow/form1.h"
#include "startup/form4.h"
#include "storage/profileroutines.h"
#include "support/faketoolkit.h"
#include "ui/windows.h"

#include <QtTest>
#include <QtWidgets>

namespace {
const QString AskCurset = "Are you sure you want to clear the current set?";
const QString AskAll = "Are you sure you want to DELETE EVERYTHING?";
const QString Guard = "Choose a set from set menu|SELECT A SET BEFORE MAKING A LIST";
const auto ini = [](const QStringList& lines) { return (lines.join("\r\n") + "\r\n").toUtf8(); };
// "PREFIXk=" for k from first to 15: keys written with empty values.
QStringList empties(const QString& prefix, int first = 1) {
    QStringList out;
    for (int k = first; k <= 15; ++k)
        out << QStringLiteral("%1%2=").arg(prefix).arg(k);
    return out;
}
// Set 3's section before the clear, with its names emptied, and emptied whole.
const QStringList Work = {"[Work]", "NAME1=Photo Editor", "NUM1=PE-1234", "NAME=Work"};
const QStringList NamesCleared =
    QStringList{"[Work]", "NAME1=", "NUM1=PE-1234", "NAME=Work"} + empties("NAME", 2);
const QStringList Cleared =
    QStringList{"[Work]", "NAME1=", "NUM1=", "NAME="} + empties("NAME", 2) + empties("NUM", 2);
// A password with its clue, five named sets, set 3 holding `work`; then `after`.
QByteArray sets(const QString& name3, const QStringList& work, const QStringList& after = {}) {
    return ini(QStringList{"[readone]", "READ2=Secret", "READ3=my cat", "READ1=1",
                           "[Ruduze Vad Ovo]", "NAME3=" + name3, "NAME5=Music"} +
               work + after);
}
// What Clear All leaves once the main window has loaded again.
const QByteArray ClearedAll =
    ini({"[readone]", "READ2=Secret", "READ1=1", "[Ruduze Vad Ovo]", "NAME1=Set 1", "NAME2=Set 2",
         "NAME3=Set 3", "NAME4=Set 4", "NAME5=Set 5"});
} // namespace

class TestClearing : public QObject {
    Q_OBJECT
    std::optional<FakeToolkit> tk;
    QPointer<ProgressWindow> progress;
    QStringList painted; // the progress label's texts as painted

    bool eventFilter(QObject* label, QEvent* event) override {
        if (event->type() == QEvent::Paint)
            painted << static_cast<QLabel*>(label)->text();
        return false;
    }
    void ask(Form1* main, bool all) {
        tk->expect("?WARNING|" + (all ? AskAll : AskCurset));
        (all ? main->all : main->curset)->trigger();
    }
  private slots:
    void init() {
        tk.emplace();
        tk->write(sets("Work", Work));
        ProfileRoutines::SetLockTimeout(1); // for the data file in use by another copy
        painted.clear();
    }
    void cleanup() { tk.reset(); }

    // With the real message boxes: Escape, the frame's close button, or no answer at all (the
    // program's end hides every window) is Cancel. With no set chosen, Clear Current Set only
    // says to choose one.
    void cancelled_data() {
        QTest::addColumn<bool>("all");
        QTest::addColumn<QString>("how");
        QTest::addColumn<int>("slot");
        for (const bool all : {false, true})
            for (const char* how : {"Escape", "frame", "no answer"})
                QTest::addRow("%s, %s", all ? "Clear All" : "Clear Current Set", how)
                    << all << QString(how) << 3;
        QTest::newRow("Clear Current Set, no set chosen") << false << "Escape" << 0;
    }
    void cancelled() {
        QFETCH(bool, all);
        QFETCH(QString, how);
        QFETCH(int, slot);
        Form1* main = Windows::show<Form1>();
        if (slot)
            main->SetEntry(slot)->trigger();
        QString seen;
        QTimer::singleShot(0, this, [&] { // armed before the box, which blocks until answered
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                seen = box->windowTitle() + '|' + box->text();
                how == "Escape"  ? QTest::keyClick(box, Qt::Key_Escape)
                : how == "frame" ? (void)box->close()
                                 : box->hide();
            }
        });
        Toolkit::install(nullptr);
        (all ? main->all : main->curset)->trigger();
        Toolkit::install(&*tk);
        QCOMPARE(seen, !slot ? Guard : "WARNING|" + (all ? AskAll : AskCurset));
        QVERIFY(!Windows::find<Form5>() && !Windows::find<Form6>() &&
                Windows::find<Form1>() == main);
        QCOMPARE(tk->bytes(), sets("Work", Work));
    }

    // Either command, with something done before it or in its first pause: the file it leaves,
    // how many times it replaced the file, its report ("%file": the data file, in use by
    // another copy), and the main window loaded afresh unless the program ended.
    void clear_data() {
        QTest::addColumn<bool>("all");
        QTest::addColumn<QString>("action");
        QTest::addColumn<QByteArray>("before"); // empty: a set 3 named Work
        QTest::addColumn<QByteArray>("expected");
        QTest::addColumn<int>("replaced");
        QTest::addColumn<QString>("failure");
        const auto row = [](const char* name, bool all, const char* action,
                            const QByteArray& expected, int replaced, const QString& failure = {},
                            const QByteArray& before = {}) {
            QTest::newRow(name) << all << QString(action) << before << expected << replaced
                                << failure;
        };
        const QString set = "The set could not be cleared: ";
        const QByteArray fresh = sets("Set 3", Cleared);
        row("set 3", false, "", fresh, 3);
        // The set of the slot chosen, not what the top box says.
        row("top box edited first", false, "type", fresh, 3);
        // A rename saved in a pause is followed; what the save stored keeps the set its name.
        row("renamed and saved in a pause", false, "pause: type, save",
            sets("WorkFresh", NamesCleared,
                 QStringList{"[WorkFresh]", "NAME1=Photo Editor"} + empties("NAME", 2) +
                         empties("NUM")
                     << "NAME="),
            4, set + "it was saved again during the clear, and keeps its name");
        const QByteArray shared = sets("music", {"[music]", "NAME1=Song"});
        row("named like another set in the file", false, "", shared, 0,
            set + "the set's name, \"music\", belongs to another set", shared);
        row("chosen again", false, "pause: curset", fresh, 3);
        // The clear runs to its end; then the program ends.
        row("main window closed", false, "pause: close", fresh, 3);
        row("Exit", false, "pause: Exit", fresh, 3);
        row("Clear All meanwhile", false, "pause: all",
            ini(QString(ClearedAll).split("\r\n", Qt::SkipEmptyParts) + QStringList{"[Set 3]"} +
                    empties("NUM")
                << "NAME="),
            4);
        const QString inUse = "the data file %file is in use by another program";
        row("in use", false, "in use", sets("Work", Work), 0, set + inUse);
        row("all", true, "", ClearedAll, 1);
        // What was typed into an open change-password screen goes with it.
        row("all, the change-password screen open", true, "changep", ClearedAll, 1);
        // Another copy of the program changes the password meanwhile: that one is kept.
        row("all, password changed in a pause", true, "pause: password",
            QByteArray(ClearedAll).replace("Secret", "New"), 2);
        row("all: in use", true, "in use", sets("Work", Work), 0, "Nothing was deleted: " + inUse);
    }
    void clear() {
        QFETCH(bool, all);
        QFETCH(QString, action);
        QFETCH(QByteArray, before);
        QFETCH(QByteArray, expected);
        QFETCH(int, replaced);
        QFETCH(QString, failure);
        if (!before.isEmpty())
            tk->write(before);
        const QByteArray original = tk->bytes();
        const QPointer<Form1> main = Windows::show<Form1>();
        main->SetEntry(3)->trigger();
        QLockFile otherCopy(tk->dataFile() + ".lock");
        QVERIFY(action != "in use" || otherCopy.tryLock(0));
        FolderWatch watch(tk->programFolder());
        const auto act = [&](const QString& what) {
            if (what.contains("type"))
                QTest::keyClicks(main->Text(31), "Fresh");
            if (what.contains("save"))
                main->asset1->trigger();
            if (what == "close")
                main->close();
            if (what == "Exit")
                main->Exit->trigger();
            if (what == "password")
                QVERIFY(
                    ProfileRoutines::WriteProfileValue("readone", "read2", "New", tk->dataFile()));
            if (what == "changep") {
                tk->expect("IMPORTANT|If you don't want to password this program, leave the box "
                           "blank and click enter.");
                main->changep->trigger();
                QTest::keyClicks(Windows::find<Form4>()->Text1, "typed");
            }
            if (what == "curset" || what == "all")
                ask(main, what == "all");
            QVERIFY(what != "curset" || Windows::find<Form5>() == progress); // no second run
            QVERIFY(what != "all" ||
                    QTest::qWaitFor([] { return !Windows::find<Form6>(); }, 10000));
        };
        act(action.startsWith("pause: ") ? QString() : action);
        ask(main, all); // answered with OK
        progress =
            all ? static_cast<ProgressWindow*>(Windows::find<Form6>()) : Windows::find<Form5>();
        QVERIFY(progress);
        QVERIFY(!Windows::find<Form4>());
        progress->Label1->installEventFilter(this);
        QList<QByteArray> atPauses;
        tk->onWait = [&] {
            const bool first = tk->waits.size() == 1;
            QVERIFY2(!progress || !progress->close(), "closed in mid-run");
            QTest::qWait(2); // real time passes too, as with the real clock: timers come due
            atPauses << tk->bytes();
            QVERIFY(!all || !Windows::find<Form1>()); // nothing to edit while all goes
            if (first && action.startsWith("pause: "))
                act(action.mid(7));
            // Expected only now: a Clear All run in this pause asks its question first.
            if (first && !failure.isEmpty())
                tk->expect("Tallivor II|" + failure.replace("%file", tk->dataFile()));
        };
        QVERIFY(QTest::qWaitFor([this] { return !progress; }, 10000));
        QCOMPARE(tk->bytes(), expected);
        // The file is replaced once a step, at most (counted where the platform can).
        const std::optional<int> moves = watch.arrivals("tallivor.tvr");
        QVERIFY(replaced < 0 || !moves || *moves == replaced);
        // Clear All: nothing is gone before the first pause, and from then on all is.
        QVERIFY(!all || atPauses == (QList<QByteArray>{original, expected, expected}));
        if (action.isEmpty() && failure.isEmpty()) { // each step painted, after an empty label
            QCOMPARE(painted,
                     (all ? QStringList{"", "Deleting everything", "Putting your password back in"}
                          : QStringList{"", "Nullifying the names.....",
                                        "Nullifying the values.....", "Resetting the name....."})
                         << "Reloading Registration Tallivor");
            QCOMPARE(tk->waits, (QList<double>{36001, 36002, 36003}));
        }
        QVERIFY(QTest::qWaitFor([&] { return !main; }));
        const bool closed = action.endsWith("close") || action.endsWith("Exit");
        QCOMPARE(tk->ended, closed);
        QCOMPARE(Windows::find<Form1>() && Windows::find<Form1>()->isVisible(), !closed);
    }
};

QTEST_MAIN(TestClearing)
#include "tst_clearing.moc"
