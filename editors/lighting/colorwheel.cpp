#include "editors/lighting/colorwheel.h"

#include <QDebug>
#include <QMouseEvent>
#include <QPainter>

#include <cmath>

namespace {
const char kPicture[] = ":/picture/picture/bg_light_color.png";
} // namespace

ColorWheel::ColorWheel(QWidget *parent)
    : QWidget(parent)
    , m_picture(QImage(QString::fromLatin1(kPicture)).convertToFormat(QImage::Format_ARGB32))
{
    setFixedSize(kSize, kSize);
    setCursor(Qt::CrossCursor);
    if (m_picture.isNull())
        qDebug() << "ColorWheel: no picture" << kPicture;
}

bool ColorWheel::isInDisc(const QPoint &pos)
{
    const int dx = pos.x() - kCentre;
    const int dy = pos.y() - kCentre;
    return dx * dx + dy * dy <= kDiscRadiusSquared;
}

QColor ColorWheel::colorAt(const QPoint &pos) const
{
    if (m_picture.isNull() || !isInDisc(pos))
        return QColor();
    // The disc's rim reaches the last row and column and is drawn smooth:
    // a point on it may fall on a fully transparent pixel, whose hue the
    // picture does not keep. The nearest pixel inwards carries the rim's colour.
    QPointF p(qBound(0, pos.x(), m_picture.width() - 1), qBound(0, pos.y(), m_picture.height() - 1));
    const QPointF centre(kCentre, kCentre);
    for (int step = 0; step < 4; ++step) {
        const QRgb rgb = m_picture.pixel(p.toPoint());
        if (qAlpha(rgb) > 0)
            return QColor(qRed(rgb), qGreen(rgb), qBlue(rgb));
        const QPointF toCentre = centre - p;
        const qreal length = std::hypot(toCentre.x(), toCentre.y());
        if (length < 1)
            break;
        p += toCentre / length;
    }
    return QColor();
}

void ColorWheel::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.drawImage(0, 0, m_picture);
}

void ColorWheel::mousePressEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton) {
        QWidget::mousePressEvent(event);
        return;
    }
    const QColor c = colorAt(event->pos());
    if (!c.isValid())
        return;
    emit sigColor(c.red(), c.green(), c.blue());
}
