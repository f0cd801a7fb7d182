// The main window's warning against typing before a set is chosen, its information notices,
// Exit and closing by the frame.
#include "form1driver.h"

using namespace form1test;

namespace {
const QString GuardTitle = QStringLiteral("Choose a set from set menu");
const QString GuardText = QStringLiteral("SELECT A SET BEFORE MAKING A LIST");
} // namespace

class TestForm1Commands : public QObject {
    Q_OBJECT
  private slots:
    void cleanup();

    void everyEntryBoxWarnsPerCharacterBeforeASet_data();
    void everyEntryBoxWarnsPerCharacterBeforeASet();
    void deletingWarnsPerCharacter();
    void noWarningOnceASetIsChosen();
    void loadingASetNamedLikeThePhraseWarnsPerChangedBox();
    void noticesChangeNothing_data();
    void noticesChangeNothing();
    void exitDropsUnsavedTypingAndEnds();
    void closingByTheFrameUnloadsWithoutAQuestion();
};

void TestForm1Commands::cleanup() {
    Windows::unloadAll();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

void TestForm1Commands::everyEntryBoxWarnsPerCharacterBeforeASet_data() {
    QTest::addColumn<int>("box");
    for (int n = 1; n <= 30; ++n)
        QTest::addRow("Text%d", n) << n;
}

void TestForm1Commands::everyEntryBoxWarnsPerCharacterBeforeASet() {
    QFETCH(int, box);
    TestFolder folder;
    FakeToolkit toolkit(folder.path());
    Form1* w = Windows::show<Form1>();
    QVERIFY(w);
    const QString earlier = w->Text(box)->text();
    const QByteArray bytes = folder.bytes();

    toolkit.expectBox(GuardTitle, GuardText);
    toolkit.expectBox(GuardTitle, GuardText);
    QTest::keyClicks(w->Text(box), "ab");

    QVERIFY2(toolkit.problems().isEmpty(), qPrintable(toolkit.problems()));
    // The warning keeps what was typed and changes nothing else.
    QCOMPARE(w->Text(box)->text(), earlier + "ab");
    QCOMPARE(w->Text(31)->text(), NoSet);
    QVERIFY(!w->asset1->isEnabled());
    QCOMPARE(folder.bytes(), bytes);
}

void TestForm1Commands::deletingWarnsPerCharacter() {
    TestFolder folder;
    FakeToolkit toolkit(folder.path());
    Form1* w = Windows::show<Form1>();
    QVERIFY(w);
    for (int i = 0; i < 3; ++i)
        toolkit.expectBox(GuardTitle, GuardText);
    for (int i = 0; i < 3; ++i)
        QTest::keyClick(w->Text(1), Qt::Key_Backspace);
    QVERIFY2(toolkit.problems().isEmpty(), qPrintable(toolkit.problems()));
    QCOMPARE(w->Text(1)->text(), QStringLiteral("Product N"));
}

void TestForm1Commands::noWarningOnceASetIsChosen() {
    TestFolder folder;
    FakeToolkit toolkit(folder.path());
    Form1* w = Windows::show<Form1>();
    QVERIFY(w);
    w->SetEntry(3)->trigger();
    for (int n = 1; n <= 31; ++n)
        QTest::keyClicks(w->Text(n), "xy");
    QVERIFY2(toolkit.problems().isEmpty(), qPrintable(toolkit.problems()));
    QVERIFY(toolkit.boxes.isEmpty());
    QCOMPARE(w->Text(30)->text(), QStringLiteral("xy"));
}

void TestForm1Commands::loadingASetNamedLikeThePhraseWarnsPerChangedBox() {
    TestFolder folder;
    // Entry 1 holds the laid-out texts already; entries 2 and 3 clear their single blanks;
    // entries 4 and 15 get values.
    folder.write("[readone]\nREAD1=1\n" + names({"Set 1", NoSet, "Set 3", "Set 4", "Set 5"}) +
                 section(NoSet, {{"NAME1", "Product Name"},
                                 {"NUM1", "Serial Number or Password"},
                                 {"NAME4", "y"},
                                 {"NUM15", "z"}}));
    FakeToolkit toolkit(folder.path());
    Form1* w = Windows::show<Form1>();
    QVERIFY(w);
    for (int i = 0; i < 4; ++i)
        toolkit.expectBox(GuardTitle, GuardText);
    w->SetEntry(2)->trigger();
    QVERIFY2(toolkit.problems().isEmpty(), qPrintable(toolkit.problems()));
    QCOMPARE(w->Text(7)->text(), QStringLiteral("y"));
    QCOMPARE(w->Text(30)->text(), QStringLiteral("z"));
    QCOMPARE(w->Text(3)->text(), QString());
    QCOMPARE(w->Label1->text(), QStringLiteral("set 2"));
}

void TestForm1Commands::noticesChangeNothing_data() {
    QTest::addColumn<QString>("entry");
    QTest::addColumn<bool>("setChosen");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("text");

    const QString other = QStringLiteral(
        "Other software can be found at www.quorvex.example.  The website MAY not be done by "
        "the time you visit, so check weekly");
    const QString about =
        QStringLiteral("Tallivor II 2.00. Store your names, passwords, and registration numbers.");
    for (bool chosen : {false, true}) {
        const char* state = chosen ? "set chosen" : "no set";
        QTest::addRow("About, %s", state) << "About" << chosen << "About Tallivor II" << about;
        QTest::addRow("Other software, %s", state) << "others" << chosen << "Website" << other;
        QTest::addRow("Website, %s", state)
            << "website" << chosen << "Website"
            << "Please visit Quorvex on the web at www.quorvex.example";
        QTest::addRow("Suggestions, %s", state)
            << "sugs" << chosen << "Suggestions"
            << "Please send all suggestions to suggestions@quorvex.example";
    }
}

void TestForm1Commands::noticesChangeNothing() {
    QFETCH(QString, entry);
    QFETCH(bool, setChosen);
    QFETCH(QString, title);
    QFETCH(QString, text);
    TestFolder folder;
    FakeToolkit toolkit(folder.path());
    Form1* w = Windows::show<Form1>();
    QVERIFY(w);
    if (setChosen) {
        w->SetEntry(4)->trigger();
        QTest::keyClicks(w->Text(5), "unsaved");
    }
    const QStringList shown = state(w);
    const QByteArray bytes = folder.bytes();
    auto* action = w->findChild<QAction*>(entry);
    QVERIFY(action);

    toolkit.expectBox(title, text);
    action->trigger();

    QVERIFY2(toolkit.problems().isEmpty(), qPrintable(toolkit.problems()));
    QCOMPARE(state(w), shown);
    QCOMPARE(folder.bytes(), bytes);
    QCOMPARE(Windows::find<Form1>(), w);
}

void TestForm1Commands::exitDropsUnsavedTypingAndEnds() {
    TestFolder folder;
    folder.write("[readone]\nREAD1=1\n" + names({"Bank", "Set 2", "Set 3", "Set 4", "Set 5"}) +
                 section("Bank", {{"NAME1", "Photo Editor"}, {"NUM1", "AB-12"}}));
    FakeToolkit toolkit(folder.path());
    Form1* w = Windows::show<Form1>();
    QVERIFY(w);
    w->SetEntry(1)->trigger();
    QTest::keyClicks(w->Text(2), "-34");
    retype(w->Text(31), "Renamed");
    const QByteArray bytes = folder.bytes();

    w->Exit->trigger();

    QVERIFY2(toolkit.problems().isEmpty(), qPrintable(toolkit.problems()));
    QVERIFY(toolkit.ended);
    QCOMPARE(Windows::find<Form1>(), nullptr);
    QCOMPARE(Windows::loadedCount(), 0);
    QCOMPARE(folder.bytes(), bytes);
}

void TestForm1Commands::closingByTheFrameUnloadsWithoutAQuestion() {
    TestFolder folder;
    FakeToolkit toolkit(folder.path());
    Form1* w = Windows::show<Form1>();
    QVERIFY(w);
    w->SetEntry(1)->trigger();
    QTest::keyClicks(w->Text(1), "unsaved");
    retype(w->Text(31), "Bank");
    const QByteArray bytes = folder.bytes();

    QVERIFY(w->close());

    QVERIFY2(toolkit.problems().isEmpty(), qPrintable(toolkit.problems()));
    QCOMPARE(Windows::find<Form1>(), nullptr);
    QVERIFY(toolkit.ended);
    QCOMPARE(folder.bytes(), bytes);
}

QTEST_MAIN(TestForm1Commands)
#include "tst_form1commands.moc"
