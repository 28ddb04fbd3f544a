#include "app/startup.h"

#include "config/jsonhandle.h"
#include "config/languagetable.h"
#include "config/paths.h"

#include <QDebug>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFontDatabase>
#include <QJsonArray>
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

    QJsonArray language;
    JsonHandle().readTranslateTable(translateFile, language, index);
    QStringList texts;
    texts.reserve(language.size());
    for (const QJsonValue &v : qAsConst(language))
        texts.append(v.toString());
    setLanguageTexts(texts);
    return index;
}

int loadSysLanguage()
{
    return loadLanguage(QLocale::system().language(), getTranslateFilePath());
}
