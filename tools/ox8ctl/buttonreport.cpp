#include "tools/ox8ctl/buttonreport.h"

#include "device/familya/familyaimage.h"
#include "device/familya/usbdrivermangerox7.h"
#include "device/familyb/familybcodec.h"
#include "device/familyb/usbdrivermanger_ox6.h"
#include "tools/ox8ctl/ox8ctl.h"

#include <QJsonObject>

namespace ox8ctl {

namespace {
// Kind byte of a family A button word that plays one macro page.
constexpr quint8 kFamilyAMacroKind = 5;

QJsonObject buttonObject(int button, bool factory, int changeType, int trueValue, int modifier)
{
    QJsonObject o;
    o.insert(QStringLiteral("button"), button);
    o.insert(QStringLiteral("name"), buttonCodeName(button));
    o.insert(QStringLiteral("factory"), factory);
    o.insert(QStringLiteral("changeType"), factory ? -1 : changeType);
    o.insert(QStringLiteral("trueValue"), factory ? -1 : trueValue);
    o.insert(QStringLiteral("modifier"), factory ? -1 : modifier);
    return o;
}

// A family A macro page: its mode word and its entries as [control, code].
QJsonObject familyAMacro(int page, const QByteArray &buffer)
{
    QJsonObject macro;
    macro.insert(QStringLiteral("page"), page);
    quint16 mode = 0;
    QVector<familya::MacroEntry> entries;
    if (!familya::decodeMacroPage(buffer, mode, entries))
        entries.clear();
    QJsonArray list;
    for (const familya::MacroEntry &e : qAsConst(entries))
        list.append(QJsonArray{int(e.control), int(e.code)});
    macro.insert(QStringLiteral("mode"), int(mode));
    macro.insert(QStringLiteral("entries"), list);
    return macro;
}

QJsonArray familyAButtons(UsbDriverMangerOX7 *manager)
{
    QJsonArray buttons;
    for (int button = familya::kFirstButtonId; button <= familya::kLastButtonId; ++button) {
        const quint32 word = manager->ButtonWord(button);
        const bool factory = word == manager->FactoryButtonWord(button);
        const familya::ButtonAssignment a = familya::decodeButtonWord(word);
        QJsonObject o = buttonObject(button, factory, a.changeType, a.trueValue, a.modifier);
        o.insert(QStringLiteral("word"), QStringLiteral("0x%1").arg(word, 8, 16, QLatin1Char('0')));
        if (familya::buttonWordByte(word, 0) == kFamilyAMacroKind) {
            const int page = familya::buttonWordByte(word, 2);
            o.insert(QStringLiteral("macros"), QJsonArray{familyAMacro(page, manager->MacroBuffer(page))});
        }
        buttons.append(o);
    }
    return buttons;
}

QJsonArray familyBButtons(UsbDriverManger_OX6 *manager)
{
    QJsonArray buttons;
    const QMap<int, familyb::Macro> stored = manager->macros();
    for (int button : familyb::modelButtons(manager->modelType())) {
        const familyb::ButtonWord word = manager->buttonWord(button);
        const bool factory = word == familyb::factoryButtonWord(button, manager->modelType());
        const familyb::ButtonAssignment a = familyb::describeButtonWord(word);
        QJsonObject o = buttonObject(button, factory, a.changeType, a.trueValue, a.modifier);
        o.insert(QStringLiteral("word"), QStringLiteral("%1 %2 %3 %4")
                                             .arg(word[0], 2, 16, QLatin1Char('0'))
                                             .arg(word[1], 2, 16, QLatin1Char('0'))
                                             .arg(word[2], 2, 16, QLatin1Char('0'))
                                             .arg(word[3], 2, 16, QLatin1Char('0')));
        QJsonArray macros;
        for (int slot : familyb::macroSlotsOfWord(word)) {
            const familyb::Macro macro = stored.value(slot);
            QJsonArray entries;
            for (quint16 e : macro.entries)
                entries.append(int(e));
            QJsonObject m;
            m.insert(QStringLiteral("slot"), slot);
            m.insert(QStringLiteral("repeat"), macro.header[0] * 256 + macro.header[1]);
            m.insert(QStringLiteral("entries"), entries);
            macros.append(m);
        }
        if (!macros.isEmpty())
            o.insert(QStringLiteral("macros"), macros);
        buttons.append(o);
    }
    return buttons;
}
} // namespace

QJsonArray buttonReport(USBDriverManger *manager, int mouseType)
{
    Q_UNUSED(mouseType)
    if (auto *a = qobject_cast<UsbDriverMangerOX7 *>(manager))
        return familyAButtons(a);
    if (auto *b = qobject_cast<UsbDriverManger_OX6 *>(manager))
        return familyBButtons(b);
    return QJsonArray();
}

} // namespace ox8ctl
