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
    void translationFile_data();
    void translationFile();
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
