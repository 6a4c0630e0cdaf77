// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/Look.h"

#include <QScreen>
#include <QWidget>

namespace tamboril::ui {

QColor colour(quint32 bgr) {
    return QColor(static_cast<int>(bgr & 0xFF), static_cast<int>((bgr >> 8) & 0xFF),
                  static_cast<int>((bgr >> 16) & 0xFF));
}

QFont uiFont(const QString& family, qreal points) {
    static const bool substitutes = [] {
        QFont::insertSubstitutions(
            Verdana, {QStringLiteral("DejaVu Sans"), QStringLiteral("Bitstream Vera Sans"),
                      QStringLiteral("Tahoma")});
        QFont::insertSubstitutions(
            MsSansSerif, {QStringLiteral("Microsoft Sans Serif"), QStringLiteral("Tahoma"),
                          QStringLiteral("Arial"), QStringLiteral("Liberation Sans"),
                          QStringLiteral("Nimbus Sans"), QStringLiteral("DejaVu Sans")});
        return true;
    }();
    Q_UNUSED(substitutes);
    QFont font(family);
    font.setStyleHint(QFont::SansSerif);
    font.setPointSizeF(points);
    font.setBold(true);
    return font;
}

void CentreOnScreen(QWidget* window) {
    if (const QScreen* shown = window->screen()) {
        QRect frame(QPoint(), window->size());
        frame.moveCenter(shown->availableGeometry().center());
        window->move(frame.topLeft());
    }
}

}  // namespace tamboril::ui
