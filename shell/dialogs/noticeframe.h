#pragma once

#include <QString>

class QDialog;
class QLabel;
class QTextEdit;
class QWidget;

// The centred notice frame shared by the warning and the no-device dialogs:
// a dimming overlay over the whole window, a frame "WarningWidget" with its
// title "Title_Label", a read-only body "WarningTextEdit", and room for two
// buttons along its bottom edge.
namespace noticeframe {
constexpr int kOverlayWidth = 960;
constexpr int kOverlayHeight = 640;
constexpr int kX = 314;
constexpr int kY = 229;
constexpr int kWidth = 332;
constexpr int kHeight = 182;
constexpr int kButtonY = 142;
constexpr int kButtonWidth = 138;
constexpr int kButtonHeight = 28;
constexpr int kLeftButtonX = 20;
constexpr int kRightButtonX = 174;

struct Parts
{
    QWidget *frame;
    QLabel *title;
    QTextEdit *body;
};

// Makes dialog a frameless dimming overlay named objectName, covering the window.
void setUpOverlay(QDialog *dialog, const QString &objectName);
// Builds the frame and its title and body inside the overlay.
Parts build(QWidget *overlay, int bodyHeight);
} // namespace noticeframe
