// The change-password screen opened from the main window: one screen and one notice however
// often it is asked for, nothing written when closed with the frame, and what "Enter" writes.
#include "mainwindow/form1.h"
#include "screenfixture.h"
#include "startup/form4.h"

#include <QAction>

namespace {
const QByteArray oldPassword = afterFirstMainLoad({"READ2=old", "READ3=old clue"});

Form1* openMainWindow(Session& s, const QByteArray& file) {
    s.folder.write(file);
    return Windows::show<Form1>();
}
} // namespace

class TestForm4 : public QObject {
    Q_OBJECT
  private slots:
    void changepTwiceGivesOneScreen();
    void closedWithTheFrameWritesNothing();
    void enterRecords_data();
    void enterRecords();
};

void TestForm4::changepTwiceGivesOneScreen() {
    Session s;
    Form1* main = openMainWindow(s, oldPassword);
    s.expectImportant();
    main->changep->trigger();
    Screen first(Windows::find<Form4>());
    QVERIFY(first.loaded());
    QTest::keyClicks(first.Text1, QStringLiteral("typed"));
    main->changep->trigger();
    QCOMPARE(Windows::find<Form4>(), first.window.data());
    QCOMPARE(first.Text1->text(), QStringLiteral("typed")); // not loaded afresh
    QCOMPARE(Windows::loadedCount(), 2);
    QCOMPARE(s.toolkit.boxes.size(), 1);
    QCOMPARE(s.folder.bytes(), oldPassword);
    VERIFY_BOXES(s);
}

void TestForm4::closedWithTheFrameWritesNothing() {
    Session s;
    Form1* main = openMainWindow(s, oldPassword);
    for (int opening = 1; opening <= 2; ++opening) {
        s.expectImportant();
        main->changep->trigger();
        Screen w(Windows::find<Form4>());
        QVERIFY(w.loaded());
        // Each opening starts afresh.
        QCOMPARE(w.Text1->text(), QString());
        QCOMPARE(w.Text2->text(), cluePromptText);
        QTest::keyClicks(w.Text1, QStringLiteral("new"));
        w.typeClue(QStringLiteral("new clue"));
        QVERIFY(w.window->close());
        QVERIFY(!Windows::find<Form4>());
        QCOMPARE(s.toolkit.boxes.size(), opening);
    }
    QCOMPARE(s.folder.bytes(), oldPassword);
    QCOMPARE(Windows::find<Form1>(), main);
    QVERIFY(main->isVisible());
    QCOMPARE(s.toolkit.endCalls, 0);
    VERIFY_BOXES(s);
}

void TestForm4::enterRecords_data() {
    QTest::addColumn<QByteArray>("before");
    QTest::addColumn<bool>("mainOpen");
    QTest::addColumn<QString>("password");
    QTest::addColumn<QString>("clue"); // null: the clue box is left as it is
    QTest::addColumn<QByteArray>("after");
    QTest::newRow("new password and clue")
        << oldPassword << true << "NeW"
        << "new clue" << afterFirstMainLoad({"READ2=NeW", "READ3=new clue"});
    QTest::newRow("password removed") << oldPassword << true << "" << QString()
                                      << afterFirstMainLoad({"READ2=", "READ3=No Password"});
    QTest::newRow("emptied clue") << oldPassword << true << "NeW"
                                  << "" << afterFirstMainLoad({"READ2=NeW", "READ3="});
    QTest::newRow("password set where there was none")
        << afterFirstMainLoad({"READ2=", "READ3=No Password"}) << true << "NeW"
        << "c" << afterFirstMainLoad({"READ2=NeW", "READ3=c"});
    // In a file without them, the keys show the order of the writes.
    QTest::newRow("written in order")
        << QByteArray() << false << "NeW"
        << "c" << lines({"[readone]", "READ2=NeW", "READ3=c", "READ1=1"});
}

void TestForm4::enterRecords() {
    QFETCH(QByteArray, before);
    QFETCH(bool, mainOpen);
    QFETCH(QString, password);
    QFETCH(QString, clue);
    QFETCH(QByteArray, after);
    Session s;
    QPointer<Form1> main = mainOpen ? openMainWindow(s, before) : nullptr;
    QCOMPARE(s.folder.bytes(), before);
    s.expectImportant();
    Screen w(Windows::show<Form4>());
    QTest::keyClicks(w.Text1, password);
    if (!clue.isNull())
        w.typeClue(clue);
    QTest::mouseClick(w.Command1, Qt::LeftButton);
    QCOMPARE(s.folder.bytes(), after);
    QVERIFY(!Windows::find<Form4>());
    QVERIFY(Windows::find<Form1>() && Windows::find<Form1>()->isVisible());
    if (mainOpen)
        QCOMPARE(Windows::find<Form1>(), main.data()); // brought forward, not loaded again
    QCOMPARE(s.toolkit.endCalls, 0);
    VERIFY_BOXES(s);
}

QTEST_MAIN(TestForm4)
#include "tst_form4.moc"
