// Pause's end times in virtual time, across midnight, and its event dispatch; the notice box.
#include "storage/routines.h"
#include "support/faketoolkit.h"

#include <QtTest>

class TestPause : public QObject {
    Q_OBJECT
  private slots:
    void endsOnTheRoundedSecond_data() {
        QTest::addColumn<double>("calledAt");
        QTest::addColumn<int>("seconds");
        QTest::addColumn<double>("endsAt");
        QTest::newRow("100.2 +1") << 100.2 << 1 << 101.0;
        QTest::newRow("100.5 +1 halves to even") << 100.5 << 1 << 101.0;
        QTest::newRow("101.5 +1 halves to even") << 101.5 << 1 << 103.0;
        QTest::newRow("0 seconds rounded up") << 100.7 << 0 << 101.0;
        QTest::newRow("before midnight") << 86399.2 << 1 << 0.0;
        QTest::newRow("rounded up to midnight") << 86399.7 << 1 << 1.0;
        QTest::newRow("two seconds over midnight") << 86398.6 << 2 << 1.0;
    }

    void endsOnTheRoundedSecond() {
        QFETCH(double, calledAt);
        QFETCH(int, seconds);
        QFETCH(double, endsAt);
        FakeToolkit toolkit(QDir::tempPath());
        toolkit.now = calledAt;
        QObject pending; // its event is waiting when the pause starts
        bool dispatched = false;
        QTimer::singleShot(0, &pending, [&] { dispatched = true; });
        ProfileRoutines::Pause(seconds);
        QCOMPARE(toolkit.now, endsAt);
        QVERIFY(dispatched);
    }

    void noticeIsOneOkBox() {
        FakeToolkit toolkit(QDir::tempPath());
        toolkit.expectBox("Title ", "  Two  blanks.  ");
        ProfileRoutines::ShowNotice("  Two  blanks.  ", "Title ");
        QVERIFY(toolkit.problems().isEmpty() && !toolkit.boxes.value(0).confirmation);
    }
};

QTEST_MAIN(TestPause)
#include "tst_pause.moc"
