#include "startup.h"

#include "languagetable.h"
#include "paths.h"

#include <QDebug>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFontDatabase>
#include <QJsonArray>
#include <QJsonDocument>
#include <QLocale>

const char *const kApplicationName = "OX8Driver";
const char *const kApplicationVersion = "0.9.013950.0513";
const char *const kSingleInstanceKey = "OX6";

QFont loadApplicationFont(const QString &path)
{
    const int id = QFontDatabase::addApplicationFont(path);
    if (id < 0) {
        qDebug() << "error : addApplicationFont" << path;
        return QFont();
    }
    const QStringList families = QFontDatabase::applicationFontFamilies(id);
    if (families.isEmpty()) {
        qDebug() << "error : QFontDatabase::applicationFontFamilies" << path;
        return QFont();
    }
    QFont font(families.first());
    font.setWeight(QFont::Normal);
    qDebug() << "Add Font : " << font.toString();
    return font;
}

int loadApplicationFonts(const QString &dir)
{
    int loaded = 0;
    const QFileInfoList files = QDir(dir).entryInfoList(QDir::Files | QDir::Hidden | QDir::NoSymLinks, QDir::Unsorted);
    for (const QFileInfo &f : files) {
        const QFont font = loadApplicationFont(dir + QLatin1Char('/') + f.fileName());
        if (font != QFont())
            ++loaded;
    }
    return loaded;
}

int loadLanguage(int qlocaleLanguage, const QString &translateFile)
{
    qDebug() << "loadSysLanguage" << qlocaleLanguage;
    const int index = languageIndexForLocale(qlocaleLanguage);

    QFile file(translateFile);
    QByteArray data;
    // A translation table of several megabytes would be a broken file.
    if (file.open(QIODevice::ReadOnly) && file.size() <= 16 * 1024 * 1024)
        data = file.readAll();
    QJsonParseError error{};
    const QJsonDocument doc = QJsonDocument::fromJson(data, &error);
    if (doc.isNull() || error.error != QJsonParseError::NoError || !doc.isArray()) {
        qDebug() << "NoArray";
        setLanguageTexts({});
        return index;
    }
    QStringList texts;
    const QJsonValue language = doc.array().at(index);
    if (language.isArray()) {
        const QJsonArray array = language.toArray();
        texts.reserve(array.size());
        for (const QJsonValue &v : array)
            texts.append(v.toString());
    }
    setLanguageTexts(texts);
    return index;
}

int loadSysLanguage()
{
    return loadLanguage(QLocale::system().language(), getTranslateFilePath());
}
