// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QColor>
#include <QFont>
#include <QString>

class QWidget;

namespace tamboril::ui {

// The caption of the program's message boxes.
inline const QString AppTitle = QStringLiteral("Tamboril");

// The colours and faces the windows are drawn in. Colours are written as
// 0x00BBGGRR: red in the lowest byte.
inline constexpr quint32 Navy = 0x800000;
inline constexpr quint32 DarkBlue = 0xC00000;
inline constexpr quint32 Blue = 0xFF0000;
inline constexpr quint32 LightBlue = 0xFF8080;
inline constexpr quint32 PaleBlue = 0xFFC0C0;
inline constexpr quint32 White = 0xFFFFFF;
inline constexpr quint32 Yellow = 0x00FFFF;
inline constexpr quint32 Red = 0x0000FF;

QColor colour(quint32 bgr);

inline const QString Verdana = QStringLiteral("Verdana");
inline const QString MsSansSerif = QStringLiteral("MS Sans Serif");

// Bold text in the named face at the given size, or in the closest face this
// machine has.
QFont uiFont(const QString& family, qreal points = 8.25);

// Moves a window of fixed size to the middle of its screen's free area.
void CentreOnScreen(QWidget* window);

}  // namespace tamboril::ui
