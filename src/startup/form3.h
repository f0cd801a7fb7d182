// Form3: the splash window that opens the program and chooses the first window.
#pragma once

#include <QWidget>

class QLabel;
class QTimer;

class Form3 : public QWidget {
    Q_OBJECT
  public:
    Form3();
    void load() {}

    QLabel* Label1 = nullptr;
    QLabel* Label2 = nullptr;
    QLabel* Label3 = nullptr;
    QTimer* Timer1 = nullptr; // started once the splash is first painted

  protected:
    void paintEvent(QPaintEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

  private:
    // The whole splash sequence: titles on a first start, then the next window.
    void Timer1_Timer();

    bool m_timerStarted = false;
    bool m_sequenceStarted = false;
};
