#include "ui/percent_gauge.h"

#include <QPainter>
#include <QStyle>
#include <QStyleOptionProgressBar>

PercentGauge::PercentGauge(QWidget* parent) : QProgressBar(parent)
{}

void PercentGauge::paintEvent(QPaintEvent* /*event*/)
{
    QPainter painter(this);
    QStyleOptionProgressBar option;
    initStyleOption(&option);
    const bool showText = option.textVisible;
    option.textVisible = false;
    style()->drawControl(QStyle::CE_ProgressBar, &option, &painter, this);
    if (!showText) {
        return;
    }
    // The part the bar covers, as the style fills it: a share of the contents.
    const QRect contents = style()->subElementRect(QStyle::SE_ProgressBarContents, &option, this);
    const qint64 span = qint64(maximum()) - minimum();
    const int filled = span > 0 ? int(qint64(contents.width()) * (qint64(value()) - minimum()) / span) : 0;
    const QRect bar(contents.left(), rect().top(), filled, rect().height());
    const QString shown = text();
    painter.setFont(font());
    painter.setClipRegion(QRegion(rect()).subtracted(bar));
    painter.setPen(palette().color(QPalette::WindowText));
    painter.drawText(rect(), int(alignment()) | Qt::TextSingleLine, shown);
    painter.setClipRect(bar);
    painter.setPen(Qt::white);
    painter.drawText(rect(), int(alignment()) | Qt::TextSingleLine, shown);
}
