#pragma once

#include <QToolButton>

// One model's picture in the update dialog's row: the mouse and its name,
// checked when the model is the one to update, greyed when it may not be
// chosen. Named "MouseWidget_<model folder>".
class MouseWidget : public QToolButton
{
    Q_OBJECT

public:
    static constexpr int kWidth = 156;
    static constexpr int kHeight = 150;

    explicit MouseWidget(int mouseType, QWidget *parent = nullptr);

    int mouseType() const { return m_mouseType; }

private:
    int m_mouseType;
};
