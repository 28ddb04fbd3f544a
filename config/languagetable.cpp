#include "config/languagetable.h"

#include <QLocale>

namespace {
QStringList &table()
{
    static QStringList t;
    return t;
}
} // namespace

const QStringList &languageTexts()
{
    return table();
}

void setLanguageTexts(const QStringList &texts)
{
    table() = texts;
}

QString languageText(int n)
{
    const QStringList &t = table();
    return (n >= 0 && n < t.size()) ? t.at(n) : QString();
}

int languageIndexForLocale(int qlocaleLanguage)
{
    switch (qlocaleLanguage) {
    case QLocale::Chinese: return 0;
    case QLocale::Korean: return 2;
    case QLocale::Albanian: return 3;
    case QLocale::German: return 4;
    case QLocale::Italian: return 6;
    case QLocale::Spanish: return 7;
    case QLocale::Dutch: return 8;
    case QLocale::Portuguese: return 9;
    case QLocale::Russian: return 10;
    case QLocale::Ukrainian: return 11;
    default: return 1;
    }
}
