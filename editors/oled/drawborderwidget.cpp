#include "editors/oled/drawborderwidget.h"

#include "device/oledpicturefile.h"

#include <QDebug>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>

namespace {

constexpr int kMinimumTextFieldWidth = 24;

// The screen has two colours: whatever the picture holds is shown as the
// screen will show it.
QImage twoColours(const QImage &image)
{
    QImage out = toOledPictureSize(image);
    for (int y = 0; y < out.height(); ++y) {
        auto *line = reinterpret_cast<QRgb *>(out.scanLine(y));
        for (int x = 0; x < out.width(); ++x)
            line[x] = qGray(line[x]) < 128 ? qRgb(0, 0, 0) : qRgb(255, 255, 255);
    }
    return out;
}

} // namespace

DrawBorderWidget::DrawBorderWidget(QWidget *parent)
    : QWidget(parent)
    , m_fontFamily(font().family())
{
    setFixedSize(kWidth, kHeight);
    setCursor(Qt::CrossCursor);
    m_textField = new QLineEdit(this);
    m_textField->setObjectName(QStringLiteral("DrawTextLineEdit"));
    m_textField->setFrame(false);
    m_textField->move(0, 0);
    m_textField->hide();
    connect(m_textField, &QLineEdit::textChanged, this, [this] { update(); });
    updateTextStyle();
}

QPoint DrawBorderWidget::pixelAt(const QPoint &widgetPoint)
{
    return QPoint(qBound(0, widgetPoint.x() / kScale, kOledPictureWidth - 1),
                  qBound(0, widgetPoint.y() / kScale, kOledPictureHeight - 1));
}

QColor DrawBorderWidget::inkColor() const
{
    return m_darkBackground ? QColor(Qt::white) : QColor(Qt::black);
}

QImage DrawBorderWidget::picture(bool withEditedText) const
{
    QImage image(kOledPictureWidth, kOledPictureHeight, QImage::Format_RGB32);
    image.fill(m_darkBackground ? Qt::black : Qt::white);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing, false);
    if (!m_picture.isNull())
        p.drawImage(QRect(0, 0, kOledPictureWidth, kOledPictureHeight), m_picture);

    QPen pen(inkColor());
    pen.setWidth(1);
    p.setPen(pen);
    for (const QList<QPoint> &stroke : m_strokes) {
        if (stroke.size() == 1)
            p.drawPoint(pixelAt(stroke.first()));
        for (int i = 1; i < stroke.size(); ++i)
            p.drawLine(pixelAt(stroke.at(i - 1)), pixelAt(stroke.at(i)));
    }

    const QString text = m_textField->text();
    if ((!m_textMode || withEditedText) && !text.isEmpty()) {
        QFont f(m_fontFamily);
        f.setPixelSize(qMax(1, m_fontSize / kScale));
        // Smoothed letters would come out grey, and the screen has no grey.
        f.setStyleStrategy(QFont::NoAntialias);
        p.setFont(f);
        const QRect field = m_textField->geometry();
        const QRect at(field.x() / kScale, field.y() / kScale, qMax(1, field.width() / kScale),
                       qMax(1, field.height() / kScale));
        p.drawText(at, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextDontClip, text);
    }
    p.end();
    return image;
}

void DrawBorderWidget::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.scale(kScale, kScale);
    p.drawImage(0, 0, picture());
}

void DrawBorderWidget::mousePressEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton)
        return;
    const QPoint at(qBound(0, event->pos().x(), kWidth - 1), qBound(0, event->pos().y(), kHeight - 1));
    if (m_brushMode) {
        m_strokes.append(QList<QPoint>{at});
        update();
    } else if (m_textMode) {
        m_textField->setGeometry(at.x(), at.y(), qMax(kMinimumTextFieldWidth, kWidth - at.x()),
                                 m_textField->height());
        m_textField->setFocus();
    }
}

void DrawBorderWidget::mouseMoveEvent(QMouseEvent *event)
{
    if (!m_brushMode || !(event->buttons() & Qt::LeftButton) || m_strokes.isEmpty())
        return;
    m_strokes.last().append(
        QPoint(qBound(0, event->pos().x(), kWidth - 1), qBound(0, event->pos().y(), kHeight - 1)));
    update();
}

void DrawBorderWidget::setBrushMode(bool on)
{
    if (on)
        setTextMode(false);
    m_brushMode = on;
}

void DrawBorderWidget::setTextMode(bool on)
{
    if (on)
        m_brushMode = false;
    m_textMode = on;
    m_textField->setVisible(on);
    if (on)
        m_textField->setFocus();
    update();
}

void DrawBorderWidget::setDarkBackground(bool dark)
{
    m_darkBackground = dark;
    updateTextStyle();
    update();
}

void DrawBorderWidget::setTextFont(const QString &family, int pixelSize)
{
    m_fontFamily = family;
    m_fontSize = qMax(1, pixelSize);
    updateTextStyle();
    update();
}

void DrawBorderWidget::updateTextStyle()
{
    m_textField->setStyleSheet(QStringLiteral("background:transparent;border:none;padding:0px;")
                               + (m_darkBackground ? QStringLiteral("color:white;") : QStringLiteral("color:black;"))
                               + QStringLiteral("font-family:\"%1\";").arg(m_fontFamily)
                               + QStringLiteral("font-size:%1px;").arg(m_fontSize));
    const int height = m_fontSize + 8;
    m_textField->resize(qMax(kMinimumTextFieldWidth, kWidth - m_textField->x()), height);
}

bool DrawBorderWidget::setPicturePath(const QString &path, QString *error)
{
    m_picturePath = path;
    QString problem;
    const QImage loaded = readPictureFile(path, &problem);
    m_picture = loaded.isNull() ? QImage() : twoColours(loaded);
    if (m_picture.isNull())
        qDebug() << "DrawBorderWidget: picture not drawn" << path << problem;
    if (error)
        *error = problem;
    update();
    return !m_picture.isNull();
}

void DrawBorderWidget::recall()
{
    if (!m_strokes.isEmpty())
        m_strokes.removeLast();
    update();
}

void DrawBorderWidget::eraseText()
{
    m_textField->clear();
    m_textField->move(0, 0);
    update();
}
