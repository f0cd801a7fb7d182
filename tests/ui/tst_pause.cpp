// Pause's end times in virtual time: the rounded start, midnight, a program already ending.
#include "storage/routines.h"
#include "support/faketoolkit.h"

#include <QtTest>

class TestPause : public QObject {
    Q_OBJECT
  private slots:
    void endsOnTheRoundedSecond_data() {
        QTest::addColumn<QList<double>>("t"); // called at, seconds, ends at
        QTest::newRow("100.2 +1") << QList<double>{100.2, 1, 101};
        QTest::newRow("100.5 +1 halves to even") << QList<double>{100.5, 1, 101};
        QTest::newRow("101.5 +1 halves to even") << QList<double>{101.5, 1, 103};
        QTest::newRow("0 seconds rounded up") << QList<double>{100.7, 0, 101};
        QTest::newRow("before midnight") << QList<double>{86399.2, 1, 0};
        QTest::newRow("rounded up to midnight") << QList<double>{86399.7, 1, 1};
        QTest::newRow("program ending") << QList<double>{100.7, 1, 100.7};
    }

    void endsOnTheRoundedSecond() {
        QFETCH(QList<double>, t);
        FakeToolkit toolkit(QDir::tempPath());
        toolkit.now = t[0];
        toolkit.ended = QByteArray(QTest::currentDataTag()) == "program ending";
        ProfileRoutines::Pause(int(t[1]));
        QCOMPARE(toolkit.now, t[2]);
    }
};

QTEST_MAIN(TestPause)
#include "tst_pause.moc"
