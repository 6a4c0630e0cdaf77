// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/RoundedShape.h"

#include "desktop/Accessible.h"

#include <QPainter>

#include <algorithm>

namespace tamboril::ui {

using desktop::LeaveOutOfAccessibleTree;
using desktop::SetAccessibleRole;

RoundedShape::RoundedShape(Fill fill, const QColor& fillColor, const QColor& outline,
                           QWidget* parent)
    : QWidget(parent), fill_(fill), fillColor_(fillColor), outline_(outline) {
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAttribute(Qt::WA_NoSystemBackground);
    setFocusPolicy(Qt::NoFocus);
    // It only draws: a screen reader has nothing to say about it.
    LeaveOutOfAccessibleTree(this);
}

void RoundedShape::setFillColor(const QColor& color) {
    if (color != fillColor_) {
        fillColor_ = color;
        update();
    }
}

void RoundedShape::setOutlineColor(const QColor& color) {
    if (color != outline_) {
        outline_ = color;
        update();
    }
}

void RoundedShape::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing, false);
    // The corners are a sixth of the shorter side, like a drawn rounded box.
    const qreal radius = std::min(width(), height()) / 6.0;
    // Half a pixel in so that the 1-pixel outline lies inside the widget.
    const QRectF box = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);

    QBrush brush(Qt::NoBrush);
    if (fill_ == Fill::Solid) {
        brush = QBrush(fillColor_, Qt::SolidPattern);
    } else if (fill_ == Fill::CrossHatch) {
        // The pattern's gaps stay transparent: the window shows through.
        brush = QBrush(fillColor_, Qt::DiagCrossPattern);
        painter.setBackgroundMode(Qt::TransparentMode);
    }
    QPen pen(outline_);
    pen.setWidth(1);
    pen.setCosmetic(true);
    painter.setPen(pen);
    painter.setBrush(brush);
    painter.drawRoundedRect(box, radius, radius);
}

}  // namespace tamboril::ui
