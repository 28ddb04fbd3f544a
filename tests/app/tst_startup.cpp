#include "config/languagetable.h"
#include "app/startup.h"

#include <QFile>
#include <QFontDatabase>
#include <QLocale>
#include <QTemporaryDir>
#include <QtTest>

class TstStartup : public QObject
{
    Q_OBJECT

private slots:
    void languageIndex_data();
    void languageIndex();
    void translationFile_data();
    void translationFile();
    void textOutsideTheTableIsEmpty();
    void brokenFontIsSkipped();
    void fontsFromTheFolder();
};

void TstStartup::languageIndex_data()
{
    QTest::addColumn<int>("language");
    QTest::addColumn<int>("index");
    QTest::newRow("Chinese") << int(QLocale::Chinese) << 0;
    QTest::newRow("English") << int(QLocale::English) << 1;
    QTest::newRow("Korean") << int(QLocale::Korean) << 2;
    QTest::newRow("Albanian") << int(QLocale::Albanian) << 3;
    QTest::newRow("German") << int(QLocale::German) << 4;
    QTest::newRow("Italian") << int(QLocale::Italian) << 6;
    QTest::newRow("Spanish") << int(QLocale::Spanish) << 7;
    QTest::newRow("Dutch") << int(QLocale::Dutch) << 8;
    QTest::newRow("Portuguese") << int(QLocale::Portuguese) << 9;
    QTest::newRow("Russian") << int(QLocale::Russian) << 10;
    QTest::newRow("Ukrainian") << int(QLocale::Ukrainian) << 11;
    QTest::newRow("French has no column") << int(QLocale::French) << 1;
    QTest::newRow("Japanese has no column") << int(QLocale::Japanese) << 1;
}

void TstStartup::languageIndex()
{
    QFETCH(int, language);
    QFETCH(int, index);
    QCOMPARE(languageIndexForLocale(language), index);
}

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

void TstStartup::textOutsideTheTableIsEmpty()
{
    setLanguageTexts({"a", "b"});
    QCOMPARE(languageText(1), QStringLiteral("b"));
    QCOMPARE(languageText(2), QString());
    QCOMPARE(languageText(-1), QString());
    QCOMPARE(languageText(100000), QString());
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
