#include "mainwindow/form1.h"

#include "clearing/clearing.h"
#include "clearing/form5.h"
#include "startup/form4.h"
#include "storage/datafile.h"
#include "storage/profileroutines.h"
#include "storage/setnames.h"
#include "ui/layout.h"
#include "ui/routines.h"
#include "ui/textbox.h"
#include "ui/toolkit.h"
#include "ui/windows.h"
#include "version.h"

#include <QAction>
#include <QCloseEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>

using ProfileRoutines::ProfileKey;
using ProfileRoutines::ProfileSnapshot;
using ProfileRoutines::ProfileWrite;
using namespace DataFile;

const QString Form1::NoSetPhrase = QStringLiteral("Please select a set before making the list");

namespace {
const QString PickAName = QStringLiteral("Pick a name");

const QString MakerWeb = QStringLiteral("www.quorvex.example");
const QString MakerMail = QStringLiteral("suggestions@quorvex.example");

QString slotTag(int slot) {
    return QStringLiteral("set %1").arg(slot);
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
    for (int slot = 1; slot <= Slots; ++slot)
        keys.append({NamesSection, nameKey(slot)});
    return keys;
}
} // namespace

Form1::Form1() {
    setObjectName(QStringLiteral("Form1"));
    // The caption ends in a blank, as the program's users have always seen it.
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

    // Entry by entry, name box then number box: the order of the tab key too. The accessible
    // names say to a screen reader what a sighted user sees from the layout.
    for (int entry = 1; entry <= Entries; ++entry) {
        const int top = 600 + 360 * (entry - 1);
        m_text[2 * entry - 2] =
            TextBox::create(central, QStringLiteral("Text%1").arg(2 * entry - 1),
                            QStringLiteral("Entry %1 name").arg(entry));
        NameBox(entry)->setGeometry(Layout::rect(0, top, 2415, 285));
        m_text[2 * entry - 1] =
            TextBox::create(central, QStringLiteral("Text%1").arg(2 * entry),
                            QStringLiteral("Entry %1 serial number or password").arg(entry));
        NumberBox(entry)->setGeometry(Layout::rect(2640, top, 4335, 285));
    }
    m_text[30] = TextBox::create(central, QStringLiteral("Text31"), QStringLiteral("Set name"));
    Text(31)->setGeometry(Layout::rect(0, 240, 6975, 285));
    Text(31)->setText(QStringLiteral("Set 1"));
    Text(31)->setEnabled(false);

    Text(1)->setText(QStringLiteral("Product Name"));
    Text(2)->setText(QStringLiteral("Serial Number or Password"));
    Text(3)->setText(QStringLiteral(" "));
    Text(5)->setText(QStringLiteral(" "));

    // Connected after the initial texts, so that only later changes are judged.
    for (int n = 1; n <= 2 * Entries; ++n)
        connect(Text(n), &QLineEdit::textChanged, this, &Form1::entryChanged);
}

void Form1::buildMenus() {
    auto addMenu = [this](const char* name, const QString& caption) {
        QMenu* menu = menuBar()->addMenu(caption);
        menu->setObjectName(QLatin1String(name));
        menu->menuAction()->setObjectName(QLatin1String(name));
        return menu;
    };
    auto addItem = [this](QMenu* menu, const char* name, const QString& caption, auto slot) {
        QAction* action = menu->addAction(caption, this, slot);
        action->setObjectName(QLatin1String(name));
        return action;
    };

    file = addMenu("file", QStringLiteral("&File"));
    About = addItem(file, "About", QStringLiteral("About"), &Form1::showAbout);
    Exit = addItem(file, "Exit", QStringLiteral("Exit"), &Form1::exitProgram);

    sets = addMenu("sets", QStringLiteral("&Sets"));
    const char* setNames[] = {"Set1", "set2", "set3", "set4", "set5"};
    for (int slot = 1; slot <= Slots; ++slot)
        m_setEntries[slot - 1] =
            addItem(sets, setNames[slot - 1], defaultName(slot), [this, slot] { chooseSet(slot); });

    save = addMenu("save", QStringLiteral("&Save"));
    asset1 = addItem(save, "asset1", QStringLiteral("save set"), &Form1::saveSet);
    asset1->setEnabled(false);

    reset = addMenu("reset", QStringLiteral("&Reset"));
    curset = addItem(reset, "curset", QStringLiteral("Clear Current Set"),
                     [] { Clearing::ClearCurrentSet(); });
    all = addItem(reset, "all", QStringLiteral("Clear All"), [] { Clearing::ClearAll(); });

    pws = addMenu("pws", QStringLiteral("&Password"));
    changep =
        addItem(pws, "changep", QStringLiteral("Change Password"), [] { Windows::show<Form4>(); });

    rmt = addMenu("rmt", QStringLiteral("&Other"));
    others = addItem(rmt, "others", QStringLiteral("Other software"), &Form1::showOtherSoftware);
    website = addItem(rmt, "website", QStringLiteral("Website"), &Form1::showWebsite);
    sugs = addItem(rmt, "sugs", QStringLiteral("Suggestions"), &Form1::showSuggestions);
}

QString Form1::setName(int slot) const {
    return fromCaption(SetEntry(slot)->text());
}

int Form1::currentSlot() const {
    for (int slot = 1; slot <= Slots; ++slot) {
        if (Label1->text() == slotTag(slot))
            return slot;
    }
    return 0;
}

void Form1::load() {
    const QString path = Toolkit::current().dataFile();
    QString reason;
    bool written = true;
    if (ProfileRoutines::ReadProfileValue(StateSection, LoadedKey, path) != Loaded) {
        QList<ProfileWrite> defaults;
        for (int slot = 1; slot <= Slots; ++slot)
            defaults.append({NamesSection, nameKey(slot), defaultName(slot)});
        written = ProfileRoutines::WriteProfileValues(defaults, path, &reason);
    }
    showSetNames();
    Text(31)->setText(NoSetPhrase);
    if (written)
        written =
            ProfileRoutines::WriteProfileValues({{StateSection, LoadedKey, Loaded}}, path, &reason);
    // Only a file without the program's data can fail here (a value already stored is not
    // written again): nothing typed could be kept.
    if (!written) {
        Toolkit::current().report(QStringLiteral("The data file could not be written: ") + reason);
        Toolkit::current().endProgram();
    }
}

// The five menu captions, as the data file holds the names now; a missing name stays empty.
void Form1::showSetNames() {
    const QStringList names =
        ProfileRoutines::ReadProfileValues(setNameKeys(), Toolkit::current().dataFile());
    for (int slot = 1; slot <= Slots; ++slot)
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
    for (int entry = 1; entry <= Entries; ++entry)
        keys.append({section, entryNameKey(entry)});
    for (int entry = 1; entry <= Entries; ++entry)
        keys.append({section, entryNumberKey(entry)});
    const QStringList values =
        ProfileRoutines::ReadProfileValues(keys, Toolkit::current().dataFile());
    for (int entry = 1; entry <= Entries; ++entry)
        NameBox(entry)->setText(values.value(entry - 1));
    for (int entry = 1; entry <= Entries; ++entry)
        NumberBox(entry)->setText(values.value(Entries + entry - 1));
}

void Form1::saveSet() {
    const QString name = SetNames::trimmed(Text(31)->text());
    const int slot = currentSlot();
    QList<ProfileWrite> writes;
    for (int entry = 1; entry <= Entries; ++entry)
        writes.append({name, entryNameKey(entry), NameBox(entry)->text()});
    for (int entry = 1; entry <= Entries; ++entry)
        writes.append({name, entryNumberKey(entry), NumberBox(entry)->text()});
    writes.append({name, SetNameKey, name});
    if (slot)
        writes.append({NamesSection, nameKey(slot), name});

    // Judged on the names as stored at the moment of the write: another copy of the program
    // may have named a set meanwhile.
    SetNames::Verdict verdict = SetNames::Verdict::Ok;
    QString reason;
    const bool saved = ProfileRoutines::UpdateProfileValues(
        [&](const ProfileSnapshot& now, QString* refusal) {
            QStringList stored;
            for (int s = 1; s <= Slots; ++s)
                stored.append(now.value(NamesSection, nameKey(s)));
            verdict = SetNames::judge(name, slot, stored);
            if (verdict != SetNames::Verdict::Ok) {
                *refusal = QStringLiteral("refused");
                return QList<ProfileWrite>();
            }
            return writes;
        },
        Toolkit::current().dataFile(), &reason);

    const QString another = QStringLiteral(" Type another name for the set in the top box!");
    switch (verdict) {
    case SetNames::Verdict::Blank:
    case SetNames::Verdict::Default:
        return Toolkit::current().notice(QStringLiteral("Type a name for the set in the top box!"),
                                         PickAName);
    case SetNames::Verdict::Reserved:
        return Toolkit::current().notice(QStringLiteral("That name is reserved.") + another,
                                         PickAName);
    case SetNames::Verdict::AnotherSet:
        return Toolkit::current().notice(
            QStringLiteral("Another set already has that name.") + another, PickAName);
    case SetNames::Verdict::Ok:
        break;
    }
    // One replacement of the file: the old set or the new one, never half of it.
    if (!saved)
        return Toolkit::current().report(QStringLiteral("The set could not be saved: ") + reason);
    // The box shows what is stored: the name without its outer blanks.
    Text(31)->setText(name);
    showSetNames();
}

void Form1::remindToChooseASet() {
    Toolkit::current().notice(QStringLiteral("SELECT A SET BEFORE MAKING A LIST"),
                              QStringLiteral("Choose a set from set menu"));
}

// Typing before a set is chosen would be lost when one is chosen: say so, but keep the text.
void Form1::entryChanged() {
    if (Text(31)->text() == NoSetPhrase)
        remindToChooseASet();
}

void Form1::showAbout() {
    Toolkit::current().notice(
        QStringLiteral("Tallivor II " TALLIVOR_SHOWN_VERSION
                       ". Store your names, passwords, and registration numbers."),
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

// Nothing is saved or asked; other open windows go with the program. A clear under way is not
// cut short: it ends the program when it is done.
void Form1::exitProgram() {
    Windows::unload(this);
    if (!Windows::find<Form5>() && !Toolkit::current().ending())
        Toolkit::current().endProgram();
}

void Form1::closeEvent(QCloseEvent* event) {
    QMainWindow::closeEvent(event);
    Windows::forget(this);
}
