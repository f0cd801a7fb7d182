// Form6: the progress window of Clear All.
#pragma once

#include <QWidget>

class QLabel;
class QTimer;

class Form6 : public QWidget {
    Q_OBJECT
public:
    Form6();
    void load() {}

    QLabel* Label1 = nullptr;
    QTimer* Timer1 = nullptr;

protected:
    void paintEvent(QPaintEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
};
