// The Reset menu's two commands, driven from the main window in virtual time: what their
// progress windows show, the data file they leave, and what stops or reports them.
#include "clearing/form5.h"
#include "clearing/form6.h"
#include "mainwindow/form1.h"
#include "startup/form2.h"
#include "startup/form3.h"
#include "storage/profileroutines.h"
#include "support/faketoolkit.h"
#include "support/testfolder.h"
#include "ui/windows.h"

#include <QtTest>
#include <QtWidgets>

namespace {
const QString Warning = "WARNING", Tallivor = "Tallivor II";
const QString AskCurset = "Are you sure you want to clear the current set?";
const QString AskAll = "Are you sure you want to DELETE EVERYTHING?";
const QString NoSet = "Please select a set before making the list";
const QString Closed = "the main window was closed during the clear";
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
// A section the clear created: all 31 keys, empty.
QStringList created(const QString& name) {
    return QStringList{"[" + name + "]"} + empties("NAME") + empties("NUM") << "NAME=";
}
// Five named sets, set 3 holding `work`; then `after`.
QByteArray sets(const QString& name3, const QStringList& work, const QStringList& after = {}) {
    QStringList out{"[readone]",        "READ2=",     "READ3=",       "READ1=1",
                    "[Ruduze Vad Ovo]", "NAME1=Home", "NAME2=Office", "NAME3=" + name3,
                    "NAME4=Games",      "NAME5=Music"};
    for (const QString set : {"Home", "Office", "Work", "Games", "Music"})
        out << (set == "Work" ? work : QStringList{"[" + set + "]", "NAME1=" + set + " entry"});
    return ini(out + after);
}
// What Clear All leaves once the main window has loaded again.
QByteArray clearedAll(const QString& password) {
    return ini({"[readone]", "READ2=" + password, "READ1=1", "[Ruduze Vad Ovo]", "NAME1=Set 1",
                "NAME2=Set 2", "NAME3=Set 3", "NAME4=Set 4", "NAME5=Set 5"});
}
} // namespace

class TestClearing : public QObject {
    Q_OBJECT
    std::optional<TestFolder> folder;
    std::optional<FakeToolkit> tk;
    QPointer<ProgressWindow> progress;
    QStringList painted; // the progress label's texts as painted
    QStringList shown;   // at each pause: the label's text, if it is on screen
    QString title;       // the progress window's
    bool closable = false;
    bool unpainted = false; // the progress window is never painted
    int runs = 0;           // how often its sequence started

    bool eventFilter(QObject* watched, QEvent* event) override {
        if (auto* label = qobject_cast<QLabel*>(watched); label && event->type() == QEvent::Paint)
            painted << label->text();
        return false;
    }
    void ask(Form1* main, bool all, bool ok = true) {
        tk->expectBox(Warning, all ? AskAll : AskCurset, ok);
        (all ? main->all : main->curset)->trigger();
    }
    // Answers the command's WARNING with ok; true once its progress window has run and gone
    // (or the program ended), false if none opened. `during` is called at each pause.
    bool run(Form1* main, bool all, std::function<void(int)> during = {}, bool ok = true) {
        ask(main, all, ok);
        progress =
            all ? static_cast<ProgressWindow*>(Windows::find<Form6>()) : Windows::find<Form5>();
        if (!progress)
            return false;
        progress->Label1->installEventFilter(this);
        // A window left unmapped by the window manager is never painted: it runs all the same.
        progress->setUpdatesEnabled(!unpainted);
        runs = 0;
        connect(progress->Timer1, &SequenceTimer::sequence, this, [this] { ++runs; });
        tk->onWait = [this, during](double) {
            const QString text = progress ? progress->Label1->text() : "(gone)";
            const bool onScreen =
                progress && progress->isVisible() && painted.value(painted.size() - 1) == text;
            shown << (onScreen ? text : "not on screen: " + text);
            if (progress) // it must stay up for the whole run
                title = progress->windowTitle(), closable = closable || progress->close();
            QTest::qWait(2); // real time passes too, as with the real clock: timers come due
            if (during)
                during(static_cast<int>(shown.size()));
        };
        return QTest::qWaitFor([this] { return !progress || tk->ended; }, 10000);
    }

    void checkProgress(const QString& caption, QStringList atPauses) {
        QCOMPARE(title, caption);
        QCOMPARE(shown, atPauses);
        // Painted empty first: the window was on screen before the first step.
        atPauses.removeDuplicates();
        QCOMPARE(painted, QStringList{""} + atPauses << "Reloading Registration Tallivor");
        QCOMPARE(tk->waits, (QList<double>{36001, 36002, 36003})); // also: Cancel ran nothing
    }

  private slots:
    void init() {
        folder.emplace();
        tk.emplace(folder->path());
        folder->write(sets("Work", Work));
        ProfileRoutines::SetLockTimeout(20); // for the data file in use by another copy
        painted = shown = QStringList();
        closable = unpainted = false;
    }
    void cleanup() {
        Windows::unloadAll();
        QVERIFY2(!closable, "the progress window closed in mid-run");
        QVERIFY2(tk->problems().isEmpty(), qPrintable(tk->problems()));
    }

    void clearCurrentSet_data() {
        QTest::addColumn<QString>("action"); // before the clear, or in its first pause
        QTest::addColumn<QByteArray>("expected");
        QTest::addColumn<QString>("failure"); // the reason reported
        const QString own =
            "the name in the top box, \"%1\", is the name of the program's own data";
        const QString other = "the name in the top box, \"%1\", belongs to another set";
        QTest::newRow("set 3") << "" << sets("Set 3", Cleared) << "";
        QTest::newRow("no set") << "no set" << sets("Work", Work, created(NoSet)) << "";
        QTest::newRow("unsaved") << "type" << sets("Set 3", Work, created("WorkFresh")) << "";
        QTest::newRow("top box changed")
            << "pause: type"
            << sets("Set 3", NamesCleared, QStringList{"[WorkFresh]"} + empties("NUM") << "NAME=")
            << "";
        QTest::newRow("top box names the set names")
            << "name: ruduze vad ovo" << sets("Work", Work) << own.arg("ruduze vad ovo");
        QTest::newRow("top box names readone")
            << "name: READONE" << sets("Work", Work) << own.arg("READONE");
        QTest::newRow("top box changed to another set's name")
            << "pause: name: games" << sets("Work", NamesCleared) << other.arg("games");
        QTest::newRow("chosen again") << "pause: curset" << sets("Set 3", Cleared) << "";
        QTest::newRow("never painted") << "unpainted" << sets("Set 3", Cleared) << "";
        QTest::newRow("Exit") << "pause: Exit" << sets("Work", NamesCleared) << "";
        QTest::newRow("main window closed")
            << "pause: close" << sets("Work", NamesCleared) << Closed;
        QTest::newRow("Clear All meanwhile") << "pause: all" << clearedAll("") << Closed;
        QTest::newRow("in use") << "in use" << sets("Work", Work) << "";
    }
    void clearCurrentSet() {
        QFETCH(QString, action);
        QFETCH(QByteArray, expected);
        QFETCH(QString, failure); // besides what any write fails with
        const QPointer<Form1> before = Windows::show<Form1>();
        if (action != "no set")
            before->SetEntry(3)->trigger();
        QLockFile otherCopy(folder->dataFile() + ".lock");
        QVERIFY(action != "in use" || otherCopy.tryLock(0));
        QVERIFY(action != "in use" || !ProfileRoutines::WriteProfileValues(
                                          {{"Work", "name1", ""}}, folder->dataFile(), &failure));
        const auto act = [&](const QString& what) {
            if (what == "type")
                QTest::keyClicks(before->Text(31), "Fresh");
            if (what.startsWith("name: "))
                before->Text(31)->setText(what.mid(6));
            if (what == "close")
                QVERIFY(before->close());
            if (what == "Exit" || what == "curset" || what == "all")
                what == "Exit" ? before->Exit->trigger() : ask(before, what == "all");
            QVERIFY(what != "curset" || Windows::find<Form5>() == progress); // no second run
            QVERIFY(QTest::qWaitFor([] { return !Windows::find<Form6>(); }, 10000));
        };
        act(action);
        QVERIFY(!run(before, false, {}, false)); // Cancel: nothing opens
        unpainted = action == "unpainted";
        QVERIFY(run(before, false, [&](int pause) {
            if (pause == 1 && before && action.startsWith("pause: "))
                act(action.mid(7));
            // Expected only now: a Clear All run in this pause asks its question first.
            if (pause == 1 && !failure.isEmpty())
                tk->expectBox(Tallivor, "The set could not be cleared: " + failure);
        }));
        QCOMPARE(folder->bytes(), expected);
        QCOMPARE(shown.size(), tk->ended ? 1 : action == "pause: all" ? 6 : 3);
        QCOMPARE(runs, 1);
        if (action.isEmpty())
            checkProgress("Clearing it out.",
                          {"Nullifying the names.....", "Nullifying the values.....",
                           "Resetting the name....."});
        // The main window was loaded afresh from the file, unless the program ended.
        QTRY_VERIFY(!before);
        Form1* after = Windows::find<Form1>();
        const QString name3 = expected.contains("NAME3=Set 3") ? "Set 3" : "Work";
        QCOMPARE(after && after->isVisible() ? after->SetEntry(3)->text() : "",
                 tk->ended ? "" : name3);
    }

    void clearAll_data() {
        QTest::addColumn<QString>("password");
        QTest::addColumn<QByteArray>("original"); // empty: there is no data file
        QTest::addColumn<bool>("kept"); // the file is in use by another copy: can't be replaced
        QByteArray secret = sets("Work", Work).replace("READ2=\r\n", "READ2=Secret\r\n");
        secret.replace("READ3=\r\n", "READ3=my cat\r\n");
        QTest::newRow("no password") << "" << sets("Work", Work) << false;
        QTest::newRow("password and clue") << "Secret" << secret << false;
        QTest::newRow("no data file") << "" << QByteArray() << false;
        QTest::newRow("in use by another copy") << "Secret" << secret << true;
    }
    void clearAll() {
        QFETCH(QString, password);
        QFETCH(QByteArray, original);
        QFETCH(bool, kept);
        const bool file = !original.isEmpty();
        folder->write(original);
        QVERIFY(file || QFile::remove(folder->dataFile()));
        QLockFile otherCopy(folder->dataFile() + ".lock");
        QVERIFY(!kept || otherCopy.tryLock(0));
        QString reason;
        QVERIFY(!kept || !ProfileRoutines::ReplaceProfileFile({{"readone", "read2", password}},
                                                              folder->dataFile(), &reason));
        // The file at each pause: the password must be in it at every moment.
        QList<QByteArray> atPauses;
        Form1* main = Windows::show<Form1>();
        QVERIFY(!run(main, true, {}, false) && Windows::find<Form1>() == main); // Cancel
        QVERIFY(run(main, true, [&](int pause) {
            atPauses << folder->bytes();
            QVERIFY(!Windows::find<Form1>());
            if (pause == 1 && !reason.isEmpty())
                tk->expectBox(Tallivor, "Nothing was deleted: " + reason);
        }));
        // Nothing is gone before the first pause (with no file, the main window made one).
        const QByteArray during = kept ? original : ini({"[readone]", "READ2=" + password});
        QCOMPARE(atPauses,
                 (QList<QByteArray>{file ? original : atPauses.value(0), during, during}));
        QCOMPARE(folder->bytes(), kept ? original : clearedAll(password));
        if (!kept)
            checkProgress("Clearing all", {"Deleting everything", "Deleting everything",
                                           "Putting your password back in"});
        QVERIFY((main = Windows::find<Form1>()) && main->isVisible());
        QCOMPARE(main->SetEntry(1)->text(), kept ? "Home" : "Set 1");
        if (kept || password.isEmpty())
            return;
        // The next start asks for the kept password and shows an empty clue.
        Windows::unloadAll();
        Windows::show<Form3>();
        QTRY_VERIFY_WITH_TIMEOUT(Windows::find<Form2>(), 10000);
        tk->expectBox("Clue", "The clue you left for yourself was: ");
        QTest::mouseClick(Windows::find<Form2>()->Command2, Qt::LeftButton);
    }
};

QTEST_MAIN(TestClearing)
#include "tst_clearing.moc"
