// Form3: the splash window that opens the program and chooses the first window.
#pragma once

#include <QWidget>

class QLabel;
class SequenceTimer;

class Form3 : public QWidget {
    Q_OBJECT
  public:
    Form3();
    // Ends the program when the data file is there but can't be read.
    void load();

  protected:
    void closeEvent(QCloseEvent* event) override;

  private:
    QLabel* Label1 = nullptr;
    QLabel* Label2 = nullptr;
    QLabel* Label3 = nullptr;
    SequenceTimer* Timer1 = nullptr; // its first tick, once the splash is painted, runs it

    // The whole splash sequence: titles on a first start, then the next window.
    void Timer1_Timer();
};
