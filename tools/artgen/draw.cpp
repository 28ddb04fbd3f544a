#include "tools/artgen/draw.h"

#include "tools/artgen/lettering.h"

#include <QFont>
#include <QPainter>
#include <QtMath>

#include <algorithm>
#include <cmath>
#include <vector>

QImage newCanvas(int width, int height, const QColor &fill)
{
    QImage image(width, height, QImage::Format_ARGB32_Premultiplied);
    image.fill(fill);
    return image;
}

QImage finished(const QImage &image)
{
    return image.convertToFormat(QImage::Format_ARGB32);
}

namespace {

// One horizontal or vertical box pass over premultiplied pixels.
void boxPass(const QImage &src, QImage &dst, int radius, bool horizontal)
{
    const int w = src.width();
    const int h = src.height();
    const int outer = horizontal ? h : w;
    const int inner = horizontal ? w : h;
    const int window = 2 * radius + 1;
    std::vector<quint32> lineIn(static_cast<size_t>(inner));
    for (int o = 0; o < outer; ++o) {
        for (int i = 0; i < inner; ++i)
            lineIn[size_t(i)] = horizontal ? src.pixel(i, o) : src.pixel(o, i);
        int sum[4] = {0, 0, 0, 0};
        auto add = [&](int index, int sign) {
            if (index < 0 || index >= inner)
                return;
            const quint32 v = lineIn[size_t(index)];
            sum[0] += sign * int(qAlpha(v));
            sum[1] += sign * int(qRed(v));
            sum[2] += sign * int(qGreen(v));
            sum[3] += sign * int(qBlue(v));
        };
        for (int i = -radius; i <= radius; ++i)
            add(i, 1);
        for (int i = 0; i < inner; ++i) {
            const QRgb out = qRgba(sum[1] / window, sum[2] / window, sum[3] / window, sum[0] / window);
            if (horizontal)
                dst.setPixel(i, o, out);
            else
                dst.setPixel(o, i, out);
            add(i - radius, -1);
            add(i + radius + 1, 1);
        }
    }
}

} // namespace

QImage blurred(const QImage &image, int radius)
{
    QImage a = image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    if (radius < 1)
        return a;
    QImage b(a.size(), QImage::Format_ARGB32_Premultiplied);
    const int passRadius = std::max(1, radius / 2);
    for (int pass = 0; pass < 3; ++pass) {
        boxPass(a, b, passRadius, true);
        boxPass(b, a, passRadius, false);
    }
    return a;
}

void paintGlow(QPainter &p, const QSize &canvas, const QPainterPath &path, const QColor &colour,
               int radius, qreal strokeWidth)
{
    QImage layer = newCanvas(canvas.width(), canvas.height());
    {
        QPainter lp(&layer);
        lp.setRenderHint(QPainter::Antialiasing);
        lp.setTransform(p.transform());
        if (strokeWidth > 0) {
            lp.setPen(QPen(colour, strokeWidth, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
            lp.setBrush(Qt::NoBrush);
        } else {
            lp.setPen(Qt::NoPen);
            lp.setBrush(colour);
        }
        lp.drawPath(path);
    }
    const QImage soft = blurred(layer, radius);
    p.save();
    p.resetTransform();
    p.drawImage(0, 0, soft);
    p.restore();
}

QPainterPath roundedPolyline(const QVector<QPointF> &points, const QVector<qreal> &radii, bool closed)
{
    QPainterPath path;
    const int n = points.size();
    if (n < 2)
        return path;
    auto radiusAt = [&](int i) { return i < radii.size() ? radii.at(i) : 0.0; };
    auto unit = [](QPointF v) {
        const qreal len = std::hypot(v.x(), v.y());
        return len > 0 ? v / len : QPointF();
    };
    auto length = [](QPointF v) { return std::hypot(v.x(), v.y()); };

    // Corner i is trimmed by at most half of each neighbouring segment.
    auto corner = [&](int i, QPointF &before, QPointF &after) {
        const QPointF prev = points.at((i - 1 + n) % n);
        const QPointF here = points.at(i);
        const QPointF next = points.at((i + 1) % n);
        const qreal r = std::min({radiusAt(i), length(here - prev) / 2, length(next - here) / 2});
        before = here - unit(here - prev) * r;
        after = here + unit(next - here) * r;
        return r > 0;
    };

    if (closed) {
        const QPointF start = (points.at(0) + points.at(n - 1)) / 2;
        path.moveTo(start);
        for (int i = 0; i < n; ++i) {
            QPointF before, after;
            if (corner(i, before, after)) {
                path.lineTo(before);
                path.quadTo(points.at(i), after);
            } else {
                path.lineTo(points.at(i));
            }
        }
        path.closeSubpath();
    } else {
        path.moveTo(points.first());
        for (int i = 1; i < n - 1; ++i) {
            QPointF before, after;
            if (corner(i, before, after)) {
                path.lineTo(before);
                path.quadTo(points.at(i), after);
            } else {
                path.lineTo(points.at(i));
            }
        }
        path.lineTo(points.last());
    }
    return path;
}

QPainterPath roundedRectPath(const QRectF &rect, qreal radius)
{
    QPainterPath path;
    path.addRoundedRect(rect, radius, radius);
    return path;
}

QPainterPath smoothClosedPath(const QVector<QPointF> &points, qreal tension)
{
    QPainterPath path;
    const int n = points.size();
    if (n < 3)
        return path;
    const qreal k = tension / 3.0;
    path.moveTo(points.at(0));
    for (int i = 0; i < n; ++i) {
        const QPointF p0 = points.at((i - 1 + n) % n);
        const QPointF p1 = points.at(i);
        const QPointF p2 = points.at((i + 1) % n);
        const QPointF p3 = points.at((i + 2) % n);
        path.cubicTo(p1 + (p2 - p0) * k, p2 - (p3 - p1) * k, p2);
    }
    path.closeSubpath();
    return path;
}

QColor withAlpha(QColor colour, int alpha)
{
    colour.setAlpha(alpha);
    return colour;
}

QPainterPath hexagon(QPointF c, qreal r)
{
    QPolygonF poly;
    for (int i = 0; i < 6; ++i) {
        const qreal a = qDegreesToRadians(60.0 * i - 90.0);
        poly << c + QPointF(r * std::cos(a), r * std::sin(a));
    }
    poly << poly.first();
    QPainterPath path;
    path.addPolygon(poly);
    path.closeSubpath();
    return path;
}

void paintEmblem(QPainter &p, QPointF c, qreal size, const QColor &colour)
{
    p.save();
    const qreal r = size / 2;
    p.setPen(QPen(colour, std::max(1.2, size * 0.075), Qt::SolidLine, Qt::FlatCap, Qt::MiterJoin));
    p.setBrush(Qt::NoBrush);
    p.drawPath(hexagon(c, r));
    // The K of our lettering, centred in the hexagon.
    QPainterPath k = letteringPath(QStringLiteral("K"), r * 0.92);
    k.translate(c - k.boundingRect().center());
    p.setPen(Qt::NoPen);
    p.setBrush(colour);
    p.drawPath(k);
    p.restore();
}

