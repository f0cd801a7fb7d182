// Form5: the progress window of Clear Current Set.
#pragma once

#include <QWidget>

class QLabel;
class QTimer;

class Form5 : public QWidget {
    Q_OBJECT
public:
    Form5();
    void load() {}

    QLabel* Label1 = nullptr;
    QTimer* Timer1 = nullptr;

protected:
    void paintEvent(QPaintEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
};
