// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QColor>
#include <QWidget>

namespace tamboril::ui {

// A decorative rounded rectangle: a 1-pixel outline, and inside it either
// nothing, a solid colour, or a cross-hatch of lines over whatever lies
// behind. It takes no focus and lets the mouse through.
class RoundedShape : public QWidget {
    Q_OBJECT

  public:
    enum class Fill { None, Solid, CrossHatch };

    RoundedShape(Fill fill, const QColor& fillColor, const QColor& outline, QWidget* parent);

    Fill fill() const { return fill_; }
    QColor fillColor() const { return fillColor_; }
    QColor outlineColor() const { return outline_; }
    // The colours can change while the shape is shown (a button's look).
    void setFillColor(const QColor& color);
    void setOutlineColor(const QColor& color);

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    Fill fill_;
    QColor fillColor_;
    QColor outline_;
};

}  // namespace tamboril::ui
