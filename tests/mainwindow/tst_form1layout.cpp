// The main window as laid out: frame, places of the controls, their first texts and states,
// drawing order, tab order and the menu tree.
#include "form1driver.h"

#include <QMenu>
#include <QMenuBar>

using namespace form1test;

class TestForm1Layout : public QObject {
    Q_OBJECT
  private slots:
    void cleanup();

    void frameAndClientArea();
    void controlPlaces_data();
    void controlPlaces();
    void firstTextsAndStates();
    void slotTagLiesUnderTheNumberBoxes_data();
    void slotTagLiesUnderTheNumberBoxes();
    void tabOrderRunsEntryByEntry();
    void menuTree_data();
    void menuTree();
};

void TestForm1Layout::cleanup() {
    Windows::unloadAll();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

void TestForm1Layout::frameAndClientArea() {
    Form1 w;
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    QCOMPARE(w.windowTitle(), QStringLiteral("Tallivor II "));
    QVERIFY(w.windowFlags() & Qt::WindowMinimizeButtonHint);
    QVERIFY(!(w.windowFlags() & Qt::WindowMaximizeButtonHint));
    QVERIFY(w.windowFlags() & Qt::WindowCloseButtonHint);
    // 7020 by 6180 twips, right under the menu bar.
    QWidget* client = w.centralWidget();
    QCOMPARE(client->size(), QSize(468, 412));
    QCOMPARE(client->y(), w.menuBar()->geometry().bottom() + 1);
    QCOMPARE(client->x(), 0);
    QCOMPARE(w.height(), w.menuBar()->height() + 412);
    // Sizable: the window can be made larger, and the controls keep their places.
    QVERIFY(w.maximumWidth() > w.width());
    QVERIFY(w.maximumHeight() > w.height());
    w.resize(w.width() + 100, w.height() + 50);
    QCoreApplication::processEvents();
    QCOMPARE(w.Text(30)->geometry(), QRect(176, 376, 289, 19));
}

void TestForm1Layout::controlPlaces_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QRect>("place");
    QTest::newRow("Label2") << "Label2" << QRect(16, 0, 401, 17);
    QTest::newRow("Text31") << "Text31" << QRect(0, 16, 465, 19);
    QTest::newRow("Text1") << "Text1" << QRect(0, 40, 161, 19);
    QTest::newRow("Text2") << "Text2" << QRect(176, 40, 289, 19);
    QTest::newRow("Text3") << "Text3" << QRect(0, 64, 161, 19);
    QTest::newRow("Text14") << "Text14" << QRect(176, 184, 289, 19);
    QTest::newRow("Text15") << "Text15" << QRect(0, 208, 161, 19);
    QTest::newRow("Text16") << "Text16" << QRect(176, 208, 289, 19);
    QTest::newRow("Text29") << "Text29" << QRect(0, 376, 161, 19);
    QTest::newRow("Text30") << "Text30" << QRect(176, 376, 289, 19);
    QTest::newRow("Label1") << "Label1" << QRect(192, 192, 81, 33);
}

void TestForm1Layout::controlPlaces() {
    QFETCH(QString, name);
    QFETCH(QRect, place);
    Form1 w;
    auto* control = w.centralWidget()->findChild<QWidget*>(name);
    QVERIFY(control);
    QCOMPARE(control->parentWidget(), w.centralWidget());
    QCOMPARE(control->geometry(), place);
}

void TestForm1Layout::firstTextsAndStates() {
    Form1 w;
    for (int n = 1; n <= 31; ++n) {
        QLineEdit* box = w.Text(n);
        QCOMPARE(box->objectName(), QStringLiteral("Text%1").arg(n));
        QCOMPARE(box->maxLength(), 749);
        QCOMPARE(box->echoMode(), QLineEdit::Normal);
        QVERIFY(!box->isReadOnly());
        QCOMPARE(box->isEnabled(), n != 31);
        QCOMPARE(box->isVisibleTo(&w), true);
    }
    QCOMPARE(w.Text(1)->text(), QStringLiteral("Product Name"));
    QCOMPARE(w.Text(2)->text(), QStringLiteral("Serial Number or Password"));
    QCOMPARE(w.Text(3)->text(), QStringLiteral(" "));
    QCOMPARE(w.Text(5)->text(), QStringLiteral(" "));
    for (int n : {4, 6, 7, 8, 15, 29, 30})
        QCOMPARE(w.Text(n)->text(), QString());
    QCOMPARE(w.Text(31)->text(), QStringLiteral("Set 1"));
    QCOMPARE(w.Label1->text(), QStringLiteral("Label1"));
    QCOMPARE(w.Label2->text(), QStringLiteral("You are working in: "));
}

void TestForm1Layout::slotTagLiesUnderTheNumberBoxes_data() {
    QTest::addColumn<QPoint>("point");
    QTest::addColumn<QString>("seen");
    QTest::newRow("over entry 7's number box") << QPoint(200, 195) << "Text14";
    QTest::newRow("between the rows") << QPoint(200, 205) << "Label1";
    QTest::newRow("over entry 8's number box") << QPoint(200, 215) << "Text16";
}

void TestForm1Layout::slotTagLiesUnderTheNumberBoxes() {
    QFETCH(QPoint, point);
    QFETCH(QString, seen);
    Form1 w;
    QWidget* top = w.centralWidget()->childAt(point);
    QVERIFY(top);
    QCOMPARE(top->objectName(), seen);
}

void TestForm1Layout::tabOrderRunsEntryByEntry() {
    TestFolder folder;
    FakeToolkit toolkit(folder.path());
    Form1* w = Windows::show<Form1>();
    QVERIFY(w);
    w->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(w));

    // The top box is disabled before a set is chosen, so Tab passes it by.
    w->Text(30)->setFocus();
    QTest::keyClick(w->Text(30), Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), w->Text(1));

    w->SetEntry(1)->trigger();
    QStringList order;
    for (int i = 0; i < 31; ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        order << QApplication::focusWidget()->objectName();
    }
    QStringList expected;
    for (int n = 2; n <= 31; ++n)
        expected << QStringLiteral("Text%1").arg(n);
    expected << QStringLiteral("Text1");
    QCOMPARE(order, expected);
    QVERIFY2(toolkit.problems().isEmpty(), qPrintable(toolkit.problems()));
}

void TestForm1Layout::menuTree_data() {
    QTest::addColumn<QString>("menu");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QStringList>("items");
    QTest::addColumn<QStringList>("itemCaptions");
    QTest::newRow("file") << "file"
                          << "&File" << QStringList{"About", "Exit"}
                          << QStringList{"About", "Exit"};
    QTest::newRow("sets") << "sets"
                          << "&Sets" << QStringList{"Set1", "set2", "set3", "set4", "set5"}
                          << QStringList{"Set 1", "Set 2", "Set 3", "Set 4", "Set 5"};
    QTest::newRow("save") << "save"
                          << "&Save" << QStringList{"asset1"} << QStringList{"save set"};
    QTest::newRow("reset") << "reset"
                           << "&Reset" << QStringList{"curset", "all"}
                           << QStringList{"Clear Current Set", "Clear All"};
    QTest::newRow("pws") << "pws"
                         << "&Password" << QStringList{"changep"} << QStringList{"Change Password"};
    QTest::newRow("rmt") << "rmt"
                         << "&Other" << QStringList{"others", "website", "sugs"}
                         << QStringList{"Other software", "Website", "Suggestions"};
}

void TestForm1Layout::menuTree() {
    QFETCH(QString, menu);
    QFETCH(QString, caption);
    QFETCH(QStringList, items);
    QFETCH(QStringList, itemCaptions);
    Form1 w;

    const QStringList order{"file", "sets", "save", "reset", "pws", "rmt"};
    const QList<QAction*> top = w.menuBar()->actions();
    QCOMPARE(top.size(), order.size());
    QAction* entry = top.at(order.indexOf(menu));
    QVERIFY(entry->menu());
    QCOMPARE(entry->menu()->objectName(), menu);
    QCOMPARE(entry->text(), caption);

    const QList<QAction*> actions = entry->menu()->actions();
    QCOMPARE(actions.size(), items.size());
    for (int i = 0; i < actions.size(); ++i) {
        QAction* a = actions[i];
        QCOMPARE(a->objectName(), items[i]);
        QCOMPARE(a->text(), itemCaptions[i]);
        QCOMPARE(a->isEnabled(), items[i] != QLatin1String("asset1"));
        QVERIFY(a->shortcut().isEmpty());
        QVERIFY(!a->isCheckable());
        QVERIFY(!a->isSeparator());
        QVERIFY(a->isVisible());
        QVERIFY(!a->menu());
    }
}

QTEST_MAIN(TestForm1Layout)
#include "tst_form1layout.moc"
