#include "support/faketoolkit.h"

#include "navigation.h"
#include "ui/fittinglabel.h"
#include "ui/windowregistry.h"

#include <QApplication>
#include <QTest>

#include <cmath>

namespace {
class TextWatch : public QObject {
  public:
    TextWatch(QObject* parent, QStringList& painted, QStringList& unfit)
        : QObject(parent), m_painted(painted), m_unfit(unfit) {}

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        // Only a paint: other events come while the label is being destroyed.
        if (event->type() != QEvent::Paint)
            return false;
        const auto* label = static_cast<FittingLabel*>(watched);
        if (label->text().isEmpty())
            return false;
        const auto [font, lines] = label->fit();
        const QRect visible = label->geometry() & label->window()->rect();
        QFont larger = font;
        larger.setPointSizeF(font.pointSizeF() + 0.5);
        const QString text = label->text();
        m_painted << text;
        if (lines != QStringList{text} ||
            QFontMetrics(font).horizontalAdvance(text) > visible.width() ||
            QFontMetrics(font).height() > visible.height() ||
            font.pointSizeF() < label->font().pointSizeF() * 2 / 3 ||
            (font != label->font() &&
             QFontMetrics(larger).horizontalAdvance(text) <= visible.width()))
            m_unfit << text;
        return false;
    }

  private:
    QStringList &m_painted, &m_unfit;
};
} // namespace

FakeToolkit::FakeToolkit(const QByteArray& file) {
    if (!file.isEmpty())
        write(file);
    Toolkit::install(this);
    Navigation::install();
}

FakeToolkit::~FakeToolkit() {
    Windows::unloadAll();
    for (const QString& box : m_script)
        m_problems << "expected box never shown: " + box;
    if (!m_problems.isEmpty())
        QTest::qFail(qPrintable(m_problems.join('\n')), __FILE__, __LINE__);
    Toolkit::install(nullptr);
}

void FakeToolkit::expect(const QString& box) {
    m_script.append(QString(box)
                        .replace(QStringLiteral("%file"), dataFile())
                        .replace(QStringLiteral("%folder"), programFolder()));
}

bool FakeToolkit::answer(const QString& shown) {
    if (onBox)
        onBox();
    const QString expected = m_script.isEmpty() ? QString() : m_script.takeFirst();
    if (shown != expected)
        m_problems << "box " + shown + " came where " + (expected.isEmpty() ? "none" : expected) +
                          " was expected";
    return !expected.isEmpty();
}

void FakeToolkit::waitForEvents(double until) {
    QCoreApplication::processEvents();
    if (onWait)
        onWait();
    if (until > mono) {
        now = std::fmod(now + until - mono, 86400);
        mono = until;
    }
}

void FakeToolkit::endProgram() {
    ended = true;
    ++endCalls;
    for (QWidget* w : QApplication::topLevelWidgets())
        w->hide();
}

void FakeToolkit::watchTexts(QWidget* window) {
    auto* watch = new TextWatch(window, painted, unfit);
    for (FittingLabel* label : window->findChildren<FittingLabel*>())
        label->installEventFilter(watch);
}
