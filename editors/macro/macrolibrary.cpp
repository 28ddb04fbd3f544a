#include "editors/macro/macrolibrary.h"

#include "config/jsonhandle.h"

#include <QDir>
#include <QDirIterator>
#include <QFileInfo>

#include <algorithm>

namespace macrolibrary {

namespace {
// More names than we show are read from the folder only to choose the first
// ones in name order; a folder of a million entries is still cut here.
constexpr int kMaxScannedEntries = 20000;
// Enough tries to get past any number of macros made in one burst.
constexpr int kMaxNameTries = 1000;

QStringList boundedEntries(const QString &dir, QDir::Filters filters, int limit)
{
    QStringList names;
    if (!QFileInfo(dir).isDir())
        return names;
    QDirIterator it(dir, filters | QDir::NoDotAndDotDot | QDir::NoSymLinks);
    while (it.hasNext() && names.size() < kMaxScannedEntries) {
        it.next();
        names.append(it.fileName());
    }
    std::sort(names.begin(), names.end());
    if (names.size() > limit)
        names.erase(names.begin() + limit, names.end());
    return names;
}
} // namespace

QStringList folderNames(const QString &root)
{
    return boundedEntries(root, QDir::Dirs, kMaxListedFolders);
}

QStringList macroFiles(const QString &folder)
{
    QStringList paths;
    const QDir dir(folder);
    for (const QString &name : boundedEntries(folder, QDir::Files | QDir::Hidden, kMaxListedMacros))
        paths.append(dir.filePath(name));
    return paths;
}

QString macroName(JsonHandle &json, const QString &path)
{
    const QString name = cleanMacroName(json.getMacroName(path));
    return name.isEmpty() ? QStringLiteral("ErrorName") : name;
}

QString cleanMacroName(const QString &name)
{
    QString out;
    out.reserve(kMaxMacroNameLength * 2 + 1);
    for (const QChar c : name) {
        if (c.category() == QChar::Other_Control || c.category() == QChar::Other_Format
            || c == QChar::LineSeparator || c == QChar::ParagraphSeparator)
            continue;
        out.append(c);
        if (out.size() > kMaxMacroNameLength * 2)
            break;
    }
    out = out.trimmed();
    if (out.size() > kMaxMacroNameLength)
        out.truncate(kMaxMacroNameLength);
    // A cut must not leave half of a surrogate pair behind.
    if (!out.isEmpty() && out.at(out.size() - 1).isHighSurrogate())
        out.chop(1);
    return out;
}

bool isDirectlyInside(const QString &path, const QString &folder)
{
    const QFileInfo file(path);
    const QString dir = QFileInfo(folder).canonicalFilePath();
    if (dir.isEmpty() || file.isSymLink())
        return false;
    return QFileInfo(file.absolutePath()).canonicalFilePath() == dir;
}

bool isSameFolder(const QString &a, const QString &b)
{
    const QString canonical = QFileInfo(a).canonicalFilePath();
    return !canonical.isEmpty() && canonical == QFileInfo(b).canonicalFilePath();
}

QString newMacroFilePath(const QString &folder, const QDateTime &now)
{
    const QDir dir(folder);
    QDateTime at = now;
    for (int i = 0; i < kMaxNameTries; ++i, at = at.addMSecs(1)) {
        const QString path = dir.filePath(at.toString(QStringLiteral("yyyyMMddhhmmsszzz")) + QStringLiteral(".json"));
        if (!QFileInfo::exists(path) && !QFileInfo(path).isSymLink())
            return path;
    }
    return QString();
}

} // namespace macrolibrary
