#include "tools/ox8ctl/ox8ctl.h"

#include "device/devicetypes.h"
#include "device/keytables.h"

#include <QMap>
#include <QRegularExpression>

namespace ox8ctl {

namespace {

// Largest CPI any supported sensor offers; the model's own range is checked
// once the mouse is known (discovery/cpiranges.h).
constexpr int kMaxCpi = 26000;
constexpr int kCpiStages = 7;

// Change types of the button assignment.
constexpr int kChangeCombination = 29;
constexpr int kChangeDefault = 32;
constexpr int kChangeDisabled = 41;

struct NamedFunction
{
    const char *name;
    ButtonAssignment assignment;
    const char *meaning;
};

const QVector<NamedFunction> &functions()
{
    static const QVector<NamedFunction> table = {
        {"left", {0xF0, 0, 48}, "left click"},
        {"right", {0xF1, 0, 49}, "right click"},
        {"middle", {0xF2, 0, 50}, "middle click"},
        {"forward", {0xF7, 0, 51}, "browser forward"},
        {"back", {0xF8, 0, 52}, "browser back"},
        {"volume-up", {0xE9, 0, 37}, "volume up"},
        {"volume-down", {0xEA, 0, 38}, "volume down"},
        {"mute", {0xE2, 0, 35}, "mute"},
        {"media", {0x83, 1, 39}, "media player"},
        {"fire", {0, 0, 44}, "rapid left click"},
        {"cpi-up", {0, 0, 45}, "next CPI stage"},
        {"cpi-down", {0, 0, 46}, "previous CPI stage"},
        {"sniper", {0, 0, 47}, "low CPI while held"},
        {"profile-switch", {0, 0, 55}, "next profile"},
        {"disable", {0, 0, kChangeDisabled}, "the button does nothing"},
        {"default", {0, 0, kChangeDefault}, "the button's factory function"},
    };
    return table;
}

const QMap<QString, int> &buttons()
{
    static const QMap<QString, int> map = {
        {QStringLiteral("left"), 4},       {QStringLiteral("middle"), 5},
        {QStringLiteral("right"), 6},      {QStringLiteral("forward"), 7},
        {QStringLiteral("back"), 8},       {QStringLiteral("custom1"), 9},
        {QStringLiteral("custom2"), 10},   {QStringLiteral("wheel-up"), 11},
        {QStringLiteral("wheel-down"), 12}, {QStringLiteral("cpi-up"), 13},
        {QStringLiteral("cpi-down"), 14},  {QStringLiteral("function"), 17},
    };
    return map;
}

int modifierBit(const QString &token)
{
    const QString t = token.toLower();
    if (t == QLatin1String("ctrl"))
        return 1;
    if (t == QLatin1String("shift"))
        return 2;
    if (t == QLatin1String("alt"))
        return 4;
    if (t == QLatin1String("win"))
        return 8;
    return 0;
}

// Virtual key of a key name, compared without case; 0 when unknown.
int virtualKeyForName(const QString &name)
{
    if (name.isEmpty())
        return 0;
    for (const VirtualKeyName &e : virtualKeyNameTable()) {
        if (QString::fromUtf8(e.name).compare(name, Qt::CaseInsensitive) == 0)
            return e.code;
    }
    const QMap<QString, int> &map = keyNameMap();
    for (auto it = map.cbegin(); it != map.cend(); ++it) {
        if (it.key().compare(name, Qt::CaseInsensitive) == 0)
            return it.value();
    }
    static const QRegularExpression hexCode(QStringLiteral("^0x([0-9a-fA-F]{1,2})$"));
    const QRegularExpressionMatch m = hexCode.match(name);
    if (m.hasMatch())
        return m.captured(1).toInt(nullptr, 16);
    return 0;
}

} // namespace

bool parseCpiList(const QString &text, QList<int> &values, QString &error)
{
    values.clear();
    const QStringList parts = text.split(QLatin1Char(','));
    if (text.trimmed().isEmpty() || parts.size() > kCpiStages) {
        error = QStringLiteral("give 1 to %1 CPI values separated by commas").arg(kCpiStages);
        return false;
    }
    bool anyOn = false;
    for (const QString &part : parts) {
        bool ok = false;
        const int v = part.trimmed().toInt(&ok);
        if (!ok || v < 0 || v > kMaxCpi) {
            error = QStringLiteral("\"%1\" is no CPI value (0..%2)").arg(part.trimmed()).arg(kMaxCpi);
            return false;
        }
        anyOn = anyOn || v != 0;
        values.append(v);
    }
    if (!anyOn) {
        error = QStringLiteral("at least one CPI stage must stay on");
        return false;
    }
    while (values.size() < kCpiStages)
        values.append(0);
    return true;
}

int reportRateIndex(const QString &text)
{
    bool ok = false;
    const int hz = text.trimmed().toInt(&ok);
    if (!ok)
        return -1;
    for (int i = 0; i < 4; ++i) {
        if (reportRateHz(i) == hz)
            return i;
    }
    return -1;
}

int reportRateHz(int index)
{
    return (index >= 0 && index <= 3) ? (125 << index) : 0;
}

int buttonCode(const QString &text)
{
    const QString t = text.trimmed().toLower();
    if (buttons().contains(t))
        return buttons().value(t);
    bool ok = false;
    const int n = t.toInt(&ok);
    return (ok && n >= 4 && n <= 17) ? n : 0;
}

QString buttonCodeName(int button)
{
    const QString name = buttons().key(button);
    return name.isEmpty() ? QString::number(button) : name;
}

bool parseButtonFunction(const QString &text, ButtonAssignment &out, QString &error)
{
    const QString t = text.trimmed();
    for (const NamedFunction &f : functions()) {
        if (t.compare(QLatin1String(f.name), Qt::CaseInsensitive) == 0) {
            out = f.assignment;
            return true;
        }
    }
    if (t.startsWith(QLatin1String("key:"), Qt::CaseInsensitive)) {
        QString rest = t.mid(4);
        int mask = 0;
        // Leading "ctrl+", "shift+", … are modifiers; what remains names the
        // key (which may itself be "+").
        for (;;) {
            const int plus = rest.indexOf(QLatin1Char('+'));
            if (plus <= 0)
                break;
            const int bit = modifierBit(rest.left(plus));
            if (bit == 0)
                break;
            mask |= bit;
            rest = rest.mid(plus + 1);
        }
        int key = 0;
        if (!rest.isEmpty()) {
            const int bit = modifierBit(rest);
            if (bit != 0)
                mask |= bit; // modifiers alone
            else
                key = virtualKeyForName(rest);
            if (bit == 0 && key == 0) {
                error = QStringLiteral("unknown key \"%1\"").arg(rest);
                return false;
            }
        }
        if (key == 0 && mask == 0) {
            error = QStringLiteral("key: needs a key name, e.g. key:A or key:ctrl+c");
            return false;
        }
        out = {key, mask, kChangeCombination};
        return true;
    }
    error = QStringLiteral("unknown function \"%1\" (known: %2, key:NAME)")
                .arg(t, buttonFunctionNames().join(QStringLiteral(", ")));
    return false;
}

QStringList buttonFunctionNames()
{
    QStringList names;
    for (const NamedFunction &f : functions())
        names << QString::fromLatin1(f.name);
    return names;
}

namespace {
const QStringList &lightModeNames()
{
    static const QStringList modes = {QStringLiteral("off"),      QStringLiteral("steady"),
                                      QStringLiteral("breathing"), QStringLiteral("reactive"),
                                      QStringLiteral("cycle"),    QStringLiteral("chase")};
    return modes;
}
} // namespace

int lightMode(const QString &text)
{
    return lightModeNames().indexOf(text.trimmed().toLower());
}

QString lightModeName(int mode)
{
    return lightModeNames().value(mode, QStringLiteral("unknown"));
}

bool parseColor(const QString &text, quint32 &colorRef)
{
    static const QRegularExpression rgb(QStringLiteral("^#?([0-9a-fA-F]{6})$"));
    const QRegularExpressionMatch m = rgb.match(text.trimmed());
    if (!m.hasMatch())
        return false;
    const uint v = m.captured(1).toUInt(nullptr, 16);
    colorRef = makeColorRef(quint8(v >> 16), quint8(v >> 8), quint8(v));
    return true;
}

QStringList commandNames()
{
    return {QStringLiteral("list"),      QStringLiteral("show"),      QStringLiteral("set-cpi"),
            QStringLiteral("set-rate"),  QStringLiteral("set-button"), QStringLiteral("set-light"),
            QStringLiteral("profile"),   QStringLiteral("save"),      QStringLiteral("reset"),
            QStringLiteral("export"),    QStringLiteral("import"),    QStringLiteral("pair"),
            QStringLiteral("flash"),     QStringLiteral("check-update"), QStringLiteral("update"),
            QStringLiteral("help")};
}

QString generalHelp()
{
    return QStringLiteral(
        "Usage: ox8ctl [--simulate MODEL[:receiver]] [--state FILE] [--real-time] [-v] COMMAND [ARGS]\n"
        "\n"
        "Reads and changes the settings of a Korvan mouse from the command line, with\n"
        "the same device code as OX8Driver. Without --simulate it talks to the first\n"
        "supported mouse attached (the one the application would pick).\n"
        "\n"
        "Commands:\n"
        "  list                     list the supported mice attached\n"
        "  show [--json]            model, firmware, profile, CPI stages, report rate, battery\n"
        "  set-cpi V1,V2,...        CPI stages (up to 7; 0 switches a stage off)\n"
        "  set-rate HZ              report rate: 125, 250, 500 or 1000\n"
        "  set-button BUTTON FUNC   assign a function to a button\n"
        "  set-light MODE [#RRGGBB] lighting mode and colour\n"
        "  profile N                load profile N (1..5) into the mouse\n"
        "  save N                   save the mouse's current settings as profile N\n"
        "  reset                    factory reset (all five profiles)\n"
        "  export N FILE            write profile N to FILE\n"
        "  import N FILE            read profile N from FILE (then: profile N)\n"
        "  pair                     pair the mouse with its receiver\n"
        "  flash FILE               flash a firmware image (family A models, by cable)\n"
        "  check-update             ask the update service for the mouse's firmware\n"
        "  update                   download the service's firmware and flash it\n"
        "  help [COMMAND]           this text, or a command's\n"
        "\n"
        "Options:\n"
        "  --simulate MODEL         use an emulated mouse instead of the USB bus; MODEL is\n"
        "                           a model folder name (ox2, ox6, ox1, ox2s, ox1s, ox4c, ox4q,\n"
        "                           ox7c, ox7q, ox7, ox4, ox5, ox7eu, ox8), \":receiver\" for\n"
        "                           a family A model through its receiver\n"
        "  --state FILE             where the emulated mouse keeps its memory (default\n"
        "                           APP/Simulation/MODEL[-receiver].state)\n"
        "  --real-time              let the emulated mouse take real time (default: the\n"
        "                           device waits are only counted)\n"
        "  -v, --verbose            print the device log on stderr\n"
        "\n"
        "Exit codes:\n"
        "  0  success\n"
        "  1  device failure (the mouse failed or refused an operation)\n"
        "  2  bad arguments\n"
        "  3  unknown model (--simulate)\n"
        "  4  no supported mouse found (or none this user may open)\n"
        "  5  the update service failed or offered nothing usable\n"
        " 10  check-update: the service offers another firmware than the mouse's\n"
        "\n"
        "The update service is the one OX8Driver uses: APP/system/service.ini, or the\n"
        "environment variable OX8_CLOUD_URL.\n");
}

QString commandHelp(const QString &command)
{
    const QString c = command.toLower();
    if (c == QLatin1String("list"))
        return QStringLiteral("Usage: ox8ctl list\n\nLists the supported mice on the bus, one a line: model folder,\n"
                              "model name, type code, link and USB ids. The one other commands use is\n"
                              "marked with '*'. A mouse this user may not open yet (no udev rule) is\n"
                              "marked \"found, no permission\", with the commands that fix it on stderr.\n"
                              "Exit code 4 when none is attached, or none may be opened.\n");
    if (c == QLatin1String("show"))
        return QStringLiteral("Usage: ox8ctl show [--json]\n\nReads the mouse and prints what it holds. With --json one JSON object\n"
                              "with model, typeCode, wireless, productId, firmwareVersion, profile (1..5,\n"
                              "0 when no profile file matches), cpi (7 numbers, 0 = stage off),\n"
                              "reportRateHz and battery (percent, or null when unknown or wired);\n"
                              "lighting holds each light zone (logo, and wheel where the model has one)\n"
                              "with mode, color (#RRGGBB), speed and brightness as the mouse stores them.\n");
    if (c == QLatin1String("set-cpi"))
        return QStringLiteral("Usage: ox8ctl set-cpi V1,V2,...\n\nSets up to 7 CPI stages; missing stages and 0 switch a stage off.\n"
                              "At least one stage must stay on. A value outside the model's range or\n"
                              "grid, or more stages than it has, is refused (exit 2) with the range.\n"
                              "Example: ox8ctl set-cpi 800,1600,3200,0,0,0,0\n");
    if (c == QLatin1String("set-rate"))
        return QStringLiteral("Usage: ox8ctl set-rate 125|250|500|1000\n\nSets the USB report rate in Hz.\n");
    if (c == QLatin1String("set-button"))
        return QStringLiteral("Usage: ox8ctl set-button BUTTON FUNCTION\n\n"
                              "BUTTON: left, middle, right, forward, back, custom1, custom2, wheel-up,\n"
                              "        wheel-down, cpi-up, cpi-down, function, or a number 4..17.\n"
                              "FUNCTION: ")
               + buttonFunctionNames().join(QStringLiteral(", "))
               + QStringLiteral(",\n          or key:NAME with optional ctrl+, shift+, alt+, win+ in front\n"
                                "          (key:A, key:ctrl+c, key:F5, key:Space, key:0x2C).\n"
                                "Example: ox8ctl set-button forward key:ctrl+c\n");
    if (c == QLatin1String("set-light"))
        return QStringLiteral("Usage: ox8ctl set-light MODE [#RRGGBB] [--zone wheel|logo]\n\n"
                              "MODE: off, steady, breathing, reactive, cycle, chase (OX1 series).\n"
                              "The colour applies to the zone(s) changed; family A models have the logo\n"
                              "zone only, other models both zones unless --zone picks one.\n"
                              "Example: ox8ctl set-light steady #FF4500\n");
    if (c == QLatin1String("profile"))
        return QStringLiteral("Usage: ox8ctl profile N\n\nLoads profile N (1..5) from its file and writes it into the mouse.\n");
    if (c == QLatin1String("save"))
        return QStringLiteral("Usage: ox8ctl save N\n\nSaves the settings the mouse holds now as profile N (1..5).\n");
    if (c == QLatin1String("reset"))
        return QStringLiteral("Usage: ox8ctl reset\n\nFactory reset: writes the factory profile into the mouse, makes it\n"
                              "profiles 1..5, resets their CPI tables and deletes their OLED pictures.\n");
    if (c == QLatin1String("export"))
        return QStringLiteral("Usage: ox8ctl export N FILE\n\nWrites profile N (1..5) of the attached model, with its CPI table,\n"
                              "to FILE as JSON. FILE must lie outside APP (the program's own files).\n");
    if (c == QLatin1String("import"))
        return QStringLiteral("Usage: ox8ctl import N FILE\n\nReplaces profile N (1..5) of the attached model by the one in FILE\n"
                              "(written by export for the same model); a profile with values the model\n"
                              "cannot take is refused (exit 2). Then load it: ox8ctl profile N.\n");
    if (c == QLatin1String("pair"))
        return QStringLiteral("Usage: ox8ctl pair\n\nPairs the mouse with the receiver it is reached through: switch the mouse\n"
                              "off, start this command, switch the mouse on and press left, middle and\n"
                              "right together. Gives up after 20 seconds.\n");
    if (c == QLatin1String("flash"))
        return QStringLiteral("Usage: ox8ctl flash FILE\n\nFlashes a firmware image (at most 128 KiB, not a .hex file) into a\n"
                              "family A mouse connected by cable, with a progress bar on stderr.\n");
    if (c == QLatin1String("check-update"))
        return QStringLiteral("Usage: ox8ctl check-update\n\nAsks the update service for the newest firmware of the attached model and\n"
                              "prints it beside the mouse's. Exit code 0 when they are the same, 10 when\n"
                              "the service offers another one (newer or older), 5 when the service\n"
                              "failed. A mouse in its firmware-update mode always counts as outdated.\n");
    if (c == QLatin1String("update"))
        return QStringLiteral("Usage: ox8ctl update\n\nChecks as check-update does; when the service offers another firmware,\n"
                              "downloads it into APP/Update/Clouds/MODEL/ (a download that is no\n"
                              "firmware image is refused and never flashed) and flashes it like\n"
                              "ox8ctl flash, with progress bars on a terminal. Family A models by\n"
                              "cable only; the others update with the maker's tool for Windows.\n");
    if (c == QLatin1String("help"))
        return QStringLiteral("Usage: ox8ctl help [COMMAND]\n");
    return QString();
}

} // namespace ox8ctl
