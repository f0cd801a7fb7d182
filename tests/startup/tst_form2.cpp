// The password screen: its mode from read1, recording a password and clue, and checking the
// stored password with one attempt.
#include "mainwindow/form1.h"
#include "screenfixture.h"
#include "startup/form2.h"

class TestForm2 : public QObject {
    Q_OBJECT
  private slots:
    void modeFromRead1_data();
    void modeFromRead1();
    void recordsPasswordAndClue_data();
    void recordsPasswordAndClue();
    void checksPasswordOnce_data();
    void checksPasswordOnce();
};

void TestForm2::modeFromRead1_data() {
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<bool>("checkMode");
    QTest::newRow("no data file") << QByteArray() << false;
    QTest::newRow("first-run marker") << lines({"[readone]", "READ2=2"}) << false;
    QTest::newRow("read1 0") << lines({"[readone]", "READ2=x", "READ1=0"}) << false;
    QTest::newRow("read1 1 and a blank") << lines({"[readone]", "READ2=x", "READ1=1 "}) << false;
    QTest::newRow("read1 1") << lines({"[readone]", "READ2=x", "READ1=1"}) << true;
}

void TestForm2::modeFromRead1() {
    QFETCH(QByteArray, file);
    QFETCH(bool, checkMode);
    Session s;
    s.folder.write(file);
    if (!checkMode)
        s.expectImportant();
    Screen w(Windows::show<Form2>());
    QVERIFY(w.loaded());
    QCOMPARE(w.Text2->isVisible(), !checkMode);
    QCOMPARE(w.Text2->text(), cluePromptText);
    QCOMPARE(s.folder.bytes(), file);
    VERIFY_BOXES(s);
}

void TestForm2::recordsPasswordAndClue_data() {
    QTest::addColumn<QString>("password");
    QTest::addColumn<QString>("clue"); // null: the clue box is left as it is
    QTest::addColumn<QByteArray>("after");
    QTest::newRow("password and clue")
        << "Secret"
        << "my cat" << afterFirstMainLoad({"READ2=Secret", "READ3=my cat"});
    QTest::newRow("letters and blanks kept")
        << " pA ss "
        << " c " << afterFirstMainLoad({"READ2= pA ss ", "READ3= c "});
    QTest::newRow("emptied clue") << "Secret"
                                  << "" << afterFirstMainLoad({"READ2=Secret", "READ3="});
    QTest::newRow("no password, prompt kept")
        << "" << QString() << afterFirstMainLoad({"READ2=", "READ3=No Password"});
    QTest::newRow("no password, clue typed")
        << ""
        << "my cat" << afterFirstMainLoad({"READ2=", "READ3=No Password"});
}

void TestForm2::recordsPasswordAndClue() {
    QFETCH(QString, password);
    QFETCH(QString, clue);
    QFETCH(QByteArray, after);
    Session s;
    s.folder.write(lines({"[readone]", "READ2=2"}));
    s.expectImportant();
    Screen w(Windows::show<Form2>());
    typeText(w.Text1, password);
    if (!clue.isNull())
        w.typeClue(clue);
    QTest::mouseClick(w.Command1, Qt::LeftButton);
    // The password and clue are written before the main window loads and writes read1.
    QCOMPARE(s.folder.bytes(), after);
    QVERIFY(Windows::find<Form1>() && Windows::find<Form1>()->isVisible());
    QVERIFY(!Windows::find<Form2>());
    QCOMPARE(s.toolkit.endCalls, 0);
    VERIFY_BOXES(s);
}

void TestForm2::checksPasswordOnce_data() {
    QTest::addColumn<QString>("stored");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<bool>("accepted");
    QTest::newRow("as stored") << "Secret"
                               << "Secret" << true;
    QTest::newRow("lower case") << "Secret"
                                << "secret" << true;
    QTest::newRow("upper case") << "Secret"
                                << "SECRET" << true;
    QTest::newRow("non-ASCII in other case") << "Grüße"
                                             << "GRÜSSE" << false;
    QTest::newRow("umlaut in other case") << "Ärger"
                                          << "äRGER" << true;
    QTest::newRow("wrong") << "Secret"
                           << "Secrex" << false;
    QTest::newRow("prefix") << "Secret"
                            << "Secre" << false;
    QTest::newRow("trailing blank typed") << "Secret"
                                          << "Secret " << false;
    QTest::newRow("stored with blank") << " Secret"
                                       << "Secret" << false;
    QTest::newRow("empty") << "Secret"
                           << "" << false;
    QTest::newRow("first-run marker is a plain value") << "2"
                                                       << "2" << true;
}

void TestForm2::checksPasswordOnce() {
    QFETCH(QString, stored);
    QFETCH(QString, typed);
    QFETCH(bool, accepted);
    Session s;
    const QByteArray file = "[readone]\r\nREAD2=" + stored.toUtf8() +
                            "\r\nREAD3=cat\r\nREAD1=1\r\n[Ruduze Vad Ovo]\r\nNAME1=Games\r\n";
    s.folder.write(file);
    Screen w(Windows::show<Form2>());
    typeText(w.Text1, typed);
    if (!accepted)
        s.toolkit.expectBox(QStringLiteral("Sorry"), QStringLiteral("Sorry, wrong password"));
    QTest::mouseClick(w.Command1, Qt::LeftButton);
    QCOMPARE(s.folder.bytes(), file); // nothing written in check mode
    QCOMPARE(s.toolkit.endCalls, accepted ? 0 : 1);
    QCOMPARE(Windows::find<Form1>() != nullptr, accepted);
    if (accepted) {
        QVERIFY(!Windows::find<Form2>());
        QCOMPARE(Windows::find<Form1>()->SetEntry(1)->text(), QStringLiteral("Games"));
    }
    VERIFY_BOXES(s);
}

QTEST_MAIN(TestForm2)
#include "tst_form2.moc"
