#pragma once

#include <QString>
#include <QStringList>

// The visible texts of the chosen language, addressed by fixed text numbers.
// Filled once at start-up, read from every thread afterwards.
const QStringList &languageTexts();
void setLanguageTexts(const QStringList &texts);
// Text number n; empty for a number outside the table.
QString languageText(int n);

// Language index for a QLocale::Language value (Chinese 0, English and any
// language without its own column 1, Korean 2, ...). Index 5 is never chosen.
int languageIndexForLocale(int qlocaleLanguage);
