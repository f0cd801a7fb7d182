#include "mainwindow/form1.h"

#include "clearing/clearing.h"
#include "startup/form4.h"
#include "storage/profileroutines.h"
#include "storage/routines.h"
#include "ui/layout.h"
#include "ui/textbox.h"
#include "ui/toolkit.h"
#include "ui/windows.h"

#include <QAction>
#include <QCloseEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>

using ProfileRoutines::ProfileKey;
using ProfileRoutines::ProfileWrite;

const QString Form1::NoSetPhrase = QStringLiteral("Please select a set before making the list");

namespace {
const QString NamesSection = QStringLiteral("Ruduze Vad Ovo");
const QString StateSection = QStringLiteral("readone");
const QString PickAName = QStringLiteral("Pick a name");

const QString MakerWeb = QStringLiteral("www.quorvex.example");
const QString MakerMail = QStringLiteral("suggestions@quorvex.example");

QString defaultName(int slot) {
    return QStringLiteral("Set %1").arg(slot);
}
QString slotTag(int slot) {
    return QStringLiteral("set %1").arg(slot);
}
QString nameKey(int slot) {
    return QStringLiteral("Name%1").arg(slot);
}

// Menu captions take "&" as the mark of an access letter; a set name shows as typed.
QString toCaption(QString name) {
    return name.replace(QLatin1Char('&'), QStringLiteral("&&"));
}
QString fromCaption(QString caption) {
    return caption.replace(QStringLiteral("&&"), QStringLiteral("&"));
}

QList<ProfileKey> setNameKeys() {
    QList<ProfileKey> keys;
    for (int slot = 1; slot <= 5; ++slot)
        keys.append({NamesSection, nameKey(slot)});
    return keys;
}
} // namespace

Form1::Form1() {
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QStringLiteral("Tallivor II "));
    // Sizable, with a minimize button and no maximize button.
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
    buildMenus();
    buildControls();
    adjustSize();
    move(Layout::px(2490), Layout::px(1785));
}

void Form1::buildControls() {
    auto* central = new QWidget(this);
    central->setObjectName(QStringLiteral("client"));
    // The controls keep their places; a larger window only adds empty room.
    central->setFixedSize(Layout::px(7020), Layout::px(6180));
    setCentralWidget(central);

    // Created first, so that the entry boxes of rows 7 and 8 are drawn over it.
    Label1 = new QLabel(QStringLiteral("Label1"), central);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setGeometry(Layout::rect(2880, 2880, 1215, 495));
    Label1->setAlignment(Qt::AlignLeft | Qt::AlignTop);

    Label2 = new QLabel(QStringLiteral("You are working in: "), central);
    Label2->setObjectName(QStringLiteral("Label2"));
    Label2->setGeometry(Layout::rect(240, 0, 6015, 255));
    Label2->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    Label2->setAccessibleDescription(QStringLiteral("Status line"));

    // Said to a screen reader in place of what a sighted user sees from the layout.
    for (int entry = 1; entry <= 15; ++entry) {
        m_text[2 * entry - 2] =
            TextBox::create(central, QStringLiteral("Text%1").arg(2 * entry - 1),
                            QStringLiteral("Entry %1 name").arg(entry));
        m_text[2 * entry - 1] =
            TextBox::create(central, QStringLiteral("Text%1").arg(2 * entry),
                            QStringLiteral("Entry %1 serial number or password").arg(entry));
    }
    m_text[30] = TextBox::create(central, QStringLiteral("Text31"), QStringLiteral("Set name"));
    for (int entry = 1; entry <= 15; ++entry) {
        const int top = 600 + 360 * (entry - 1);
        Text(2 * entry - 1)->setGeometry(Layout::rect(0, top, 2415, 285));
        Text(2 * entry)->setGeometry(Layout::rect(2640, top, 4335, 285));
    }
    Text(31)->setGeometry(Layout::rect(0, 240, 6975, 285));
    Text(31)->setText(QStringLiteral("Set 1"));
    Text(31)->setEnabled(false);

    Text(1)->setText(QStringLiteral("Product Name"));
    Text(2)->setText(QStringLiteral("Serial Number or Password"));
    Text(3)->setText(QStringLiteral(" "));
    Text(5)->setText(QStringLiteral(" "));

    for (int n = 1; n < 31; ++n)
        setTabOrder(Text(n), Text(n + 1));

    // Connected after the initial texts, so that only later changes are judged.
    for (int n = 1; n <= 30; ++n)
        connect(Text(n), &QLineEdit::textChanged, this, &Form1::entryChanged);
}

void Form1::buildMenus() {
    auto addMenu = [this](const char* name, const QString& caption) {
        QMenu* menu = menuBar()->addMenu(caption);
        menu->setObjectName(QLatin1String(name));
        menu->menuAction()->setObjectName(QLatin1String(name));
        return menu;
    };
    auto addItem = [this](QMenu* menu, const char* name, const QString& caption) {
        auto* action = new QAction(caption, this);
        action->setObjectName(QLatin1String(name));
        menu->addAction(action);
        return action;
    };

    file = addMenu("file", QStringLiteral("&File"));
    About = addItem(file, "About", QStringLiteral("About"));
    Exit = addItem(file, "Exit", QStringLiteral("Exit"));

    sets = addMenu("sets", QStringLiteral("&Sets"));
    const char* setNames[] = {"Set1", "set2", "set3", "set4", "set5"};
    for (int slot = 1; slot <= 5; ++slot) {
        m_setEntries[slot - 1] = addItem(sets, setNames[slot - 1], defaultName(slot));
        connect(SetEntry(slot), &QAction::triggered, this, [this, slot] { chooseSet(slot); });
    }

    save = addMenu("save", QStringLiteral("&Save"));
    asset1 = addItem(save, "asset1", QStringLiteral("save set"));
    asset1->setEnabled(false);

    reset = addMenu("reset", QStringLiteral("&Reset"));
    curset = addItem(reset, "curset", QStringLiteral("Clear Current Set"));
    all = addItem(reset, "all", QStringLiteral("Clear All"));

    pws = addMenu("pws", QStringLiteral("&Password"));
    changep = addItem(pws, "changep", QStringLiteral("Change Password"));

    rmt = addMenu("rmt", QStringLiteral("&Other"));
    others = addItem(rmt, "others", QStringLiteral("Other software"));
    website = addItem(rmt, "website", QStringLiteral("Website"));
    sugs = addItem(rmt, "sugs", QStringLiteral("Suggestions"));

    connect(About, &QAction::triggered, this, &Form1::showAbout);
    connect(Exit, &QAction::triggered, this, &Form1::exitProgram);
    connect(asset1, &QAction::triggered, this, &Form1::saveSet);
    connect(curset, &QAction::triggered, this, [] { Clearing::ClearCurrentSet(); });
    connect(all, &QAction::triggered, this, [] { Clearing::ClearAll(); });
    connect(changep, &QAction::triggered, this, [] { Windows::show<Form4>(); });
    connect(others, &QAction::triggered, this, &Form1::showOtherSoftware);
    connect(website, &QAction::triggered, this, &Form1::showWebsite);
    connect(sugs, &QAction::triggered, this, &Form1::showSuggestions);
}

QString Form1::setName(int slot) const {
    return fromCaption(SetEntry(slot)->text());
}

void Form1::load() {
    const QString file = Toolkit::current().dataFile();
    if (ProfileRoutines::ReadProfileValue(StateSection, QStringLiteral("read1"), file) !=
        QLatin1String("1")) {
        QList<ProfileWrite> defaults;
        for (int slot = 1; slot <= 5; ++slot)
            defaults.append({NamesSection, nameKey(slot), defaultName(slot)});
        ProfileRoutines::WriteProfileValues(defaults, file);
    }
    showSetNames();
    Text(31)->setText(NoSetPhrase);
    ProfileRoutines::WriteProfileValue(StateSection, QStringLiteral("read1"), QStringLiteral("1"),
                                       file);
}

// The five menu captions, as the data file holds the names now; a missing name stays empty.
void Form1::showSetNames() {
    const QStringList names =
        ProfileRoutines::ReadProfileValues(setNameKeys(), Toolkit::current().dataFile());
    for (int slot = 1; slot <= 5; ++slot)
        SetEntry(slot)->setText(toCaption(names.value(slot - 1)));
}

void Form1::chooseSet(int slot) {
    asset1->setEnabled(true);
    Label2->setText(QStringLiteral("You are working in: Set %1").arg(slot));
    Text(31)->setEnabled(true);
    Label1->setText(slotTag(slot));
    Text(31)->setText(setName(slot));

    // The set's entries live in the section named like the set.
    const QString section = Text(31)->text();
    QList<ProfileKey> keys;
    for (int entry = 1; entry <= 15; ++entry)
        keys.append({section, QStringLiteral("name%1").arg(entry)});
    for (int entry = 1; entry <= 15; ++entry)
        keys.append({section, QStringLiteral("num%1").arg(entry)});
    const QStringList values =
        ProfileRoutines::ReadProfileValues(keys, Toolkit::current().dataFile());
    for (int entry = 1; entry <= 15; ++entry)
        Text(2 * entry - 1)->setText(values.value(entry - 1));
    for (int entry = 1; entry <= 15; ++entry)
        Text(2 * entry)->setText(values.value(15 + entry - 1));
}

void Form1::saveSet() {
    const QString name = Text(31)->text();
    const QString file = Toolkit::current().dataFile();
    const QString tag = Label1->text();

    for (int slot = 1; slot <= 5; ++slot) {
        if (name == defaultName(slot)) {
            Toolkit::current().notice(QStringLiteral("Type a name for the set in the top box!"),
                                      PickAName);
            return;
        }
    }
    // Names the data file can't keep apart from other data.
    if (name.trimmed().isEmpty()) {
        Toolkit::current().notice(QStringLiteral("Type a name for the set in the top box!"),
                                  PickAName);
        return;
    }
    switch (clashOf(name, tag)) {
    case Clash::Reserved:
        Toolkit::current().notice(
            QStringLiteral("That name is reserved. Type another name for the set in the top box!"),
            PickAName);
        return;
    case Clash::AnotherSet:
        Toolkit::current().notice(QStringLiteral("Another set already has that name. Type "
                                                 "another name for the set in the top box!"),
                                  PickAName);
        return;
    case Clash::None:
        break;
    }

    QList<ProfileWrite> writes;
    for (int entry = 1; entry <= 15; ++entry)
        writes.append({name, QStringLiteral("name%1").arg(entry), Text(2 * entry - 1)->text()});
    for (int entry = 1; entry <= 15; ++entry)
        writes.append({name, QStringLiteral("num%1").arg(entry), Text(2 * entry)->text()});
    writes.append({name, QStringLiteral("Name"), name});
    for (int slot = 1; slot <= 5; ++slot) {
        if (tag == slotTag(slot))
            writes.append({NamesSection, nameKey(slot), name});
    }
    // One replacement of the file: the old set or the new one, never half of it.
    QString reason;
    if (!ProfileRoutines::WriteProfileValues(writes, file, &reason)) {
        Toolkit::current().notice(QStringLiteral("The set could not be saved: ") + reason,
                                  QStringLiteral("Tallivor II"));
        return;
    }
    showSetNames();
}

Form1::Clash Form1::clashOf(const QString& name, const QString& tag) {
    if (name.compare(StateSection, Qt::CaseInsensitive) == 0 ||
        name.compare(NamesSection, Qt::CaseInsensitive) == 0)
        return Clash::Reserved;
    // What matters is the section: compared with the names stored, not with the menu.
    const QStringList stored =
        ProfileRoutines::ReadProfileValues(setNameKeys(), Toolkit::current().dataFile());
    for (int slot = 1; slot <= 5; ++slot) {
        if (tag != slotTag(slot) && name.compare(stored.value(slot - 1), Qt::CaseInsensitive) == 0)
            return Clash::AnotherSet;
    }
    return Clash::None;
}

// Typing before a set is chosen would be lost when one is chosen: say so, but keep the text.
void Form1::entryChanged() {
    if (Text(31)->text() == NoSetPhrase)
        Toolkit::current().notice(QStringLiteral("SELECT A SET BEFORE MAKING A LIST"),
                                  QStringLiteral("Choose a set from set menu"));
}

void Form1::showAbout() {
    Toolkit::current().notice(
        QStringLiteral("Tallivor II 2.00. Store your names, passwords, and registration numbers."),
        QStringLiteral("About Tallivor II"));
}

void Form1::showOtherSoftware() {
    ProfileRoutines::ShowNotice(QStringLiteral("Other software can be found at ") + MakerWeb +
                                    QStringLiteral(".  The website MAY not be done by the time "
                                                   "you visit, so check weekly"),
                                QStringLiteral("Website"));
}

void Form1::showWebsite() {
    ProfileRoutines::ShowNotice(QStringLiteral("Please visit Quorvex on the web at ") + MakerWeb,
                                QStringLiteral("Website"));
}

void Form1::showSuggestions() {
    ProfileRoutines::ShowNotice(QStringLiteral("Please send all suggestions to ") + MakerMail,
                                QStringLiteral("Suggestions"));
}

// Nothing is saved or asked; other open windows go with the program.
void Form1::exitProgram() {
    Windows::unload(this);
    if (!Toolkit::current().ending())
        Toolkit::current().endProgram();
}

void Form1::closeEvent(QCloseEvent* event) {
    QMainWindow::closeEvent(event);
    if (event->isAccepted())
        Windows::forget(this);
}
