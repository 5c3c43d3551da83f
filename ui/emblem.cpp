#include "ui/emblem.h"

#include <QPainter>
#include <QPixmap>
#include <algorithm>

namespace {

// Colours of the classic 16-colour palette.
const QColor Navy(0, 0, 128);
const QColor White(255, 255, 255);
const QColor Green(0, 128, 0);
const QColor Red(255, 0, 0);
const QColor Black(0, 0, 0);

struct Bar {
    int left;
    int height;
};

// A bell-shaped histogram on the design grid; the axis lies on row AxisRow.
constexpr int AxisRow = 26;
constexpr int BarWidth = 3;
constexpr Bar Bars[] = {{4, 4}, {8, 10}, {12, 18}, {16, 20}, {20, 12}, {24, 5}};

void DrawDesign(QPainter& painter)
{
    painter.fillRect(QRectF(0, 0, 32, 32), Navy);
    painter.fillRect(QRectF(2, 2, 28, 28), White);
    for (const Bar& bar : Bars) {
        painter.fillRect(QRectF(bar.left, AxisRow - bar.height, BarWidth, bar.height), Green);
    }
    painter.fillRect(QRectF(3, AxisRow, 26, 1), Black);
    painter.fillRect(QRectF(15, 4, 1, AxisRow - 4), Red);
}

}  // namespace

QImage RenderEmblem(int size)
{
    const int side = std::max(size, 1);
    QImage image(side, side, QImage::Format_RGB32);
    image.fill(Navy);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.scale(side / double(EmblemDesignSize), side / double(EmblemDesignSize));
    DrawDesign(painter);
    return image;
}

QIcon EmblemIcon()
{
    QIcon icon;
    for (const int size : {16, EmblemDesignSize, 48, 256}) {
        icon.addPixmap(QPixmap::fromImage(RenderEmblem(size)));
    }
    return icon;
}
