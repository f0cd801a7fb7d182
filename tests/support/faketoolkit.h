// A toolkit for tests: a program folder of its own, scripted message boxes, a virtual clock, a
// recorded program end.
#pragma once

#include "support/platform.h"
#include "ui/toolkit.h"

#include <QList>
#include <QStringList>
#include <QTemporaryDir>

#include <functional>

class FakeToolkit : public Toolkit {
  public:
    // Installs itself as the current toolkit, in a fresh program folder.
    FakeToolkit();
    // Unloads every window, fails the test if a box came unexpected or an expected one never
    // came, and restores the Qt toolkit.
    ~FakeToolkit() override;

    // The next box must be "title|text", or "?title|text" for a question with OK and Cancel; it
    // is answered with ok (OK or Cancel).
    void expect(const QString& box, bool ok = true) { m_script.append({box, ok}); }
    // Called as each box is shown, before it is answered: lets a test act "while it is open".
    std::function<void()> onBox;

    // Virtual time: the clock, seconds since midnight, and the monotonic clock, which a test may
    // let part by setting the clock.
    double now = 36000.0;
    double mono = 0.0;
    // Each waitForEvents call: the clock's time it was asked to wait until.
    QList<double> waits;
    // Called on each waitForEvents after the pending events are dispatched, at the virtual time
    // of the call; then both clocks move on to the deadline.
    std::function<void()> onWait;

    bool ended = false;
    int endCalls = 0;

    // The data file's bytes (empty when there is none), and new bytes for it.
    QByteArray bytes() const;
    void write(const QByteArray& content) const;

    void notice(const QString& text, const QString& title) override { answer(title + '|' + text); }
    bool confirm(const QString& text, const QString& title) override {
        return answer('?' + title + '|' + text);
    }
    double clock() override { return now; }
    double monotonic() override { return mono; }
    void waitForEvents(double until) override;
    void endProgram() override { ended = true, ++endCalls; }
    bool ending() const override { return ended; }
    QString programFolder() const override { return m_folder.path(); }

  private:
    bool answer(const QString& shown);

    QTemporaryDir m_folder;
    QList<std::pair<QString, bool>> m_script; // expected boxes and their answers
    QStringList m_problems;
};

class QLineEdit;
// Types into a box as a user does: key by key (QTest::keyClicks can't type non-ASCII letters),
// or pasted, as copied from a terminal, a text with a line break or longer than a line.
void type(QLineEdit* box, const QString& text);
