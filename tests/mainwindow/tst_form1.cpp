// The main window as a user meets it: loading, saving and renaming sets, a save refused or
// failing, the warning against typing before a set is chosen, Exit and closing by the frame.
// Checked in the controls and in the data file.
#include "mainwindow/form1.h"
#include "support/faketoolkit.h"
#include "ui/windows.h"

#include <QtTest>
#include <QtWidgets>

const QString NoSet = QStringLiteral("Please select a set before making the list");
const QString Guard = "Choose a set from set menu|SELECT A SET BEFORE MAKING A LIST";
const QStringList Defaults{"Set 1", "Set 2", "Set 3", "Set 4", "Set 5"};
const QString Loaded = "[readone]\nREAD1=1\n";

// A data file (or none) in a fresh folder, the fake toolkit, and Form1 loaded over them.
struct Session : FakeToolkit {
    Form1* w = nullptr;

    explicit Session(const QString& file = {}) : FakeToolkit(file.toUtf8()) {
        w = Windows::show<Form1>();
    }
    // What a user can see change: the 31 boxes, the slot tag, the status line, whether the top
    // box (1) and "save set" (2) are enabled, the Sets menu, and last the data file (its line
    // ends are the writer's business).
    QStringList state() const {
        QStringList out;
        for (int n = 1; n <= 31; ++n)
            out << w->Text(n)->text();
        out << w->Label1->text() << w->Label2->text()
            << QString::number(w->Text(31)->isEnabled() + 2 * w->asset1->isEnabled());
        // The Sets menu as it shows: "&&" is a "&", a lone "&" marks an access letter.
        for (int slot = 1; slot <= 5; ++slot)
            out << w->SetEntry(slot)->text().replace("&&", "\1").remove('&').replace('\1', '&');
        return out << file();
    }
    QString file() const { return QString::fromUtf8(bytes()).remove('\r'); }
};

// What state() shows after the thirty boxes: before a set is chosen (slot 0), or with slot 1 .. 5
// chosen under a name.
QStringList tail(int slot, const QString& name, const QStringList& menu, const QString& file) {
    const QString n = QString::number(slot);
    const QStringList top{slot ? name : NoSet, slot ? "set " + n : "Label1",
                          "You are working in: " + (slot ? "Set " + n : ""), slot ? "3" : "0"};
    return top + menu << file;
}

// Replaces the whole text of a box the way a user does: select all, then type over it.
void retype(QLineEdit* box, const QString& text) {
    QTest::keyClick(box, Qt::Key_A, Qt::ControlModifier);
    text.isEmpty() ? QTest::keyClick(box, Qt::Key_Backspace) : type(box, text);
}

// Thirty distinct texts tag1 .. tag30.
QStringList filled(const QString& tag) {
    QStringList out;
    for (int n = 1; n <= 30; ++n)
        out << tag + QString::number(n);
    return out;
}

// The names section, and a set's section as a save writes it (entry names, numbers, set name).
QString names(const QStringList& n) {
    return QStringLiteral("[Ruduze Vad Ovo]\nNAME1=%1\nNAME2=%2\nNAME3=%3\nNAME4=%4\nNAME5=%5\n")
        .arg(n[0], n[1], n[2], n[3], n[4]);
}
QString setSection(const QString& name, const QStringList& boxes) {
    QString out = '[' + name + "]\n";
    for (int n = 1; n <= 30; ++n)
        out += (n <= 15 ? "NAME" : "NUM") + QString::number((n - 1) % 15 + 1) + '=' +
               boxes[n <= 15 ? 2 * n - 2 : 2 * n - 31] + '\n';
    return out + "NAME=" + name + '\n';
}

class TestForm1 : public QObject {
    Q_OBJECT
  private slots:
    // Loading, then keys typed into two boxes before a set is chosen: every change warns, keeps
    // what was typed, and changes nothing else.
    void loadThenTypeBeforeASet_data() {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QStringList>("menu");
        QTest::addColumn<QString>("after"); // empty: as it was
        const QStringList mine{"Bank", "Set 2", "x", "Set 4", "y"};
        const QString bank = "[Bank]\nNAME1=kept\n", pw = "[readone]\nREAD2=pw\n";
        QTest::newRow("empty folder") << "" << Defaults << names(Defaults) + Loaded;
        QTest::newRow("read1 is 1: names kept, Name3 missing: empty caption, not repaired")
            << Loaded + "[Ruduze Vad Ovo]\nNAME1=a\nNAME2=b\nNAME4=d\nNAME5=e\n"
            << QStringList{"a", "b", "", "d", "e"} << QString();
        QTest::newRow("read1 is '1 ': defaults again")
            << pw + "READ1=1 \n" + names(mine) + bank << Defaults
            << pw + "READ1=1\n" + names(Defaults) + bank;
    }
    void loadThenTypeBeforeASet() {
        QFETCH(QString, file);
        QFETCH(QStringList, menu);
        QFETCH(QString, after);
        Session s(file);
        QStringList boxes = QStringList{"Product Name", "Serial Number or Password", " ", "", " "} +
                            QStringList(25);
        for (int n : {1, 30}) {
            for (int i = 0; i < 3; ++i)
                s.expect(Guard);
            QTest::keyClicks(s.w->Text(n), "ab\b");
            boxes[n - 1] += "a";
        }
        QCOMPARE(s.state(), boxes + tail(0, {}, menu, after.isEmpty() ? file : after));
    }

    void saveAndRename_data() {
        QTest::addColumn<int>("slot");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("stored"); // and then shown in the top box and the menu
        QTest::newRow("outer blanks") << 1 << " \tmy bank  "
                                      << "my bank";
        QTest::newRow("an ampersand, shown as typed") << 3 << "Tom & Jerry"
                                                      << "Tom & Jerry";
        // Line breaks are dropped: the name is what the box shows, not a default one.
        QTest::newRow("a default name, pasted over two lines") << 5 << "set\r\n2"
                                                               << "set2";
    }
    void saveAndRename() {
        QFETCH(int, slot);
        QFETCH(QString, name);
        QFETCH(QString, stored);
        Session s;
        s.w->SetEntry(slot)->trigger();
        QStringList typed = filled("Program "), menu = Defaults;
        typed[28] = typed[29] = QString(); // stored as empty values
        for (int n = 1; n <= 28; ++n)
            QTest::keyClicks(s.w->Text(n), typed[n - 1]);
        retype(s.w->Text(2), "Program\r\n 2\n");
        retype(s.w->Text(31), name);
        name = stored;
        s.w->asset1->trigger();
        QCOMPARE(s.state().at(30), name);        // the top box
        QCOMPARE(s.state().at(33 + slot), name); // the Sets menu as it shows
        // Renamed to the longest name, with the longest entries: a new section, the old one as
        // it was. The boxes stop at the longest text the data file gives back.
        const QString longest(749, 'x'), longName = QString(748, 'n') + "m";
        QStringList changed = typed;
        changed[0] = changed[29] = longest;
        retype(s.w->Text(1), longest + "yyyy");
        QTest::keyClicks(s.w->Text(30), longest + "y");
        retype(s.w->Text(31), longName + "z");
        s.w->asset1->trigger();
        menu[slot - 1] = longName;
        const QString renamed =
            names(menu) + Loaded + setSection(name, typed) + setSection(longName, changed);
        QCOMPARE(s.state(), changed + tail(slot, longName, menu, renamed));
    }

    // One box, or none, and nothing else changes: a save refused (one row for each kind of
    // name refused) or failing, Exit and closing by the frame.
    void oneBoxAndNothingChanges_data() {
        QTest::addColumn<QString>("entry"); // a menu entry, or "close" for the window's frame
        QTest::addColumn<QString>("name");  // typed into the top box of slot 1
        QTest::addColumn<QString>("box");   // empty: the program ends without a question
        QTest::addColumn<int>("limit");     // room for a file of that many bytes more (0: any)
        const auto row = [](const char* tag, const QString& name, const QString& box,
                            const char* entry = "asset1", int limit = 0) {
            QTest::newRow(tag) << QString(entry) << name << box << limit;
        };
        const QString pick = "Pick a name|",
                      another = " Type another name for the set in the top box!";
        row("a default name", "set 3", pick + "Type a name for the set in the top box!");
        row("the start-up state's section", "READONE", pick + "That name is reserved." + another);
        row("another slot's name", " games", pick + "Another set already has that name." + another);
        // Room for a few of the set's keys, not for all: saved whole or not at all.
        row("file-size limit", "Bank",
            "Tallivor II|The set could not be saved: the file %file couldn't be saved (File too "
            "large)",
            "asset1", 100);
        row("Exit, the change-password screen open", "x", {}, "Exit");
        row("closed by the frame", "x", {}, "close");
    }
    void oneBoxAndNothingChanges() {
        QFETCH(QString, entry);
        QFETCH(QString, name);
        QFETCH(QString, box);
        QFETCH(int, limit);
        if (const char* why = limit ? lacking(Need::FileSizeLimit) : nullptr)
            QSKIP(why);
        Session s(Loaded + names({"Set 1", "Set 2", "Games", "Set 4", "Set 5"}) +
                  setSection("Games", filled("games")));
        s.w->SetEntry(1)->trigger();
        retype(s.w->Text(1), "typed");
        retype(s.w->Text(31), name);
        const QStringList shown = s.state();
        if (entry == "Exit") { // the other windows go with the program
            s.expect("IMPORTANT|If you don't want to password this program, leave the box blank "
                     "and click enter.");
            s.w->changep->trigger();
        }
        if (!box.isEmpty())
            s.expect(box);
        {
            const Conditions room(limit ? s.bytes().size() + limit : 0);
            entry == "close" ? void(s.w->close()) : s.w->findChild<QAction*>(entry)->trigger();
        }
        QCOMPARE(s.ended, box.isEmpty());
        QCOMPARE(Windows::find<Form1>() == nullptr, box.isEmpty());
        QCOMPARE(s.file(), shown.last());
        if (!box.isEmpty())
            QCOMPARE(s.state(), shown);
    }
};

QTEST_MAIN(TestForm1)
#include "tst_form1.moc"
