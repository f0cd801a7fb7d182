// The splash sequence: titles in virtual time, the choice of the next window, the hand-over,
// and a splash closed from outside.
#include "mainwindow/form1.h"
#include "screenfixture.h"
#include "startup/form2.h"
#include "startup/form3.h"

#include <QLabel>
#include <QLineEdit>
#include <QTimer>
#include <QtTest>

namespace {
// Remembers the text each label had when it was last painted.
class PaintLog : public QObject {
  public:
    QMap<QObject*, QString> painted;
    int splashPaints = 0;
    int paintsAtFirstTick = -1;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Timer && paintsAtFirstTick < 0)
            paintsAtFirstTick = splashPaints;
        if (event->type() == QEvent::Paint) {
            if (auto* label = qobject_cast<QLabel*>(watched))
                painted[label] = label->text();
            else
                ++splashPaints;
        }
        return false;
    }
};

// What the user sees during one pause.
struct Seen {
    QStringList texts;   // Label1, Label2, Label3
    QStringList painted; // the same, as last painted
    bool splashVisible = false;
    bool timerActive = false;
    bool nextWindowLoaded = false;
    QByteArray bytes;
};

// The window that is visible once the splash has gone.
QString openWindow() {
    if (Windows::find<Form1>())
        return QStringLiteral("Form1");
    if (Windows::find<Form2>())
        return QStringLiteral("Form2");
    return QString();
}
} // namespace

class TestSplash : public QObject {
    Q_OBJECT
  private slots:
    void titlesInOrderWithTheirPauses();
    void nextWindow_data();
    void nextWindow();
    void closedFromOutsideEndsTheProgram_data();
    void closedFromOutsideEndsTheProgram();
};

// Runs the splash to its end, recording what is on screen during each pause.
// False if it does not end.
static bool runSplash(Session& s, PaintLog& log, QList<Seen>& seen) {
    QPointer<Form3> splash = Windows::show<Form3>();
    if (!splash)
        return false;
    splash->installEventFilter(&log);
    splash->Timer1->installEventFilter(&log);
    for (QLabel* label : {splash->Label1, splash->Label2, splash->Label3})
        label->installEventFilter(&log);
    s.toolkit.onWait = [&](double) {
        splash->repaint(); // a repaint must never start the sequence again
        Seen now;
        for (QLabel* label : {splash->Label1, splash->Label2, splash->Label3}) {
            now.texts << label->text();
            now.painted << log.painted.value(label);
        }
        now.splashVisible = splash->isVisible();
        now.timerActive = splash->Timer1->isActive();
        now.nextWindowLoaded = !openWindow().isEmpty();
        now.bytes = s.folder.bytes();
        seen << now;
    };
    return QTest::qWaitFor([&] { return !Windows::find<Form3>() || s.toolkit.ending(); });
}

void TestSplash::titlesInOrderWithTheirPauses() {
    Session s;
    s.expectImportant();
    bool splashOpenAtNotice = false;
    s.toolkit.onBox = [&](const FakeToolkit::Box&) {
        Form3* splash = Windows::find<Form3>();
        splashOpenAtNotice = splash && splash->isVisible();
    };
    PaintLog log;
    QList<Seen> seen;
    QVERIFY(runSplash(s, log, seen));

    const QList<QStringList> expected = {
        {"Registration", "", ""},
        {"Registration Tallivor", "", ""},
        {"Registration Tallivor II", "", ""},
        {"Registration Tallivor II", "Presented", ""},
        {"Registration Tallivor II", "Presented By:", ""},
        {"Registration Tallivor II", "Presented By:", "Quorvex"},
    };
    QCOMPARE(seen.size(), expected.size());
    for (int i = 0; i < seen.size(); ++i) {
        QCOMPARE(seen[i].texts, expected[i]);
        QCOMPARE(seen[i].painted, expected[i]);
        QVERIFY(seen[i].splashVisible);
        QVERIFY(!seen[i].timerActive);
        QVERIFY(!seen[i].nextWindowLoaded);
        // The marker is written after the last title, before the two-second pause.
        QCOMPARE(seen[i].bytes, i < 5 ? QByteArray() : lines({"[readone]", "READ2=2"}));
    }
    // Five pauses of one second, then one of two, from 10:00:00 on.
    QCOMPARE(s.toolkit.waits, (QList<double>{36001, 36002, 36003, 36004, 36005, 36007}));
    QVERIFY(log.paintsAtFirstTick > 0); // on screen before the sequence starts
    QVERIFY(splashOpenAtNotice);
    QCOMPARE(openWindow(), QStringLiteral("Form2"));
    QVERIFY(Windows::find<Form2>()->isVisible());
    QCOMPARE(Windows::loadedCount(), 1);
    QCOMPARE(s.toolkit.endCalls, 0);
    VERIFY_BOXES(s);
}

void TestSplash::nextWindow_data() {
    QTest::addColumn<QByteArray>("before");
    QTest::addColumn<bool>("titles");
    QTest::addColumn<QByteArray>("after");
    QTest::addColumn<QString>("opens");
    QTest::addColumn<bool>("checkMode");

    const QByteArray marker = lines({"[readone]", "READ2=2"});
    QTest::newRow("no data file") << QByteArray() << true << marker << "Form2" << false;
    QTest::newRow("read1 empty") << lines({"[readone]", "READ1="}) << true
                                 << lines({"[readone]", "READ1=", "READ2=2"}) << "Form2" << false;
    QTest::newRow("read1 with a blank")
        << lines({"[readone]", "READ1=1 "}) << true << lines({"[readone]", "READ1=1 ", "READ2=2"})
        << "Form2" << false;
    QTest::newRow("read1 other, password stored: marker overwrites it")
        << lines({"[readone]", "READ2=Secret", "READ3=cat", "READ1=2"}) << true
        << lines({"[readone]", "READ2=2", "READ3=cat", "READ1=2"}) << "Form2" << false;
    const QByteArray noPassword = lines({"[readone]", "READ2=", "READ3=No Password", "READ1=1"});
    QTest::newRow("read1 1, read2 empty") << noPassword << false << noPassword << "Form1" << false;
    const QByteArray noRead2 = lines({"[readone]", "READ1=1"});
    QTest::newRow("read1 1, read2 missing") << noRead2 << false << noRead2 << "Form1" << false;
    const QByteArray password = lines({"[readone]", "READ2=Secret", "READ3=cat", "read1=1"});
    QTest::newRow("read1 1, password stored") << password << false << password << "Form2" << true;
}

void TestSplash::nextWindow() {
    QFETCH(QByteArray, before);
    QFETCH(bool, titles);
    QFETCH(QByteArray, after);
    QFETCH(QString, opens);
    QFETCH(bool, checkMode);

    Session s;
    if (!before.isEmpty())
        s.folder.write(before);
    if (opens == QLatin1String("Form2") && !checkMode)
        s.expectImportant();
    // The next window appears while the splash is still on screen.
    bool splashOpenAtShow = false;
    QPointer<QWidget> shown;
    auto onShow = [&](QObject* watched, QEvent* event) {
        if (event->type() == QEvent::Show && !shown &&
            (qobject_cast<Form1*>(watched) || qobject_cast<Form2*>(watched))) {
            shown = static_cast<QWidget*>(watched);
            Form3* splash = Windows::find<Form3>();
            splashOpenAtShow = splash && splash->isVisible();
        }
        return false;
    };
    struct Filter : QObject {
        std::function<bool(QObject*, QEvent*)> f;
        bool eventFilter(QObject* o, QEvent* e) override { return f(o, e); }
    } filter;
    filter.f = onShow;
    qApp->installEventFilter(&filter);
    PaintLog log;
    QList<Seen> seen;
    QVERIFY(runSplash(s, log, seen));
    qApp->removeEventFilter(&filter);

    QCOMPARE(seen.size(), titles ? 6 : 0);
    QCOMPARE(s.folder.bytes(), after);
    QCOMPARE(openWindow(), opens);
    QVERIFY(shown && shown->isVisible());
    QCOMPARE(shown->objectName(), opens);
    QVERIFY(splashOpenAtShow);
    QVERIFY(log.paintsAtFirstTick > 0); // on screen before the sequence starts
    if (auto* form2 = Windows::find<Form2>())
        QCOMPARE(form2->Text2->isVisible(), !checkMode);
    QCOMPARE(s.toolkit.endCalls, 0);
    VERIFY_BOXES(s);
}

void TestSplash::closedFromOutsideEndsTheProgram_data() {
    QTest::addColumn<int>("closeInPause"); // 0: before the sequence starts
    for (int pause = 0; pause <= 6; ++pause)
        QTest::addRow("pause %d", pause) << pause;
}

void TestSplash::closedFromOutsideEndsTheProgram() {
    QFETCH(int, closeInPause);
    Session s;
    QPointer<Form3> splash = Windows::show<Form3>();
    QVERIFY(splash);
    if (closeInPause == 0)
        splash->close();
    int pauses = 0;
    s.toolkit.onWait = [&](double) {
        if (++pauses == closeInPause)
            splash->close();
    };
    QTest::qWait(20);
    QTRY_VERIFY(!splash);
    QCOMPARE(pauses, closeInPause);
    QCOMPARE(s.toolkit.endCalls, 1);
    QCOMPARE(Windows::loadedCount(), 0);
    // The marker is written only by a sequence that got past the titles.
    QCOMPARE(s.folder.exists(), closeInPause == 6);
    VERIFY_BOXES(s);
}

QTEST_MAIN(TestSplash)
#include "tst_splash.moc"
