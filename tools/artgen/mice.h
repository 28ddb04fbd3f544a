#pragma once

#include <QImage>
#include <QPainterPath>
#include <QString>
#include <QVector>

class QPainter;

// Shell shapes; each family of models has its own.
enum class Shell {
    Ergonomic,      // OX7 series: right-handed, thumb groove and flared rest
    Ambidextrous,   // OX4 series: symmetric egg
    Winged,         // OX2 series: long body with swept button tips
    ErgonomicLarge, // OX6: big right-handed shell with a thumb wing
    Lightweight,    // OX1 series and OX8: short perforated shell
    Angular,        // OX5: faceted symmetric shell
};

struct MouseModel
{
    QString folder; // family folder name, e.g. "ox7"
    QString name;   // upper-case form, e.g. "OX7"
    Shell shell;
    bool screen = false;    // small OLED on the palm
    bool lightBand = false; // light band around the contour
    int variant = 0;        // accent layout within a family
};

const QVector<MouseModel> &mouseModels();

// The outlines of one mouse in canvas coordinates.
struct MouseParts
{
    QPainterPath body;
    QPainterPath leftButton;
    QPainterPath rightButton;
    QPainterPath spine;
    QPainterPath wheelSlot;
    QPainterPath wheel;
    QPainterPath wheelUp;
    QPainterPath wheelDown;
    QPainterPath dpiUp;
    QPainterPath dpiDown;
    QPainterPath forward;
    QPainterPath back;
    QPainterPath forwardRight; // second side, ambidextrous shells only
    QPainterPath backRight;
    QPainterPath palm;
    QPointF logoCentre;
    QRectF screen;
    qreal scale = 1;
};

// Front of the mouse at `frontCentre`, 336 px long at scale 1.
MouseParts mouseParts(const MouseModel &model, QPointF frontCentre, qreal scale);

constexpr int kMousePictureWidth = 420;
constexpr int kMousePictureHeight = 380;

QImage mainMousePicture(const MouseModel &model);

// Highlight of one button area over the main picture, same size; button codes as
// the main settings page numbers them (4 left, 5 middle, 6 right, 7 forward, 8 back,
// 11 wheel up, 12 wheel down, 13 CPI up, 14 CPI down).
QImage buttonOverlay(const MouseModel &model, int buttonCode);
QVector<int> overlayButtonCodes();

// Thin outline drawing of the mouse, for page backgrounds and small pictures.
void paintMouseLines(QPainter &p, const MouseParts &parts, const QColor &colour, qreal width);

// The full shaded mouse on any painter.
void paintMouse(QPainter &p, const QSize &canvas, const MouseModel &model, const MouseParts &parts,
                bool underGlow = true);
