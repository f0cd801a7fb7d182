// Pause's end times in virtual time, across midnight, and its event dispatch.
#include "storage/routines.h"
#include "support/faketoolkit.h"

#include <QTimer>
#include <QtTest>

class TestPause : public QObject {
    Q_OBJECT
private slots:
    void endsOnTheRoundedSecond_data();
    void endsOnTheRoundedSecond();
    void dispatchesPendingEvents();
    void returnsAtOnceWhenTheEndHasPassed();
    void noticeShowsTextsUnchanged();
};

void TestPause::endsOnTheRoundedSecond_data() {
    QTest::addColumn<double>("calledAt");
    QTest::addColumn<int>("seconds");
    QTest::addColumn<double>("endsAt");
    QTest::newRow("100.2 +1") << 100.2 << 1 << 101.0;
    QTest::newRow("100.7 +1") << 100.7 << 1 << 102.0;
    QTest::newRow("100.5 +1 halves to even") << 100.5 << 1 << 101.0;
    QTest::newRow("101.5 +1 halves to even") << 101.5 << 1 << 103.0;
    QTest::newRow("100.2 +2") << 100.2 << 2 << 102.0;
    QTest::newRow("0 seconds rounded up") << 100.7 << 0 << 101.0;
    QTest::newRow("before midnight") << 86399.2 << 1 << 0.0;
    QTest::newRow("rounded up to midnight") << 86399.7 << 1 << 1.0;
    QTest::newRow("two seconds over midnight") << 86398.6 << 2 << 1.0;
}

void TestPause::endsOnTheRoundedSecond() {
    QFETCH(double, calledAt);
    QFETCH(int, seconds);
    QFETCH(double, endsAt);
    FakeToolkit toolkit(QDir::tempPath());
    toolkit.now = calledAt;
    ProfileRoutines::Pause(seconds);
    QCOMPARE(toolkit.now, endsAt);
    QVERIFY(!toolkit.waits.isEmpty());
}

void TestPause::dispatchesPendingEvents() {
    FakeToolkit toolkit(QDir::tempPath());
    toolkit.now = 500.1;
    bool fired = false;
    QTimer::singleShot(0, this, [&] { fired = true; });
    ProfileRoutines::Pause(1);
    QVERIFY(fired);
}

void TestPause::returnsAtOnceWhenTheEndHasPassed() {
    FakeToolkit toolkit(QDir::tempPath());
    bool fired = false;
    QTimer::singleShot(0, this, [&] { fired = true; });
    toolkit.now = 100.2;
    ProfileRoutines::Pause(-1);
    ProfileRoutines::Pause(0);
    QVERIFY(toolkit.waits.isEmpty());
    QVERIFY(!fired);
}

void TestPause::noticeShowsTextsUnchanged() {
    FakeToolkit toolkit(QDir::tempPath());
    const QString text = QStringLiteral("  Two  blanks.  ");
    toolkit.expectBox(QStringLiteral("Title "), text);
    ProfileRoutines::ShowNotice(text, QStringLiteral("Title "));
    QVERIFY2(toolkit.problems().isEmpty(), qPrintable(toolkit.problems()));
    QCOMPARE(toolkit.boxes.size(), 1);
    QVERIFY(!toolkit.boxes.first().confirmation);
}

QTEST_MAIN(TestPause)
#include "tst_pause.moc"
