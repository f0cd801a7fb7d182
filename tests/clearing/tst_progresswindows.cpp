// The two progress windows as laid out, before their sequences start.
#include "clearing/form5.h"
#include "clearing/form6.h"
#include "support/faketoolkit.h"

#include <QLabel>
#include <QTimer>
#include <QtTest>

class TestProgressWindows : public QObject {
    Q_OBJECT
  private slots:
    void layout_data();
    void layout();
};

void TestProgressWindows::layout_data() {
    QTest::addColumn<int>("form");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QSize>("client");
    QTest::addColumn<QRect>("label");
    // 15 twips to the pixel.
    QTest::newRow("Form5") << 5 << "Clearing it out." << QSize(312, 49) << QRect(0, 8, 305, 65);
    QTest::newRow("Form6") << 6 << "Clearing all" << QSize(358, 49) << QRect(0, 8, 353, 65);
}

void TestProgressWindows::layout() {
    QFETCH(int, form);
    QFETCH(QString, caption);
    QFETCH(QSize, client);
    QFETCH(QRect, label);

    FakeToolkit toolkit(QDir::tempPath());
    std::unique_ptr<ProgressWindow> w;
    if (form == 5)
        w = std::make_unique<Form5>();
    else
        w = std::make_unique<Form6>();

    QCOMPARE(w->objectName(), QStringLiteral("Form%1").arg(form));
    QCOMPARE(w->windowTitle(), caption);
    // A fixed frame with a title bar, no maximize or minimize button.
    QCOMPARE(w->minimumSize(), client);
    QCOMPARE(w->maximumSize(), client);
    const Qt::WindowFlags flags = w->windowFlags();
    QVERIFY(flags & Qt::WindowTitleHint);
    QVERIFY(!(flags & Qt::WindowMaximizeButtonHint));
    QVERIFY(!(flags & Qt::WindowMinimizeButtonHint));
    QCOMPARE(w->windowIcon().availableSizes(), (QList<QSize>{{16, 16}, {32, 32}, {48, 48}}));

    QCOMPARE(w->Label1->objectName(), QStringLiteral("Label1"));
    QCOMPARE(w->Label1->geometry(), label);
    QCOMPARE(w->Label1->text(), QString());
    QCOMPARE(w->Label1->font().family(), QStringLiteral("MS Sans Serif"));
    QCOMPARE(w->Label1->font().pointSize(), 18);
    QVERIFY(!w->Label1->font().bold() && !w->Label1->font().italic());

    QCOMPARE(w->Timer1->objectName(), QStringLiteral("Timer1"));
    QCOMPARE(w->Timer1->interval(), 1);
    // The sequence waits for the window to be on screen.
    QVERIFY(!w->Timer1->isActive());
    QVERIFY(!w->running());
}

QTEST_MAIN(TestProgressWindows)
#include "tst_progresswindows.moc"
