#include "support/faketoolkit.h"

#include <QCoreApplication>

FakeToolkit::FakeToolkit(const QString& programFolder) : m_folder(programFolder) {
    Toolkit::install(this);
}

FakeToolkit::~FakeToolkit() {
    Toolkit::install(nullptr);
}

void FakeToolkit::expectBox(const QString& title, const QString& text, bool ok) {
    m_script.append({{title, text, false}, ok});
}

QString FakeToolkit::problems() const {
    QStringList out = unexpected;
    for (const Expected& e : m_script)
        out << QStringLiteral("expected box never shown: [%1] %2").arg(e.box.title, e.box.text);
    return out.join(QLatin1Char('\n'));
}

bool FakeToolkit::answer(const Box& box) {
    boxes.append(box);
    if (onBox)
        onBox(box);
    if (m_script.isEmpty()) {
        unexpected << QStringLiteral("unexpected box: [%1] %2").arg(box.title, box.text);
        return false;
    }
    const Expected e = m_script.takeFirst();
    if (e.box.title != box.title || e.box.text != box.text)
        unexpected << QStringLiteral("box [%1] %2 came where [%3] %4 was expected")
                          .arg(box.title, box.text, e.box.title, e.box.text);
    return e.ok;
}

void FakeToolkit::notice(const QString& text, const QString& title) {
    answer({title, text, false});
}

bool FakeToolkit::confirm(const QString& text, const QString& title) {
    return answer({title, text, true});
}

void FakeToolkit::waitForEvents(double untilClock) {
    waits.append(untilClock);
    QCoreApplication::processEvents();
    if (onWait)
        onWait(now);
    if (untilClock > now || untilClock < now - 43200)
        now = untilClock;
}

void FakeToolkit::endProgram() {
    ended = true;
    ++endCalls;
}
