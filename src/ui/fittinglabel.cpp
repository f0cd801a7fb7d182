#include "ui/fittinglabel.h"

#include <QPainter>
#include <QStyle>
#include <QTextLayout>

FittingLabel::FittingLabel(QWidget* parent) : QLabel(parent) {
    setTextFormat(Qt::PlainText);
}

QRect FittingLabel::visibleRect() const {
    QRect area = contentsRect();
    if (const QWidget* window = parentWidget())
        area &= window->rect().translated(-pos());
    return area;
}

FittingLabel::Fit FittingLabel::fit() const {
    const QRect area = visibleRect();
    QFont font = this->font();
    const qreal smallest = font.pointSizeF() * 2 / 3;
    for (qreal size = font.pointSizeF(); size >= smallest; size -= 0.5) {
        font.setPointSizeF(size);
        if (QFontMetrics(font, this).horizontalAdvance(text()) <= area.width())
            return {font, {text()}};
    }
    // Wrapped at word boundaries into the lines there is room for; the last of them takes the
    // rest, and any line still too wide is cut short.
    font.setPointSizeF(smallest);
    const QFontMetrics metrics(font, this);
    const int room = qMax(1, (area.height() + metrics.leading()) / metrics.lineSpacing());
    QStringList lines;
    QTextLayout layout(text(), font, this);
    layout.beginLayout();
    while (lines.size() < room) {
        QTextLine line = layout.createLine();
        if (!line.isValid())
            break;
        line.setLineWidth(area.width());
        const bool last = lines.size() + 1 == room;
        const QString part = text().mid(line.textStart(), last ? -1 : line.textLength());
        lines << metrics.elidedText(part.trimmed(), Qt::ElideRight, area.width());
    }
    layout.endLayout();
    return {font, lines};
}

void FittingLabel::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    drawFrame(&painter);
    const Fit shown = fit();
    painter.setFont(shown.font);
    style()->drawItemText(&painter, contentsRect(),
                          QStyle::visualAlignment(layoutDirection(), alignment()), palette(),
                          isEnabled(), shown.lines.join(u'\n'), foregroundRole());
}
