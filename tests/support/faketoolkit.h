// A toolkit for tests: scripted message boxes, a virtual clock, a recorded program end.
#pragma once

#include "ui/toolkit.h"

#include <QList>
#include <QStringList>

#include <functional>

class FakeToolkit : public Toolkit {
  public:
    struct Box {
        QString title;
        QString text;
    };

    // Installs itself as the current toolkit; the destructor restores the Qt one.
    explicit FakeToolkit(const QString& programFolder);
    ~FakeToolkit() override;

    // The next box must have this title and text; it is answered with ok (OK or Cancel).
    void expectBox(const QString& title, const QString& text, bool ok = true);
    // Called as each box is shown, before it is answered: lets a test act "while it is open".
    std::function<void(const Box&)> onBox;
    // Empty when every box was expected and every expectation used; otherwise what went wrong.
    QString problems() const;

    // Virtual time, seconds since midnight.
    double now = 36000.0;
    // Each waitForEvents call: the virtual time it was asked to wait until.
    QList<double> waits;
    // Called on each waitForEvents after the pending events are dispatched, at the virtual time
    // of the call; then the clock jumps to the deadline.
    std::function<void(double now)> onWait;

    bool ended = false;
    int endCalls = 0;

    void notice(const QString& text, const QString& title) override { answer({title, text}); }
    bool confirm(const QString& text, const QString& title) override {
        return answer({title, text});
    }
    double clock() override { return now; }
    void waitForEvents(double untilClock) override;
    void endProgram() override { ended = true, ++endCalls; }
    bool ending() const override { return ended; }
    QString programFolder() const override { return m_folder; }

  private:
    bool answer(const Box& box);

    QList<std::pair<Box, bool>> m_script; // expected boxes and their answers
    QStringList m_unexpected;
    QString m_folder;
};
