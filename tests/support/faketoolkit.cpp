#include "support/faketoolkit.h"

#include "ui/windows.h"

#include <QClipboard>
#include <QFile>
#include <QGuiApplication>
#include <QLineEdit>
#include <QRegularExpression>
#include <QTest>

#include <cmath>

FakeToolkit::FakeToolkit() {
    Toolkit::install(this);
}

FakeToolkit::~FakeToolkit() {
    Windows::unloadAll();
    for (const auto& [box, ok] : m_script)
        m_problems << "expected box never shown: " + box;
    if (!m_problems.isEmpty())
        QTest::qFail(qPrintable(m_problems.join('\n')), __FILE__, __LINE__);
    Toolkit::install(nullptr);
}

bool FakeToolkit::answer(const QString& shown) {
    if (onBox)
        onBox();
    const auto [expected, ok] =
        m_script.isEmpty() ? std::pair{QString(), false} : m_script.takeFirst();
    if (shown != expected)
        m_problems << "box " + shown + " came where " + (expected.isEmpty() ? "none" : expected) +
                          " was expected";
    return ok;
}

void FakeToolkit::waitForEvents(double until) {
    waits.append(now + until - mono);
    QCoreApplication::processEvents();
    if (onWait)
        onWait();
    if (until > mono) {
        now = std::fmod(now + until - mono, 86400);
        mono = until;
    }
}

QByteArray FakeToolkit::bytes() const {
    QFile f(dataFile());
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void FakeToolkit::write(const QByteArray& content) const {
    QFile f(dataFile());
    if (f.open(QIODevice::WriteOnly))
        f.write(content);
}

void type(QLineEdit* box, const QString& text) {
    if (text.size() > 80 ||
        text.contains(QRegularExpression(QStringLiteral(u"[\r\n\u0085\u2028\u2029]")))) {
        QGuiApplication::clipboard()->setText(text);
        QTest::keyClick(box, Qt::Key_V, Qt::ControlModifier);
    } else {
        for (const QChar c : text)
            QTest::sendKeyEvent(QTest::Click, box, Qt::Key_unknown, QString(c), {});
    }
}
