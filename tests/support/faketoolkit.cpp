#include "support/faketoolkit.h"

#include <QCoreApplication>

FakeToolkit::FakeToolkit(const QString& programFolder) : m_folder(programFolder) {
    Toolkit::install(this);
}

FakeToolkit::~FakeToolkit() {
    Toolkit::install(nullptr);
}

void FakeToolkit::expectBox(const QString& title, const QString& text, bool ok) {
    m_script.append({{title, text}, ok});
}

QString FakeToolkit::problems() const {
    QStringList out = m_unexpected;
    for (const auto& [box, ok] : m_script)
        out << QStringLiteral("expected box never shown: [%1] %2").arg(box.title, box.text);
    return out.join(QLatin1Char('\n'));
}

bool FakeToolkit::answer(const Box& box) {
    if (onBox)
        onBox(box);
    if (m_script.isEmpty()) {
        m_unexpected << QStringLiteral("unexpected box: [%1] %2").arg(box.title, box.text);
        return false;
    }
    const auto [expected, ok] = m_script.takeFirst();
    if (expected.title != box.title || expected.text != box.text)
        m_unexpected << QStringLiteral("box [%1] %2 came where [%3] %4 was expected")
                            .arg(box.title, box.text, expected.title, expected.text);
    return ok;
}

void FakeToolkit::waitForEvents(double untilClock) {
    waits.append(untilClock);
    QCoreApplication::processEvents();
    if (onWait)
        onWait(now);
    if (untilClock > now || untilClock < now - 43200)
        now = untilClock;
}
