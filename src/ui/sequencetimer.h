// Timer1 of the timed windows (splash and progress windows): a 1 ms timer that starts with the
// window's first paint (or, unpainted, shortly after it was shown) and whose first tick runs the
// window's sequence, exactly once.
#pragma once

#include <QTimer>

class QWidget;

class SequenceTimer : public QTimer {
    Q_OBJECT
  public:
    explicit SequenceTimer(QWidget* window);

    // How long after being shown an unpainted window starts its sequence anyway.
    static constexpr int UnpaintedStartMs = 500;

    // True while the sequence runs.
    bool running() const { return m_running; }

    // Pause with the windows kept alive. False when the sequence has to stop instead of going
    // on: the program is ending, or window was destroyed meanwhile (then touch nothing of it).
    [[nodiscard]] static bool pause(QObject* window, int seconds);

  signals:
    // The window's sequence; emitted once, from the first tick.
    void sequence();

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void arm();
    void tick();

    bool m_started = false;
    bool m_ran = false;
    bool m_running = false;
};
