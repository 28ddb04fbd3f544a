#pragma once

#include <QPainterPath>
#include <QString>

// Our own geometric monoline lettering for the brand word and model names.
// Capitals K O R V A N X S C Q E U, digits 1 2 4 5 6 7 8 and space.
// The path is laid out on a baseline at y = height, top at y = 0, starting at x = 0,
// slanted forward by `slant` (x shift per unit of height).
QPainterPath letteringPath(const QString &text, qreal height, qreal slant = 0.18);
