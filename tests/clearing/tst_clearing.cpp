// The Reset menu's two commands, driven from the main window in virtual time: what their
// progress windows show, the data file they leave, and what stops or reports them; and that
// every text of these windows and of the splash shows whole.
#include "clearing/form5.h"
#include "clearing/form6.h"
#include "mainwindow/form1.h"
#include "startup/form3.h"
#include "startup/form4.h"
#include "storage/profileroutines.h"
#include "support/faketoolkit.h"
#include "ui/fittinglabel.h"
#include "ui/windows.h"

#include <QtTest>
#include <QtWidgets>

#include <sys/inotify.h>
#include <unistd.h>

namespace {
const QString AskCurset = "Are you sure you want to clear the current set?";
const QString AskAll = "Are you sure you want to DELETE EVERYTHING?";
const QString Guard = "Choose a set from set menu|SELECT A SET BEFORE MAKING A LIST";
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

// Calls back at each paint of a widget, before the widget paints.
class PaintWatch : public QObject {
  public:
    PaintWatch(QWidget* widget, std::function<void()> painted) : m_painted(std::move(painted)) {
        widget->installEventFilter(this);
    }
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint)
            m_painted();
        return false;
    }

  private:
    std::function<void()> m_painted;
};
} // namespace

class TestClearing : public QObject {
    Q_OBJECT
    std::optional<FakeToolkit> tk;
    QPointer<ProgressWindow> progress;
    void ask(Form1* main, bool all) {
        tk->expect("?WARNING|" + (all ? AskAll : AskCurset));
        (all ? main->all : main->curset)->trigger();
    }
  private slots:
    void init() { tk.emplace(sets("Work", Work)); }
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
        const LockTimeout quick(1);
        const int watch = inotify_init1(IN_NONBLOCK);
        inotify_add_watch(watch, qPrintable(tk->programFolder()), IN_MOVED_TO | IN_CREATE);
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
                tk->expect("Tallivor II|" + failure);
        };
        QVERIFY(QTest::qWaitFor([this] { return !progress; }, 10000));
        QCOMPARE(tk->bytes(), expected);
        // The file is replaced once a step, at most.
        int moves = 0;
        char events[4096];
        for (ssize_t n; (n = read(watch, events, sizeof events)) > 0;)
            for (char* e = events; e < events + n;
                 e += sizeof(inotify_event) + reinterpret_cast<inotify_event*>(e)->len)
                moves += QByteArray(reinterpret_cast<inotify_event*>(e)->name) == "tallivor.tvr";
        close(watch);
        QVERIFY(replaced < 0 || moves == replaced);
        // Clear All: nothing is gone before the first pause, and from then on all is.
        QVERIFY(!all || atPauses == (QList<QByteArray>{original, expected, expected}));
        QVERIFY(QTest::qWaitFor([&] { return !main; }));
        const bool closed = action.endsWith("close") || action.endsWith("Exit");
        QCOMPARE(tk->ended, closed);
        QCOMPARE(Windows::find<Form1>() && Windows::find<Form1>()->isVisible(), !closed);
    }

    // Each text of the timed windows, at each paint of its label, with the fonts a plain desktop
    // has: drawn in a size of the label's font no smaller than two thirds of it, within the part
    // of the label the window shows; whole on one line, or, for texts longer than the program's
    // (set before the first paint), wrapped and, past the room for lines, cut short with "…".
    void textsFit_data() {
        for (const char* column : {"window", "label", "text", "shown"})
            QTest::addColumn<QString>(column);
        const auto rows = [](const char* window, const char* label, const QStringList& texts,
                             const char* shown = "line") {
            for (const QString& text : texts)
                QTest::addRow("%s %s: %s", window, label, qPrintable(text))
                    << window << label << text << shown;
        };
        rows("Form3", "Label1",
             {"Registration", "Registration Tallivor", "Registration Tallivor II"});
        rows("Form3", "Label2", {"Presented", "Presented By:"});
        rows("Form3", "Label3", {"Quorvex"});
        const QString reloading = "Reloading Registration Tallivor";
        rows("Form5", "Label1",
             {"Nullifying the names.....", "Nullifying the values.....", "Resetting the name.....",
              reloading});
        rows("Form6", "Label1",
             {"Deleting everything", "Putting your password back in", reloading});
        const QString longer = "Putting your password back in and reloading Registration Tallivor";
        rows("Form6", "Label1", {longer}, "wrapped");
        rows("Form6", "Label1", {longer + ", then once more: " + longer}, "elided");
    }
    void textsFit() {
        QFETCH(QString, window);
        QFETCH(QString, label);
        QFETCH(QString, text);
        QFETCH(QString, shown);
        QPointer<QWidget> w;
        if (window == "Form3") { // a first start: the titles play
            tk->write({});
            tk->expect("IMPORTANT|If you don't want to password this program, leave the box "
                       "blank and click enter.");
            w = Windows::show<Form3>();
        } else {
            Form1* main = Windows::show<Form1>();
            main->SetEntry(3)->trigger();
            ask(main, window == "Form6");
            w = window == "Form6" ? static_cast<QWidget*>(Windows::find<Form6>())
                                  : Windows::find<Form5>();
        }
        auto* fitting = w ? w->findChild<FittingLabel*>(label) : nullptr;
        QVERIFY(fitting);
        if (shown != "line")
            fitting->setText(text);
        const qreal design = fitting->font().pointSizeF();
        // The splash cuts two of its labels at its right edge, the progress windows their label
        // at the bottom.
        const QRect visible = fitting->geometry() & w->rect();
        QList<FittingLabel::Fit> fits;
        PaintWatch watch(fitting, [&] {
            if (fitting->text() == text)
                fits << fitting->fit();
        });
        QVERIFY(QTest::qWaitFor([&] { return !w; }));
        QVERIFY(!fits.isEmpty());
        for (const auto& [font, lines] : fits) {
            const QFontMetrics metrics(font);
            QVERIFY(font.pointSizeF() >= design * 2 / 3 && font.pointSizeF() <= design);
            for (const QString& line : lines)
                QVERIFY2(metrics.horizontalAdvance(line) <= visible.width(), qPrintable(line));
            QFont larger = font; // shrunk no more than needed
            larger.setPointSizeF(font.pointSizeF() + 1);
            if (shown == "line")
                QVERIFY(lines == QStringList{text} &&
                        (font.pointSizeF() == design ||
                         QFontMetrics(larger).horizontalAdvance(text) > visible.width()));
            else
                QVERIFY(lines.size() > 1 &&
                        metrics.height() + (lines.size() - 1) * metrics.lineSpacing() <=
                            visible.height());
            if (shown == "wrapped")
                QCOMPARE(lines.join(' '), text);
            if (shown == "elided")
                QVERIFY(lines.last().endsWith(u'…') && text.startsWith(lines.join(' ').chopped(1)));
        }
    }
};

QTEST_MAIN(TestClearing)
#include "tst_clearing.moc"
