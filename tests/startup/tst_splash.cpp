// The splash sequence: the choice of the next window with the titles in virtual time, the
// hand-over, and a splash closed from outside.
#include "mainwindow/form1.h"
#include "screenfixture.h"
#include "startup/form2.h"
#include "startup/form3.h"

#include <QLabel>
#include <QLineEdit>
#include <QTimer>
#include <QtTest>

namespace {
// What the user sees during one pause.
struct Seen {
    QStringList texts;   // Label1, Label2, Label3
    QStringList painted; // the same, as last painted
    bool splashVisible = false;
    bool timerActive = false;
    bool nextWindowLoaded = false;
    QByteArray bytes;
};

// The window that is open once the splash has gone.
QString openWindow() {
    if (Windows::find<Form1>())
        return QStringLiteral("Form1");
    return Windows::find<Form2>() ? QStringLiteral("Form2") : QString();
}

// Runs the splash to its end and watches it: what it painted, when its sequence started, what
// is on screen during each pause, and whether it is still open when the next window shows.
class SplashRun : public QObject {
  public:
    QList<Seen> seen;
    QMap<QObject*, QString> painted; // the text of each label as last painted
    int splashPaints = 0;
    int paintsAtFirstTick = -1;
    bool timerBeforePaint = false;
    QPointer<QWidget> shown; // the next window
    bool splashOpenAtShow = false;
    bool splashOpenAtBox = false;

    bool run(Session& s) {
        qApp->installEventFilter(this);
        splash = Windows::show<Form3>();
        splashObject = splash;
        if (!splash)
            return false;
        timer = splash->Timer1;
        timerBeforePaint = splash->Timer1->isActive() && splashPaints == 0;
        s.toolkit.onBox = [this](const FakeToolkit::Box&) { splashOpenAtBox = splashOpen(); };
        s.toolkit.onWait = [this, &s](double) {
            splash->repaint(); // a repaint must never start the sequence again
            Seen now;
            for (QLabel* label : {splash->Label1, splash->Label2, splash->Label3}) {
                now.texts << label->text();
                now.painted << painted.value(label);
            }
            now.splashVisible = splash->isVisible();
            now.timerActive = splash->Timer1->isActive();
            now.nextWindowLoaded = !openWindow().isEmpty();
            now.bytes = s.folder.bytes();
            seen << now;
        };
        return QTest::qWaitFor([&] { return !Windows::find<Form3>() || s.toolkit.ending(); });
    }

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (!splashObject)
            return false;
        if (event->type() == QEvent::Timer && watched == timer && paintsAtFirstTick < 0)
            paintsAtFirstTick = splashPaints;
        if (event->type() == QEvent::Paint && watched == splashObject)
            ++splashPaints;
        if (event->type() == QEvent::Paint && watched->parent() == splashObject)
            painted[watched] = static_cast<QLabel*>(watched)->text();
        if (event->type() == QEvent::Show && !shown &&
            (qobject_cast<Form1*>(watched) || qobject_cast<Form2*>(watched))) {
            shown = static_cast<QWidget*>(watched);
            splashOpenAtShow = splashOpen();
        }
        return false;
    }

  private:
    bool splashOpen() const {
        return splashObject && Windows::find<Form3>() == splash && splash->isVisible();
    }
    // Events still come while the splash is destroyed, when it is no longer a Form3.
    QPointer<QObject> splashObject;
    Form3* splash = nullptr;
    QObject* timer = nullptr;
};
} // namespace

class TestSplash : public QObject {
    Q_OBJECT
  private slots:
    void nextWindow_data();
    void nextWindow();
    void closedFromOutsideEndsTheProgram_data();
    void closedFromOutsideEndsTheProgram();
};

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
    SplashRun run;
    QVERIFY(run.run(s));
    if (titles) {
        const QList<QStringList> expected = {
            {"Registration", "", ""},
            {"Registration Tallivor", "", ""},
            {"Registration Tallivor II", "", ""},
            {"Registration Tallivor II", "Presented", ""},
            {"Registration Tallivor II", "Presented By:", ""},
            {"Registration Tallivor II", "Presented By:", "Quorvex"},
        };
        QCOMPARE(run.seen.size(), expected.size());
        for (int i = 0; i < run.seen.size(); ++i) {
            const Seen& seen = run.seen[i];
            QCOMPARE(seen.texts, expected[i]);
            QCOMPARE(seen.painted, expected[i]);
            QVERIFY(seen.splashVisible && !seen.timerActive && !seen.nextWindowLoaded);
            // The marker is written after the last title, before the two-second pause.
            QCOMPARE(seen.bytes, i < 5 ? before : after);
        }
        // Five pauses of one second, then one of two, from 10:00:00 on.
        QCOMPARE(s.toolkit.waits, (QList<double>{36001, 36002, 36003, 36004, 36005, 36007}));
    } else {
        QVERIFY(s.toolkit.waits.isEmpty());
    }
    QCOMPARE(s.folder.bytes(), after);
    QCOMPARE(openWindow(), opens);
    // The next window appears while the splash is still on screen.
    QVERIFY(run.shown && run.shown->isVisible());
    QCOMPARE(run.shown->objectName(), opens);
    QVERIFY(run.splashOpenAtShow);
    QCOMPARE(run.splashOpenAtBox, s.toolkit.boxes.size() == 1); // the notice, if any
    // On screen before the sequence starts.
    QVERIFY(!run.timerBeforePaint && run.paintsAtFirstTick > 0);
    if (auto* form2 = Windows::find<Form2>())
        QCOMPARE(form2->Text2->isVisible(), !checkMode);
    QCOMPARE(Windows::loadedCount(), 1);
    QCOMPARE(s.toolkit.endCalls, 0);
    VERIFY_BOXES(s);
}

void TestSplash::closedFromOutsideEndsTheProgram_data() {
    // 0: before the sequence starts; 1 to 6: in that pause; 7: at the next window's notice.
    QTest::addColumn<int>("closeAt");
    for (int at = 0; at <= 7; ++at)
        QTest::addRow("%d", at) << at;
}

void TestSplash::closedFromOutsideEndsTheProgram() {
    QFETCH(int, closeAt);
    Session s;
    QPointer<Form3> splash = Windows::show<Form3>();
    QVERIFY(splash);
    if (closeAt == 0)
        splash->close();
    int pauses = 0;
    s.toolkit.onWait = [&](double) {
        if (++pauses == closeAt)
            splash->close();
    };
    if (closeAt == 7) {
        s.expectImportant();
        s.toolkit.onBox = [&](const FakeToolkit::Box&) { splash->close(); };
    }
    QTRY_VERIFY(!splash);
    QCOMPARE(pauses, std::min(closeAt, 6));
    QCOMPARE(s.toolkit.endCalls, 1);
    QCOMPARE(Windows::loadedCount(), closeAt == 7 ? 1 : 0); // no window opens after the close
    // The marker is written only by a sequence that got past the titles.
    QCOMPARE(s.folder.exists(), closeAt >= 6);
    VERIFY_BOXES(s);
}

QTEST_MAIN(TestSplash)
#include "tst_splash.moc"
