#include "config/languagetable.h"
#include "app/startup.h"

#include <QFile>
#include <QFontDatabase>
#include <QJsonArray>
#include <QJsonDocument>
#include <QLocale>
#include <QTemporaryDir>
#include <QtTest>

class TstStartup : public QObject
{
    Q_OBJECT

private slots:
    void translationFile_data();
    void translationFile();
    void builtInTexts_data();
    void builtInTexts();
    void builtInTableIsCompiledIn();
    void brokenFontIsSkipped();
    void fontsFromTheFolder();
};

void TstStartup::translationFile_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<int>("language");
    QTest::addColumn<QStringList>("texts");
    const QByteArray twoLanguages = R"([["零","一"],["zero","one"],["yeong"]])";
    QTest::newRow("Chinese") << twoLanguages << int(QLocale::Chinese) << QStringList{"零", "一"};
    QTest::newRow("unknown language falls back to English") << twoLanguages << int(QLocale::Swahili)
                                                            << QStringList{"zero", "one"};
    QTest::newRow("language missing from the file") << twoLanguages << int(QLocale::Ukrainian) << QStringList{};
    QTest::newRow("object instead of array") << QByteArray(R"({"1":["zero"]})") << int(QLocale::English)
                                             << QStringList{};
    QTest::newRow("not JSON") << QByteArray("[[\"zero\"") << int(QLocale::English) << QStringList{};
    QTest::newRow("empty file") << QByteArray() << int(QLocale::English) << QStringList{};
    QTest::newRow("numbers become empty texts") << QByteArray(R"([[],["a",5,"c"]])") << int(QLocale::English)
                                                << QStringList{"a", "", "c"};
}

void TstStartup::translationFile()
{
    QFETCH(QByteArray, content);
    QFETCH(int, language);
    QFETCH(QStringList, texts);
    QTemporaryDir dir;
    QFile f(dir.path() + "/translate.json");
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(content);
    f.close();
    setLanguageTexts({"stale"});
    loadLanguage(language, f.fileName());
    QCOMPARE(languageTexts(), texts);
}

void TstStartup::builtInTexts_data()
{
    // APP's copy (null: no file at all) against the built-in table.
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QStringList>("texts");
    const QStringList builtIn{"zero", "one", "two"};
    QTest::newRow("missing file: built-in texts") << QByteArray() << builtIn;
    QTest::newRow("not JSON: built-in texts") << QByteArray("[[\"zero\"") << builtIn;
    QTest::newRow("object instead of array: built-in texts") << QByteArray(R"({"1":["x"]})") << builtIn;
    QTest::newRow("language missing from the copy: built-in texts") << QByteArray(R"([["零"]])") << builtIn;
    QTest::newRow("language of the copy empty: built-in texts") << QByteArray(R"([[],[]])") << builtIn;
    QTest::newRow("older copy keeps its texts and gains the new ones")
        << QByteArray(R"([[],["null","uno"]])") << QStringList{"null", "uno", "two"};
    QTest::newRow("empty texts of the copy are filled")
        << QByteArray(R"([[],["","uno",5,"extra"]])") << QStringList{"zero", "uno", "two", "extra"};
}

void TstStartup::builtInTexts()
{
    QFETCH(QByteArray, content);
    QFETCH(QStringList, texts);
    QTemporaryDir dir;
    const QString builtIn = dir.path() + "/builtin.json";
    QFile b(builtIn);
    QVERIFY(b.open(QIODevice::WriteOnly));
    b.write(R"([["零","一","二"],["zero","one","two"]])");
    b.close();
    const QString app = dir.path() + "/translate.json";
    if (!content.isNull()) {
        QFile f(app);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(content);
    }
    setLanguageTexts({"stale"});
    loadLanguage(int(QLocale::English), app, builtIn);
    QCOMPARE(languageTexts(), texts);
}

void TstStartup::builtInTableIsCompiledIn()
{
    // The program's own copy: an empty APP still shows the shipped texts.
    QFile shipped(QStringLiteral(OX8_SOURCE_DIR "/resources/language/translate.json"));
    QVERIFY(shipped.open(QIODevice::ReadOnly));
    const QJsonArray english = QJsonDocument::fromJson(shipped.readAll()).array().at(1).toArray();
    QVERIFY(english.size() > 343);
    QTemporaryDir dir;
    loadLanguage(int(QLocale::English), dir.path() + "/Language/translate.json",
                 QString::fromLatin1(kBuiltInTranslateFile));
    QCOMPARE(languageTexts().size(), english.size());
    QCOMPARE(languageText(297), english.at(297).toString());
    QVERIFY(!languageText(343).isEmpty());
}

void TstStartup::brokenFontIsSkipped()
{
    QTemporaryDir dir;
    QFile f(dir.path() + "/broken.ttf");
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write("not a font");
    f.close();
    QCOMPARE(loadApplicationFont(f.fileName()), QFont());
    QCOMPARE(loadApplicationFonts(dir.path()), 0);
    QCOMPARE(loadApplicationFonts(dir.path() + "/missing"), 0);
}

void TstStartup::fontsFromTheFolder()
{
    const QString font = QStringLiteral("/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf");
    if (!QFile::exists(font))
        QSKIP("DejaVu font not installed");
    QTemporaryDir dir;
    QVERIFY(QFile::copy(font, dir.path() + "/a.ttf"));
    QVERIFY(QFile::link(font, dir.path() + "/link.ttf")); // links are not loaded
    QCOMPARE(loadApplicationFonts(dir.path()), 1);
    QCOMPARE(loadApplicationFont(dir.path() + "/a.ttf").family(), QStringLiteral("DejaVu Sans"));
}

QTEST_MAIN(TstStartup)
#include "tst_startup.moc"
