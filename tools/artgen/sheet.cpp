#include "tools/artgen/sheet.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QMap>
#include <QSaveFile>
#include <QTextStream>

#include <algorithm>
#include <cstdio>

namespace {

const QString kReadmeBegin = QStringLiteral("<!-- artgen table begin -->");
const QString kReadmeEnd = QStringLiteral("<!-- artgen table end -->");

// ":/picture/x/y.png" -> ("/picture", "x/y.png").
bool splitResource(const QString &resource, QString &prefix, QString &alias)
{
    if (!resource.startsWith(QLatin1String(":/")))
        return false;
    const int slash = resource.indexOf(QLatin1Char('/'), 2);
    if (slash < 0)
        return false;
    prefix = resource.mid(1, slash - 1);
    alias = resource.mid(slash + 1);
    return !alias.isEmpty();
}

bool writeText(const QString &path, const QString &text)
{
    QSaveFile f(path);
    if (!f.open(QIODevice::WriteOnly))
        return false;
    f.write(text.toUtf8());
    return f.commit();
}

QString xmlEscaped(const QString &s)
{
    return s.toHtmlEscaped();
}

} // namespace

Sheet::Sheet(const QString &resourcesDir)
    : m_dir(resourcesDir)
{
}

QString Sheet::fileFor(const QString &resource) const
{
    QString prefix, alias;
    if (!splitResource(resource, prefix, alias))
        return {};
    if (prefix == QLatin1String("/picture"))
        return QStringLiteral("picture/") + alias;
    return QStringLiteral("picture") + prefix + QLatin1Char('/') + alias;
}

void Sheet::save(const QString &resource, const QImage &image, const QString &purpose)
{
    const QString file = fileFor(resource);
    if (file.isEmpty() || image.isNull()) {
        std::fprintf(stderr, "artgen: cannot save %s\n", qPrintable(resource));
        ++m_errors;
        return;
    }
    const QString path = m_dir + QLatin1Char('/') + file;
    QDir().mkpath(QFileInfo(path).absolutePath());
    QSaveFile out(path);
    if (!out.open(QIODevice::WriteOnly) || !image.save(&out, "PNG") || !out.commit()) {
        std::fprintf(stderr, "artgen: write failed %s\n", qPrintable(path));
        ++m_errors;
        return;
    }
    m_entries.append({resource, file, image.size(), purpose});
}

void Sheet::alias(const QString &resource, const QString &savedResource, const QString &purpose)
{
    for (const Entry &e : qAsConst(m_entries)) {
        if (e.resource == savedResource) {
            m_entries.append({resource, e.file, e.size, purpose});
            return;
        }
    }
    std::fprintf(stderr, "artgen: alias of unknown %s\n", qPrintable(savedResource));
    ++m_errors;
}

bool Sheet::removeOldPictures() const
{
    // Only PNGs below resources/picture/ are ours to replace.
    QDirIterator it(m_dir + QStringLiteral("/picture"), {QStringLiteral("*.png")}, QDir::Files,
                    QDirIterator::Subdirectories);
    bool ok = true;
    while (it.hasNext())
        ok = QFile::remove(it.next()) && ok;
    return ok;
}

bool Sheet::writeQrc() const
{
    QMap<QString, QMap<QString, QString>> byPrefix; // prefix -> alias -> file
    for (const Entry &e : m_entries) {
        QString prefix, alias;
        splitResource(e.resource, prefix, alias);
        byPrefix[prefix][alias] = e.file;
    }
    QString text;
    QTextStream s(&text);
    s << "<!-- Written by tools/artgen; edit the generator, not this file. -->\n";
    s << "<RCC>\n";
    for (auto p = byPrefix.cbegin(); p != byPrefix.cend(); ++p) {
        s << "    <qresource prefix=\"" << p.key() << "\">\n";
        for (auto f = p.value().cbegin(); f != p.value().cend(); ++f)
            s << "        <file alias=\"" << xmlEscaped(f.key()) << "\">" << xmlEscaped(f.value()) << "</file>\n";
        s << "    </qresource>\n";
    }
    s << "</RCC>\n";
    s.flush();
    return writeText(m_dir + QStringLiteral("/pictures.qrc"), text);
}

bool Sheet::writeReadmeTable() const
{
    const QString path = m_dir + QStringLiteral("/art/README.md");
    QFile in(path);
    if (!in.open(QIODevice::ReadOnly))
        return false;
    const QString readme = QString::fromUtf8(in.readAll());
    in.close();
    const int begin = readme.indexOf(kReadmeBegin);
    const int end = readme.indexOf(kReadmeEnd);
    if (begin < 0 || end < begin)
        return false;

    QVector<Entry> sorted = m_entries;
    std::sort(sorted.begin(), sorted.end(), [](const Entry &a, const Entry &b) { return a.resource < b.resource; });
    QString table;
    QTextStream s(&table);
    s << kReadmeBegin << "\n\n| Resource path | Size | Use |\n|---|---|---|\n";
    for (const Entry &e : sorted)
        s << "| `" << e.resource << "` | " << e.size.width() << " × " << e.size.height() << " | " << e.purpose << " |\n";
    s << "\n";
    s.flush();
    return writeText(path, readme.left(begin) + table + readme.mid(end));
}
