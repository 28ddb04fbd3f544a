#include "tools/artgen/lettering.h"

#include "tools/artgen/draw.h"

#include <QPainterPathStroker>
#include <QTransform>

#include <cmath>

namespace {

// Glyphs are designed on a cap height of 10 units as centre lines stroked
// with one pen; the band clip squares off every end that meets the cap or base line.
constexpr qreal kCap = 10.0;
constexpr qreal kPen = 1.75;
constexpr qreal kTracking = 1.9;

struct Stroke
{
    QVector<QPointF> points;
    QVector<qreal> radii;
    bool closed = false;
};

struct Glyph
{
    qreal width = 6;
    QVector<Stroke> strokes;
};

Stroke open(QVector<QPointF> pts, QVector<qreal> radii = {})
{
    return Stroke{std::move(pts), std::move(radii), false};
}

Stroke loop(QVector<QPointF> pts, QVector<qreal> radii)
{
    return Stroke{std::move(pts), std::move(radii), true};
}

Glyph glyphFor(QChar c)
{
    switch (c.unicode()) {
    case 'K':
        return {6.2, {open({{0, 0}, {0, 10}}), open({{6.2, 0}, {0.6, 5.6}}), open({{2.6, 3.9}, {6.4, 10}})}};
    case 'O':
        return {6.4, {loop({{0, 0}, {6.4, 0}, {6.4, 10}, {0, 10}}, {2.4, 2.4, 2.4, 2.4})}};
    case 'R':
        return {6.2,
                {open({{0, 10}, {0, 0}, {6.2, 0}, {6.2, 5.3}, {0, 5.3}}, {0, 0, 2.2, 2.2, 0}),
                 open({{3.1, 5.3}, {6.5, 10}})}};
    case 'V':
        return {6.8, {open({{0, 0}, {3.4, 10}, {6.8, 0}})}};
    case 'A':
        return {6.8, {open({{0, 10}, {3.4, 0}, {6.8, 10}})}};
    case 'N':
        return {6.2, {open({{0, 10}, {0, 0}, {6.2, 10}, {6.2, 0}})}};
    case 'X':
        return {6.4, {open({{0, 0}, {6.4, 10}}), open({{6.4, 0}, {0, 10}})}};
    case 'S':
        return {6.2, {open({{6.2, 0}, {0, 0}, {0, 5}, {6.2, 5}, {6.2, 10}, {0, 10}}, {0, 2.2, 2.0, 2.0, 2.2, 0})}};
    case 'C':
        return {6.0, {open({{6.0, 0}, {0, 0}, {0, 10}, {6.0, 10}}, {0, 2.4, 2.4, 0})}};
    case 'Q':
        return {6.4,
                {loop({{0, 0}, {6.4, 0}, {6.4, 10}, {0, 10}}, {2.4, 2.4, 2.4, 2.4}), open({{3.8, 7.2}, {6.9, 10.9}})}};
    case 'E':
        return {5.8, {open({{5.8, 0}, {0, 0}, {0, 10}, {5.8, 10}}, {0, 0, 0, 0}), open({{0, 5}, {4.8, 5}})}};
    case 'U':
        return {6.2, {open({{0, 0}, {0, 10}, {6.2, 10}, {6.2, 0}}, {0, 2.4, 2.4, 0})}};
    case '1':
        return {3.2, {open({{0, 2.2}, {2.9, 0}, {2.9, 10}}, {0, 0, 0})}};
    case '2':
        return {6.2, {open({{0, 0}, {6.2, 0}, {6.2, 5}, {0, 5}, {0, 10}, {6.2, 10}}, {0, 2.2, 2.0, 2.0, 0, 0})}};
    case '4':
        return {6.4, {open({{0, 0}, {0, 6.6}, {6.4, 6.6}}, {0, 1.4, 0}), open({{4.5, 2.8}, {4.5, 10}})}};
    case '5':
        return {6.2, {open({{6.2, 0}, {0, 0}, {0, 4.8}, {6.2, 4.8}, {6.2, 10}, {0, 10}}, {0, 0, 0, 2.2, 2.2, 0})}};
    case '6':
        return {6.2, {open({{6.2, 0}, {0, 0}, {0, 10}, {6.2, 10}, {6.2, 5}, {0, 5}}, {0, 2.2, 2.2, 2.2, 2.0, 0})}};
    case '7':
        return {6.2, {open({{0, 0}, {6.2, 0}, {2.6, 10}}, {0, 0.4, 0})}};
    case '8':
        return {6.4,
                {loop({{0.4, 0}, {6.0, 0}, {6.0, 5}, {0.4, 5}}, {2.0, 2.0, 1.2, 1.2}),
                 loop({{0, 5}, {6.4, 5}, {6.4, 10}, {0, 10}}, {1.4, 1.4, 2.3, 2.3})}};
    case ' ':
        return {3.0, {}};
    default:
        return {6.0, {}};
    }
}

// Lengthens an end that meets the cap or base line so the band clip cuts it flat.
void extendEnds(QVector<QPointF> &pts)
{
    auto extend = [](QPointF &end, QPointF inner) {
        const bool onEdge = std::abs(end.y()) < 0.01 || std::abs(end.y() - kCap) < 0.01 || end.y() > kCap;
        const QPointF d = end - inner;
        const qreal len = std::hypot(d.x(), d.y());
        if (!onEdge || len <= 0 || std::abs(d.y()) < 0.01)
            return;
        end += d / len * (kPen * 1.6);
    };
    extend(pts.first(), pts.at(1));
    extend(pts.last(), pts.at(pts.size() - 2));
}

QPainterPath glyphOutline(const Glyph &glyph)
{
    QPainterPathStroker stroker;
    stroker.setWidth(kPen);
    stroker.setCapStyle(Qt::FlatCap);
    stroker.setJoinStyle(Qt::MiterJoin);
    stroker.setMiterLimit(8);

    QPainterPath band;
    band.addRect(QRectF(-10, -kPen / 2, glyph.width + 20, kCap + kPen));

    QPainterPath out;
    out.setFillRule(Qt::WindingFill);
    for (const Stroke &s : glyph.strokes) {
        QVector<QPointF> pts = s.points;
        if (!s.closed)
            extendEnds(pts);
        QPainterPath centre = roundedPolyline(pts, s.radii, s.closed);
        QPainterPath outline = stroker.createStroke(centre);
        outline.setFillRule(Qt::WindingFill);
        out = out.united(outline.intersected(band));
    }
    return out.simplified();
}

} // namespace

QPainterPath letteringPath(const QString &text, qreal height, qreal slant)
{
    QPainterPath result;
    result.setFillRule(Qt::WindingFill);
    qreal x = kPen / 2;
    for (const QChar c : text) {
        const Glyph g = glyphFor(c.toUpper());
        QTransform t;
        t.translate(x, kPen / 2);
        result.addPath(t.map(glyphOutline(g)));
        x += g.width + kPen + kTracking;
    }
    // Units to pixels: the stroked glyph is kCap + kPen tall.
    const qreal scale = height / (kCap + kPen);
    const QTransform slanted(1, 0, -slant, 1, slant * (kCap + kPen), 0);
    return (slanted * QTransform::fromScale(scale, scale)).map(result);
}
