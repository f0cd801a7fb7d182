#include "startup/form3.h"

#include "core/start.h"
#include "ui/accessibility.h"
#include "ui/fittinglabel.h"
#include "ui/layout.h"
#include "ui/routines.h"
#include "ui/sequencetimer.h"
#include "ui/toolkit.h"
#include "ui/windowregistry.h"

#include <QCloseEvent>
#include <QPointer>

#include <iterator>

namespace {
QLabel* makeLabel(QWidget* form, const char* name, const QRect& rect, const QColor& colour,
                  const QFont& font) {
    auto* label = new FittingLabel(form);
    label->setObjectName(QLatin1String(name));
    label->setGeometry(rect);
    label->setFont(font);
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, colour);
    palette.setColor(QPalette::Window, Qt::black);
    label->setPalette(palette);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    return label;
}

// The titles' fonts are rarely installed; narrow and script look-alikes keep the titles' width
// and style where they are missing, then what Windows and a plain Debian desktop have. The labels
// fit each title to their width in whatever font is found.
QFont titleFont(const QStringList& families, bool italic) {
    QFont font(families.first(), 24, QFont::Bold, italic);
    font.setFamilies(families);
    return font;
}

// Nothing chosen from here on could be kept: the program ends.
void fail(const Core::Notice& failed) {
    Ui::ShowNotice(failed);
    Toolkit::current().endProgram();
}
} // namespace

Form3::Form3() {
    Accessibility::exposeAsWindow(this);
    setObjectName(QStringLiteral("Form3"));
    setWindowTitle(QStringLiteral("Form3"));
    setWindowFlags(Qt::Window | Qt::FramelessWindowHint);
    setGeometry(Layout::rect(3510, 2880, 4755, 3195));
    setAutoFillBackground(true);
    QPalette palette = this->palette();
    palette.setColor(QPalette::Window, Qt::black);
    setPalette(palette);

    const QFont gothic =
        titleFont({QStringLiteral("MVGothicCondSC"), QStringLiteral("Nimbus Sans Narrow"),
                   QStringLiteral("Liberation Sans Narrow"), QStringLiteral("Arial Narrow"),
                   QStringLiteral("DejaVu Sans Condensed"), QStringLiteral("Arial"),
                   QStringLiteral("DejaVu Sans")},
                  false);
    Label1 =
        makeLabel(this, "Label1", Layout::rect(120, 120, 5055, 615), QColor(0, 0, 255), gothic);
    Label1->setAutoFillBackground(true);
    Label2 = makeLabel(this, "Label2", Layout::rect(360, 960, 3735, 735), Qt::white, gothic);
    Label3 = makeLabel(this, "Label3", Layout::rect(360, 1920, 5055, 735), QColor(255, 0, 0),
                       titleFont({QStringLiteral("Mistral"), QStringLiteral("Z003"),
                                  QStringLiteral("URW Chancery L"), QStringLiteral("Segoe Script"),
                                  QStringLiteral("DejaVu Sans")},
                                 true));

    Timer1 = new SequenceTimer(this);
    connect(Timer1, &SequenceTimer::sequence, this, &Form3::Timer1_Timer);
}

void Form3::load() {
    // A data file that is there but can't be read is not a first start: going on would hide
    // the owner's data behind an empty main window, and skip the password.
    const Core::Notice failed = Start::checkReadable(Toolkit::current().dataFile());
    if (!failed.isNull())
        fail(failed);
}

void Form3::Timer1_Timer() {
    // Pauses run the event loop: the window system may close the splash meanwhile, which ends
    // the program (see closeEvent). Nothing of this window may be touched after that.
    QPointer<Form3> self(this);
    const auto pause = [this](qint32 seconds) { return SequenceTimer::pause(this, seconds); };

    const QString file = Toolkit::current().dataFile();
    Core::Notice failed;
    const bool first = Start::firstStart(file, &failed);
    if (!failed.isNull())
        return fail(failed);
    if (first) {
        struct Title {
            QLabel* Form3::*label;
            const char* text;
        };
        static constexpr Title titles[] = {
            {&Form3::Label1, "Registration"},
            {&Form3::Label1, "Registration Tallivor"},
            {&Form3::Label1, "Registration Tallivor II"},
            {&Form3::Label2, "Presented"},
            {&Form3::Label2, "Presented By:"},
            {&Form3::Label3, "Quorvex"},
        };
        for (std::size_t i = 0; i < std::size(titles); ++i) {
            if (i > 0 && !pause(1))
                return;
            (this->*titles[i].label)->setText(QLatin1String(titles[i].text));
        }
        // The first-run marker makes the password screen ask for a password.
        failed = Start::markFirstRun(file);
        if (!failed.isNull())
            return fail(failed);
        if (!pause(2))
            return;
    }

    // The next window is shown before the splash goes, so its loading runs with the splash open.
    const bool password = Start::passwordAsked(file, &failed);
    if (!failed.isNull())
        return fail(failed);
    Windows::show(password ? Windows::Window::Password : Windows::Window::Main);
    if (self && !Toolkit::current().ending())
        Windows::unload(this);
}

void Form3::closeEvent(QCloseEvent* event) {
    QWidget::closeEvent(event);
    Timer1->stop();
    Windows::forget(this);
    // Only the sequence closes the splash (by unloading it); closed from outside, the program
    // ends rather than open a window the user no longer waits for.
    if (!Toolkit::current().ending())
        Toolkit::current().endProgram();
}
