// A label of fixed size that shows the whole of its text, whatever font was found for it.
#pragma once

#include <QFont>
#include <QLabel>
#include <QStringList>

// Where the text is wider than the part of the label its window shows, the text is drawn in a
// smaller size of the label's font (given in points), down to two thirds of it; beyond that it
// wraps, and what still finds no room ends in "…". text() and font() stay as set, so the program
// and screen readers get the text itself.
class FittingLabel : public QLabel {
    Q_OBJECT
  public:
    explicit FittingLabel(QWidget* parent);

    struct Fit {
        QFont font;
        QStringList lines; // as drawn, from the top
    };
    // How the text is drawn now.
    Fit fit() const;

    // The part of the label inside its parent: some labels reach past the window's edge.
    QRect visibleRect() const;

  protected:
    void paintEvent(QPaintEvent* event) override;
};
