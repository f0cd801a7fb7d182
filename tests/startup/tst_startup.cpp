// Whole starts of the program through its real windows, one data file across starts.
#include "mainwindow/form1.h"
#include "screenfixture.h"
#include "startup/form2.h"
#include "startup/form3.h"
#include "startup/form4.h"

#include <QAction>

namespace {
// One start: the splash runs until it has handed over (or the program ended).
struct Start {
    FakeToolkit toolkit;
    explicit Start(const TestFolder& folder) : toolkit(folder.path()) {}
    ~Start() { Windows::unloadAll(); }

    bool run() {
        if (!Windows::show<Form3>())
            return false;
        return QTest::qWaitFor([] { return !Windows::find<Form3>(); });
    }
    void expectImportant() { toolkit.expectBox(QStringLiteral("IMPORTANT"), importantText); }
    Screen passwordScreen() const { return Screen(Windows::find<Form2>()); }
};
} // namespace

class TestStartup : public QObject {
    Q_OBJECT
  private slots:
    void passwordSetThenChecked();
    void noPasswordThenChangedFromTheMainWindow();
};

void TestStartup::passwordSetThenChecked() {
    TestFolder folder;
    const QByteArray stored = afterFirstMainLoad({"READ2=Open Sesame", "READ3=cave"});
    {
        Start first(folder);
        first.expectImportant();
        QVERIFY(first.run());
        QCOMPARE(first.toolkit.waits.size(), 6); // the titles
        Screen w = first.passwordScreen();
        QVERIFY(w.loaded());
        QVERIFY(w.Text2->isVisible());
        QTest::keyClicks(w.Text1, QStringLiteral("Open Sesame"));
        w.typeClue(QStringLiteral("cave"));
        QTest::mouseClick(w.Command1, Qt::LeftButton);
        QVERIFY(Windows::find<Form1>() && Windows::find<Form1>()->isVisible());
        QCOMPARE(Windows::loadedCount(), 1);
        QCOMPARE(folder.bytes(), stored);
        VERIFY_BOXES(first);
    }
    {
        Start next(folder);
        QVERIFY(next.run());
        QVERIFY(next.toolkit.waits.isEmpty()); // no titles
        Screen w = next.passwordScreen();
        QVERIFY(w.loaded());
        QVERIFY(!w.Text2->isVisible());
        next.toolkit.expectBox(QStringLiteral("Clue"),
                               QStringLiteral("The clue you left for yourself was: cave"));
        QTest::mouseClick(w.Command2, Qt::LeftButton);
        QTest::keyClicks(w.Text1, QStringLiteral("oPEN sESAME"));
        QTest::mouseClick(w.Command1, Qt::LeftButton);
        QVERIFY(Windows::find<Form1>() && Windows::find<Form1>()->isVisible());
        QCOMPARE(Windows::loadedCount(), 1);
        QCOMPARE(folder.bytes(), stored);
        VERIFY_BOXES(next);
    }
    {
        Start wrong(folder);
        QVERIFY(wrong.run());
        Screen w = wrong.passwordScreen();
        QTest::keyClicks(w.Text1, QStringLiteral("Open Sesame!"));
        wrong.toolkit.expectBox(QStringLiteral("Sorry"), QStringLiteral("Sorry, wrong password"));
        QTest::mouseClick(w.Command1, Qt::LeftButton);
        QCOMPARE(wrong.toolkit.endCalls, 1);
        QVERIFY(!Windows::find<Form1>());
        QCOMPARE(folder.bytes(), stored);
        VERIFY_BOXES(wrong);
    }
}

void TestStartup::noPasswordThenChangedFromTheMainWindow() {
    TestFolder folder;
    {
        Start first(folder);
        first.expectImportant();
        QVERIFY(first.run());
        QTest::mouseClick(first.passwordScreen().Command1, Qt::LeftButton);
        QVERIFY(Windows::find<Form1>());
        QCOMPARE(folder.bytes(), afterFirstMainLoad({"READ2=", "READ3=No Password"}));
        VERIFY_BOXES(first);
    }
    {
        Start next(folder);
        QVERIFY(next.run());
        QVERIFY(next.toolkit.waits.isEmpty());
        Form1* main = Windows::find<Form1>(); // straight to the main window
        QVERIFY(main && main->isVisible());
        QCOMPARE(Windows::loadedCount(), 1);
        next.expectImportant();
        main->changep->trigger();
        Screen w(Windows::find<Form4>());
        QTest::keyClicks(w.Text1, QStringLiteral("Key"));
        w.typeClue(QStringLiteral("k"));
        QTest::mouseClick(w.Command1, Qt::LeftButton);
        QCOMPARE(Windows::find<Form1>(), main);
        QCOMPARE(Windows::loadedCount(), 1);
        QCOMPARE(folder.bytes(), afterFirstMainLoad({"READ2=Key", "READ3=k"}));
        VERIFY_BOXES(next);
    }
    {
        Start checked(folder);
        QVERIFY(checked.run());
        Screen w = checked.passwordScreen();
        QVERIFY(w.loaded());
        QTest::keyClicks(w.Text1, QStringLiteral("KEY"));
        QTest::mouseClick(w.Command1, Qt::LeftButton);
        QVERIFY(Windows::find<Form1>());
        VERIFY_BOXES(checked);
    }
}

QTEST_MAIN(TestStartup)
#include "tst_startup.moc"
