// ProgressWindow: what Form5 and Form6 share: a fixed frame with one label, and a timer whose
// first tick, once the window has been painted, runs the window's sequence exactly once.
#pragma once

#include "core/notice.h"

#include <QString>
#include <QWidget>

class QLabel;
class SequenceTimer;

class ProgressWindow : public QWidget {
    Q_OBJECT
  public:
    // True from the first tick until the sequence has ended.
    bool running() const;

  protected:
    QLabel* Label1 = nullptr;        // the step now running
    SequenceTimer* Timer1 = nullptr; // 1 ms, started by the first paint

    ProgressWindow(const QString& name, const QString& caption, int clientWidthTwips,
                   int labelWidthTwips);

    // The steps; runs once, from the first tick.
    virtual void runSequence() = 0;

    // Pauses with the windows kept alive. False when the sequence has to stop instead of going
    // on: the program is ending, or this window was destroyed meanwhile (then touch nothing).
    [[nodiscard]] bool pause(int seconds);
    // Shows the notice; false as for pause().
    [[nodiscard]] bool report(const Core::Notice& notice);
    // Shows the step's text at once: for the last step, which has no pause to paint it in.
    void showNow(const QString& text);
    // Unloads the window; call last.
    void finish();

    void closeEvent(QCloseEvent* event) override;
};
