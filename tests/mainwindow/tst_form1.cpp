// The main window's controls, driven as a user does: the set each Sets entry opens, what a box
// keeps of pasted text, the boxes the window shows, and what it shows after a save.
#include "mainwindow/form1.h"
#include "support/faketoolkit.h"
#include "ui/icons.h"
#include "ui/windowregistry.h"

#include <QtTest>
#include <QtWidgets>

namespace {
// Five sets, each with its own first entry.
QByteArray fiveSets() {
    QStringList lines{"[readone]", "READ2=", "READ1=1", "[Ruduze Vad Ovo]"};
    for (int slot = 1; slot <= 5; ++slot)
        lines << QStringLiteral("NAME%1=Name %1").arg(slot);
    for (int slot = 1; slot <= 5; ++slot)
        lines << QStringLiteral("[Name %1]").arg(slot) << QStringLiteral("NAME1=entry %1").arg(slot)
              << QStringLiteral("NUM1=number %1").arg(slot);
    return ini(lines);
}

struct Use {
    QStringList steps; // "choose N", "paste BOX TEXT", "save", "curset", "folder" (the file
                       // swapped for a folder)
    QStringList boxes; // the message boxes, in order
    QString shown;     // Label1|Label2|Text31|Text1|Text2|the five Sets entries
};
} // namespace
Q_DECLARE_METATYPE(Use)

class TestForm1 : public QObject {
    Q_OBJECT
  private slots:
    void use_data() {
        QTest::addColumn<Use>("u");
        const QString menu = "|Name 1,Name 2,Name 3,Name 4,Name 5";
        const QString remind = "Choose a set from set menu|SELECT A SET BEFORE MAKING A LIST";
        for (int slot = 1; slot <= 5; ++slot)
            QTest::addRow("Set %d opens set %d", slot, slot) << Use{
                {QStringLiteral("choose %1").arg(slot)},
                {},
                QStringLiteral("set %1|You are working in: Set %1|Name %1|entry %1|number %1")
                        .arg(slot) +
                    menu};
        const QString set2 = "set 2|You are working in: Set 2|";
        const QString none = "Label1|You are working in: |Please select a set before making the "
                             "list|Product Name|Serial Number or Password";
        const QString x749(749, u'x');
        // clang-format off
        QTest::newRow("typing before a set is chosen") << Use{{"paste 3 a"}, {remind}, none + menu};
        QTest::newRow("clearing before a set is chosen") << Use{{"curset"}, {remind}, none + menu};
        QTest::newRow("line breaks pasted") << Use{{"choose 2", "paste 2 a\r\nb\u0085c\u2028d\u2029e",
            "paste 1 " + x749 + "y"}, {}, set2 + "Name 2|" + x749 + "|abcde" + menu};
        QTest::newRow("saved") << Use{{"choose 2", "paste 31  A & B\t", "save"}, {},
            set2 + "A & B|entry 2|number 2|Name 1,A && B,Name 3,Name 4,Name 5"};
        QTest::newRow("refused") << Use{{"choose 2", "paste 31 set 1", "save"},
            {"Pick a name|Type a name for the set in the top box!"}, set2 + "set 1|entry 2|number 2" + menu};
        QTest::newRow("not saved") << Use{{"choose 2", "paste 31 Bank", "folder", "save"},
            {"Tallivor II|The set could not be saved: the file %file can't be read (it is a folder)"},
            set2 + "Bank|entry 2|number 2" + menu};
        // A set that can't be read is not opened: the one shown stays.
        QTest::newRow("not read") << Use{{"choose 2", "folder", "choose 3"},
            {"Tallivor II|The data file could not be read: %file (it is a folder)"},
            set2 + "Name 2|entry 2|number 2" + menu};
        // clang-format on
    }
    void use() {
        QFETCH(Use, u);
        FakeToolkit toolkit(fiveSets());
        for (const QString& box : u.boxes)
            toolkit.expect(box);
        Form1* main = Windows::show<Form1>();
        QVERIFY(main);
        const auto box = [main](const QString& n) {
            return main->findChild<QLineEdit*>("Text" + n);
        };
        const auto action = [main](const QString& name) {
            QAction* a = main->findChild<QAction*>(name);
            QVERIFY2(a, qPrintable(name));
            a->trigger();
        };
        for (const QString& step : u.steps) {
            const QString what = step.section(' ', 0, 0), arg = step.section(' ', 1, 1);
            if (what == "choose")
                action(arg == "1" ? "Set1" : "set" + arg);
            if (what == "save" || what == "curset")
                action(what == "save" ? "asset1" : what);
            if (what == "folder")
                QVERIFY(QFile::remove(toolkit.dataFile()) && QDir().mkdir(toolkit.dataFile()));
            if (what == "paste") {
                QGuiApplication::clipboard()->setText(step.section(' ', 2));
                QTest::keyClick(box(arg), Qt::Key_A, Qt::ControlModifier);
                QTest::keyClick(box(arg), Qt::Key_V, Qt::ControlModifier);
            }
        }
        QStringList shown{main->findChild<QLabel*>("Label1")->text(),
                          main->findChild<QLabel*>("Label2")->text(), box("31")->text(),
                          box("1")->text(), box("2")->text()};
        QStringList captions;
        for (const char* name : {"Set1", "set2", "set3", "set4", "set5"})
            captions << main->findChild<QAction*>(name)->text();
        QCOMPARE(shown.join('|') + '|' + captions.join(','), u.shown);
    }

    // What the window manager and a screen reader are told: a minimize button and no maximize
    // button, the status line as such, and the icon in both sizes.
    void frame() {
        FakeToolkit toolkit(fiveSets());
        const Form1* main = Windows::show<Form1>();
        const auto buttons = Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint;
        QCOMPARE(main->windowFlags() & buttons, Qt::WindowMinimizeButtonHint);
        QCOMPARE(main->findChild<QLabel*>("Label2")->accessibleDescription(), "Status line");
        for (int size : {32, 64})
            QCOMPARE(Icons::main().pixmap(size).width(), size);
        QCOMPARE(Icons::main().availableSizes(), (QList<QSize>{{32, 32}, {64, 64}}));
    }
};

QTEST_MAIN(TestForm1)
#include "tst_form1.moc"
