#include "tools/artgen/mice.h"

#include "tools/artgen/draw.h"

#include <QFont>
#include <QPainter>
#include <QtMath>

#include <algorithm>
#include <cmath>
#include <functional>

namespace {

QVector<QPointF> mirrored(const QVector<QPointF> &rightHalf)
{
    // rightHalf runs from the front centre to the back centre along the right side.
    QVector<QPointF> pts = rightHalf;
    for (int i = rightHalf.size() - 2; i >= 1; --i)
        pts.append(QPointF(-rightHalf.at(i).x(), rightHalf.at(i).y()));
    return pts;
}

QPainterPath shellOutline(Shell shell)
{
    switch (shell) {
    case Shell::Ergonomic:
        return smoothClosedPath({{-36, 10}, {-6, 2}, {28, 3}, {52, 18}, {63, 52}, {66, 100}, {68, 150},
                                 {74, 205}, {80, 255}, {74, 298}, {50, 326}, {12, 336}, {-30, 331},
                                 {-64, 312}, {-86, 280}, {-94, 240}, {-88, 200}, {-76, 168}, {-72, 125},
                                 {-70, 80}, {-64, 38}});
    case Shell::Ambidextrous:
        return smoothClosedPath(mirrored({{0, 0}, {34, 3}, {56, 22}, {64, 62}, {62, 120}, {66, 180},
                                          {72, 238}, {66, 290}, {42, 324}, {0, 336}}));
    case Shell::Winged:
        return smoothClosedPath(mirrored({{0, 12}, {22, 6}, {46, -2}, {60, 16}, {60, 62}, {56, 115},
                                          {62, 165}, {76, 215}, {76, 265}, {58, 308}, {24, 332}, {0, 336}}));
    case Shell::ErgonomicLarge:
        return smoothClosedPath({{-40, 12}, {-8, 3}, {30, 3}, {56, 20}, {68, 58}, {70, 110}, {72, 165},
                                 {80, 220}, {84, 268}, {76, 306}, {48, 332}, {8, 340}, {-34, 334},
                                 {-70, 316}, {-98, 292}, {-112, 262}, {-106, 236}, {-88, 214}, {-80, 170},
                                 {-76, 120}, {-72, 70}, {-64, 32}});
    case Shell::Lightweight:
        return smoothClosedPath(mirrored({{0, 14}, {28, 14}, {48, 28}, {56, 68}, {54, 130}, {58, 190},
                                          {60, 240}, {52, 288}, {30, 318}, {0, 326}}));
    case Shell::Angular: {
        const QVector<QPointF> pts{{-28, 6}, {28, 6},   {56, 30},   {60, 112},  {72, 200},  {66, 286},
                                   {38, 326}, {-38, 326}, {-66, 286}, {-72, 200}, {-60, 112}, {-56, 30}};
        return roundedPolyline(pts, QVector<qreal>(pts.size(), 12), true);
    }
    }
    return {};
}

struct ShellLayout
{
    qreal splitY;
    qreal forward[2];
    qreal back[2];
    bool bothSides;
    QPointF logo;
};

ShellLayout layoutFor(Shell shell)
{
    switch (shell) {
    case Shell::Ergonomic:
        return {146, {130, 170}, {176, 216}, false, {0, 252}};
    case Shell::Ambidextrous:
        return {142, {122, 160}, {166, 204}, true, {0, 246}};
    case Shell::Winged:
        return {146, {136, 176}, {182, 222}, false, {0, 250}};
    case Shell::ErgonomicLarge:
        return {150, {140, 180}, {186, 226}, false, {-4, 258}};
    case Shell::Lightweight:
        return {140, {120, 156}, {162, 198}, true, {0, 244}};
    case Shell::Angular:
        return {142, {122, 160}, {166, 204}, false, {0, 248}};
    }
    return {};
}

// x of the body's left or right edge at height y (local coordinates).
qreal edgeX(const QPolygonF &poly, qreal y, bool left)
{
    qreal best = left ? 1e9 : -1e9;
    for (int i = 0; i < poly.size(); ++i) {
        const QPointF a = poly.at(i);
        const QPointF b = poly.at((i + 1) % poly.size());
        if ((a.y() <= y && b.y() > y) || (b.y() <= y && a.y() > y)) {
            const qreal x = a.x() + (y - a.y()) / (b.y() - a.y()) * (b.x() - a.x());
            best = left ? std::min(best, x) : std::max(best, x);
        }
    }
    return best;
}

// A side button that follows the contour between y0 and y1.
QPainterPath sideButton(const QPolygonF &poly, qreal y0, qreal y1, bool left)
{
    const qreal x0 = edgeX(poly, y0, left);
    const qreal x1 = edgeX(poly, y1, left);
    const qreal dx = x1 - x0;
    const qreal dy = y1 - y0;
    const qreal len = std::hypot(dx, dy);
    const qreal inward = left ? 1.5 : -1.5;
    QTransform t;
    t.translate((x0 + x1) / 2 + inward, (y0 + y1) / 2);
    t.rotateRadians(std::atan2(-dx, dy));
    return t.map(roundedRectPath(QRectF(-7, -len / 2, 14, len), 6.5));
}

QPainterPath rect(qreal x0, qreal y0, qreal x1, qreal y1, qreal r)
{
    return roundedRectPath(QRectF(QPointF(x0, y0), QPointF(x1, y1)), r);
}

} // namespace

const QVector<MouseModel> &mouseModels()
{
    static const QVector<MouseModel> models{
        {"ox1", "OX1", Shell::Lightweight, false, false, 0},
        {"ox1s", "OX1S", Shell::Lightweight, false, false, 1},
        {"ox2", "OX2", Shell::Winged, false, false, 0},
        {"ox2s", "OX2S", Shell::Winged, false, false, 1},
        {"ox4", "OX4", Shell::Ambidextrous, false, false, 0},
        {"ox4c", "OX4C", Shell::Ambidextrous, false, false, 1},
        {"ox4q", "OX4Q", Shell::Ambidextrous, false, false, 2},
        {"ox5", "OX5", Shell::Angular, false, false, 0},
        {"ox6", "OX6", Shell::ErgonomicLarge, true, false, 0},
        {"ox7", "OX7", Shell::Ergonomic, true, false, 0},
        {"ox7c", "OX7C", Shell::Ergonomic, false, false, 1},
        {"ox7q", "OX7Q", Shell::Ergonomic, true, false, 2},
        {"ox8", "OX8", Shell::Lightweight, false, true, 2},
    };
    return models;
}

MouseParts mouseParts(const MouseModel &model, QPointF frontCentre, qreal scale)
{
    const ShellLayout lay = layoutFor(model.shell);
    const QPainterPath body = shellOutline(model.shell);
    const QPolygonF poly = body.toFillPolygon();
    const qreal split = lay.splitY;

    QPainterPath above;
    above.moveTo(-300, -60);
    above.lineTo(300, -60);
    above.lineTo(300, split + 10);
    above.quadTo(0, split - 14, -300, split + 10);
    above.closeSubpath();

    const QPainterPath spine = rect(-16, 26, 16, split - 8, 10);
    const QPainterPath spineGap = rect(-19, 23, 19, split - 5, 12);
    QPainterPath leftHalf;
    leftHalf.addRect(QRectF(QPointF(-300, -60), QPointF(-1.6, 400)));
    QPainterPath rightHalf;
    rightHalf.addRect(QRectF(QPointF(1.6, -60), QPointF(300, 400)));
    const QPainterPath buttons = body.intersected(above);

    MouseParts local;
    local.body = body;
    local.leftButton = buttons.intersected(leftHalf).subtracted(spineGap);
    local.rightButton = buttons.intersected(rightHalf).subtracted(spineGap);
    local.spine = spine;
    local.wheelSlot = rect(-12, 34, 12, 96, 9);
    local.wheel = rect(-8.5, 38, 8.5, 92, 7);
    QPainterPath upperHalf;
    upperHalf.addRect(QRectF(QPointF(-20, 30), QPointF(20, 65)));
    local.wheelUp = local.wheel.intersected(upperHalf);
    local.wheelDown = local.wheel.subtracted(upperHalf);
    local.dpiUp = rect(-9, 103, 9, 114, 4);
    local.dpiDown = rect(-9, 118, 9, 129, 4);
    local.forward = sideButton(poly, lay.forward[0], lay.forward[1], true);
    local.back = sideButton(poly, lay.back[0], lay.back[1], true);
    if (lay.bothSides) {
        local.forwardRight = sideButton(poly, lay.forward[0], lay.forward[1], false);
        local.backRight = sideButton(poly, lay.back[0], lay.back[1], false);
    }
    QPainterPath aboveGap;
    aboveGap.moveTo(-300, -60);
    aboveGap.lineTo(300, -60);
    aboveGap.lineTo(300, split + 13);
    aboveGap.quadTo(0, split - 11, -300, split + 13);
    aboveGap.closeSubpath();
    local.palm = body.subtracted(aboveGap);
    local.logoCentre = lay.logo;
    if (model.screen)
        local.screen = QRectF(QPointF(-22, 172), QPointF(22, 196));

    QTransform t;
    t.translate(frontCentre.x(), frontCentre.y());
    t.scale(scale, scale);
    MouseParts out;
    out.scale = scale;
    out.body = t.map(local.body);
    out.leftButton = t.map(local.leftButton);
    out.rightButton = t.map(local.rightButton);
    out.spine = t.map(local.spine);
    out.wheelSlot = t.map(local.wheelSlot);
    out.wheel = t.map(local.wheel);
    out.wheelUp = t.map(local.wheelUp);
    out.wheelDown = t.map(local.wheelDown);
    out.dpiUp = t.map(local.dpiUp);
    out.dpiDown = t.map(local.dpiDown);
    out.forward = t.map(local.forward);
    out.back = t.map(local.back);
    out.forwardRight = t.map(local.forwardRight);
    out.backRight = t.map(local.backRight);
    out.palm = t.map(local.palm);
    out.logoCentre = t.map(local.logoCentre);
    out.screen = t.mapRect(local.screen);
    return out;
}

namespace {

// The contour pulled inwards by about `inset` pixels (scaled about its centre).
QPainterPath insetBody(const QPainterPath &body, qreal inset)
{
    const QRectF r = body.boundingRect();
    const QPointF c = r.center();
    QTransform t;
    t.translate(c.x(), c.y());
    t.scale((r.width() - 2 * inset) / r.width(), (r.height() - 2 * inset) / r.height());
    t.translate(-c.x(), -c.y());
    return t.map(body);
}

void paintBlurredLayer(QPainter &p, const QSize &canvas, int radius, const std::function<void(QPainter &)> &draw)
{
    QImage layer = newCanvas(canvas.width(), canvas.height());
    {
        QPainter lp(&layer);
        lp.setRenderHint(QPainter::Antialiasing);
        draw(lp);
    }
    p.drawImage(0, 0, blurred(layer, radius));
}

// A glowing light strip: a soft halo, then a bright core.
void paintLight(QPainter &p, const QSize &canvas, const QPainterPath &centre, qreal width, const QRectF &clip = {})
{
    auto draw = [&](QPainter &lp, const QColor &c, qreal w) {
        if (!clip.isNull())
            lp.setClipRect(clip);
        lp.setPen(QPen(c, w, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        lp.setBrush(Qt::NoBrush);
        lp.drawPath(centre);
    };
    paintBlurredLayer(p, canvas, 8, [&](QPainter &lp) { draw(lp, withAlpha(Theme::accent, 200), width * 2.5); });
    p.save();
    draw(p, Theme::accent, width);
    draw(p, withAlpha(QColor(0xD8, 0xF6, 0xFC), 220), std::max(0.8, width * 0.35));
    p.restore();
}

} // namespace

void paintMouse(QPainter &p, const QSize &canvas, const MouseModel &model, const MouseParts &parts, bool underGlow)
{
    const qreal s = parts.scale;
    const QRectF box = parts.body.boundingRect();
    p.setRenderHint(QPainter::Antialiasing);

    if (underGlow) {
        paintBlurredLayer(p, canvas, int(24 * s), [&](QPainter &lp) {
            lp.setPen(Qt::NoPen);
            lp.setBrush(withAlpha(Theme::accent, 70));
            lp.drawPath(parts.body);
        });
    }

    // Shell.
    QRadialGradient shell(box.center() + QPointF(-box.width() * 0.12, box.height() * 0.12), box.height() * 0.62);
    shell.setColorAt(0, QColor(0x30, 0x36, 0x3D));
    shell.setColorAt(0.55, QColor(0x1A, 0x1E, 0x23));
    shell.setColorAt(1, QColor(0x08, 0x09, 0x0B));
    p.setPen(Qt::NoPen);
    p.setBrush(shell);
    p.drawPath(parts.body);

    // Rubber grips along the sides: a crescent of the contour with fine ribs.
    {
        const QPainterPath leftGrip = parts.body.subtracted(parts.body.translated(13 * s, 0));
        const QPainterPath rightGrip = parts.body.subtracted(parts.body.translated(-13 * s, 0));
        QPainterPath band;
        band.addRect(QRectF(box.left() - 10, box.top() + box.height() * 0.36, box.width() + 20, box.height() * 0.5));
        for (const QPainterPath &grip : {leftGrip.intersected(band), rightGrip.intersected(band)}) {
            p.save();
            p.setBrush(QColor(0x0D, 0x0F, 0x12));
            p.drawPath(grip);
            p.setClipPath(grip);
            p.setPen(QPen(QColor(0x24, 0x29, 0x2F), 1.0 * s));
            for (qreal y = box.top(); y < box.bottom() + box.width(); y += 4.5 * s)
                p.drawLine(QPointF(box.left() - 10, y), QPointF(box.right() + 10, y - box.width() * 0.5));
            p.restore();
        }
    }

    // Side buttons stand out from the shell edge.
    for (const QPainterPath *side : {&parts.forward, &parts.back, &parts.forwardRight, &parts.backRight}) {
        if (side->isEmpty())
            continue;
        QLinearGradient g(side->boundingRect().topLeft(), side->boundingRect().bottomRight());
        g.setColorAt(0, QColor(0x4E, 0x57, 0x61));
        g.setColorAt(1, QColor(0x1E, 0x22, 0x27));
        p.setPen(QPen(QColor(0x05, 0x06, 0x07), 1.6 * s));
        p.setBrush(g);
        p.drawPath(*side);
    }

    // Main buttons, lighter towards the front.
    for (const QPainterPath *button : {&parts.leftButton, &parts.rightButton}) {
        QLinearGradient g(0, box.top(), 0, box.top() + 150 * s);
        g.setColorAt(0, QColor(0x36, 0x3D, 0x45));
        g.setColorAt(1, QColor(0x1C, 0x20, 0x25));
        p.setPen(QPen(QColor(0x04, 0x05, 0x06), 2.4 * s));
        p.setBrush(g);
        p.drawPath(*button);
    }

    // Spine with the wheel and the two CPI buttons.
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0x07, 0x08, 0x0A));
    p.drawPath(parts.spine);
    p.setBrush(QColor(0x02, 0x02, 0x03));
    p.drawPath(parts.wheelSlot);
    {
        const QRectF w = parts.wheel.boundingRect();
        QLinearGradient g(0, w.top(), 0, w.bottom());
        g.setColorAt(0, QColor(0x12, 0x14, 0x17));
        g.setColorAt(0.5, QColor(0x48, 0x50, 0x59));
        g.setColorAt(1, QColor(0x12, 0x14, 0x17));
        p.setBrush(g);
        p.drawPath(parts.wheel);
        p.save();
        p.setClipPath(parts.wheel);
        p.setPen(QPen(withAlpha(QColor(0x06, 0x07, 0x08), 200), 1.3 * s));
        for (qreal y = w.top() + 2 * s; y < w.bottom(); y += 3.6 * s)
            p.drawLine(QPointF(w.left(), y), QPointF(w.right(), y));
        p.restore();
        // Wheel light on both flanks of the slot.
        const QRectF slot = parts.wheelSlot.boundingRect();
        QPainterPath flanks;
        flanks.moveTo(slot.left() + 1.5 * s, slot.top() + 8 * s);
        flanks.lineTo(slot.left() + 1.5 * s, slot.bottom() - 8 * s);
        flanks.moveTo(slot.right() - 1.5 * s, slot.top() + 8 * s);
        flanks.lineTo(slot.right() - 1.5 * s, slot.bottom() - 8 * s);
        paintLight(p, canvas, flanks, 1.6 * s);
    }
    for (const QPainterPath *dpi : {&parts.dpiUp, &parts.dpiDown}) {
        QLinearGradient g(0, dpi->boundingRect().top(), 0, dpi->boundingRect().bottom());
        g.setColorAt(0, QColor(0x44, 0x4C, 0x55));
        g.setColorAt(1, QColor(0x1E, 0x22, 0x27));
        p.setPen(QPen(QColor(0x02, 0x02, 0x03), 1.0 * s));
        p.setBrush(g);
        p.drawPath(*dpi);
    }
    {
        // CPI stage indicator dots beside the CPI buttons.
        const QRectF d = parts.dpiUp.boundingRect().united(parts.dpiDown.boundingRect());
        p.setPen(Qt::NoPen);
        for (int i = 0; i < 3; ++i) {
            p.setBrush(i == 0 ? Theme::accent : withAlpha(Theme::accent, 90));
            p.drawEllipse(QPointF(d.right() + 6 * s, d.top() + (3 + i * 8.5) * s), 1.6 * s, 1.6 * s);
        }
    }

    // Model accents.
    const QPainterPath inner = insetBody(parts.body, 9 * s);
    const QPointF logo = parts.logoCentre;
    switch (model.shell) {
    case Shell::Ergonomic: {
        const QRectF tail(box.left() - 5, box.top() + box.height() * 0.86, box.width() + 10, box.height());
        paintLight(p, canvas, inner, 2.4 * s, tail);
        if (model.variant == 1) {
            const QRectF side(box.center().x() + 30 * s, box.top() + 165 * s, box.width(), 95 * s);
            paintLight(p, canvas, inner, 2.0 * s, side);
        }
        break;
    }
    case Shell::Ambidextrous: {
        if (model.variant == 0) {
            QPainterPath ring;
            ring.addEllipse(logo, 24 * s, 24 * s);
            paintLight(p, canvas, ring, 2.0 * s);
        } else if (model.variant == 1) {
            QPainterPath arc;
            arc.arcMoveTo(QRectF(logo - QPointF(24 * s, 24 * s), QSizeF(48 * s, 48 * s)), 40);
            arc.arcTo(QRectF(logo - QPointF(24 * s, 24 * s), QSizeF(48 * s, 48 * s)), 40, 280);
            paintLight(p, canvas, arc, 2.0 * s);
        } else {
            QPainterPath lines;
            lines.moveTo(logo + QPointF(-30 * s, -50 * s));
            lines.lineTo(logo + QPointF(-30 * s, 45 * s));
            lines.moveTo(logo + QPointF(30 * s, -50 * s));
            lines.lineTo(logo + QPointF(30 * s, 45 * s));
            paintLight(p, canvas, lines, 2.0 * s);
        }
        break;
    }
    case Shell::Winged: {
        const QRectF flank(box.left() - 5, box.top() + 175 * s, box.width() + 10, 105 * s);
        paintLight(p, canvas, inner, 2.2 * s, flank);
        if (model.variant == 1) {
            QPainterPath chevron;
            chevron.moveTo(logo + QPointF(-26 * s, -46 * s));
            chevron.lineTo(logo + QPointF(0, -30 * s));
            chevron.lineTo(logo + QPointF(26 * s, -46 * s));
            paintLight(p, canvas, chevron, 2.0 * s);
        }
        break;
    }
    case Shell::ErgonomicLarge: {
        QPainterPath blade;
        blade.moveTo(logo + QPointF(-46 * s, 42 * s));
        blade.lineTo(logo + QPointF(0, 60 * s));
        blade.lineTo(logo + QPointF(46 * s, 42 * s));
        paintLight(p, canvas, blade, 2.2 * s);
        break;
    }
    case Shell::Lightweight: {
        // Perforated palm.
        const QPainterPath holesArea = insetBody(parts.body, 16 * s).intersected(parts.palm);
        QPainterPath holes;
        const qreal r = 6.2 * s;
        const qreal dx = std::sqrt(3.0) * r + 3.2 * s;
        const qreal dy = 1.5 * r + 3.0 * s;
        int row = 0;
        for (qreal y = box.top() + 150 * s; y < box.bottom(); y += dy, ++row) {
            for (qreal x = box.center().x() - 6 * dx + (row % 2 ? dx / 2 : 0); x < box.right(); x += dx) {
                const QPointF c(x, y);
                if (QLineF(c, logo).length() < 30 * s)
                    continue;
                const QPainterPath h = hexagon(c, r);
                if (holesArea.contains(h))
                    holes.addPath(h);
            }
        }
        p.setPen(QPen(QColor(0x3A, 0x41, 0x49), 0.9 * s));
        p.setBrush(QColor(0x02, 0x02, 0x03));
        p.drawPath(holes);
        if (model.lightBand) {
            const QRectF band(box.left() - 5, box.top() + 150 * s, box.width() + 10, box.height());
            paintLight(p, canvas, inner, 2.4 * s, band);
        } else if (model.variant == 1) {
            const QRectF tail(box.left() - 5, box.top() + box.height() * 0.88, box.width() + 10, box.height());
            paintLight(p, canvas, inner, 2.2 * s, tail);
        }
        break;
    }
    case Shell::Angular: {
        QPainterPath facets;
        facets.moveTo(logo + QPointF(-40 * s, -60 * s));
        facets.lineTo(logo + QPointF(-14 * s, -26 * s));
        facets.moveTo(logo + QPointF(40 * s, -60 * s));
        facets.lineTo(logo + QPointF(14 * s, -26 * s));
        facets.moveTo(logo + QPointF(-44 * s, 52 * s));
        facets.lineTo(logo + QPointF(-18 * s, 28 * s));
        facets.moveTo(logo + QPointF(44 * s, 52 * s));
        facets.lineTo(logo + QPointF(18 * s, 28 * s));
        paintLight(p, canvas, facets, 2.0 * s);
        break;
    }
    }

    // Logo with a soft glow.
    paintBlurredLayer(p, canvas, int(6 * s), [&](QPainter &lp) { paintEmblem(lp, logo, 30 * s, Theme::accent); });
    paintEmblem(p, logo, 30 * s, Theme::accent);

    if (!parts.screen.isNull()) {
        p.setPen(QPen(QColor(0x3A, 0x41, 0x49), 1.2 * s));
        p.setBrush(QColor(0x01, 0x01, 0x02));
        p.drawRoundedRect(parts.screen, 3 * s, 3 * s);
        QFont f("DejaVu Sans Mono");
        f.setPixelSize(std::max(6, int(std::lround(13 * s))));
        f.setBold(true);
        p.setFont(f);
        p.setPen(Theme::accent);
        p.drawText(parts.screen, Qt::AlignCenter, QStringLiteral("1600"));
    }

    // Rim light from the upper left and a soft sheen along the thumb side.
    {
        QLinearGradient rim(box.topLeft(), box.bottomRight());
        rim.setColorAt(0, QColor(0x7A, 0x84, 0x8F, 230));
        rim.setColorAt(0.5, QColor(0x3A, 0x41, 0x49, 160));
        rim.setColorAt(1, QColor(0x10, 0x12, 0x15, 120));
        p.setPen(QPen(QBrush(rim), 1.5 * s));
        p.setBrush(Qt::NoBrush);
        p.drawPath(parts.body);
        paintBlurredLayer(p, canvas, int(7 * s), [&](QPainter &lp) {
            lp.setClipRect(QRectF(box.left() - 10, box.top() + 30 * s, box.width() * 0.42, box.height() * 0.6));
            lp.setPen(QPen(QColor(255, 255, 255, 46), 7 * s));
            lp.drawPath(insetBody(parts.body, 10 * s));
        });
    }
}

void paintMouseLines(QPainter &p, const MouseParts &parts, const QColor &colour, qreal width)
{
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(colour, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    for (const QPainterPath *path : {&parts.body, &parts.leftButton, &parts.rightButton, &parts.wheelSlot,
                                     &parts.dpiUp, &parts.dpiDown, &parts.forward, &parts.back,
                                     &parts.forwardRight, &parts.backRight}) {
        if (!path->isEmpty())
            p.drawPath(*path);
    }
    p.restore();
}

namespace {

MouseParts mainParts(const MouseModel &model)
{
    return mouseParts(model, QPointF(kMousePictureWidth / 2.0, 22), 1.0);
}

} // namespace

QImage mainMousePicture(const MouseModel &model)
{
    QImage img = newCanvas(kMousePictureWidth, kMousePictureHeight);
    QPainter p(&img);
    paintMouse(p, img.size(), model, mainParts(model));
    p.end();
    return finished(img);
}

QVector<int> overlayButtonCodes()
{
    return {4, 5, 6, 7, 8, 11, 12, 13, 14};
}

QImage buttonOverlay(const MouseModel &model, int buttonCode)
{
    const MouseParts parts = mainParts(model);
    QPainterPath area;
    switch (buttonCode) {
    case 4: area = parts.leftButton; break;
    case 5: area = parts.wheel; break;
    case 6: area = parts.rightButton; break;
    case 7: area = parts.forward; break;
    case 8: area = parts.back; break;
    case 11: area = parts.wheelUp; break;
    case 12: area = parts.wheelDown; break;
    case 13: area = parts.dpiUp; break;
    case 14: area = parts.dpiDown; break;
    default: break;
    }
    QImage img = newCanvas(kMousePictureWidth, kMousePictureHeight);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    paintBlurredLayer(p, img.size(), 10, [&](QPainter &lp) {
        lp.setPen(QPen(withAlpha(Theme::accent, 230), 6));
        lp.setBrush(Qt::NoBrush);
        lp.drawPath(area);
    });
    p.setPen(QPen(Theme::accent, 2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(withAlpha(Theme::accent, 80));
    p.drawPath(area);
    p.end();
    return finished(img);
}
