// Clear Current Set, driven from the main window's Reset menu in virtual time: its progress
// texts, the data file it leaves, where the writes go, and what stops or reports it.
#include "clearing/clearingtest.h"
#include "clearing/form5.h"
#include "clearing/form6.h"
#include "mainwindow/form1.h"
#include "storage/profileroutines.h"
#include "support/faketoolkit.h"
#include "support/testfolder.h"
#include "ui/windows.h"

#include <QAction>
#include <QLineEdit>
#include <QTimer>
#include <QtTest>

namespace {
const QString Warning = QStringLiteral("WARNING");
const QString Question = QStringLiteral("Are you sure you want to clear the current set?");
const QString NoSet = QStringLiteral("Please select a set before making the list");

const QStringList Work = {"[Work]",     "NAME1=Photo Editor", "NUM1=PE-1234", "NAME2=Sound Mixer",
                          "NUM2=SM-99", "NAME=Work"};
const QStringList WorkNamesCleared =
    QStringList{"[Work]", "NAME1=", "NUM1=PE-1234", "NAME2=", "NUM2=SM-99", "NAME=Work"} +
    emptyKeys("NAME", 3, 15);
const QStringList WorkCleared =
    QStringList{"[Work]", "NAME1=", "NUM1=", "NAME2=", "NUM2=", "NAME="} +
    emptyKeys("NAME", 3, 15) + emptyKeys("NUM", 3, 15);

// A section that the clear created: all 31 keys, empty.
QStringList newClearedSection(const QString& name) {
    return QStringList{"[" + name + "]"} + emptyKeys("NAME", 1, 15) + emptyKeys("NUM", 1, 15) +
           QStringList{"NAME="};
}

// Five named sets; set 3 is Work.
QByteArray dataFile(const QString& name3, const QStringList& work, const QStringList& after = {}) {
    return iniText(QStringList{"[readone]", "READ2=", "READ1=1", "[Ruduze Vad Ovo]", "NAME1=Home",
                               "NAME2=Office", "NAME3=" + name3, "NAME4=Games", "NAME5=Music",
                               "[Home]", "NAME1=Mail", "NUM1=m-1", "NAME=Home", "[Office]",
                               "NAME1=Desk", "NUM1=o-2", "NAME=Office"} +
                   work +
                   QStringList{"[Games]", "NAME1=Chess", "NUM1=g-4", "NAME=Games", "[Music]",
                               "NAME1=Piano", "NUM1=p-5", "NAME=Music"} +
                   after);
}
} // namespace

class TestClearCurrentSet : public QObject {
    Q_OBJECT
  private slots:
    void init();
    void cleanup();

    void showsEachStepDuringItsPause();
    void dataFileAfterTheClear_data();
    void dataFileAfterTheClear();
    void cancelChangesNothing();
    void choosingItAgainRunsOnce();
    void failedWritesAreReported_data();
    void failedWritesAreReported();
    void exitDuringAPauseStopsIt();
    void clearAllDuringTheClear();

  private:
    // Opens the main window on the data file and chooses the slot (0: none).
    Form1* openMain(int slot);
    // Confirms curset and watches Form5's label.
    LabelWatch* startClear(Form1* main);
    bool waitUntilDone();

    std::unique_ptr<TestFolder> m_folder;
    std::unique_ptr<FakeToolkit> m_toolkit;
    std::unique_ptr<LabelWatch> m_watch;
};

void TestClearCurrentSet::init() {
    m_folder = std::make_unique<TestFolder>();
    m_toolkit = std::make_unique<FakeToolkit>(m_folder->path());
    m_folder->write(dataFile("Work", Work));
}

void TestClearCurrentSet::cleanup() {
    const QString problems = m_toolkit->problems();
    m_watch.reset();
    Windows::unloadAll();
    m_toolkit.reset();
    m_folder.reset();
    QVERIFY2(problems.isEmpty(), qPrintable(problems));
}

Form1* TestClearCurrentSet::openMain(int slot) {
    Form1* main = Windows::show<Form1>();
    if (main && slot > 0)
        main->SetEntry(slot)->trigger();
    return main;
}

LabelWatch* TestClearCurrentSet::startClear(Form1* main) {
    m_toolkit->expectBox(Warning, Question);
    main->curset->trigger();
    Form5* form5 = Windows::find<Form5>();
    if (!form5)
        return nullptr;
    m_watch = std::make_unique<LabelWatch>(form5->Label1, *m_toolkit);
    return m_watch.get();
}

bool TestClearCurrentSet::waitUntilDone() {
    return QTest::qWaitFor([] { return !Windows::find<Form5>(); }, 10000);
}

void TestClearCurrentSet::showsEachStepDuringItsPause() {
    Form1* main = openMain(3);
    QVERIFY(main);
    LabelWatch* watch = startClear(main);
    QVERIFY(watch);
    QPointer<Form5> form5 = Windows::find<Form5>();
    bool closed = true;
    watch->duringPause = [&](int pause) {
        if (pause == 1 && form5)
            closed = form5->close();
    };
    QVERIFY(waitUntilDone());

    // Painted empty first: the window was on screen before the first step.
    const QStringList painted = {"", "Nullifying the names.....", "Nullifying the values.....",
                                 "Resetting the name.....", "Reloading Registration Tallivor"};
    QCOMPARE(watch->painted, painted);
    QCOMPARE(watch->pauses.size(), 3);
    for (int i = 0; i < 3; ++i) {
        QCOMPARE(watch->pauses[i].text, painted[i + 1]);
        QCOMPARE(watch->pauses[i].painted, painted[i + 1]);
        QVERIFY(watch->pauses[i].visible);
    }
    QCOMPARE(m_toolkit->waits, (QList<double>{36001, 36002, 36003}));
    QVERIFY2(!closed, "the progress window closed in the middle of the clear");
}

void TestClearCurrentSet::dataFileAfterTheClear_data() {
    QTest::addColumn<int>("slot");
    QTest::addColumn<QString>("typedName");
    QTest::addColumn<QString>("typedDuringFirstPause");
    QTest::addColumn<QByteArray>("expected");
    QTest::addColumn<QString>("name3AfterReload");

    QTest::newRow("set 3 named Work") << 3 << ""
                                      << "" << dataFile("Set 3", WorkCleared) << "Set 3";
    QTest::newRow("no set chosen")
        << 0 << ""
        << "" << dataFile("Work", Work, newClearedSection(NoSet)) << "Work";
    QTest::newRow("unsaved new name in the top box")
        << 3 << "Fresh"
        << "" << dataFile("Set 3", Work, newClearedSection("Fresh")) << "Set 3";
    QTest::newRow("top box changed during the clear")
        << 3 << ""
        << "Fresh"
        << dataFile("Set 3", WorkNamesCleared,
                    QStringList{"[Fresh]"} + emptyKeys("NUM", 1, 15) + QStringList{"NAME="})
        << "Set 3";
}

void TestClearCurrentSet::dataFileAfterTheClear() {
    QFETCH(int, slot);
    QFETCH(QString, typedName);
    QFETCH(QString, typedDuringFirstPause);
    QFETCH(QByteArray, expected);
    QFETCH(QString, name3AfterReload);

    Form1* main = openMain(slot);
    QVERIFY(main);
    QLineEdit* top = main->Text(31);
    if (!typedName.isEmpty()) {
        top->selectAll();
        QTest::keyClicks(top, typedName);
        QCOMPARE(top->text(), typedName);
    }
    QPointer<Form1> before = main;
    LabelWatch* watch = startClear(main);
    QVERIFY(watch);
    watch->duringPause = [&](int pause) {
        if (pause == 1 && !typedDuringFirstPause.isEmpty() && before) {
            before->Text(31)->selectAll();
            QTest::keyClicks(before->Text(31), typedDuringFirstPause);
        }
    };
    QVERIFY(waitUntilDone());

    QCOMPARE(m_folder->bytes(), expected);
    // The main window was loaded afresh, with no set chosen.
    QTRY_VERIFY(!before);
    Form1* after = Windows::find<Form1>();
    QVERIFY(after);
    QVERIFY(after->isVisible());
    QCOMPARE(after->Text(31)->text(), NoSet);
    QCOMPARE(after->Label1->text(), QStringLiteral("Label1"));
    QCOMPARE(after->SetEntry(3)->text(), name3AfterReload);
    QCOMPARE(Windows::loadedCount(), 1);
}

void TestClearCurrentSet::cancelChangesNothing() {
    Form1* main = openMain(3);
    QVERIFY(main);
    const QByteArray before = m_folder->bytes();
    m_toolkit->expectBox(Warning, Question, false);
    main->curset->trigger();
    QTest::qWait(20);
    QVERIFY(!Windows::find<Form5>());
    QCOMPARE(Windows::find<Form1>(), main);
    QCOMPARE(main->Text(31)->text(), QStringLiteral("Work"));
    QCOMPARE(m_folder->bytes(), before);
    QVERIFY(m_toolkit->waits.isEmpty());
}

void TestClearCurrentSet::choosingItAgainRunsOnce() {
    Form1* main = openMain(3);
    QVERIFY(main);
    QPointer<Form1> first = main;
    LabelWatch* watch = startClear(main);
    QVERIFY(watch);
    QPointer<Form5> running = Windows::find<Form5>();
    bool sameWindowShown = false;
    watch->duringPause = [&](int pause) {
        // Real time passes in a pause, as with the real clock.
        QTest::qWait(5);
        if (pause != 1 || !first)
            return;
        m_toolkit->expectBox(Warning, Question);
        first->curset->trigger();
        sameWindowShown = running && Windows::find<Form5>() == running;
        QCoreApplication::processEvents();
    };
    QVERIFY(waitUntilDone());
    QVERIFY(sameWindowShown);
    QCOMPARE(m_toolkit->waits.size(), 3);
    QCOMPARE(watch->painted.count("Nullifying the names....."), 1);
    QCOMPARE(m_folder->bytes(), dataFile("Set 3", WorkCleared));
}

void TestClearCurrentSet::failedWritesAreReported_data() {
    QTest::addColumn<bool>("mainWindowClosed");
    QTest::addColumn<QByteArray>("expected");
    // Root ignores permission bits: a file-size limit makes the writes fail instead.
    QTest::newRow("no file may grow (file-size limit)") << false << dataFile("Work", Work);
    QTest::newRow("main window closed during the clear")
        << true << dataFile("Set 3", WorkNamesCleared);
}

void TestClearCurrentSet::failedWritesAreReported() {
    QFETCH(bool, mainWindowClosed);
    QFETCH(QByteArray, expected);
    Form1* main = openMain(3);
    QVERIFY(main);
    QPointer<Form1> before = main;
    std::optional<NoRoomForFiles> full;
    QString reason = QStringLiteral("the main window was closed during the clear");
    if (!mainWindowClosed) {
        full.emplace();
        QVERIFY(!ProfileRoutines::WriteProfileValues({{"Work", "name1", ""}}, m_folder->dataFile(),
                                                     &reason));
    }
    LabelWatch* watch = startClear(main);
    QVERIFY(watch);
    watch->duringPause = [&](int pause) {
        if (pause == 1 && mainWindowClosed && before)
            before->close();
    };
    m_toolkit->expectBox(QStringLiteral("Tallivor II"),
                         QStringLiteral("The set could not be cleared: ") + reason);
    QVERIFY(waitUntilDone());
    full.reset();
    QCOMPARE(m_folder->bytes(), expected);
    // Reported once, then the main window is loaded afresh all the same.
    QCOMPARE(m_toolkit->boxes.size(), 2);
    QTRY_VERIFY(!before);
    QVERIFY(Windows::find<Form1>());
    QVERIFY(!m_toolkit->ended);
}

void TestClearCurrentSet::exitDuringAPauseStopsIt() {
    Form1* main = openMain(3);
    QVERIFY(main);
    LabelWatch* watch = startClear(main);
    QVERIFY(watch);
    QPointer<Form1> open = main;
    watch->duringPause = [&](int pause) {
        if (pause == 1 && open)
            open->Exit->trigger();
    };
    QTRY_VERIFY(m_toolkit->ended);
    QTest::qWait(20);
    // The names were emptied before the exit; nothing after it.
    QCOMPARE(m_folder->bytes(), dataFile("Work", WorkNamesCleared));
    QCOMPARE(watch->pauses.size(), 1);
}

void TestClearCurrentSet::clearAllDuringTheClear() {
    Form1* main = openMain(3);
    QVERIFY(main);
    LabelWatch* watch = startClear(main);
    QVERIFY(watch);
    QPointer<Form1> first = main;
    bool clearAllDone = false;
    watch->duringPause = [&](int pause) {
        if (pause != 1 || !first)
            return;
        m_toolkit->expectBox(Warning,
                             QStringLiteral("Are you sure you want to DELETE EVERYTHING?"));
        m_toolkit->expectBox(QStringLiteral("Tallivor II"),
                             QStringLiteral("The set could not be cleared: the main window was "
                                            "closed during the clear"));
        first->all->trigger();
        clearAllDone = QTest::qWaitFor([] { return !Windows::find<Form6>(); }, 10000);
    };
    QVERIFY(waitUntilDone());
    QVERIFY(clearAllDone);
    // Nothing is written for the no-set phrase of the main window that Clear All loaded.
    QCOMPARE(m_folder->bytes(),
             iniText({"[readone]", "READ2=", "READ1=1", "[Ruduze Vad Ovo]", "NAME1=Set 1",
                      "NAME2=Set 2", "NAME3=Set 3", "NAME4=Set 4", "NAME5=Set 5"}));
    QVERIFY(Windows::find<Form1>());
}

QTEST_MAIN(TestClearCurrentSet)
#include "tst_clearcurrentset.moc"
