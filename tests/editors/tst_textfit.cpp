// The shared text-fitting routine of every widget.
#include "editors/textfit.h"

#include <QLabel>
#include <QPushButton>
#include <QtTest>

class TestTextFit : public QObject
{
    Q_OBJECT

private slots:
    void fitsOrElides_data();
    void fitsOrElides();
    void nullWidgetIsIgnored();
};

void TestTextFit::fitsOrElides_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("width");
    QTest::addColumn<double>("factor");
    QTest::addColumn<bool>("elided");

    QTest::newRow("short button text stays") << "button" << "OK" << 200 << 0.8 << false;
    QTest::newRow("long button text is elided") << "button" << "A very long translated button text" << 60 << 0.8 << true;
    QTest::newRow("factor shrinks the room") << "button" << "Settings page" << 120 << 0.1 << true;
    QTest::newRow("label text stays") << "label" << "CPI" << 100 << 1.0 << false;
    QTest::newRow("long label is elided") << "label" << "Enhance pointer precision for everybody" << 50 << 1.0 << true;
    QTest::newRow("empty text stays empty") << "label" << "" << 50 << 1.0 << false;
}

void TestTextFit::fitsOrElides()
{
    QFETCH(QString, kind);
    QFETCH(QString, text);
    QFETCH(int, width);
    QFETCH(double, factor);
    QFETCH(bool, elided);

    QPushButton button;
    QLabel label;
    QWidget *w = kind == QLatin1String("button") ? static_cast<QWidget *>(&button) : &label;
    w->resize(width, 30);
    fitButtonText(w, text, factor);
    const QString shown = kind == QLatin1String("button") ? button.text() : label.text();

    QCOMPARE(w->toolTip(), text);
    if (elided) {
        QVERIFY(shown != text);
        QVERIFY(shown.endsWith(QChar(0x2026)) || shown.isEmpty());
        QVERIFY(w->fontMetrics().horizontalAdvance(shown) <= int(width * factor));
    } else {
        QCOMPARE(shown, text);
    }
}

void TestTextFit::nullWidgetIsIgnored()
{
    fitButtonText(nullptr, QStringLiteral("x"), 1.0);
}

QTEST_MAIN(TestTextFit)
#include "tst_textfit.moc"
