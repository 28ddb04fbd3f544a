#include "shell/mainsetting/mousebuttonlayout.h"

#include "config/languagetable.h"
#include "discovery/models.h"

namespace {
constexpr int kPanelWidth = 560;
constexpr int kColumnMargin = 8;
constexpr int kMarkerRowLeft = 406;  // markers of the labels left of the mouse
constexpr int kMarkerRowRight = 436; // markers of the labels right of it
constexpr int kMarkerPitch = 34;
constexpr int kPictureCentreX = 280;

struct Column
{
    QVector<int> buttons;
    QVector<int> ys;
};

// Labels left of the mouse first (top to bottom), then those right of it;
// the markers are numbered in that order and centred under the picture, one
// row per side.
QVector<MouseButtonPlace> buildLayout(int width, const Column &left, const Column &right)
{
    QVector<MouseButtonPlace> places;
    int marker = 1;
    auto addColumn = [&](const Column &c, bool leftSide) {
        const int n = c.buttons.size();
        const int rowWidth = n * kMarkerPitch - (kMarkerPitch - kMarkerSize);
        const int firstX = kPictureCentreX - rowWidth / 2;
        for (int i = 0; i < n; ++i) {
            MouseButtonPlace p;
            p.button = c.buttons.at(i);
            p.x = leftSide ? kColumnMargin : kPanelWidth - kColumnMargin - width;
            p.y = c.ys.at(i);
            p.width = width;
            p.markRight = leftSide;
            p.marker = marker++;
            p.markerX = firstX + i * kMarkerPitch;
            p.markerY = leftSide ? kMarkerRowLeft : kMarkerRowRight;
            places.append(p);
        }
    };
    addColumn(left, true);
    addColumn(right, false);
    return places;
}
} // namespace

ButtonLayoutGroup buttonLayoutGroup(int mouseType)
{
    return modelRow(mouseType).buttonLayout;
}

QVector<MouseButtonPlace> mouseButtonLayout(ButtonLayoutGroup group)
{
    // Buttons: 4 left, 5 middle, 6 right, 7 forward, 8 back, 9 and 10 custom
    // keys, 11 wheel up, 12 wheel down, 13 CPI up, 14 CPI down, 15 and 16
    // side wheel, 17 function button. The heights follow the pictures: main
    // buttons at the top, CPI buttons behind the wheel, side buttons lower.
    switch (group) {
    case ButtonLayoutGroup::Ox7:
        return buildLayout(192, {{4, 13, 14, 7, 8, 9}, {40, 90, 140, 190, 240, 290}},
                           {{6, 11, 5, 12, 10}, {40, 90, 140, 190, 240}});
    case ButtonLayoutGroup::Ox4:
        return buildLayout(186, {{4, 13, 14, 7, 8}, {40, 100, 160, 220, 280}},
                           {{6, 11, 5, 12}, {40, 100, 160, 220}});
    case ButtonLayoutGroup::Ox2:
        return buildLayout(186, {{4, 13, 14, 7, 8}, {40, 100, 160, 220, 280}},
                           {{6, 11, 5, 12}, {40, 100, 160, 220}});
    case ButtonLayoutGroup::Ox6:
        return buildLayout(195, {{4, 13, 14, 7, 8, 15}, {40, 90, 140, 190, 240, 290}},
                           {{6, 11, 5, 12, 16}, {40, 90, 140, 190, 240}});
    case ButtonLayoutGroup::Ox1:
        return buildLayout(186, {{4, 13, 7, 8}, {40, 110, 180, 250}}, {{6, 11, 5, 12}, {40, 110, 180, 250}});
    case ButtonLayoutGroup::Ox8:
        return buildLayout(195, {{4, 13, 7, 8, 15, 17}, {40, 90, 140, 190, 240, 290}},
                           {{6, 5, 9, 10, 16}, {40, 90, 140, 190, 240}});
    case ButtonLayoutGroup::None:
        break;
    }
    return {};
}

MouseButtonPlace mouseButtonPlace(ButtonLayoutGroup group, int button)
{
    for (const MouseButtonPlace &p : mouseButtonLayout(group))
        if (p.button == button)
            return p;
    return {};
}

QVector<int> allMouseButtonNumbers()
{
    return {4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17};
}

QString mouseButtonName(int button, int mouseType)
{
    switch (button) {
    case 4: return languageText(263);
    case 5: return languageText(264);
    case 6: return languageText(265);
    case 7: return languageText(isOx7Series(mouseType) ? 267 : 266);
    case 8: return languageText(isOx7Series(mouseType) ? 269 : 268);
    case 9: return languageText(420);
    case 10: return languageText(421);
    case 11: return languageText(271);
    case 12: return languageText(270);
    case 13: {
        QString text = languageText(275);
        if (isOx1Series(mouseType))
            text.remove(QLatin1Char('+'));
        return text;
    }
    case 14: return languageText(276);
    case 15: return languageText(422);
    case 16: return languageText(423);
    case 17: return languageText(273);
    default: return QString();
    }
}

QString keyLabelName(int button)
{
    switch (button) {
    case 4: return QStringLiteral("LeftLabel");
    case 5: return QStringLiteral("MidLabel");
    case 6: return QStringLiteral("RightLabel");
    case 7: return QStringLiteral("ForwardLeftLabel");
    case 8: return QStringLiteral("BackLeftLabel");
    case 9: return QStringLiteral("ForwardRightLabel");
    case 10: return QStringLiteral("BackRightLabel");
    case 11: return QStringLiteral("WheelForwardLabel");
    case 12: return QStringLiteral("WheelBackLabel");
    case 13: return QStringLiteral("DPIPlusLabel");
    case 14: return QStringLiteral("DPIReduceLabel");
    case 15: return QStringLiteral("Custom1Label");
    case 16: return QStringLiteral("Custom2Label");
    case 17: return QStringLiteral("Custom3Label");
    default: return QString();
    }
}

QString buttonPicturePath(const QString &style, int width, bool markRight)
{
    return QStringLiteral(":/picture/eightbutton/picture/EightButton/%1/%2%3.png")
        .arg(style)
        .arg(width)
        .arg(markRight ? QStringLiteral("_z") : QString());
}
