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
        bool confirmation = false; // OK and Cancel
        bool operator==(const Box&) const = default;
    };

    // Installs itself as the current toolkit; the destructor restores the Qt one.
    explicit FakeToolkit(const QString& programFolder);
    ~FakeToolkit() override;

    // The next box must have this title and text; it is answered with ok (OK or Cancel).
    void expectBox(const QString& title, const QString& text, bool ok = true);
    // Called as each box is shown, before it is answered: lets a test act "while it is open".
    std::function<void(const Box&)> onBox;

    // Every box shown so far, in order.
    QList<Box> boxes;
    // Boxes that came without an expectation, or with another title or text.
    QStringList unexpected;
    // Expectations that no box answered yet.
    int pendingAnswers() const { return static_cast<int>(m_script.size()); }
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

    void notice(const QString& text, const QString& title) override;
    bool confirm(const QString& text, const QString& title) override;
    double clock() override { return now; }
    void waitForEvents(double untilClock) override;
    void endProgram() override;
    bool ending() const override { return ended; }
    QString programFolder() const override { return m_folder; }

  private:
    bool answer(const Box& box);

    struct Expected {
        Box box;
        bool ok;
    };
    QList<Expected> m_script;
    QString m_folder;
};
