#pragma once

#include <QPoint>
#include <QWidget>

// The title bar of the frameless main window: dragging it moves the window
// (its grand-parent). Buttons placed on it keep their own clicks.
class TitleWidget : public QWidget
{
    Q_OBJECT

public:
    explicit TitleWidget(QWidget *parent = nullptr);

    bool isPressed() const { return m_pressed; }

signals:
    // Declared for the window; nothing emits it.
    void sendMovePosition(QPoint position);

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    QWidget *movedWindow() const;

    bool m_pressed = false;
    QPoint m_offset;
};
