// Renders every picture of the application into resources/picture/ and
// writes resources/pictures.qrc. Run by hand after changing the artwork:
//   ox8_artgen <repository>/resources
// The build only compiles the committed PNGs; it never runs this tool.

#include "tools/artgen/draw.h"
#include "tools/artgen/mice.h"
#include "tools/artgen/pictures.h"
#include "tools/artgen/sheet.h"

#include <QCommandLineParser>
#include <QDir>
#include <QFile>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QStringList>

#include <cstdio>

namespace {

// Fonts come from Debian's fonts-dejavu-core and fonts-noto-cjk.
const char *const kFonts[] = {
    "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf",
    "/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf",
    "/usr/share/fonts/truetype/dejavu/DejaVuSansMono.ttf",
    "/usr/share/fonts/truetype/dejavu/DejaVuSansMono-Bold.ttf",
    "/usr/share/fonts/opentype/noto/NotoSansCJK-Regular.ttc",
};

bool loadFonts()
{
    bool ok = true;
    for (const char *path : kFonts) {
        if (QFontDatabase::addApplicationFont(QString::fromLatin1(path)) < 0) {
            std::fprintf(stderr, "artgen: font missing: %s\n", path);
            ok = false;
        }
    }
    return ok;
}

QString modelSet(const MouseModel &m, const QString &file)
{
    return QStringLiteral(":/picture/%1/picture/%2/%3").arg(m.folder, m.name, file);
}

QString shared(const QString &file)
{
    return QStringLiteral(":/picture/picture/") + file;
}

const char *buttonName(int code)
{
    switch (code) {
    case 4: return "left button";
    case 5: return "wheel button";
    case 6: return "right button";
    case 7: return "forward side button";
    case 8: return "back side button";
    case 11: return "wheel up";
    case 12: return "wheel down";
    case 13: return "CPI up button";
    case 14: return "CPI down button";
    default: return "button";
    }
}

void renderModels(Sheet &sheet)
{
    for (const MouseModel &m : mouseModels()) {
        sheet.save(modelSet(m, QStringLiteral("logo_korvan.png")), logoPicture(m.name),
                   QStringLiteral("title logo of %1").arg(m.name));
        sheet.save(modelSet(m, QStringLiteral("bg_main_mouse.png")), mainMousePicture(m),
                   QStringLiteral("%1 on the main settings page").arg(m.name));
        sheet.save(modelSet(m, QStringLiteral("bg_macro.png")), pageBackground(Page::Macro, &m),
                   QStringLiteral("macro page background for %1").arg(m.name));
        if (m.folder == QLatin1String("ox7") || m.folder == QLatin1String("ox2")) {
            for (int code : overlayButtonCodes()) {
                sheet.save(modelSet(m, QStringLiteral("main_btn_key%1.png").arg(code)), buttonOverlay(m, code),
                           QStringLiteral("highlight of the %1 (button code %2) over bg_main_mouse")
                               .arg(QLatin1String(buttonName(code)))
                               .arg(code));
            }
        }
    }
}

void renderShared(Sheet &sheet)
{
    sheet.save(shared(QStringLiteral("load.png")), spinnerPicture(), QStringLiteral("busy overlay spinner"));

    struct BatteryFile { const char *name; Battery state; const char *purpose; };
    const BatteryFile batteries[] = {
        {"top_icon_battery0.png", Battery::Empty, "battery: no reading or 0"},
        {"top_icon_battery.png", Battery::Level1, "battery: 1 to 20 %"},
        {"top_icon_battery2.png", Battery::Level2, "battery: 21 to 40 %"},
        {"top_icon_battery3.png", Battery::Level3, "battery: 41 to 60 %"},
        {"top_icon_battery4.png", Battery::Level4, "battery: 61 to 80 %"},
        {"top_icon_battery5.png", Battery::Level5, "battery: above 80 %"},
        {"top_icon_charging.png", Battery::Charging, "battery: charging"},
        {"top_icon_charging_full.png", Battery::ChargingFull, "battery: charged"},
    };
    const MouseModel *ox7 = nullptr;
    for (const MouseModel &m : mouseModels())
        if (m.folder == QLatin1String("ox7"))
            ox7 = &m;
    for (const BatteryFile &b : batteries) {
        const QString name = QLatin1String(b.name);
        sheet.save(shared(name), batteryPicture(b.state), QLatin1String(b.purpose));
        sheet.alias(modelSet(*ox7, name), shared(name), QLatin1String(b.purpose) + QStringLiteral(" (OX7 set)"));
    }
    sheet.alias(shared(QStringLiteral("top_icon_battery1.png")), shared(QStringLiteral("top_icon_battery.png")),
                QStringLiteral("battery: 1 to 20 %, numbered name"));
    sheet.save(modelSet(*ox7, QStringLiteral("pop_show_bg.png")), popupPicture(),
               QStringLiteral("pop-up panel with a pointer at the top"));

    sheet.save(shared(QStringLiteral("OX7/wire.png")), connectionPicture(false), QStringLiteral("cable connection"));
    sheet.save(shared(QStringLiteral("OX7/wireless.png")), connectionPicture(true),
               QStringLiteral("wireless connection"));

    for (int n = 1; n <= 11; ++n)
        sheet.save(shared(QStringLiteral("icon_um%1.png").arg(n)), badgePicture(n),
                   QStringLiteral("button label marker %1").arg(n));

    struct TabFile { const char *name; TabPosition position; };
    const TabFile tabs[] = {{"tab_btn_left", TabPosition::Left},
                            {"tab_btn_centre", TabPosition::Centre},
                            {"tab_btn_right", TabPosition::Right}};
    for (const TabFile &t : tabs) {
        const QString name = QLatin1String(t.name);
        sheet.save(shared(name + QStringLiteral(".png")), tabPicture(t.position, false), QStringLiteral("page tab"));
        sheet.save(shared(name + QStringLiteral("_s.png")), tabPicture(t.position, true),
                   QStringLiteral("page tab, selected"));
    }
    sheet.save(shared(QStringLiteral("set_btn_1.png")), profilePicture(false, false), QStringLiteral("profile button 1-4"));
    sheet.save(shared(QStringLiteral("set_btn_1_s.png")), profilePicture(false, true),
               QStringLiteral("profile button 1-4, selected"));
    sheet.save(shared(QStringLiteral("set_btn_2.png")), profilePicture(true, false), QStringLiteral("profile button 5"));
    sheet.save(shared(QStringLiteral("set_btn_2_s.png")), profilePicture(true, true),
               QStringLiteral("profile button 5, selected"));
    sheet.save(shared(QStringLiteral("key_select.png")), keySelectPicture(),
               QStringLiteral("selected tab of the key assignment dialog"));
    sheet.save(shared(QStringLiteral("bg_light_color.png")), colourWheelPicture(),
               QStringLiteral("colour wheel of the lighting page (disc of radius 69)"));

    sheet.save(shared(QStringLiteral("macro_icon_fall.png")), macroIcon(MacroIcon::KeyDown),
               QStringLiteral("macro event: key pressed"));
    sheet.save(shared(QStringLiteral("macro_icon_top.png")), macroIcon(MacroIcon::KeyUp),
               QStringLiteral("macro event: key released"));
    sheet.save(shared(QStringLiteral("macro_icon_time.png")), macroIcon(MacroIcon::Delay),
               QStringLiteral("macro event: delay"));
    sheet.save(shared(QStringLiteral("macro_icon_top copy.png")), macroIcon(MacroIcon::Movement),
               QStringLiteral("macro event: mouse movement"));

    sheet.save(shared(QStringLiteral("bg_macro.png")), pageBackground(Page::Macro, nullptr),
               QStringLiteral("macro page background, any other model"));
    sheet.save(shared(QStringLiteral("bg_light.png")), pageBackground(Page::Light, nullptr),
               QStringLiteral("lighting page background (style sheet)"));
    sheet.save(shared(QStringLiteral("support_bg.png")), pageBackground(Page::Support, nullptr),
               QStringLiteral("support page background"));

    sheet.save(shared(QStringLiteral("btn_min.png")), titleButtonPicture(TitleButton::Minimise, false),
               QStringLiteral("title bar minimise"));
    sheet.save(shared(QStringLiteral("btn_min_hover.png")), titleButtonPicture(TitleButton::Minimise, true),
               QStringLiteral("title bar minimise, hover"));
    sheet.save(shared(QStringLiteral("btn_close.png")), titleButtonPicture(TitleButton::Close, false),
               QStringLiteral("title bar close"));
    sheet.save(shared(QStringLiteral("btn_close_hover.png")), titleButtonPicture(TitleButton::Close, true),
               QStringLiteral("title bar close, hover"));

    struct IndicatorFile { const char *name; Indicator kind; };
    const IndicatorFile indicators[] = {
        {"check_off.png", Indicator::CheckOff},       {"check_on.png", Indicator::CheckOn},
        {"check_hover.png", Indicator::CheckHover},   {"check_disabled.png", Indicator::CheckDisabled},
        {"radio_off.png", Indicator::RadioOff},       {"radio_on.png", Indicator::RadioOn},
        {"radio_hover.png", Indicator::RadioHover},   {"radio_disabled.png", Indicator::RadioDisabled},
    };
    for (const IndicatorFile &i : indicators)
        sheet.save(shared(QLatin1String(i.name)), indicatorPicture(i.kind),
                   QStringLiteral("check box and radio button indicator (style sheet)"));
    sheet.save(shared(QStringLiteral("spin_up.png")), arrowPicture(true, 14, 11),
               QStringLiteral("spin box up button"));
    sheet.save(shared(QStringLiteral("spin_down.png")), arrowPicture(false, 14, 11),
               QStringLiteral("spin box down button"));
    sheet.save(shared(QStringLiteral("spin_up_off.png")), arrowPicture(true, 14, 11, true),
               QStringLiteral("spin box up button, disabled"));
    sheet.save(shared(QStringLiteral("spin_down_off.png")), arrowPicture(false, 14, 11, true),
               QStringLiteral("spin box down button, disabled"));
    sheet.save(shared(QStringLiteral("arrow_down.png")), arrowPicture(false, 12, 8),
               QStringLiteral("combo box drop-down arrow"));
    sheet.save(shared(QStringLiteral("arrow_left.png")), chevronPicture(false),
               QStringLiteral("picture row: move left"));
    sheet.save(shared(QStringLiteral("arrow_right.png")), chevronPicture(true),
               QStringLiteral("picture row: move right"));

    struct ToolFile { const char *name; Tool tool; bool toggles; };
    const ToolFile tools[] = {{"draw_brush", Tool::Brush, true},
                              {"draw_text", Tool::Text, true},
                              {"draw_erase", Tool::Erase, false},
                              {"draw_undo", Tool::Undo, false},
                              {"draw_picture", Tool::Picture, false}};
    for (const ToolFile &t : tools) {
        const QString name = QLatin1String(t.name);
        sheet.save(shared(name + QStringLiteral(".png")), toolPicture(t.tool, false), QStringLiteral("OLED editor tool"));
        if (t.toggles)
            sheet.save(shared(name + QStringLiteral("_s.png")), toolPicture(t.tool, true),
                       QStringLiteral("OLED editor tool, selected"));
    }

    const char *const steps[] = {"plug the receiver in", "switch the mouse off", "press the pair button",
                                 "switch the mouse on", "press left, middle and right together"};
    for (int i = 1; i <= 5; ++i)
        sheet.save(shared(QStringLiteral("code_step%1.png").arg(i)), pairingPicture(i),
                   QStringLiteral("pairing step %1: %2").arg(i).arg(QLatin1String(steps[i - 1])));

    sheet.save(QStringLiteral(":/icon/picture/128-128.png"), trayPicture(), QStringLiteral("tray and window icon"));
}

void renderButtonTags(Sheet &sheet)
{
    struct StyleDir { const char *dir; TagStyle style; const char *purpose; };
    const StyleDir styles[] = {
        {"BlueBorder", TagStyle::BlueBorder, "button label, factory function"},
        {"WhiteBorder", TagStyle::WhiteBorder, "button label, hover"},
        {"BlueBackground", TagStyle::BlueBackground, "button label, pressed or reassigned"},
    };
    const int widths[] = {120, 150, 186, 192, 195};
    for (const StyleDir &s : styles) {
        for (int w : widths) {
            for (bool right : {false, true}) {
                const QString name = QString::number(w) + (right ? QStringLiteral("_z") : QString());
                sheet.save(QStringLiteral(":/picture/eightbutton/picture/EightButton/%1/%2.png")
                               .arg(QLatin1String(s.dir), name),
                           tagPicture(s.style, w, right),
                           QLatin1String(s.purpose) + (right ? QStringLiteral(", mark on the right") : QString()));
            }
        }
    }
}

bool renderBanners(Sheet &sheet, const QString &resourcesDir)
{
    QFile f(resourcesDir + QStringLiteral("/art/banners.tsv"));
    if (!f.open(QIODevice::ReadOnly | QIODevice::Text)) {
        std::fprintf(stderr, "artgen: cannot read %s\n", qPrintable(f.fileName()));
        return false;
    }
    const QStringList lines = QString::fromUtf8(f.readAll()).split(QLatin1Char('\n'));
    for (const QString &line : lines) {
        if (line.isEmpty() || line.startsWith(QLatin1Char('#')))
            continue;
        const QStringList cols = line.split(QLatin1Char('\t'));
        if (cols.size() != 3) {
            std::fprintf(stderr, "artgen: bad banner line: %s\n", qPrintable(line));
            return false;
        }
        QString family = QStringLiteral("DejaVu Sans");
        if (cols.at(1) == QLatin1String("sc"))
            family = QStringLiteral("Noto Sans CJK SC");
        else if (cols.at(1) == QLatin1String("kr"))
            family = QStringLiteral("Noto Sans CJK KR");
        sheet.save(QStringLiteral(":/picture/banner/picture/UpdateWarning/%1.png").arg(cols.at(0)),
                   bannerPicture(cols.at(2), family),
                   QStringLiteral("firmware update warning, %1").arg(cols.at(0)));
    }
    return true;
}

} // namespace

// The desktop icon in the hicolor theme sizes:
// DIR/hicolor/NxN/apps/org.ox8driver.OX8Driver.png.
bool renderDesktopIcons(const QString &dir)
{
    bool ok = true;
    for (int size : {16, 22, 24, 32, 48, 64, 128, 256}) {
        const QString folder = QStringLiteral("%1/hicolor/%2x%2/apps").arg(dir).arg(size);
        const QString file = folder + QStringLiteral("/org.ox8driver.OX8Driver.png");
        if (!QDir().mkpath(folder) || !appIconPicture(size).save(file, "PNG")) {
            std::fprintf(stderr, "artgen: cannot write %s\n", qPrintable(file));
            ok = false;
        }
    }
    return ok;
}

int main(int argc, char *argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Renders the application's pictures."));
    parser.addHelpOption();
    parser.addPositionalArgument(QStringLiteral("resources"), QStringLiteral("the repository's resources folder"));
    QCommandLineOption iconsOnly(QStringLiteral("icons"),
                                 QStringLiteral("Only render the desktop icons (resources/icons)."));
    parser.addOption(iconsOnly);
    parser.process(app);
    if (parser.positionalArguments().size() != 1)
        parser.showHelp(1);
    const QString dir = QDir(parser.positionalArguments().first()).absolutePath();
    if (!QFile::exists(dir + QStringLiteral("/art/README.md"))) {
        std::fprintf(stderr, "artgen: %s is not the resources folder (no art/README.md)\n", qPrintable(dir));
        return 1;
    }
    if (!loadFonts())
        return 1;

    const bool iconsOk = renderDesktopIcons(dir + QStringLiteral("/icons"));
    if (parser.isSet(iconsOnly))
        return iconsOk ? 0 : 1;

    Sheet sheet(dir);
    sheet.removeOldPictures();
    renderModels(sheet);
    renderShared(sheet);
    renderButtonTags(sheet);
    const bool bannersOk = renderBanners(sheet, dir);
    const bool qrcOk = sheet.writeQrc();
    const bool readmeOk = sheet.writeReadmeTable();
    std::printf("artgen: %d pictures\n", sheet.count());
    return sheet.errors() == 0 && bannersOk && qrcOk && readmeOk && iconsOk ? 0 : 1;
}
