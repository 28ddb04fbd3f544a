#pragma once

#include "config/languagetable.h"

#include <QString>
#include <QStringList>

// A language table whose entry n reads "T<n>", so a test sees which
// number a widget shows; restores an empty table when it goes.
class NumberedLanguageTable
{
public:
    explicit NumberedLanguageTable(int size = 1000)
    {
        QStringList texts;
        for (int i = 0; i < size; ++i)
            texts << QStringLiteral("T%1").arg(i);
        setLanguageTexts(texts);
    }
    ~NumberedLanguageTable() { setLanguageTexts({}); }
    static QString text(int n) { return QStringLiteral("T%1").arg(n); }
};
