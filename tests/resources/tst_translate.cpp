// Checks the shipped language table against its sources and against what the
// program relies on: twelve equal arrays of strings, a text for every number
// the pages address, placeholders kept in every language.

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QMap>
#include <QRegularExpression>
#include <QSet>
#include <QtTest>

namespace {

const QString kLanguageDir = QStringLiteral(OX8_SOURCE_DIR "/resources/language");
constexpr int kLanguageCount = 12;
constexpr int kChinese = 0;
constexpr int kEnglish = 1;
constexpr int kNeverChosen = 5;
// The program addresses texts up to 343 directly.
constexpr int kMinimumLength = 344;
constexpr qint64 kMaximumFileSize = 1024 * 1024;

struct TranslationFile
{
    const char *code;
    int index;
};
const TranslationFile kTranslationFiles[] = {
    {"ko", 2}, {"sq", 3}, {"de", 4}, {"it", 6}, {"es", 7},
    {"nl", 8}, {"pt", 9}, {"ru", 10}, {"uk", 11},
};

const char *const kLanguageNames[kLanguageCount] = {
    "Simplified Chinese", "English", "Korean", "Albanian", "German", "unused index 5",
    "Italian", "Spanish", "Dutch", "Portuguese", "Russian", "Ukrainian",
};

struct Sources
{
    QMap<int, QString> english;
    QMap<int, QString> chinese;
    QMap<int, QMap<int, QString>> translations; // language index -> number -> text
    QStringList errors;
};

// Undoes the \n, \t and \\ escapes of the source files.
bool unescape(const QString &in, QString *out)
{
    out->clear();
    for (int i = 0; i < in.size(); ++i) {
        const QChar c = in.at(i);
        if (c != QLatin1Char('\\')) {
            out->append(c);
            continue;
        }
        if (i + 1 >= in.size())
            return false;
        const QChar next = in.at(++i);
        if (next == QLatin1Char('n'))
            out->append(QLatin1Char('\n'));
        else if (next == QLatin1Char('t'))
            out->append(QLatin1Char('\t'));
        else if (next == QLatin1Char('\\'))
            out->append(QLatin1Char('\\'));
        else
            return false;
    }
    return true;
}

// Data rows of a tab-separated source file: (line number, fields).
QList<QPair<int, QStringList>> readRows(const QString &path, int columns, QStringList *errors)
{
    QList<QPair<int, QStringList>> rows;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        errors->append(path + QStringLiteral(": cannot be read"));
        return rows;
    }
    const QStringList lines = QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'));
    for (int i = 0; i < lines.size(); ++i) {
        QString line = lines.at(i);
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
        if (line.trimmed().isEmpty() || line.startsWith(QLatin1Char('#')))
            continue;
        const QStringList fields = line.split(QLatin1Char('\t'));
        if (fields.size() != columns) {
            errors->append(QStringLiteral("%1:%2: %3 columns instead of %4")
                               .arg(path).arg(i + 1).arg(fields.size()).arg(columns));
            continue;
        }
        rows.append({i + 1, fields});
    }
    return rows;
}

bool parseNumber(const QString &text, int *number)
{
    static const QRegularExpression digits(QStringLiteral("^\\d{1,6}$"));
    if (!digits.match(text).hasMatch())
        return false;
    *number = text.toInt();
    return true;
}

Sources loadSources()
{
    Sources s;
    const QString master = kLanguageDir + QStringLiteral("/texts.tsv");
    for (const auto &row : readRows(master, 4, &s.errors)) {
        const QString where = QStringLiteral("%1:%2").arg(master).arg(row.first);
        int n = -1;
        QString en, zh;
        if (!parseNumber(row.second.at(0), &n)) {
            s.errors.append(where + QStringLiteral(": bad text number"));
            continue;
        }
        if (s.english.contains(n))
            s.errors.append(where + QStringLiteral(": number %1 appears twice").arg(n));
        if (row.second.at(1).trimmed().isEmpty())
            s.errors.append(where + QStringLiteral(": text %1 has no role").arg(n));
        if (!unescape(row.second.at(2), &en) || !unescape(row.second.at(3), &zh))
            s.errors.append(where + QStringLiteral(": bad escape"));
        s.english.insert(n, en);
        s.chinese.insert(n, zh);
    }

    QSet<QString> known;
    for (const TranslationFile &t : kTranslationFiles) {
        const QString name = QString::fromLatin1(t.code) + QStringLiteral(".tsv");
        known.insert(name);
        const QString path = kLanguageDir + QStringLiteral("/translations/") + name;
        QMap<int, QString> &texts = s.translations[t.index];
        for (const auto &row : readRows(path, 2, &s.errors)) {
            const QString where = QStringLiteral("%1:%2").arg(path).arg(row.first);
            int n = -1;
            QString text;
            if (!parseNumber(row.second.at(0), &n)) {
                s.errors.append(where + QStringLiteral(": bad text number"));
                continue;
            }
            if (!s.english.contains(n))
                s.errors.append(where + QStringLiteral(": number %1 is not in texts.tsv").arg(n));
            if (texts.contains(n))
                s.errors.append(where + QStringLiteral(": number %1 appears twice").arg(n));
            if (!unescape(row.second.at(1), &text))
                s.errors.append(where + QStringLiteral(": bad escape"));
            if (text.isEmpty())
                s.errors.append(where + QStringLiteral(": empty text"));
            texts.insert(n, text);
        }
    }
    // A file the generator does not know would be silently left out.
    const QStringList present = QDir(kLanguageDir + QStringLiteral("/translations")).entryList(QDir::Files);
    for (const QString &name : present) {
        if (!known.contains(name))
            s.errors.append(QStringLiteral("translations/%1: not a known language file").arg(name));
    }
    return s;
}

// Text numbers the code addresses literally, as languageText(123). A number
// missing from texts.tsv would show as a blank widget in every language.
QMap<int, QString> numbersInCode()
{
    static const QRegularExpression call(QStringLiteral("languageText\\(\\s*(\\d+)\\s*\\)"));
    const char *const folders[] = {"app", "shell", "editors", "update", "cloud", "analytics", "coordinator",
                                   "device", "config", "discovery", "platform"};
    QMap<int, QString> found;
    for (const char *folder : folders) {
        QDirIterator it(QStringLiteral(OX8_SOURCE_DIR "/") + QLatin1String(folder),
                        {QStringLiteral("*.cpp"), QStringLiteral("*.h")}, QDir::Files, QDirIterator::Subdirectories);
        while (it.hasNext()) {
            const QString path = it.next();
            QFile file(path);
            if (!file.open(QIODevice::ReadOnly))
                continue;
            auto match = call.globalMatch(QString::fromUtf8(file.readAll()));
            while (match.hasNext())
                found.insert(match.next().captured(1).toInt(), QDir(QStringLiteral(OX8_SOURCE_DIR)).relativeFilePath(path));
        }
    }
    return found;
}

// Words that stay as they are in every language: units, names, abbreviations.
bool isInvariantWord(const QString &word)
{
    static const QSet<QString> words{
        QStringLiteral("OK"),  QStringLiteral("CPI"),  QStringLiteral("DPI"), QStringLiteral("USB"),
        QStringLiteral("LED"), QStringLiteral("OLED"), QStringLiteral("APM"), QStringLiteral("RGB"),
        QStringLiteral("Hz"),  QStringLiteral("ms"),   QStringLiteral("Korvan"),
    };
    static const QRegularExpression model(QStringLiteral("^OX\\d+[A-Z]*$"));
    return words.contains(word) || model.match(word).hasMatch();
}

// Whole texts a language really writes as English does.
const QMap<int, QSet<QString>> &sameAsEnglishAllowed()
{
    static const QMap<int, QSet<QString>> allowed{
        {4, {QStringLiteral("Sniper"), QStringLiteral("Support"), QStringLiteral("Text")}},
        {6, {QStringLiteral("Macro"), QStringLiteral("E-mail"), QStringLiteral("Password"), QStringLiteral("Nickname"),
             QStringLiteral("Account")}},
        {7, {QStringLiteral("Macro"), QStringLiteral("Macros")}},
        {8, {QStringLiteral("Later"), QStringLiteral("Macro"), QStringLiteral("Sniper"), QStringLiteral("E-mail"),
             QStringLiteral("Account")}},
        {9, {QStringLiteral("Macro"), QStringLiteral("Macros"), QStringLiteral("Sniper"), QStringLiteral("E-mail")}},
    };
    return allowed;
}

// A text that needs no translation: only invariant words, numbers,
// placeholders and punctuation.
bool needsNoTranslation(const QString &text)
{
    static const QRegularExpression word(QStringLiteral("\\p{L}+"));
    QString rest = text;
    rest.remove(QRegularExpression(QStringLiteral("%\\d+")));
    auto it = word.globalMatch(rest);
    while (it.hasNext()) {
        if (!isInvariantWord(it.next().captured(0)))
            return false;
    }
    return true;
}

QSet<QString> placeholders(const QString &text)
{
    static const QRegularExpression pattern(QStringLiteral("%(\\d+)"));
    QSet<QString> found;
    auto it = pattern.globalMatch(text);
    while (it.hasNext())
        found.insert(it.next().captured(0));
    return found;
}

QString describe(const QSet<QString> &set)
{
    QStringList list = set.values();
    list.sort();
    return QLatin1Char('{') + list.join(QLatin1Char(',')) + QLatin1Char('}');
}

} // namespace

class tst_Translate : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void sourcesAreConsistent();
    void fileIsSmallUtf8();
    void tableShape();
    void usedTextsAreNotEmpty_data();
    void usedTextsAreNotEmpty();
    void codeAddressesOnlyKnownNumbers();
    void translationsDifferFromEnglish_data();
    void translationsDifferFromEnglish();
    void addressedNumbersHaveTexts_data();
    void addressedNumbersHaveTexts();
    void placeholdersMatchEnglish_data();
    void placeholdersMatchEnglish();
    void tableMatchesSources_data();
    void tableMatchesSources();

private:
    QByteArray m_raw;
    QJsonArray m_table;
    Sources m_sources;
};

void tst_Translate::initTestCase()
{
    QFile file(kLanguageDir + QStringLiteral("/translate.json"));
    QVERIFY2(file.open(QIODevice::ReadOnly), qPrintable(file.fileName()));
    m_raw = file.readAll();
    QJsonParseError error{};
    const QJsonDocument doc = QJsonDocument::fromJson(m_raw, &error);
    QVERIFY2(error.error == QJsonParseError::NoError, qPrintable(error.errorString()));
    QVERIFY2(doc.isArray(), "the top level must be an array");
    m_table = doc.array();
    m_sources = loadSources();
}

void tst_Translate::sourcesAreConsistent()
{
    QVERIFY2(m_sources.errors.isEmpty(), qPrintable(m_sources.errors.join(QLatin1Char('\n'))));
    QVERIFY(!m_sources.english.isEmpty());
}

void tst_Translate::fileIsSmallUtf8()
{
    QVERIFY2(m_raw.size() < kMaximumFileSize, qPrintable(QString::number(m_raw.size())));
    QVERIFY2(!m_raw.startsWith("\xEF\xBB\xBF"), "no byte order mark");
    // Invalid or cut-off sequences would come back as U+FFFD and change the bytes.
    QVERIFY(QString::fromUtf8(m_raw).toUtf8() == m_raw);
}

void tst_Translate::tableShape()
{
    QCOMPARE(m_table.size(), kLanguageCount);
    const int length = m_table.at(0).toArray().size();
    QVERIFY2(length >= kMinimumLength, qPrintable(QString::number(length)));
    for (int lang = 0; lang < kLanguageCount; ++lang) {
        const QJsonValue column = m_table.at(lang);
        QVERIFY2(column.isArray(), kLanguageNames[lang]);
        const QJsonArray texts = column.toArray();
        QVERIFY2(texts.size() == length, kLanguageNames[lang]);
        for (int n = 0; n < texts.size(); ++n) {
            QVERIFY2(texts.at(n).isString(),
                     qPrintable(QStringLiteral("%1, text %2").arg(QLatin1String(kLanguageNames[lang])).arg(n)));
        }
    }
}

void tst_Translate::usedTextsAreNotEmpty_data()
{
    QTest::addColumn<int>("language");
    QTest::newRow("Simplified Chinese is complete") << kChinese;
    QTest::newRow("English is complete") << kEnglish;
    // Every language the locale can select.
    for (const TranslationFile &t : kTranslationFiles)
        QTest::addRow("%s is complete", kLanguageNames[t.index]) << t.index;
}

void tst_Translate::usedTextsAreNotEmpty()
{
    QFETCH(int, language);
    const QJsonArray texts = m_table.at(language).toArray();
    QSet<int> used;
    for (auto it = m_sources.english.cbegin(); it != m_sources.english.cend(); ++it)
        used.insert(it.key());
    const QMap<int, QString> inCode = numbersInCode();
    for (auto it = inCode.cbegin(); it != inCode.cend(); ++it)
        used.insert(it.key());
    QList<int> sorted = used.values();
    std::sort(sorted.begin(), sorted.end());
    QStringList missing;
    for (int n : sorted) {
        if (texts.at(n).toString().trimmed().isEmpty())
            missing.append(QString::number(n));
    }
    QVERIFY2(missing.isEmpty(), qPrintable(QStringLiteral("empty: ") + missing.join(QLatin1Char(' '))));
}

void tst_Translate::codeAddressesOnlyKnownNumbers()
{
    const QMap<int, QString> inCode = numbersInCode();
    QVERIFY2(inCode.size() > 100, "the scan found the languageText calls");
    QStringList unknown;
    for (auto it = inCode.cbegin(); it != inCode.cend(); ++it) {
        if (!m_sources.english.contains(it.key()))
            unknown.append(QStringLiteral("%1 (%2)").arg(it.key()).arg(it.value()));
    }
    QVERIFY2(unknown.isEmpty(), qPrintable(QStringLiteral("not in texts.tsv: ") + unknown.join(QStringLiteral(", "))));
}

void tst_Translate::translationsDifferFromEnglish_data()
{
    QTest::addColumn<int>("language");
    QTest::newRow(kLanguageNames[kChinese]) << kChinese;
    for (const TranslationFile &t : kTranslationFiles)
        QTest::newRow(kLanguageNames[t.index]) << t.index;
}

void tst_Translate::translationsDifferFromEnglish()
{
    // A text left out of a translation file shows in English: the language
    // is not complete.
    QFETCH(int, language);
    const QJsonArray english = m_table.at(kEnglish).toArray();
    const QJsonArray texts = m_table.at(language).toArray();
    const QSet<QString> allowed = sameAsEnglishAllowed().value(language);
    QStringList untranslated;
    for (auto it = m_sources.english.cbegin(); it != m_sources.english.cend(); ++it) {
        const QString text = texts.at(it.key()).toString();
        if (text != english.at(it.key()).toString() || needsNoTranslation(text) || allowed.contains(text))
            continue;
        untranslated.append(QStringLiteral("%1 \"%2\"").arg(it.key()).arg(text));
    }
    QVERIFY2(untranslated.isEmpty(),
             qPrintable(QStringLiteral("%1 texts still English: ").arg(untranslated.size())
                        + untranslated.join(QStringLiteral("; "))));
}

void tst_Translate::addressedNumbersHaveTexts_data()
{
    // Numbers the pages address directly; dropping one from the sources would
    // leave a blank widget or an empty warning.
    QTest::addColumn<QList<int>>("numbers");
    auto range = [](int from, int to) {
        QList<int> r;
        for (int n = from; n <= to; ++n)
            r.append(n);
        return r;
    };
    QTest::newRow("warning dialog")
        << (range(1, 65) + range(67, 96) + QList<int>{116, 117, 223, 277, 278, 279, 280, 281, 346, 347, 348, 349,
                                                         350, 351, 352, 353, 354, 355, 360, 368, 369, 370});
    QTest::newRow("main window tabs, profiles and buttons") << (QList<int>{97, 189, 190, 191, 192, 198, 199, 212} + range(193, 197));
    QTest::newRow("tray menu and single instance") << QList<int>{297, 298, 342, 343};
    QTest::newRow("no-device dialog") << QList<int>{201, 202, 252, 253};
    QTest::newRow("key assignment") << (range(121, 143) + QList<int>{149, 150, 235, 238, 291, 292, 293});
    QTest::newRow("button names") << (range(263, 271) + QList<int>{273, 275, 276});
    QTest::newRow("lighting modes") << QList<int>{152, 153, 154, 155, 156, 341};
    QTest::newRow("macro editor") << QList<int>{166, 174, 175, 176, 294, 296};
    QTest::newRow("pairing") << QList<int>{65, 106};
    QTest::newRow("login dialog and cloud page") << QList<int>{100, 101, 103, 229, 230, 231, 259, 260, 261, 262, 285, 286, 287};
    // Result codes map onto entries arithmetically (0..7, 10001..10031, 10050).
    QTest::newRow("server result codes") << range(299, 340);
}

void tst_Translate::addressedNumbersHaveTexts()
{
    QFETCH(QList<int>, numbers);
    const QJsonArray english = m_table.at(kEnglish).toArray();
    const QJsonArray chinese = m_table.at(kChinese).toArray();
    QStringList missing;
    for (int n : numbers) {
        if (!m_sources.english.contains(n) || english.at(n).toString().isEmpty()
            || chinese.at(n).toString().isEmpty())
            missing.append(QString::number(n));
    }
    QVERIFY2(missing.isEmpty(), qPrintable(QStringLiteral("no text for: ") + missing.join(QLatin1Char(' '))));
}

void tst_Translate::placeholdersMatchEnglish_data()
{
    QTest::addColumn<int>("language");
    for (int lang = 0; lang < kLanguageCount; ++lang) {
        if (lang != kEnglish)
            QTest::newRow(kLanguageNames[lang]) << lang;
    }
}

void tst_Translate::placeholdersMatchEnglish()
{
    QFETCH(int, language);
    const QJsonArray english = m_table.at(kEnglish).toArray();
    const QJsonArray texts = m_table.at(language).toArray();
    QStringList wrong;
    for (int n = 0; n < english.size(); ++n) {
        const QSet<QString> expected = placeholders(english.at(n).toString());
        const QSet<QString> found = placeholders(texts.at(n).toString());
        // An extra %N would swallow an argument meant for another marker.
        if (found != expected)
            wrong.append(QStringLiteral("%1 %2 instead of %3").arg(n).arg(describe(found), describe(expected)));
    }
    QVERIFY2(wrong.isEmpty(), qPrintable(wrong.join(QStringLiteral("; "))));
}

void tst_Translate::tableMatchesSources_data()
{
    QTest::addColumn<int>("language");
    for (int lang = 0; lang < kLanguageCount; ++lang)
        QTest::newRow(kLanguageNames[lang]) << lang;
}

void tst_Translate::tableMatchesSources()
{
    // translate.json is generated by tools/langgen/make_translate.py; a stale
    // or hand-edited file shows up here.
    QFETCH(int, language);
    QVERIFY(!m_sources.english.isEmpty());
    const int expectedLength = qMax(kMinimumLength, m_sources.english.lastKey() + 1);
    const QJsonArray texts = m_table.at(language).toArray();
    QCOMPARE(texts.size(), expectedLength);

    const QMap<int, QString> translation = m_sources.translations.value(language);
    for (int n = 0; n < expectedLength; ++n) {
        QString expected;
        if (m_sources.english.contains(n)) {
            if (language == kChinese)
                expected = m_sources.chinese.value(n);
            else
                expected = translation.value(n, m_sources.english.value(n));
        }
        const QString actual = texts.at(n).toString();
        QVERIFY2(actual == expected,
                 qPrintable(QStringLiteral("text %1 is \"%2\", sources say \"%3\"; run tools/langgen/make_translate.py")
                                .arg(n).arg(actual, expected)));
    }
    if (language == kNeverChosen)
        QCOMPARE(texts, m_table.at(kEnglish).toArray());
}

QTEST_APPLESS_MAIN(tst_Translate)

#include "tst_translate.moc"
