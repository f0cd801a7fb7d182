// The Reset menu's two commands, driven from the main window in virtual time: the data file they
// leave, how often they replace it, what stops or reports them, and that every text their windows
// show is drawn whole.
#include "clearing/form5.h"
#include "clearing/form6.h"
#include "mainwindow/form1.h"
#include "startup/form3.h"
#include "storage/profileroutines.h"
#include "support/faketoolkit.h"
#include "ui/fittinglabel.h"
#include "ui/windowregistry.h"

#include <QtTest>
#include <QtWidgets>

namespace {
const QString AskCurset = "?WARNING|Are you sure you want to clear the current set?";
const QString AskAll = "?WARNING|Are you sure you want to DELETE EVERYTHING?";
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

struct Clear {
    bool all = false;
    QString action;    // done before the command, or, after "pause: ", in its first pause
    QByteArray before; // empty: a set 3 named Work
    QByteArray after;
    int replaced = 0; // times the file was replaced
    QString failure;  // the report
};
} // namespace
Q_DECLARE_METATYPE(Clear)

class TestClearing : public QObject {
    Q_OBJECT
    std::optional<FakeToolkit> tk;
    QPointer<ProgressWindow> progress;

  private slots:
    void init() { tk.emplace(sets("Work", Work)); }
    void cleanup() { tk.reset(); }

    // Either command on set 3, with something done before it or in its first pause: the file
    // it leaves, the times it replaced the file, its report, and the main window loaded afresh,
    // or the program ended once the main window was closed.
    void clear_data() {
        QTest::addColumn<Clear>("c");
        const QString set = "The set could not be cleared: ",
                      inUse = "the data file %file is in use by another program";
        const QByteArray fresh = sets("Set 3", Cleared);
        const auto row = [](const char* name, const Clear& c) { QTest::newRow(name) << c; };
        // clang-format off
        row("set 3", {.after = fresh, .replaced = 3});
        // The set of the slot chosen, not what the top box says.
        row("top box edited first", {.action = "type", .after = fresh, .replaced = 3});
        // A rename saved in a pause is followed; what the save stored keeps the set its name.
        row("renamed and saved in a pause", {.action = "pause: type, save",
            .after = sets("WorkFresh", NamesCleared, QStringList{"[WorkFresh]",
                "NAME1=Photo Editor"} + empties("NAME", 2) + empties("NUM") << "NAME="),
            .replaced = 4, .failure = set + "it was saved again during the clear, and keeps its name"});
        // Another set chosen and cleared meanwhile is not cleared: the user is told.
        row("another clear", {.action = "pause: curset", .after = fresh, .replaced = 3});
        // The clear runs to its end; then the program ends.
        row("main window closed", {.action = "pause: close", .after = fresh, .replaced = 3});
        row("Exit", {.action = "pause: Exit", .after = fresh, .replaced = 3});
        row("in use", {.action = "in use", .after = sets("Work", Work), .failure = set + inUse});
        // Another copy of the program changes the password meanwhile: that one is kept.
        row("all, the password changed in a pause", {.all = true, .action = "pause: password",
            .after = QByteArray(ClearedAll).replace("Secret", "New"), .replaced = 2});
        row("all, in use", {.all = true, .action = "in use", .after = sets("Work", Work),
            .failure = "Nothing was deleted: " + inUse});
        // clang-format on
    }
    void clear() {
        QFETCH(Clear, c);
        if (!c.before.isEmpty())
            tk->write(c.before);
        const QByteArray original = tk->bytes();
        const QPointer<Form1> main = Windows::show<Form1>();
        const auto action = [&](const char* name) { main->findChild<QAction*>(name)->trigger(); };
        action("set3");
        QLockFile otherCopy(tk->dataFile() + ".lock");
        QVERIFY(c.action != "in use" || otherCopy.tryLock(0));
        const Conditions quick(0, false, 1);
        const FolderEvents events(tk->programFolder());
        const auto act = [&](const QString& what) {
            if (what.contains("type"))
                QTest::keyClicks(main->findChild<QLineEdit*>("Text31"), "Fresh");
            if (what.contains("save"))
                action("asset1");
            if (what == "close" || what == "Exit")
                what == "close" ? void(main->close()) : action("Exit");
            if (what == "password")
                QVERIFY(
                    ProfileRoutines::WriteProfileValue("readone", "read2", "New", tk->dataFile()));
            if (what == "curset") {
                tk->expect("Tallivor II|A set is being cleared. Choose Clear Current Set again "
                           "when it is done.");
                action("Set1");
                action("curset");
            }
        };
        act(c.action.startsWith("pause: ") ? QString() : c.action);
        tk->expect(c.all ? AskAll : AskCurset);
        action(c.all ? "all" : "curset");
        progress =
            c.all ? static_cast<ProgressWindow*>(Windows::find<Form6>()) : Windows::find<Form5>();
        QVERIFY(progress);
        tk->watchTexts(progress);
        QCOMPARE(progress->windowIcon().availableSizes(),
                 (QList<QSize>{{16, 16}, {32, 32}, {48, 48}}));
        QCOMPARE(progress->windowIcon().pixmap(48).width(), 48);
        QList<QByteArray> atPauses;
        tk->onWait = [&] {
            QVERIFY2(!progress || !progress->close(), "closed in mid-run");
            QTest::qWait(2); // real time passes too, as with the real clock: timers come due
            atPauses << tk->bytes();
            QVERIFY(!c.all || !Windows::find<Form1>()); // nothing to edit while all goes
            if (atPauses.size() == 1 && c.action.startsWith("pause: "))
                act(c.action.mid(7));
            if (atPauses.size() == 1 && !c.failure.isEmpty())
                tk->expect("Tallivor II|" + c.failure);
        };
        QVERIFY(QTest::qWaitFor([this] { return !progress; }, 10000));
        QCOMPARE(tk->bytes(), c.after);
        // Each step and the reload were shown whole.
        QVERIFY2(lacking(Need::Fonts) || tk->unfit.isEmpty(), qPrintable(tk->unfit.join('|')));
        QVERIFY(tk->painted.size() >= (c.all ? 3 : 4));
        // Clear All: nothing is gone before the first pause, and from then on all is.
        QVERIFY(!c.all || atPauses == (QList<QByteArray>{original, c.after, c.after}));
        QVERIFY(QTest::qWaitFor([&] { return !main; }));
        const bool closed = c.action.endsWith("close") || c.action.endsWith("Exit");
        QCOMPARE(tk->ended, closed);
        QCOMPARE(Windows::find<Form1>() && Windows::find<Form1>()->isVisible(), !closed);
        if (!events.watching())
            QSKIP("the folder's files can't be watched here: the replacements were not counted");
        QCOMPARE(events.seen().count("tallivor.tvr made"), c.replaced);
    }

    // A text longer than the label wraps within the height shown, and past the room for lines
    // ends in "…".
    void longTexts_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("lines"); // 0: cut short with "…"
        const QString longer = "Putting your password back in and reloading Registration Tallivor";
        QTest::newRow("wraps") << longer << 2;
        QTest::newRow("cut short") << longer + ", then once more: " + longer << 0;
    }
    void longTexts() {
        QFETCH(QString, text);
        QFETCH(int, lines);
        if (const char* why = lacking(Need::Fonts))
            QSKIP(why);
        Form6 window;
        auto* label = window.findChild<FittingLabel*>("Label1");
        label->setText(text);
        const auto [font, shown] = label->fit();
        const QRect visible = label->geometry() & window.rect();
        const QFontMetrics metrics(font);
        QVERIFY(font.pointSizeF() >= label->font().pointSizeF() * 2 / 3);
        for (const QString& line : shown)
            QVERIFY2(metrics.horizontalAdvance(line) <= visible.width(), qPrintable(line));
        QVERIFY(metrics.height() + (shown.size() - 1) * metrics.lineSpacing() <= visible.height());
        const QString joined = shown.join(' ');
        QCOMPARE(joined, lines ? text : text.left(joined.size() - 1) + u'…');
        QVERIFY(!lines || shown.size() == lines);
    }
};

QTEST_MAIN(TestClearing)
#include "tst_clearing.moc"
