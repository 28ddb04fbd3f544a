#include "shell/window/indicators.h"

#include "config/paths.h"

namespace {
QString borderImage(const QString &picture)
{
    return QStringLiteral("border-image: url(:/picture/picture/%1.png);").arg(picture);
}
} // namespace

QString emptyBatteryStyle()
{
    return borderImage(QStringLiteral("top_icon_battery0"));
}

BatteryIndicator batteryIndicator(DWORD value)
{
    if (value == 103 || value == 0)
        return {QString(), emptyBatteryStyle()};
    if (value == 102)
        return {QString(), borderImage(QStringLiteral("top_icon_charging_full"))};
    if (value == 101)
        return {QString(), borderImage(QStringLiteral("top_icon_charging"))};

    const QString text = QString::number(value) + QLatin1Char('%');
    if (value > 80)
        return {text, borderImage(QStringLiteral("top_icon_battery5"))};
    if (value > 60)
        return {text, borderImage(QStringLiteral("top_icon_battery4"))};
    if (value > 40)
        return {text, borderImage(QStringLiteral("top_icon_battery3"))};
    if (value > 20)
        return {text, borderImage(QStringLiteral("top_icon_battery2"))};
    return {text, borderImage(QStringLiteral("top_icon_battery"))};
}

QString connectionIndicatorStyle(bool isWireless)
{
    return isWireless ? QStringLiteral("background:transparent;border-image: url(:/picture/picture/OX7/wireless.png);")
                      : QStringLiteral("background:transparent;border-image: url(:/picture/picture/OX7/wire.png);");
}

QString tabButtonStyle(int tab, bool selected)
{
    QString picture = tab == 0 ? QStringLiteral("tab_btn_left")
                               : tab == 4 ? QStringLiteral("tab_btn_right") : QStringLiteral("tab_btn_centre");
    if (selected)
        picture += QStringLiteral("_s");
    return QStringLiteral("QPushButton{border-image: url(:/picture/picture/%1.png);color:%2;}"
                          "QPushButton:hover{color:#FFFFFF;}"
                          "QPushButton:disabled{color:#3E6A73;}")
        .arg(picture, selected ? QStringLiteral("#FFFFFF") : QStringLiteral("#40C5DD"));
}

QString profileButtonStyle(int profile, bool selected)
{
    QString picture = profile == 5 ? QStringLiteral("set_btn_2") : QStringLiteral("set_btn_1");
    if (selected)
        picture += QStringLiteral("_s");
    return QStringLiteral("QPushButton{border-image: url(:/picture/picture/%1.png);color:%2;}"
                          "QPushButton:hover{color:#FFFFFF;}")
        .arg(picture, selected ? QStringLiteral("#FFFFFF") : QStringLiteral("rgba(64,197,221,1)"));
}

QString titleLogoStyle(int mouseType)
{
    const QString folder = getFamilyFolderName(mouseType);
    return QStringLiteral("border-image: url(:/picture/%1/picture/%2/logo_korvan.png);").arg(folder, folder.toUpper());
}
