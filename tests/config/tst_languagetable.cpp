#include "config/languagetable.h"

#include <QLocale>
#include <QtTest>

class TstLanguageTable : public QObject
{
    Q_OBJECT

private slots:
    void languageIndex_data();
    void languageIndex();
    void textOutsideTheTableIsEmpty();
};

void TstLanguageTable::languageIndex_data()
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

void TstLanguageTable::languageIndex()
{
    QFETCH(int, language);
    QFETCH(int, index);
    QCOMPARE(languageIndexForLocale(language), index);
}

void TstLanguageTable::textOutsideTheTableIsEmpty()
{
    setLanguageTexts({"a", "b"});
    QCOMPARE(languageText(1), QStringLiteral("b"));
    QCOMPARE(languageText(2), QString());
    QCOMPARE(languageText(-1), QString());
    QCOMPARE(languageText(100000), QString());
}

QTEST_APPLESS_MAIN(TstLanguageTable)
#include "tst_languagetable.moc"
