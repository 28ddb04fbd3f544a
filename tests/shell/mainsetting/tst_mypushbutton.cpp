// The mouse button label: what a click reports, hover, and the style of
// each model group.
#include "config/languagetable.h"
#include "shell/mainsetting/mousebuttonlayout.h"
#include "shell/mainsetting/mypushbutton.h"
#include "tests/common/widgettestutil.h"

#include <QFile>
#include <QSignalSpy>
#include <QtTest>

namespace {
// Language texts "T<n>" with the button names that matter spelled out.
void installTexts()
{
    QStringList texts;
    for (int i = 0; i < 600; ++i)
        texts << QStringLiteral("T%1").arg(i);
    texts[275] = QStringLiteral("CPI+");
    setLanguageTexts(texts);
}

void hover(QWidget *w, QEvent::Type type)
{
    sendHover(w, type, QPointF(3, 3), QPointF(-1, -1));
}
} // namespace

class TestMyPushButton : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { installTexts(); }
    void clickReports_data();
    void clickReports();
    void hoverAnnouncesTheButton();
    void groupSizeTextAndStyle_data();
    void groupSizeTextAndStyle();
    void changedButtonStyle();
    void everyLabelPictureExists();
};

// Steps: ("original", state) or ("value", changeType, trueValue, modifier).
using Steps = QList<QVariantList>;

void TestMyPushButton::clickReports_data()
{
    QTest::addColumn<Steps>("steps");
    QTest::addColumn<QVariantList>("reported");

    QTest::newRow("fresh button") << Steps{} << QVariantList{7, -1, -1, -1};
    QTest::newRow("changed, then its assignment") << Steps{{"original", false}, {"value", 29, 0x41, 1}}
                                                   << QVariantList{7, 29, 0x41, 1};
    QTest::newRow("assignment alone, as family A reports it") << Steps{{"value", 31, 47, 0}}
                                                              << QVariantList{7, 31, 47, 0};
    QTest::newRow("changed but nothing reported yet") << Steps{{"original", false}} << QVariantList{7, -1, -1, -1};
    QTest::newRow("factory function again") << Steps{{"original", false}, {"value", 29, 0x41, 1}, {"original", true}}
                                            << QVariantList{7, -1, -1, -1};
    QTest::newRow("a value of -1 does not mark the button changed") << Steps{{"value", -1, -1, -1}}
                                                                    << QVariantList{7, -1, -1, -1};
    QTest::newRow("changed again after factory") << Steps{{"value", 29, 0x41, 1}, {"original", true}, {"value", 41, 0, 0}}
                                                 << QVariantList{7, 41, 0, 0};
}

void TestMyPushButton::clickReports()
{
    QFETCH(Steps, steps);
    MyPushButton button(7);
    for (const QVariantList &step : steps) {
        if (step.at(0).toString() == QLatin1String("original"))
            button.setMouseButtonStyleSheetIsOriginal(step.at(1).toBool());
        else
            button.setButtonTrueValue(step.at(1).toInt(), step.at(2).toInt(), step.at(3).toInt());
    }
    QSignalSpy clicks(&button, &MyPushButton::sig_ShowKeySettingDialog);
    QTest::mouseClick(&button, Qt::LeftButton);
    QCOMPARE(clicks.size(), 1);
    QTEST(clicks.at(0), "reported");
}

void TestMyPushButton::hoverAnnouncesTheButton()
{
    MyPushButton button(13);
    QSignalSpy hovered(&button, &MyPushButton::sig_ShowMouseLeftLabel);
    hover(&button, QEvent::HoverEnter);
    hover(&button, QEvent::HoverLeave);
    QCOMPARE(hovered.size(), 2);
    QCOMPARE(hovered.at(0), (QVariantList{true, 13}));
    QCOMPARE(hovered.at(1), (QVariantList{false, 13}));
}

void TestMyPushButton::groupSizeTextAndStyle_data()
{
    QTest::addColumn<int>("mouseType");
    QTest::addColumn<int>("button");
    QTest::addColumn<int>("width");
    QTest::addColumn<QString>("picture");
    QTest::addColumn<QString>("text");

    // Labels left of the mouse carry the mark on their right end ("_z").
    QTest::newRow("construction is the OX7 group") << -100 << 4 << 192 << "BlueBorder/192_z.png" << "T263";
    QTest::newRow("OX7 right button") << 11 << 6 << 192 << "BlueBorder/192.png" << "T265";
    QTest::newRow("OX7EU side button has the OX7 name") << 14 << 7 << 192 << "BlueBorder/192_z.png" << "T267";
    QTest::newRow("OX2 forward button") << 2 << 7 << 186 << "BlueBorder/186_z.png" << "T266";
    QTest::newRow("OX5 shares the OX2 group") << 13 << 12 << 186 << "BlueBorder/186.png" << "T270";
    QTest::newRow("OX6 side wheel") << 3 << 16 << 195 << "BlueBorder/195.png" << "T423";
    QTest::newRow("OX1 CPI button has no plus") << 4 << 13 << 186 << "BlueBorder/186_z.png" << "CPI";
    QTest::newRow("OX1S CPI button has no plus") << 6 << 13 << 186 << "BlueBorder/186_z.png" << "CPI";
    QTest::newRow("OX4 CPI up keeps the plus") << 12 << 13 << 186 << "BlueBorder/186_z.png" << "CPI+";
    QTest::newRow("OX8 custom key") << 18 << 9 << 195 << "BlueBorder/195.png" << "T420";
    QTest::newRow("OX8 function button") << 18 << 17 << 195 << "BlueBorder/195_z.png" << "T273";
    QTest::newRow("a button the layout lacks keeps a plain label") << 4 << 15 << 186 << "BlueBorder/186.png"
                                                                   << "T422";
}

void TestMyPushButton::groupSizeTextAndStyle()
{
    QFETCH(int, mouseType);
    QFETCH(int, button);
    QFETCH(int, width);
    QFETCH(QString, picture);
    MyPushButton b(button);
    if (mouseType != -100)
        b.setMouseType(mouseType);
    QCOMPARE(b.size(), QSize(width, 25));
    QVERIFY2(b.styleSheet().contains(QStringLiteral("EightButton/") + picture), qPrintable(b.styleSheet()));
    QVERIFY(b.styleSheet().contains(QStringLiteral("rgba(64,197,221,1)")));
    QVERIFY(b.styleSheet().contains(QStringLiteral(":hover{border-image:url(:/picture/eightbutton/picture/EightButton/WhiteBorder/")));
    QVERIFY(b.styleSheet().contains(QStringLiteral(":pressed{border-image:url(:/picture/eightbutton/picture/EightButton/BlueBackground/")));
    QTEST(b.toolTip(), "text");
    QVERIFY(!b.text().isEmpty());
    QCOMPARE(b.focusPolicy(), Qt::NoFocus);
    QCOMPARE(b.font().family(), QStringLiteral("Source Han Sans CN"));

    // Codes outside every group change nothing.
    const QString style = b.styleSheet();
    for (int other : {0, 1, 15, 16, 17, 99}) {
        b.setMouseType(other);
        QCOMPARE(b.mouseType(), other);
        QCOMPARE(b.styleSheet(), style);
        QCOMPARE(b.width(), width);
    }
}

void TestMyPushButton::changedButtonStyle()
{
    MyPushButton b(6);
    b.setMouseType(3);
    b.setMouseButtonStyleSheetIsOriginal(false);
    QVERIFY(b.styleSheet().contains(QStringLiteral("BlueBackground/195.png")));
    QVERIFY(b.styleSheet().contains(QStringLiteral("color:white")));
    QVERIFY(!b.styleSheet().contains(QStringLiteral("BlueBorder")));
    // A model change keeps the state and restyles for the new group.
    b.setMouseType(18);
    QVERIFY(b.styleSheet().contains(QStringLiteral("BlueBackground/195.png")));
    b.setMouseType(2);
    QVERIFY(b.styleSheet().contains(QStringLiteral("BlueBackground/186.png")));
    b.setMouseButtonStyleSheetIsOriginal(true);
    QVERIFY(b.styleSheet().contains(QStringLiteral("BlueBorder/186.png")));
}

void TestMyPushButton::everyLabelPictureExists()
{
    const ButtonLayoutGroup groups[] = {ButtonLayoutGroup::Ox2, ButtonLayoutGroup::Ox6, ButtonLayoutGroup::Ox1,
                                        ButtonLayoutGroup::Ox4, ButtonLayoutGroup::Ox7, ButtonLayoutGroup::Ox8};
    for (ButtonLayoutGroup g : groups) {
        for (const MouseButtonPlace &p : mouseButtonLayout(g)) {
            for (const char *style : {"BlueBorder", "WhiteBorder", "BlueBackground"}) {
                for (bool mark : {false, true}) {
                    const QString path = buttonPicturePath(QLatin1String(style), p.width, mark);
                    QVERIFY2(QFile::exists(path), qPrintable(path));
                }
            }
        }
    }
}

QTEST_MAIN(TestMyPushButton)
#include "tst_mypushbutton.moc"
