// The pairing page: its step texts and pictures, its two views and the
// signals of its buttons.
#include "shell/pairing/codewidget.h"
#include "tests/common/widgettestutil.h"

#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QtTest>

class TstCodeWidget : public QObject
{
    Q_OBJECT

private slots:
    void stepsShowTheirTextsAndPictures();
    void buttons_data();
    void buttons();
    void viewsSwitch();
};

void TstCodeWidget::stepsShowTheirTextsAndPictures()
{
    NumberedLanguageTable table;
    CodeWidget page;
    page.show();
    QCOMPARE(page.objectName(), QStringLiteral("CodeWidget"));
    for (int step = 1; step <= CodeWidget::kSteps; ++step) {
        auto *text = childNamed<QLabel>(&page, QStringLiteral("label_step%1").arg(step));
        QCOMPARE(text->text(), NumberedLanguageTable::text(509 + step));
        QVERIFY(text->isVisible());
        auto *picture = childNamed<QLabel>(&page, QStringLiteral("label_picture%1").arg(step));
        QVERIFY(!picture->pixmap(Qt::ReturnByValue).isNull());
        QCOMPARE(picture->pixmap(Qt::ReturnByValue).size(), QSize(120, 90));
    }
    QCOMPARE(childNamed<QPushButton>(&page, QStringLiteral("pushButton_code"))->toolTip(),
             NumberedLanguageTable::text(65));
    QCOMPARE(childNamed<QPushButton>(&page, QStringLiteral("pushButton_exit"))->toolTip(),
             NumberedLanguageTable::text(106));
    QCOMPARE(childNamed<QLabel>(&page, QStringLiteral("label_progress"))->text(), NumberedLanguageTable::text(515));
}

void TstCodeWidget::buttons_data()
{
    QTest::addColumn<int>("view");
    QTest::addColumn<QString>("button");
    QTest::addColumn<bool>("starts");
    QTest::addColumn<int>("analyticsText");

    QTest::newRow("pair starts") << 0 << "pushButton_code" << true << 65;
    QTest::newRow("exit stops") << 0 << "pushButton_exit" << false << 106;
    QTest::newRow("exit while pairing stops") << 1 << "pushButton_exitProgress" << false << 106;
}

void TstCodeWidget::buttons()
{
    QFETCH(int, view);
    QFETCH(QString, button);
    QFETCH(bool, starts);
    QFETCH(int, analyticsText);

    NumberedLanguageTable table;
    CodeWidget page;
    page.show();
    if (view == 1)
        page.showProgressPage();
    QSignalSpy start(&page, &CodeWidget::sig_startCode);
    QSignalSpy stop(&page, &CodeWidget::sig_stopCode);
    QSignalSpy analytics(&page, &CodeWidget::sig_SendUIEventMessageToGA);

    clickNamed(&page, button);

    QCOMPARE(start.count(), starts ? 1 : 0);
    QCOMPARE(stop.count(), starts ? 0 : 1);
    QCOMPARE(analytics.count(), 1);
    QVERIFY(analytics.at(0).at(1).toString().startsWith(NumberedLanguageTable::text(analyticsText)));
}

void TstCodeWidget::viewsSwitch()
{
    CodeWidget page;
    page.show();
    QCOMPARE(page.currentSubPage(), 0);
    QVERIFY(childNamed<QWidget>(&page, QStringLiteral("pushButton_code"))->isVisible());
    page.showProgressPage();
    QCOMPARE(page.currentSubPage(), 1);
    QVERIFY(!childNamed<QWidget>(&page, QStringLiteral("pushButton_code"))->isVisible());
    QVERIFY(childNamed<QWidget>(&page, QStringLiteral("pushButton_exitProgress"))->isVisible());
    page.showStepPage();
    QCOMPARE(page.currentSubPage(), 0);
}

QTEST_MAIN(TstCodeWidget)
#include "tst_codewidget.moc"
