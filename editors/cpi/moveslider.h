#pragma once

#include <QSlider>

// A plain 0..N slider that jumps to where it is clicked and follows the
// pointer; it reports its value once, when the button is released.
class MoveSlider : public QSlider
{
    Q_OBJECT

public:
    explicit MoveSlider(QWidget *parent = nullptr);

    void setCPIType(int minimum, int maximum, int width, int height);
    int lowerBound() const { return m_minimum; }
    int upperBound() const { return m_maximum; }

signals:
    void sig_ValueChange(int value);

public slots:
    // Shows value and reports it when it lies within the bounds.
    void slot_MoveSliderValueChange(int value);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    int m_minimum = 0;
    int m_maximum = 0;
};
