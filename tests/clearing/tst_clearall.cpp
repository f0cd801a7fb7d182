// Clear All, driven from the main window's Reset menu in virtual time: its progress texts, the
// password kept at every moment, the data file it leaves, and a file it can't replace.
#include "clearing/clearingtest.h"
#include "clearing/form6.h"
#include "mainwindow/form1.h"
#include "startup/form2.h"
#include "startup/form3.h"
#include "storage/profileroutines.h"
#include "support/faketoolkit.h"
#include "support/testfolder.h"
#include "ui/windows.h"

#include <QAction>
#include <QDir>
#include <QLineEdit>
#include <QLockFile>
#include <QPushButton>
#include <QtTest>

namespace {
const QString Warning = QStringLiteral("WARNING");
const QString Question = QStringLiteral("Are you sure you want to DELETE EVERYTHING?");
const QString NoSet = QStringLiteral("Please select a set before making the list");

// Two named sets with entries, a password and a clue.
QByteArray usedFile(const QString& password, const QString& clue) {
    return iniText({"[readone]", "READ2=" + password, "READ3=" + clue, "READ1=1",
                    "[Ruduze Vad Ovo]", "NAME1=Home", "NAME2=Office", "NAME3=Set 3", "NAME4=Set 4",
                    "NAME5=Set 5", "[Home]", "NAME1=Mail", "NUM1=m-1", "NAME=Home", "[Office]",
                    "NAME1=Desk", "NUM1=o-2", "NAME=Office"});
}

// All that is left once the main window has loaded again.
QByteArray clearedFile(const QString& password) {
    return iniText({"[readone]", "READ2=" + password, "READ1=1", "[Ruduze Vad Ovo]", "NAME1=Set 1",
                    "NAME2=Set 2", "NAME3=Set 3", "NAME4=Set 4", "NAME5=Set 5"});
}
} // namespace

class TestClearAll : public QObject {
    Q_OBJECT
  private slots:
    void init();
    void cleanup();

    void showsEachStepDuringItsPause();
    void keepsOnlyThePassword_data();
    void keepsOnlyThePassword();
    void nextStart_data();
    void nextStart();
    void cancelChangesNothing();
    void fileThatCantBeReplaced_data();
    void fileThatCantBeReplaced();

  private:
    // Opens the main window, confirms Clear All and watches Form6's label.
    LabelWatch* startClear();
    bool waitUntilDone();

    std::unique_ptr<TestFolder> m_folder;
    std::unique_ptr<FakeToolkit> m_toolkit;
    std::unique_ptr<LabelWatch> m_watch;
};

void TestClearAll::init() {
    m_folder = std::make_unique<TestFolder>();
    m_toolkit = std::make_unique<FakeToolkit>(m_folder->path());
}

void TestClearAll::cleanup() {
    const QString problems = m_toolkit->problems();
    m_watch.reset();
    Windows::unloadAll();
    ProfileRoutines::SetLockTimeout(5000);
    m_toolkit.reset();
    m_folder.reset();
    QVERIFY2(problems.isEmpty(), qPrintable(problems));
}

LabelWatch* TestClearAll::startClear() {
    Form1* main = Windows::show<Form1>();
    if (!main)
        return nullptr;
    m_toolkit->expectBox(Warning, Question);
    main->all->trigger();
    Form6* form6 = Windows::find<Form6>();
    if (!form6)
        return nullptr;
    m_watch = std::make_unique<LabelWatch>(form6->Label1, *m_toolkit);
    return m_watch.get();
}

bool TestClearAll::waitUntilDone() {
    return QTest::qWaitFor([] { return !Windows::find<Form6>(); }, 10000);
}

void TestClearAll::showsEachStepDuringItsPause() {
    m_folder->write(usedFile("Secret", "my cat"));
    LabelWatch* watch = startClear();
    QVERIFY(watch);
    bool mainWindowOpen = true;
    watch->duringPause = [&](int) { mainWindowOpen = mainWindowOpen && Windows::find<Form1>(); };
    QVERIFY(waitUntilDone());

    QCOMPARE(watch->painted,
             (QStringList{"", "Deleting everything", "Putting your password back in",
                          "Reloading Registration Tallivor"}));
    const QStringList atPauses = {"Deleting everything", "Deleting everything",
                                  "Putting your password back in"};
    QCOMPARE(watch->pauses.size(), 3);
    for (int i = 0; i < 3; ++i) {
        QCOMPARE(watch->pauses[i].text, atPauses[i]);
        QCOMPARE(watch->pauses[i].painted, atPauses[i]);
        QVERIFY(watch->pauses[i].visible);
    }
    QCOMPARE(m_toolkit->waits, (QList<double>{36001, 36002, 36003}));
    QVERIFY2(!mainWindowOpen, "the main window stayed open during the clear");
}

void TestClearAll::keepsOnlyThePassword_data() {
    QTest::addColumn<QByteArray>("original"); // empty: no data file
    QTest::addColumn<QString>("password");

    QTest::newRow("no password") << usedFile("", "No Password") << "";
    QTest::newRow("password and clue") << usedFile("Secret", "my cat") << "Secret";
    QTest::newRow("no data file") << QByteArray() << "";
}

void TestClearAll::keepsOnlyThePassword() {
    QFETCH(QByteArray, original);
    QFETCH(QString, password);
    if (!original.isEmpty())
        m_folder->write(original);
    LabelWatch* watch = startClear();
    QVERIFY(watch);
    // The file at each pause: the password must be in it at every moment.
    QList<QByteArray> atPauses;
    watch->duringPause = [&](int) { atPauses << m_folder->bytes(); };
    QVERIFY(waitUntilDone());

    const QByteArray onlyThePassword = iniText({"[readone]", "READ2=" + password});
    QCOMPARE(atPauses.size(), 3);
    if (!original.isEmpty())
        QCOMPARE(atPauses[0], original);
    QCOMPARE(atPauses[1], onlyThePassword);
    QCOMPARE(atPauses[2], onlyThePassword);
    QCOMPARE(m_folder->bytes(), clearedFile(password));

    Form1* main = Windows::find<Form1>();
    QVERIFY(main);
    QVERIFY(main->isVisible());
    QCOMPARE(main->Text(31)->text(), NoSet);
    for (int slot = 1; slot <= 5; ++slot)
        QCOMPARE(main->SetEntry(slot)->text(), QStringLiteral("Set %1").arg(slot));
    QCOMPARE(Windows::loadedCount(), 1);
}

void TestClearAll::nextStart_data() {
    QTest::addColumn<QString>("password");
    QTest::newRow("password kept") << "Secret";
    QTest::newRow("no password") << "";
}

void TestClearAll::nextStart() {
    QFETCH(QString, password);
    m_folder->write(usedFile(password, password.isEmpty() ? "No Password" : "my cat"));
    QVERIFY(startClear());
    QVERIFY(waitUntilDone());

    // The program is started again.
    Windows::unloadAll();
    QVERIFY(Windows::show<Form3>());
    QVERIFY(QTest::qWaitFor([] { return !Windows::find<Form3>(); }, 10000));
    if (password.isEmpty()) {
        QVERIFY(Windows::find<Form1>());
        QVERIFY(!Windows::find<Form2>());
        return;
    }
    Form2* form2 = Windows::find<Form2>();
    QVERIFY(form2);
    QVERIFY(!Windows::find<Form1>());
    // The clue did not survive.
    m_toolkit->expectBox(QStringLiteral("Clue"),
                         QStringLiteral("The clue you left for yourself was: "));
    QTest::mouseClick(form2->Command2, Qt::LeftButton);
    QCOMPARE(m_toolkit->pendingAnswers(), 0);
    // And the password still opens the program.
    QTest::keyClicks(form2->Text1, password);
    QTest::mouseClick(form2->Command1, Qt::LeftButton);
    QVERIFY(QTest::qWaitFor([] { return Windows::find<Form1>() != nullptr; }, 5000));
}

void TestClearAll::cancelChangesNothing() {
    m_folder->write(usedFile("Secret", "my cat"));
    Form1* main = Windows::show<Form1>();
    QVERIFY(main);
    main->SetEntry(1)->trigger();
    const QByteArray before = m_folder->bytes();
    m_toolkit->expectBox(Warning, Question, false);
    main->all->trigger();
    QTest::qWait(20);
    QVERIFY(!Windows::find<Form6>());
    QCOMPARE(Windows::find<Form1>(), main);
    QCOMPARE(main->Text(31)->text(), QStringLiteral("Home"));
    QCOMPARE(m_folder->bytes(), before);
}

void TestClearAll::fileThatCantBeReplaced_data() {
    QTest::addColumn<QString>("obstacle");
    QTest::newRow("in use by another copy") << "locked";
    // Root ignores permission bits, but not a file-size limit.
    QTest::newRow("no file may grow (file-size limit)") << "full";
    QTest::newRow("a folder with files in its place") << "folder";
}

void TestClearAll::fileThatCantBeReplaced() {
    QFETCH(QString, obstacle);
    const QByteArray original = usedFile("Secret", "my cat");
    const QString inside = m_folder->dataFile() + QStringLiteral("/keep.txt");
    std::optional<NoRoomForFiles> full;
    std::optional<QLockFile> otherCopy;
    if (obstacle == "folder") {
        QVERIFY(QDir().mkpath(m_folder->dataFile()));
        QFile f(inside);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(original);
    } else {
        m_folder->write(original);
    }
    if (obstacle == "locked") {
        ProfileRoutines::SetLockTimeout(20);
        otherCopy.emplace(m_folder->dataFile() + QStringLiteral(".lock"));
        QVERIFY(otherCopy->tryLock(0));
    }
    if (obstacle == "full")
        full.emplace();
    QString reason;
    QVERIFY(!ProfileRoutines::ReplaceProfileFile({{"readone", "read2", "Secret"}},
                                                 m_folder->dataFile(), &reason));
    QVERIFY(!reason.isEmpty());

    LabelWatch* watch = startClear();
    QVERIFY(watch);
    m_toolkit->expectBox(QStringLiteral("Tallivor II"),
                         QStringLiteral("Nothing was deleted: ") + reason);
    QVERIFY(waitUntilDone());
    full.reset();
    otherCopy.reset();

    if (obstacle == "folder") {
        QFile f(inside);
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(f.readAll(), original);
    } else {
        QCOMPARE(m_folder->bytes(), original);
        // The main window comes back with the data as it was.
        Form1* main = Windows::find<Form1>();
        QVERIFY(main);
        QCOMPARE(main->SetEntry(1)->text(), QStringLiteral("Home"));
    }
    QVERIFY(Windows::find<Form1>());
    QCOMPARE(m_toolkit->boxes.size(), 2);
}

QTEST_MAIN(TestClearAll)
#include "tst_clearall.moc"
