// A toolkit for window tests: a program folder of its own, scripted message boxes, a virtual
// clock, a recorded program end.
#pragma once

#include "support/testfolder.h"
#include "ui/toolkit.h"

#include <QList>
#include <QStringList>

#include <functional>

class FakeToolkit : public Toolkit, public TestFolder {
  public:
    // Installs itself as the current toolkit, in a fresh program folder whose data file holds
    // file (none when empty).
    explicit FakeToolkit(const QByteArray& file = {});
    // Unloads every window, fails the test if a box came unexpected or an expected one never
    // came, and restores the Qt toolkit.
    ~FakeToolkit() override;

    // The next box must be "title|text", or "?title|text" for a question, which is answered OK;
    // a box that comes unexpected is answered Cancel. "%file" stands for the data file's path,
    // "%folder" for the program's folder.
    void expect(const QString& box);
    // Called as each box is shown, before it is answered: lets a test act "while it is open".
    std::function<void()> onBox;

    // Virtual time: the clock, seconds since midnight, and the monotonic clock, which a test may
    // let part by setting the clock.
    double now = 36000.0;
    double mono = 0.0;
    // Called on each waitForEvents after the pending events are dispatched, at the virtual time
    // of the call; then both clocks move on to the deadline.
    std::function<void()> onWait;

    bool ended = false;
    int endCalls = 0;

    // Each text that a label of fixed size in window is painted with, from now on: in painted,
    // and in unfit unless it is drawn whole on one line within the part of the label the window
    // shows, no smaller than two thirds of the label's font and no smaller than needed.
    void watchTexts(QWidget* window);
    QStringList painted, unfit;

    void notice(const QString& text, const QString& title) override { answer(title + '|' + text); }
    bool confirm(const QString& text, const QString& title) override {
        return answer('?' + title + '|' + text);
    }
    double clock() override { return now; }
    double monotonic() override { return mono; }
    void waitForEvents(double until) override;
    // As the real one: every window hidden.
    void endProgram() override;
    bool ending() const override { return ended; }
    QString programFolder() const override { return path(); }
    using Toolkit::dataFile; // the same file

  private:
    bool answer(const QString& shown);

    QStringList m_script; // the boxes expected, in order
    QStringList m_problems;
};
