#include "device/macrocapacity.h"

#include "device/familya/familyacodec.h"
#include "device/familyb/familybcodec.h"
#include "discovery/models.h"

bool macroFitsDevice(int mouseType, const QList<MacroNode> &nodes, bool ignoreDelays)
{
    const ModelIdentity *model = modelForType(mouseType);
    if (!model)
        return true;
    switch (model->family) {
    case ProtocolFamily::A: {
        QVector<quint32> events;
        if (!familya::macroEventsFromNodes(nodes, ignoreDelays, events))
            return true;
        QByteArray page;
        familya::MacroError error = familya::MacroError::None;
        familya::encodeMacroPage(events, 0, page, &error);
        return error != familya::MacroError::TooManyEntries;
    }
    case ProtocolFamily::B:
    case ProtocolFamily::C: {
        QVector<quint16> entries;
        return familyb::encodeMacroEntries(nodes, ignoreDelays, entries) != familyb::MacroEncodeError::TooLong;
    }
    case ProtocolFamily::None:
        break;
    }
    return true;
}
