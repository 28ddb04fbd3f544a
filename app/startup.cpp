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
#include <QJsonDocument>
#include <QLocale>

const char *const kApplicationName = "OX8Driver";
const char *const kApplicationVersion = "0.9.013950.0513";
const char *const kSingleInstanceKey = "OX6";
const char *const kCommandLineHelp =
    "Usage: ox8driver [--simulate MODEL[:receiver]] [-d] [--verbose]\n"
    "Configures Korvan gaming mice over USB HID: buttons, CPI stages, report rate,\n"
    "lighting, macros, the OLED picture and five profiles per model.\n"
    "\n"
    "Options:\n"
    "  --simulate MODEL[:receiver]  run on an emulated mouse instead of the USB bus\n"
    "                               (demo mode). MODEL is one of ox7, ox7c, ox7q,\n"
    "                               ox7eu, ox4, ox4c, ox4q, ox2, ox2s, ox6, ox1, ox1s,\n"
    "                               ox8, ox5; :receiver puts a family A mouse behind\n"
    "                               its 2.4 GHz receiver.\n"
    "  -d                           append every log message to\n"
    "                               APP/Log/yyyy_MM_dd_hh.txt and show it on the\n"
    "                               terminal too\n"
    "  --verbose                    show every log message on the terminal\n"
    "  -h, --help                   show this help and exit\n"
    "  --version                    show the version and exit\n"
    "\n"
    "Files:\n"
    "  APP, the folder of profiles, macros, settings and the language file, is\n"
    "  ~/.local/share/OX8Driver for an installed program, seeded from\n"
    "  <prefix>/share/ox8driver at each start, and the executable's folder for\n"
    "  a portable run (a writable folder without installed data beside it);\n"
    "  the environment variable OX8_APP_DIR overrides both.\n"
    "\n"
    "The interface language follows the system locale (LC_ALL, or else LANG).\n"
    "A second start brings the running window to the front and exits with -1.\n";
const char *const kBuiltInTranslateFile = ":/language/translate.json";

namespace {
// The built-in table is ours and small; the limit only guards the parse.
constexpr qint64 kMaxBuiltInSize = 16 * 1024 * 1024;

// Element index of the built-in table, or an empty array. Read through QFile:
// a resource is no file the safe readers could open.
QJsonArray builtInLanguage(const QString &path, int index)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || file.size() > kMaxBuiltInSize)
        return QJsonArray();
    const QJsonDocument doc = QJsonDocument::fromJson(file.readAll());
    if (!doc.isArray() || index < 0 || index >= doc.array().size())
        return QJsonArray();
    return doc.array().at(index).toArray();
}
} // namespace

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

int loadLanguage(int qlocaleLanguage, const QString &translateFile, const QString &builtInFile)
{
    qDebug() << "loadSysLanguage" << qlocaleLanguage;
    const int index = languageIndexForLocale(qlocaleLanguage);

    QJsonArray language;
    const bool read = JsonHandle().readTranslateTable(translateFile, language, index);
    QStringList texts;
    texts.reserve(language.size());
    for (const QJsonValue &v : qAsConst(language))
        texts.append(v.toString());

    if (!builtInFile.isEmpty()) {
        const QJsonArray builtIn = builtInLanguage(builtInFile, index);
        if (!read || language.isEmpty()) {
            if (!builtIn.isEmpty()) {
                qWarning().noquote() << "language file" << translateFile
                                     << "is missing or damaged; using the built-in texts";
                texts.clear();
                for (const QJsonValue &v : builtIn)
                    texts.append(v.toString());
            }
        } else {
            // An older or hand-edited copy: its own texts win, the gaps are filled.
            int filled = 0;
            for (int n = 0; n < builtIn.size(); ++n) {
                const QString text = builtIn.at(n).toString();
                if (text.isEmpty())
                    continue;
                while (texts.size() <= n)
                    texts.append(QString());
                if (texts.at(n).isEmpty()) {
                    texts[n] = text;
                    ++filled;
                }
            }
            if (filled > 0)
                qWarning().noquote() << "language file" << translateFile << "lacks" << filled
                                     << "texts; taken from the built-in texts";
        }
    }
    setLanguageTexts(texts);
    return index;
}

int loadSysLanguage()
{
    return loadLanguage(QLocale::system().language(), getTranslateFilePath(),
                        QString::fromLatin1(kBuiltInTranslateFile));
}
