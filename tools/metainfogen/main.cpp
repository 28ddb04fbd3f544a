// Fills the AppStream metainfo template with one modalias per USB id of the
// model table:
//   ox8_metainfogen TEMPLATE OUTPUT
// The template's line holding <!-- MODALIASES --> is replaced by the list, indented
// as that line is.

#include "discovery/models.h"

#include <QFile>
#include <QSaveFile>
#include <QSet>
#include <QString>
#include <QStringList>

#include <cstdio>

namespace {

const char kMarker[] = "<!-- MODALIASES -->";

// The kernel writes USB modaliases with upper-case hex digits.
QString hex4(quint16 value)
{
    return QStringLiteral("%1").arg(value, 4, 16, QLatin1Char('0')).toUpper();
}

QString modalias(quint16 vendor, quint16 product)
{
    return QStringLiteral("usb:v%1p%2d*").arg(hex4(vendor), hex4(product));
}

QStringList modaliasLines(const QString &indent)
{
    QStringList lines;
    QSet<quint16> seen;
    for (const ModelIdentity &m : modelTable()) {
        for (quint16 pid : {m.wirelessPid, m.wiredPid}) {
            if (pid == 0 || seen.contains(pid))
                continue;
            seen.insert(pid);
            lines << QStringLiteral("%1<!-- %2 %3 -->").arg(indent, QLatin1String(m.name),
                                                          pid == m.wiredPid ? QStringLiteral("wired")
                                                                            : QStringLiteral("receiver or wireless"));
            lines << QStringLiteral("%1<modalias>%2</modalias>").arg(indent, modalias(VID_KORVAN, pid));
        }
    }
    return lines;
}

} // namespace

int main(int argc, char *argv[])
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: ox8_metainfogen TEMPLATE OUTPUT\n");
        return 2;
    }
    QFile in(QString::fromLocal8Bit(argv[1]));
    if (!in.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "ox8_metainfogen: cannot read %s\n", argv[1]);
        return 1;
    }
    QStringList out;
    bool replaced = false;
    for (const QString &line : QString::fromUtf8(in.readAll()).split(QLatin1Char('\n'))) {
        const int at = line.indexOf(QLatin1String(kMarker));
        if (at < 0) {
            out << line;
            continue;
        }
        out << modaliasLines(line.left(at));
        replaced = true;
    }
    if (!replaced) {
        std::fprintf(stderr, "ox8_metainfogen: %s has no %s line\n", argv[1], kMarker);
        return 1;
    }
    QSaveFile file(QString::fromLocal8Bit(argv[2]));
    if (!file.open(QIODevice::WriteOnly) || file.write(out.join(QLatin1Char('\n')).toUtf8()) < 0 || !file.commit()) {
        std::fprintf(stderr, "ox8_metainfogen: cannot write %s\n", argv[2]);
        return 1;
    }
    return 0;
}
