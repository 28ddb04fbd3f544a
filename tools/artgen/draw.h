#pragma once

#include <QColor>
#include <QImage>
#include <QPainterPath>
#include <QVector>

class QPainter;

// Colours of the one dark theme every picture shares.
namespace Theme {
inline const QColor accent(0x40, 0xC5, 0xDD);
inline const QColor accentDeep(0x00, 0x64, 0x77);
inline const QColor grey(0x84, 0x84, 0x84);
inline const QColor line(0x2A, 0x30, 0x36);
inline const QColor panel(0x0F, 0x12, 0x15);
inline const QColor panelLight(0x17, 0x1B, 0x20);
inline const QColor white(0xFF, 0xFF, 0xFF);
inline const QColor danger(0xE5, 0x48, 0x4D);
inline const QColor warning(0xF5, 0xA5, 0x24);
}

// A transparent ARGB canvas.
QImage newCanvas(int width, int height, const QColor &fill = Qt::transparent);

// Premultiplied painting surface converted to the straight alpha that PNG stores.
QImage finished(const QImage &image);

// Three box passes approximate a gaussian; radius in pixels.
QImage blurred(const QImage &image, int radius);

// Draws path filled with colour, blurred, under whatever is painted next.
void paintGlow(QPainter &p, const QSize &canvas, const QPainterPath &path, const QColor &colour,
               int radius, qreal strokeWidth = 0);

// A polyline through points; each corner is rounded with its radius (0 keeps it sharp).
QPainterPath roundedPolyline(const QVector<QPointF> &points, const QVector<qreal> &radii, bool closed);

QPainterPath roundedRectPath(const QRectF &rect, qreal radius);

// Closed Catmull-Rom spline through the points, as cubic segments.
QPainterPath smoothClosedPath(const QVector<QPointF> &points, qreal tension = 0.5);

QColor withAlpha(QColor colour, int alpha);

// Pointy-top hexagon of circumradius r.
QPainterPath hexagon(QPointF centre, qreal r);

// The brand mark: a pointed hexagon with a K inside, `size` across.
void paintEmblem(QPainter &p, QPointF centre, qreal size, const QColor &colour);
