#include "tools/artgen/pictures.h"

#include "tools/artgen/draw.h"
#include "tools/artgen/lettering.h"
#include "tools/artgen/mice.h"

#include <QFont>
#include <QFontMetricsF>
#include <QPainter>
#include <QTextOption>
#include <QtMath>

#include <algorithm>
#include <cmath>
#include <functional>
#include <initializer_list>

namespace {

void begin(QPainter &p)
{
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    p.setRenderHint(QPainter::SmoothPixmapTransform);
}

QPen roundPen(const QColor &c, qreal w)
{
    return QPen(c, w, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
}

void drawBlurred(QPainter &p, const QSize &size, int radius, const std::function<void(QPainter &)> &draw)
{
    QImage layer = newCanvas(size.width(), size.height());
    {
        QPainter lp(&layer);
        begin(lp);
        draw(lp);
    }
    p.drawImage(0, 0, blurred(layer, radius));
}

const QColor kIcon(0xC9, 0xCE, 0xD3);

QPolygonF polygon(std::initializer_list<QPointF> points)
{
    QPolygonF poly;
    for (const QPointF &pt : points)
        poly << pt;
    return poly;
}

} // namespace

QImage logoPicture(const QString &modelName)
{
    const int w = 320, h = 48;
    QImage img = newCanvas(w, h);
    QPainter p(&img);
    begin(p);

    const qreal letterHeight = 21;
    QPainterPath brand = letteringPath(QStringLiteral("KORVAN"), letterHeight);
    QPainterPath model = letteringPath(modelName, letterHeight);
    const qreal emblem = 38;
    const qreal gap = 14;
    qreal x = 4 + emblem + gap;
    const qreal top = (h - letterHeight) / 2;
    brand.translate(x, top);
    x = brand.boundingRect().right() + gap;
    const qreal divider = x;
    model.translate(x + gap, top);

    drawBlurred(p, img.size(), 5, [&](QPainter &lp) { paintEmblem(lp, QPointF(4 + emblem / 2, h / 2.0), emblem, Theme::accent); });
    paintEmblem(p, QPointF(4 + emblem / 2, h / 2.0), emblem, Theme::accent);
    p.setPen(Qt::NoPen);
    p.setBrush(Theme::white);
    p.drawPath(brand);
    p.setPen(QPen(Theme::grey, 1.2));
    p.drawLine(QPointF(divider + 3, top + 1), QPointF(divider - 1, top + letterHeight - 1));
    p.setPen(Qt::NoPen);
    drawBlurred(p, img.size(), 4, [&](QPainter &lp) {
        lp.setPen(Qt::NoPen);
        lp.setBrush(withAlpha(Theme::accent, 150));
        lp.drawPath(model);
    });
    p.setBrush(Theme::accent);
    p.drawPath(model);
    p.end();
    return finished(img);
}

QImage spinnerPicture()
{
    QImage img = newCanvas(26, 26);
    QPainter p(&img);
    begin(p);
    const QPointF c(13, 13);
    const qreal r = 9.5;
    // Head at the top; the fading tail trails anticlockwise so clockwise quarter turns read as motion.
    QConicalGradient g(c, 90);
    g.setColorAt(0, Theme::accent);
    g.setColorAt(0.83, withAlpha(Theme::accent, 0));
    g.setColorAt(1, withAlpha(Theme::accent, 0));
    p.setPen(QPen(QBrush(g), 3.0, Qt::SolidLine, Qt::FlatCap));
    p.setBrush(Qt::NoBrush);
    p.drawArc(QRectF(c.x() - r, c.y() - r, 2 * r, 2 * r), 90 * 16, 300 * 16);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0xE6, 0xFA, 0xFD));
    p.drawEllipse(QPointF(c.x(), c.y() - r), 2.2, 2.2);
    p.end();
    return finished(img);
}

QImage batteryPicture(Battery state)
{
    QImage img = newCanvas(32, 16);
    QPainter p(&img);
    begin(p);
    const QRectF body(1.5, 2.5, 26, 11);
    const bool charging = state == Battery::Charging || state == Battery::ChargingFull;
    const QColor frame = state == Battery::Empty ? Theme::grey : (charging ? Theme::accent : kIcon);
    p.setPen(QPen(frame, 1.4));
    p.setBrush(Qt::NoBrush);
    p.drawRoundedRect(body, 2.5, 2.5);
    p.setPen(Qt::NoPen);
    p.setBrush(frame);
    p.drawRoundedRect(QRectF(28.6, 6, 2.4, 4), 1, 1);

    int segments = 0;
    QColor fill = Theme::accent;
    switch (state) {
    case Battery::Empty: segments = 0; break;
    case Battery::Level1: segments = 1; fill = Theme::danger; break;
    case Battery::Level2: segments = 2; fill = Theme::warning; break;
    case Battery::Level3: segments = 3; break;
    case Battery::Level4: segments = 4; break;
    case Battery::Level5: segments = 5; break;
    case Battery::Charging: segments = 2; fill = withAlpha(Theme::accent, 110); break;
    case Battery::ChargingFull: segments = 5; break;
    }
    const qreal segW = (body.width() - 4 - 4 * 1.2) / 5;
    for (int i = 0; i < segments; ++i) {
        p.setBrush(fill);
        p.drawRoundedRect(QRectF(body.left() + 2 + i * (segW + 1.2), body.top() + 2, segW, body.height() - 4), 0.8, 0.8);
    }
    if (state == Battery::Empty) {
        // No reading: a thin slash across the empty shell.
        p.setPen(roundPen(Theme::grey, 1.3));
        p.drawLine(QPointF(11, 12), QPointF(18, 4));
    }
    if (charging) {
        QPolygonF bolt;
        bolt << QPointF(16.5, 3.2) << QPointF(10.5, 8.6) << QPointF(14.2, 8.6) << QPointF(12.5, 12.8)
             << QPointF(18.6, 7.2) << QPointF(14.9, 7.2);
        p.setPen(QPen(QColor(0x05, 0x06, 0x07), 1.6, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.setBrush(Theme::white);
        p.drawPolygon(bolt);
        p.setPen(Qt::NoPen);
        p.drawPolygon(bolt);
    }
    p.end();
    return finished(img);
}

QImage connectionPicture(bool wireless)
{
    QImage img = newCanvas(24, 24);
    QPainter p(&img);
    begin(p);
    if (wireless) {
        p.setBrush(Qt::NoBrush);
        const QPointF c(12, 18);
        for (int i = 0; i < 3; ++i) {
            const qreal r = 4.5 + i * 4.2;
            p.setPen(roundPen(i == 0 ? Theme::accent : withAlpha(Theme::accent, 255 - i * 55), 2.0));
            p.drawArc(QRectF(c.x() - r, c.y() - r, 2 * r, 2 * r), 45 * 16, 90 * 16);
        }
        p.setPen(Qt::NoPen);
        p.setBrush(Theme::accent);
        p.drawEllipse(c, 2.0, 2.0);
    } else {
        // A cable plug seen from the side.
        p.setPen(roundPen(Theme::accent, 2.0));
        p.drawLine(QPointF(12, 15), QPointF(12, 22.5));
        p.setBrush(withAlpha(Theme::accent, 60));
        p.drawRoundedRect(QRectF(7, 7.5, 10, 8), 1.8, 1.8);
        p.setBrush(Qt::NoBrush);
        p.drawLine(QPointF(9.8, 7.5), QPointF(9.8, 2.5));
        p.drawLine(QPointF(14.2, 7.5), QPointF(14.2, 2.5));
    }
    p.end();
    return finished(img);
}

QImage badgePicture(int number)
{
    QImage img = newCanvas(24, 24);
    QPainter p(&img);
    begin(p);
    p.setPen(QPen(Theme::accent, 1.5));
    p.setBrush(QColor(0x0A, 0x1A, 0x1E));
    p.drawEllipse(QRectF(1.5, 1.5, 21, 21));
    QFont f(QStringLiteral("DejaVu Sans"));
    f.setPixelSize(number >= 10 ? 10 : 12);
    f.setBold(true);
    p.setFont(f);
    p.setPen(Theme::white);
    p.drawText(QRectF(0, 0, 24, 24.5), Qt::AlignCenter, QString::number(number));
    p.end();
    return finished(img);
}

namespace {

QPainterPath tabShape(TabPosition position, const QRectF &r, qreal radius)
{
    QPainterPath path;
    const bool roundLeft = position == TabPosition::Left;
    const bool roundRight = position == TabPosition::Right;
    path.moveTo(r.left() + (roundLeft ? radius : 0), r.top());
    path.lineTo(r.right() - (roundRight ? radius : 0), r.top());
    if (roundRight)
        path.quadTo(r.topRight(), QPointF(r.right(), r.top() + radius));
    path.lineTo(r.right(), r.bottom() - (roundRight ? radius : 0));
    if (roundRight)
        path.quadTo(r.bottomRight(), QPointF(r.right() - radius, r.bottom()));
    path.lineTo(r.left() + (roundLeft ? radius : 0), r.bottom());
    if (roundLeft)
        path.quadTo(r.bottomLeft(), QPointF(r.left(), r.bottom() - radius));
    path.lineTo(r.left(), r.top() + (roundLeft ? radius : 0));
    if (roundLeft)
        path.quadTo(r.topLeft(), QPointF(r.left() + radius, r.top()));
    path.closeSubpath();
    return path;
}

void paintSelectedGlow(QPainter &p, const QPainterPath &shape, const QRectF &r)
{
    QLinearGradient tint(0, r.bottom(), 0, r.top());
    tint.setColorAt(0, withAlpha(Theme::accent, 95));
    tint.setColorAt(0.6, withAlpha(Theme::accent, 28));
    tint.setColorAt(1, withAlpha(Theme::accent, 12));
    p.setPen(Qt::NoPen);
    p.setBrush(tint);
    p.drawPath(shape);
}

} // namespace

QImage tabPicture(TabPosition position, bool selected)
{
    const int w = 150, h = 40;
    QImage img = newCanvas(w, h);
    QPainter p(&img);
    begin(p);
    const QRectF r(0.5, 0.5, w - 1, h - 1);
    const QPainterPath shape = tabShape(position, r, 7);
    QLinearGradient base(0, 0, 0, h);
    base.setColorAt(0, QColor(0x14, 0x18, 0x1D));
    base.setColorAt(1, QColor(0x0A, 0x0C, 0x0F));
    p.setPen(Qt::NoPen);
    p.setBrush(base);
    p.drawPath(shape);
    if (selected) {
        paintSelectedGlow(p, shape, r);
        p.save();
        p.setClipPath(shape);
        drawBlurred(p, img.size(), 6, [&](QPainter &lp) {
            lp.setPen(Qt::NoPen);
            lp.setBrush(withAlpha(Theme::accent, 200));
            lp.drawRect(QRectF(10, h - 6, w - 20, 6));
        });
        p.setBrush(Theme::accent);
        p.drawRect(QRectF(0, h - 3, w, 3));
        p.restore();
        p.setPen(QPen(withAlpha(Theme::accent, 170), 1));
    } else {
        p.setPen(QPen(QColor(0x2A, 0x30, 0x36), 1));
    }
    p.setBrush(Qt::NoBrush);
    p.drawPath(shape);
    // A faint top edge catches the light.
    p.setPen(QPen(QColor(255, 255, 255, selected ? 40 : 18), 1));
    p.drawLine(QPointF(position == TabPosition::Left ? 8 : 1, 1.5), QPointF(position == TabPosition::Right ? w - 8 : w - 1, 1.5));
    p.end();
    return finished(img);
}

QImage profilePicture(bool last, bool selected)
{
    const int w = 100, h = 36;
    QImage img = newCanvas(w, h);
    QPainter p(&img);
    begin(p);
    const qreal c = 8; // chamfer
    const QRectF r(0.5, 0.5, w - 1, h - 1);
    QPolygonF poly;
    poly << r.topLeft();
    if (last) {
        poly << QPointF(r.right() - c, r.top()) << QPointF(r.right(), r.top() + c);
    } else {
        poly << r.topRight();
    }
    poly << QPointF(r.right(), r.bottom() - c) << QPointF(r.right() - c, r.bottom()) << r.bottomLeft();
    QPainterPath shape;
    shape.addPolygon(poly);
    shape.closeSubpath();

    QLinearGradient base(0, 0, 0, h);
    base.setColorAt(0, QColor(0x13, 0x17, 0x1B));
    base.setColorAt(1, QColor(0x0B, 0x0D, 0x10));
    p.setPen(Qt::NoPen);
    p.setBrush(base);
    p.drawPath(shape);
    if (selected) {
        paintSelectedGlow(p, shape, r);
        p.setPen(QPen(Theme::accent, 1.2));
    } else {
        p.setPen(QPen(QColor(0x2E, 0x35, 0x3C), 1));
    }
    p.setBrush(Qt::NoBrush);
    p.drawPath(shape);
    // Accent notch on the left edge.
    p.setPen(Qt::NoPen);
    p.setBrush(selected ? Theme::accent : withAlpha(Theme::accent, 70));
    p.drawRect(QRectF(0, 9, 2.5, h - 18));
    p.end();
    return finished(img);
}

QImage keySelectPicture()
{
    const int w = 120, h = 36;
    QImage img = newCanvas(w, h);
    QPainter p(&img);
    begin(p);
    QLinearGradient tint(0, h, 0, 0);
    tint.setColorAt(0, withAlpha(Theme::accent, 80));
    tint.setColorAt(1, withAlpha(Theme::accent, 0));
    p.setPen(Qt::NoPen);
    p.setBrush(tint);
    p.drawRect(QRectF(0, 0, w, h));
    p.setBrush(Theme::accent);
    p.drawRect(QRectF(0, h - 3, w, 3));
    p.end();
    return finished(img);
}

QImage colourWheelPicture()
{
    // Hue around the disc, white in the middle; the page reads the colour under the cursor.
    const int size = 138;
    const qreal radius = 69;
    QImage img(size, size, QImage::Format_ARGB32);
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            const qreal dx = x + 0.5 - radius;
            const qreal dy = y + 0.5 - radius;
            const qreal d = std::hypot(dx, dy);
            const qreal coverage = std::clamp(radius - d + 0.5, 0.0, 1.0);
            if (coverage <= 0) {
                img.setPixel(x, y, qRgba(0, 0, 0, 0));
                continue;
            }
            qreal hue = std::atan2(-dy, dx) / (2 * M_PI);
            if (hue < 0)
                hue += 1;
            const qreal sat = std::pow(std::min(1.0, d / (radius - 3)), 0.85);
            const QColor c = QColor::fromHsvF(hue, sat, 1.0);
            img.setPixel(x, y, qRgba(c.red(), c.green(), c.blue(), int(std::lround(coverage * 255))));
        }
    }
    return img;
}

QImage macroIcon(MacroIcon icon)
{
    QImage img = newCanvas(20, 20);
    QPainter p(&img);
    begin(p);
    switch (icon) {
    case MacroIcon::KeyDown:
    case MacroIcon::KeyUp: {
        const bool down = icon == MacroIcon::KeyDown;
        const QColor c = down ? Theme::accent : kIcon;
        p.setPen(roundPen(c, 2.2));
        p.setBrush(Qt::NoBrush);
        const qreal tip = down ? 16 : 4;
        const qreal tail = down ? 4 : 16;
        p.drawLine(QPointF(10, tail), QPointF(10, tip));
        p.drawPolyline(polygon({QPointF(5, down ? tip - 5 : tip + 5), QPointF(10, tip), QPointF(15, down ? tip - 5 : tip + 5)}));
        break;
    }
    case MacroIcon::Delay:
        p.setPen(roundPen(Theme::warning, 1.8));
        p.setBrush(Qt::NoBrush);
        p.drawEllipse(QRectF(2.5, 2.5, 15, 15));
        p.drawLine(QPointF(10, 10), QPointF(10, 5.5));
        p.drawLine(QPointF(10, 10), QPointF(13.2, 12));
        break;
    case MacroIcon::Movement: {
        p.setPen(roundPen(Theme::accent, 1.8));
        p.setBrush(Qt::NoBrush);
        p.drawLine(QPointF(10, 3), QPointF(10, 17));
        p.drawLine(QPointF(3, 10), QPointF(17, 10));
        const qreal a = 2.6;
        p.drawPolyline(polygon({QPointF(10 - a, 3 + a), QPointF(10, 3), QPointF(10 + a, 3 + a)}));
        p.drawPolyline(polygon({QPointF(10 - a, 17 - a), QPointF(10, 17), QPointF(10 + a, 17 - a)}));
        p.drawPolyline(polygon({QPointF(3 + a, 10 - a), QPointF(3, 10), QPointF(3 + a, 10 + a)}));
        p.drawPolyline(polygon({QPointF(17 - a, 10 - a), QPointF(17, 10), QPointF(17 - a, 10 + a)}));
        break;
    }
    }
    p.end();
    return finished(img);
}

namespace {

void paintBaseBackground(QPainter &p, int w, int h)
{
    QLinearGradient g(0, 0, 0, h);
    g.setColorAt(0, QColor(0x08, 0x0A, 0x0D));
    g.setColorAt(1, QColor(0x00, 0x00, 0x00));
    p.fillRect(QRect(0, 0, w, h), g);
    // A quiet dot grid gives the black some depth.
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0x16, 0x1B, 0x20));
    for (int y = 12; y < h; y += 24)
        for (int x = 12; x < w; x += 24)
            p.drawEllipse(QPointF(x, y), 0.9, 0.9);
    // Hairline under the top edge.
    QLinearGradient hair(0, 0, w, 0);
    hair.setColorAt(0, withAlpha(Theme::accent, 0));
    hair.setColorAt(0.5, withAlpha(Theme::accent, 90));
    hair.setColorAt(1, withAlpha(Theme::accent, 0));
    p.fillRect(QRectF(0, 0, w, 1), hair);
}

} // namespace

QImage pageBackground(Page page, const MouseModel *model)
{
    const int w = 960, h = 440;
    QImage img = newCanvas(w, h, Qt::black);
    QPainter p(&img);
    begin(p);
    paintBaseBackground(p, w, h);
    switch (page) {
    case Page::Macro: {
        QRadialGradient glow(QPointF(w * 0.82, h * 0.55), 330);
        glow.setColorAt(0, withAlpha(Theme::accent, 26));
        glow.setColorAt(1, withAlpha(Theme::accent, 0));
        p.fillRect(QRect(0, 0, w, h), glow);
        if (model) {
            // The model's outline, large and faint, behind the right-hand column.
            p.save();
            p.translate(w * 0.86, h * 0.5);
            p.rotate(-16);
            const MouseParts parts = mouseParts(*model, QPointF(0, -260), 1.55);
            paintMouseLines(p, parts, withAlpha(Theme::accent, 46), 1.3);
            p.restore();
        }
        break;
    }
    case Page::Light: {
        // A band of spectrum along the floor of the page.
        QImage band = newCanvas(w, h);
        {
            QPainter bp(&band);
            begin(bp);
            QLinearGradient spectrum(0, 0, w, 0);
            for (int i = 0; i <= 6; ++i)
                spectrum.setColorAt(i / 6.0, withAlpha(QColor::fromHsvF(std::fmod(0.52 + i / 6.0, 1.0), 0.85, 1.0), 70));
            bp.setPen(Qt::NoPen);
            bp.setBrush(spectrum);
            bp.drawEllipse(QRectF(-w * 0.1, h - 40, w * 1.2, 90));
        }
        p.drawImage(0, 0, blurred(band, 40));
        break;
    }
    case Page::Support: {
        p.save();
        p.setOpacity(0.09);
        paintEmblem(p, QPointF(w * 0.82, h * 0.48), 300, Theme::accent);
        p.restore();
        break;
    }
    }
    p.end();
    return finished(img);
}

QImage popupPicture()
{
    const int w = 260, h = 140;
    QImage img = newCanvas(w, h);
    QPainter p(&img);
    begin(p);
    QPainterPath shape = roundedRectPath(QRectF(1, 9, w - 2, h - 10), 8);
    QPainterPath arrow;
    arrow.addPolygon(polygon({QPointF(w / 2.0 - 9, 9.5), QPointF(w / 2.0, 1), QPointF(w / 2.0 + 9, 9.5)}));
    shape = shape.united(arrow);
    QLinearGradient g(0, 0, 0, h);
    g.setColorAt(0, QColor(0x16, 0x1B, 0x20, 245));
    g.setColorAt(1, QColor(0x0A, 0x0C, 0x0F, 245));
    p.setPen(QPen(withAlpha(Theme::accent, 200), 1.2));
    p.setBrush(g);
    p.drawPath(shape);
    p.end();
    return finished(img);
}

QImage titleButtonPicture(TitleButton button, bool hover)
{
    QImage img = newCanvas(24, 24);
    QPainter p(&img);
    begin(p);
    if (hover) {
        p.setPen(Qt::NoPen);
        p.setBrush(button == TitleButton::Close ? Theme::danger : QColor(0x24, 0x2A, 0x31));
        p.drawRoundedRect(QRectF(0, 0, 24, 24), 4, 4);
    }
    p.setPen(roundPen(hover ? Theme::white : kIcon, 1.7));
    if (button == TitleButton::Minimise) {
        p.drawLine(QPointF(7, 12.5), QPointF(17, 12.5));
    } else {
        p.drawLine(QPointF(7.5, 7.5), QPointF(16.5, 16.5));
        p.drawLine(QPointF(16.5, 7.5), QPointF(7.5, 16.5));
    }
    p.end();
    return finished(img);
}

QImage indicatorPicture(Indicator kind)
{
    QImage img = newCanvas(16, 16);
    QPainter p(&img);
    begin(p);
    const QRectF r(1.5, 1.5, 13, 13);
    const bool check = kind == Indicator::CheckOff || kind == Indicator::CheckOn || kind == Indicator::CheckHover
                       || kind == Indicator::CheckDisabled;
    const bool on = kind == Indicator::CheckOn || kind == Indicator::RadioOn;
    const bool disabled = kind == Indicator::CheckDisabled || kind == Indicator::RadioDisabled;
    const bool hover = kind == Indicator::CheckHover || kind == Indicator::RadioHover;
    const QColor edge = disabled ? QColor(0x3A, 0x3F, 0x44) : (on || hover ? Theme::accent : Theme::grey);
    p.setPen(QPen(edge, 1.3));
    p.setBrush(check && on ? Theme::accent : QColor(0x0B, 0x0D, 0x10));
    if (check)
        p.drawRoundedRect(r, 3, 3);
    else
        p.drawEllipse(r);
    if (check && on) {
        p.setPen(roundPen(QColor(0x02, 0x10, 0x14), 2.0));
        p.drawPolyline(polygon({QPointF(4.6, 8.2), QPointF(7, 10.6), QPointF(11.6, 5.6)}));
    } else if (!check && on) {
        p.setPen(Qt::NoPen);
        p.setBrush(Theme::accent);
        p.drawEllipse(QPointF(8, 8), 3.4, 3.4);
    }
    p.end();
    return finished(img);
}

QImage arrowPicture(bool up, int width, int height, bool dim)
{
    QImage img = newCanvas(width, height);
    QPainter p(&img);
    begin(p);
    const qreal w = std::min<qreal>(width - 4, (height - 4) * 1.8);
    const qreal h = w / 1.8;
    const QPointF c(width / 2.0, height / 2.0);
    QPolygonF tri;
    if (up)
        tri << QPointF(c.x() - w / 2, c.y() + h / 2) << QPointF(c.x(), c.y() - h / 2) << QPointF(c.x() + w / 2, c.y() + h / 2);
    else
        tri << QPointF(c.x() - w / 2, c.y() - h / 2) << QPointF(c.x(), c.y() + h / 2) << QPointF(c.x() + w / 2, c.y() - h / 2);
    p.setPen(Qt::NoPen);
    p.setBrush(dim ? QColor(0x4A, 0x50, 0x56) : Theme::accent);
    p.drawPolygon(tri);
    p.end();
    return finished(img);
}

QImage toolPicture(Tool tool, bool selected)
{
    QImage img = newCanvas(24, 24);
    QPainter p(&img);
    begin(p);
    if (selected) {
        p.setPen(QPen(Theme::accent, 1));
        p.setBrush(withAlpha(Theme::accent, 50));
        p.drawRoundedRect(QRectF(0.5, 0.5, 23, 23), 4, 4);
    }
    const QColor c = selected ? Theme::accent : kIcon;
    p.setPen(roundPen(c, 1.7));
    p.setBrush(Qt::NoBrush);
    switch (tool) {
    case Tool::Brush: {
        QPolygonF pen = polygon({QPointF(15.5, 4.5), QPointF(19.5, 8.5), QPointF(9, 19), QPointF(4.5, 19.5), QPointF(5, 15)});
        p.drawPolygon(pen);
        p.drawLine(QPointF(13, 7), QPointF(17, 11));
        break;
    }
    case Tool::Text: {
        p.drawLine(QPointF(6, 6), QPointF(18, 6));
        p.drawLine(QPointF(12, 6), QPointF(12, 18.5));
        p.drawLine(QPointF(9.5, 18.5), QPointF(14.5, 18.5));
        break;
    }
    case Tool::Erase: {
        QTransform t;
        t.translate(12, 12);
        t.rotate(-45);
        p.setTransform(t);
        p.drawRoundedRect(QRectF(-8, -4.5, 16, 9), 1.5, 1.5);
        p.drawLine(QPointF(-1.5, -4.5), QPointF(-1.5, 4.5));
        p.resetTransform();
        p.drawLine(QPointF(11, 19.5), QPointF(19.5, 19.5));
        break;
    }
    case Tool::Undo: {
        // Anticlockwise arrow: an open arc whose head points back to the left.
        p.drawArc(QRectF(5, 6, 14, 13), 120 * 16, -290 * 16);
        p.drawPolyline(polygon({QPointF(5.2, 5.8), QPointF(7.6, 8.8), QPointF(11, 7.2)}));
        break;
    }
    case Tool::Picture: {
        p.drawRoundedRect(QRectF(4, 5.5, 16, 13), 2, 2);
        p.drawPolyline(polygon({QPointF(5, 17), QPointF(10, 11.5), QPointF(13.5, 15), QPointF(15.5, 13), QPointF(19, 16.5)}));
        p.setPen(Qt::NoPen);
        p.setBrush(c);
        p.drawEllipse(QPointF(15.5, 9.5), 1.6, 1.6);
        break;
    }
    }
    p.end();
    return finished(img);
}

namespace {

void paintSwitch(QPainter &p, QPointF centre, bool on)
{
    const QRectF track(centre.x() - 20, centre.y() - 8, 40, 16);
    p.setPen(QPen(on ? Theme::accent : Theme::grey, 1.4));
    p.setBrush(on ? withAlpha(Theme::accent, 70) : QColor(0x15, 0x18, 0x1C));
    p.drawRoundedRect(track, 8, 8);
    p.setPen(Qt::NoPen);
    p.setBrush(on ? Theme::accent : Theme::grey);
    p.drawEllipse(QPointF(on ? track.right() - 8 : track.left() + 8, centre.y()), 5.5, 5.5);
    QFont f(QStringLiteral("DejaVu Sans"));
    f.setPixelSize(10);
    f.setBold(true);
    p.setFont(f);
    p.setPen(on ? Theme::accent : Theme::grey);
    p.drawText(QRectF(centre.x() - 30, centre.y() + 11, 60, 14), Qt::AlignCenter,
               on ? QStringLiteral("ON") : QStringLiteral("OFF"));
}

void paintMouseUnderside(QPainter &p, QPointF centre)
{
    const QRectF shell(centre.x() - 24, centre.y() - 38, 48, 76);
    p.setPen(QPen(kIcon, 1.4));
    p.setBrush(QColor(0x10, 0x13, 0x16));
    p.drawRoundedRect(shell, 22, 26);
    p.setPen(QPen(QColor(0x3A, 0x41, 0x49), 1));
    p.setBrush(QColor(0x05, 0x06, 0x07));
    p.drawEllipse(QPointF(centre.x(), centre.y() - 16), 5, 5); // sensor window
    p.drawRoundedRect(QRectF(centre.x() - 14, centre.y() - 34, 28, 5), 2.5, 2.5);
    p.drawRoundedRect(QRectF(centre.x() - 14, centre.y() + 29, 28, 5), 2.5, 2.5);
}

} // namespace

QImage pairingPicture(int step)
{
    const int w = 120, h = 90;
    QImage img = newCanvas(w, h);
    QPainter p(&img);
    begin(p);
    switch (step) {
    case 1: {
        // Receiver going into the computer's port.
        p.setPen(QPen(kIcon, 1.4));
        p.setBrush(QColor(0x12, 0x15, 0x19));
        p.drawRoundedRect(QRectF(78, 14, 34, 62), 4, 4);
        p.setBrush(QColor(0x02, 0x02, 0x03));
        p.drawRect(QRectF(78, 38, 6, 14));
        p.setPen(QPen(Theme::accent, 1.4));
        p.setBrush(withAlpha(Theme::accent, 50));
        p.drawRoundedRect(QRectF(22, 37, 22, 16), 3, 3);
        p.setBrush(QColor(0x3A, 0x41, 0x49));
        p.drawRect(QRectF(44, 39.5, 14, 11));
        p.setPen(roundPen(Theme::accent, 2));
        p.drawLine(QPointF(62, 45), QPointF(72, 45));
        p.drawPolyline(polygon({QPointF(68, 41), QPointF(72, 45), QPointF(68, 49)}));
        break;
    }
    case 2:
    case 4:
        paintMouseUnderside(p, QPointF(36, 45));
        paintSwitch(p, QPointF(88, 40), step == 4);
        break;
    case 3: {
        p.setPen(QPen(Theme::accent, 1.5));
        p.setBrush(withAlpha(Theme::accent, 40));
        p.drawRoundedRect(QRectF(18, 28, 70, 26), 4, 4);
        // Pointer arrow pressing the button, with a click ring.
        p.setPen(QPen(withAlpha(Theme::accent, 140), 1.2));
        p.setBrush(Qt::NoBrush);
        p.drawEllipse(QPointF(74, 48), 9, 9);
        QPolygonF arrow = polygon({QPointF(74, 48), QPointF(74, 70), QPointF(79, 65), QPointF(83, 74), QPointF(86.5, 72.5),
                        QPointF(82.5, 63.5), QPointF(89.5, 63)});
        p.setPen(QPen(QColor(0x05, 0x06, 0x07), 1.2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.setBrush(Theme::white);
        p.drawPolygon(arrow);
        break;
    }
    case 5: {
        const MouseModel &model = mouseModels().at(4); // a symmetric shell reads best this small
        const MouseParts parts = mouseParts(model, QPointF(w / 2.0, 6), 0.23);
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(0x12, 0x15, 0x19));
        p.drawPath(parts.body);
        p.setBrush(withAlpha(Theme::accent, 150));
        p.drawPath(parts.leftButton);
        p.drawPath(parts.rightButton);
        p.drawPath(parts.wheel);
        paintMouseLines(p, parts, kIcon, 1.1);
        p.setPen(QPen(Theme::accent, 1.2));
        p.drawPath(parts.wheel);
        break;
    }
    default:
        break;
    }
    p.end();
    return finished(img);
}

QImage trayPicture()
{
    return appIconPicture(128);
}

QImage appIconPicture(int s)
{
    // Proportions of the 128 px tray icon; the glow would swamp the small sizes.
    const qreal k = s / 128.0;
    QImage img = newCanvas(s, s);
    QPainter p(&img);
    begin(p);
    const qreal margin = qMax(1.0, 4 * k);
    const QRectF r(margin, margin, s - 2 * margin, s - 2 * margin);
    QLinearGradient g(0, 0, 0, s);
    g.setColorAt(0, QColor(0x1A, 0x1F, 0x25));
    g.setColorAt(1, QColor(0x04, 0x05, 0x06));
    p.setPen(QPen(withAlpha(Theme::accent, 110), qMax(1.0, 2 * k)));
    p.setBrush(g);
    p.drawRoundedRect(r, 28 * k, 28 * k);
    const QPointF centre(s / 2.0, s / 2.0);
    if (s >= 48)
        drawBlurred(p, img.size(), qRound(8 * k), [&](QPainter &lp) { paintEmblem(lp, centre, 78 * k, Theme::accent); });
    paintEmblem(p, centre, 78 * k, Theme::accent);
    p.end();
    return finished(img);
}

QImage bannerPicture(const QString &text, const QString &fontFamily)
{
    const int w = 705, h = 48;
    QImage img = newCanvas(w, h);
    QPainter p(&img);
    begin(p);
    const QRectF r(0.5, 0.5, w - 1, h - 1);
    p.setPen(QPen(withAlpha(Theme::warning, 170), 1));
    p.setBrush(QColor(0x1C, 0x15, 0x08, 235));
    p.drawRoundedRect(r, 6, 6);
    p.setPen(Qt::NoPen);
    p.setBrush(Theme::warning);
    p.drawRect(QRectF(0.5, 8, 3, h - 16));

    // Warning triangle.
    QPolygonF tri = polygon({QPointF(26, 12), QPointF(39, 35), QPointF(13, 35)});
    p.setPen(QPen(Theme::warning, 2.0, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(withAlpha(Theme::warning, 40));
    p.drawPolygon(tri);
    p.setPen(roundPen(Theme::warning, 2.2));
    p.drawLine(QPointF(26, 19.5), QPointF(26, 27));
    p.drawPoint(QPointF(26, 31.2));

    const QRectF textRect(52, 4, w - 52 - 14, h - 8);
    QFont f(fontFamily);
    f.setBold(false);
    QTextOption opt(Qt::AlignLeft | Qt::AlignVCenter);
    opt.setWrapMode(QTextOption::WordWrap);
    for (int px = 15; px >= 9; --px) {
        f.setPixelSize(px);
        const QRectF need = QFontMetricsF(f).boundingRect(textRect, Qt::TextWordWrap, text);
        if (need.height() <= textRect.height() && need.width() <= textRect.width())
            break;
    }
    p.setFont(f);
    p.setPen(Theme::white);
    p.drawText(textRect, text, opt);
    p.end();
    return finished(img);
}

QImage tagPicture(TagStyle style, int width, bool pointerRight)
{
    const int h = 25;
    QImage img = newCanvas(width, h);
    QPainter p(&img);
    begin(p);
    const QRectF r(0.5, 0.5, width - 1, h - 1);
    QColor edge = Theme::accent;
    switch (style) {
    case TagStyle::BlueBorder: {
        p.setPen(QPen(withAlpha(Theme::accent, 200), 1));
        p.setBrush(QColor(0x07, 0x14, 0x17, 235));
        break;
    }
    case TagStyle::WhiteBorder: {
        edge = Theme::white;
        p.setPen(QPen(Theme::white, 1));
        p.setBrush(QColor(0x14, 0x19, 0x1D, 240));
        break;
    }
    case TagStyle::BlueBackground: {
        QLinearGradient g(0, 0, 0, h);
        g.setColorAt(0, QColor(0x1A, 0x93, 0xAA));
        g.setColorAt(1, QColor(0x0D, 0x66, 0x78));
        p.setPen(QPen(Theme::accent, 1));
        p.setBrush(g);
        break;
    }
    }
    p.drawRoundedRect(r, 3, 3);
    // Leader mark on the side that faces the mouse picture.
    p.setPen(Qt::NoPen);
    p.setBrush(edge);
    const qreal x = pointerRight ? width - 4.5 : 1.5;
    p.drawRoundedRect(QRectF(x, 5, 3, h - 10), 1, 1);
    p.end();
    return finished(img);
}

QImage chevronPicture(bool right)
{
    QImage img = newCanvas(24, 24);
    QPainter p(&img);
    begin(p);
    p.setPen(roundPen(Theme::accent, 2.4));
    const qreal x = right ? 9.5 : 14.5;
    const qreal tip = right ? 15.5 : 8.5;
    p.drawPolyline(polygon({QPointF(x, 5.5), QPointF(tip, 12), QPointF(x, 18.5)}));
    p.end();
    return finished(img);
}
