#include "support/faketoolkit.h"

#include "ui/windows.h"

#include <QApplication>
#include <QTest>

#include <cmath>

FakeToolkit::FakeToolkit(const QByteArray& file) {
    if (!file.isEmpty())
        write(file);
    Toolkit::install(this);
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
