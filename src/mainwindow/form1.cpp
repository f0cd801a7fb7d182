#include "mainwindow/form1.h"

#include "core/sets.h"
#include "core/start.h"
#include "ui/layout.h"
#include "ui/routines.h"
#include "ui/textbox.h"
#include "ui/toolkit.h"
#include "ui/windowregistry.h"
#include "version.h"

#include <QAction>
#include <QCloseEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>

const QString Form1::NoSetPhrase = QStringLiteral("Please select a set before making the list");

namespace {
const QString MakerWeb = QStringLiteral("www.quorvex.example");
const QString MakerMail = QStringLiteral("suggestions@quorvex.example");

using Sets::Slots;
constexpr int Entries = Sets::Boxes / 2;
} // namespace

Form1::Form1() {
    setObjectName(QStringLiteral("Form1"));
    // The caption ends in a blank, as the program's users have always seen it.
    setWindowTitle(Core::ProgramName + u' ');
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
        Text(2 * entry - 1)->setGeometry(Layout::rect(0, top, 2415, 285));
        m_text[2 * entry - 1] =
            TextBox::create(central, QStringLiteral("Text%1").arg(2 * entry),
                            QStringLiteral("Entry %1 serial number or password").arg(entry));
        Text(2 * entry)->setGeometry(Layout::rect(2640, top, 4335, 285));
    }
    m_text[30] = TextBox::create(central, QStringLiteral("Text31"), QStringLiteral("Set name"));
    Text(31)->setGeometry(Layout::rect(0, 240, 6975, 285));
    Text(31)->setText(Sets::defaultName(1));
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

    QMenu* file = addMenu("file", QStringLiteral("&File"));
    addItem(file, "About", QStringLiteral("About"), &Form1::showAbout);
    addItem(file, "Exit", QStringLiteral("Exit"), &Form1::exitProgram);

    QMenu* sets = addMenu("sets", QStringLiteral("&Sets"));
    const char* setNames[] = {"Set1", "set2", "set3", "set4", "set5"};
    for (int slot = 1; slot <= Slots; ++slot)
        m_setEntries[slot - 1] = addItem(sets, setNames[slot - 1], Sets::defaultName(slot),
                                         [this, slot] { chooseSet(slot); });

    QMenu* save = addMenu("save", QStringLiteral("&Save"));
    asset1 = addItem(save, "asset1", QStringLiteral("save set"), &Form1::saveSet);
    asset1->setEnabled(false);

    QMenu* reset = addMenu("reset", QStringLiteral("&Reset"));
    addItem(reset, "curset", QStringLiteral("Clear Current Set"),
            [this] { emit clearCurrentSetChosen(m_slot); });
    addItem(reset, "all", QStringLiteral("Clear All"), &Form1::clearAllChosen);

    QMenu* pws = addMenu("pws", QStringLiteral("&Password"));
    addItem(pws, "changep", QStringLiteral("Change Password"), &Form1::changePasswordChosen);

    QMenu* rmt = addMenu("rmt", QStringLiteral("&Other"));
    addItem(rmt, "others", QStringLiteral("Other software"), &Form1::showOtherSoftware);
    addItem(rmt, "website", QStringLiteral("Website"), &Form1::showWebsite);
    addItem(rmt, "sugs", QStringLiteral("Suggestions"), &Form1::showSuggestions);
}

void Form1::load() {
    // Only a file without the program's data can fail here (a value already stored is not
    // written again): nothing typed could be kept.
    const Core::Notice failed = Start::mainWindowLoaded(Toolkit::current().dataFile());
    if (!failed.isNull()) {
        Ui::ShowNotice(failed);
        Toolkit::current().endProgram();
        return;
    }
    showSetNames();
    Text(31)->setText(NoSetPhrase);
}

bool Form1::showSetNames() {
    const Sets::Names stored = Sets::names(Toolkit::current().dataFile());
    Ui::ShowNotice(stored.failed);
    for (int slot = 1; slot <= Slots && stored.failed.isNull(); ++slot)
        SetEntry(slot)->setText(Sets::caption(stored.names.value(slot - 1)));
    return stored.failed.isNull();
}

void Form1::chooseSet(int slot) {
    // A set that can't be read is not opened: nothing unshown could be saved over.
    const Sets::Loaded set = Sets::load(Toolkit::current().dataFile(), slot);
    if (!set.failed.isNull())
        return Ui::ShowNotice(set.failed);
    asset1->setEnabled(true);
    Label2->setText(Sets::statusLine(slot));
    Text(31)->setEnabled(true);
    Label1->setText(QStringLiteral("set %1").arg(slot));
    m_slot = slot;
    Text(31)->setText(set.name);
    for (int n = 1; n <= Sets::Boxes; ++n)
        Text(n)->setText(set.boxes.value(n - 1));
}

void Form1::saveSet() {
    QStringList boxes;
    for (int n = 1; n <= Sets::Boxes; ++n)
        boxes.append(Text(n)->text());
    const Sets::Saved saved =
        Sets::save(Toolkit::current().dataFile(), m_slot, Text(31)->text(), boxes);
    Ui::ShowNotice(saved.notice);
    if (!saved.saved)
        return;
    // The box shows what is stored: the name without its outer blanks.
    Text(31)->setText(saved.name);
    showSetNames();
}

// Typing before a set is chosen would be lost when one is chosen: say so, but keep the text.
void Form1::entryChanged() {
    if (m_slot == 0)
        Ui::ShowNotice(Sets::chooseASet());
}

void Form1::showAbout() {
    Ui::ShowNotice(Core::ProgramName + QStringLiteral(" " TALLIVOR_SHOWN_VERSION
                                                      ". Store your names, passwords, and "
                                                      "registration numbers."),
                   QStringLiteral("About ") + Core::ProgramName);
}

void Form1::showOtherSoftware() {
    Ui::ShowNotice(QStringLiteral("Other software can be found at ") + MakerWeb +
                       QStringLiteral(".  The website MAY not be done by the time "
                                      "you visit, so check weekly"),
                   QStringLiteral("Website"));
}

void Form1::showWebsite() {
    Ui::ShowNotice(QStringLiteral("Please visit Quorvex on the web at ") + MakerWeb,
                   QStringLiteral("Website"));
}

void Form1::showSuggestions() {
    Ui::ShowNotice(QStringLiteral("Please send all suggestions to ") + MakerMail,
                   QStringLiteral("Suggestions"));
}

// Nothing is saved or asked; other open windows go with the program. A clear under way is not
// cut short: it ends the program when it is done.
void Form1::exitProgram() {
    Windows::unload(this);
    if (!Windows::find(Windows::Window::ClearSet) && !Toolkit::current().ending())
        Toolkit::current().endProgram();
}

void Form1::closeEvent(QCloseEvent* event) {
    QMainWindow::closeEvent(event);
    Windows::forget(this);
}
