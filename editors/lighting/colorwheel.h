#pragma once

#include <QImage>
#include <QWidget>

// The colour disc of the lighting page: our own picture of the hues, 138 x
// 138, and a left click inside its disc reports the colour of the picture
// at that point, the colour the user sees there.
class ColorWheel : public QWidget
{
    Q_OBJECT

public:
    static constexpr int kSize = 138;
    static constexpr int kCentre = 69;
    // Squared radius of the disc that answers clicks.
    static constexpr int kDiscRadiusSquared = 69 * 69;

    explicit ColorWheel(QWidget *parent = nullptr);

    // The picture shown and sampled.
    const QImage &picture() const { return m_picture; }
    // Whether a click at pos picks a colour.
    static bool isInDisc(const QPoint &pos);
    // The colour a click at pos inside the disc picks.
    QColor colorAt(const QPoint &pos) const;

signals:
    void redValue(int red);
    void greenValue(int green);
    void blueValue(int blue);
    void sigColor(int red, int green, int blue);

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;

private:
    QImage m_picture;
};
