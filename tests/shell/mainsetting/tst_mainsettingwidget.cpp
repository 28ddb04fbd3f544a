// The main settings page driven through its real widgets by object name.
#include "editors/cpi/cpiform.h"
#include "editors/cpi/cpislider.h"
#include "editors/cpi/moveslider.h"
#include "editors/cpi/uspinbox.h"
#include "config/currentgear.h"
#include "config/languagetable.h"
#include "shell/mainsetting/mainsettingwidget.h"
#include "shell/mainsetting/mousebuttonlayout.h"
#include "shell/mainsetting/mypushbutton.h"
#include "discovery/models.h"
#include "tests/common/widgettestutil.h"

#include <QCheckBox>
#include <QFile>
#include <QJsonArray>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QSpinBox>
#include <QtTest>

Q_DECLARE_METATYPE(QList<DWORD>)

namespace {
using Dwords = QList<DWORD>;

// A page for a model with the device's CPI list already shown.
struct PageFixture
{
    explicit PageFixture(int mouseType = 11, const Dwords &cpi = {800, 1600, 3200, 0, 6400, 0, 0})
    {
        page.setMouseType(mouseType);
        page.slot_SetCpidListValueOnPage(cpi);
    }
    template <typename T>
    T *child(const char *name)
    {
        T *w = page.findChild<T *>(QLatin1String(name));
        if (!w)
            qFatal("no widget %s", name);
        return w;
    }
    QCheckBox *checkBox(int level) { return page.cpiRow(level)->findChild<QCheckBox *>(QStringLiteral("CPICheckBox")); }
    void clickCheckBox(int level) { QTest::mouseClick(checkBox(level), Qt::LeftButton, Qt::NoModifier, QPoint(8, 9)); }
    void typeCpi(int level, const QString &text)
    {
        QLineEdit *edit = page.cpiRow(level)->spinBox()->lineEdit();
        edit->selectAll();
        QTest::keyClicks(edit, text);
        QTest::keyClick(edit, Qt::Key_Return);
    }
    MainSettingWidget page;
};

Dwords sentList(const QSignalSpy &spy, int i)
{
    return spy.at(i).at(0).value<Dwords>();
}

QJsonObject gearTable(const QList<int> &values)
{
    QJsonArray gears;
    for (int i = 0; i < values.size(); ++i)
        gears.append(QJsonObject{{"GearPosition", i + 1}, {"GearCurrentValue", values.at(i)}, {"GearEnable", true}});
    return QJsonObject{{"GearVariable", true}, {"GearData", gears}};
}

void hover(QWidget *w, QEvent::Type type)
{
    sendHover(w, type, QPointF(3, 3), QPointF(-1, -1));
}
} // namespace

class TestMainSettingWidget : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init() { setCurrentGearObject(QJsonObject()); }

    void deviceListIsShownWithoutSignals();
    void switchingLevelOff_data();
    void switchingLevelOff();
    void shortListsAreNeverSent_data();
    void shortListsAreNeverSent();
    void changeRecordsTheGear();
    void oneCpiWriteInFlight();
    void offLevelShowsTheRememberedGear_data();
    void offLevelShowsTheRememberedGear();
    void cpiRowsFollowTheModel();
    void reportRateRadiosSend_data();
    void reportRateRadiosSend();
    void reportRateFromDevice_data();
    void reportRateFromDevice();
    void wheelScrolling();
    void pointerSettingsShownWithoutSignals_data();
    void pointerSettingsShownWithoutSignals();
    void pointerSpeedSentOnRelease();
    void oledEntryPerModel_data();
    void oledEntryPerModel();
    void buttonLabelsPerModel_data();
    void buttonLabelsPerModel();
    void hoverShowsOneKeyLabel();
    void buttonClicksReachTheWindow();
    void mousePicturePerModel_data();
    void mousePicturePerModel();
    void textsFromTheLanguageTable_data();
    void textsFromTheLanguageTable();
    void everythingFitsThePage_data() { buttonLabelsPerModel_data(); }
    void everythingFitsThePage();
};

void TestMainSettingWidget::initTestCase()
{
    qRegisterMetaType<Dwords>("QList<DWORD>");
    QStringList texts;
    for (int i = 0; i < 600; ++i)
        texts << QStringLiteral("T%1").arg(i);
    setLanguageTexts(texts);
}

void TestMainSettingWidget::deviceListIsShownWithoutSignals()
{
    MainSettingWidget page;
    page.setMouseType(11);
    QSignalSpy lists(&page, &MainSettingWidget::sig_ChangeCPIListValue);
    QSignalSpy gears(&page, &MainSettingWidget::sig_SetGearCurrentValue);
    QSignalSpy events(&page, &MainSettingWidget::sig_SendEventMessageToGA);
    page.slot_SetCpidListValueOnPage({800, 0, 3200, 0, 0, 0, 16000});
    QCOMPARE(lists.size() + gears.size() + events.size(), 0);
    const QList<bool> on = {true, false, true, false, false, false, true};
    for (int level = 0; level < 7; ++level) {
        QCOMPARE(page.cpiRow(level)->isChecked(), on.at(level));
        QVERIFY(!page.cpiRow(level)->isCheckState());
    }
    QCOMPARE(page.cpiRow(6)->spinBox()->value(), 16000);
    QCOMPARE(page.cpiValues(), (Dwords{800, 0, 3200, 0, 0, 0, 16000}));

    // A longer report is cut to seven levels; values beyond int stay positive.
    page.slot_SetCpidListValueOnPage({800, 1, 2, 3, 4, 5, 6, 7, 8, 0xFFFFFFFFul});
    QCOMPARE(page.cpiValues().size(), 7);
    page.slot_SetCpidListValueOnPage({0xFFFFFFFFul, 800});
    QVERIFY(page.cpiRow(0)->spinBox()->value() > 0);
}

void TestMainSettingWidget::switchingLevelOff_data()
{
    QTest::addColumn<Dwords>("device");
    QTest::addColumn<int>("level");
    QTest::addColumn<bool>("staysOn");
    QTest::addColumn<Dwords>("sent");

    QTest::newRow("the last checked level is checked again") << Dwords{800, 0, 0, 0, 0, 0, 0} << 0 << true
                                                             << Dwords{};
    QTest::newRow("one of two goes off and is sent as 0") << Dwords{800, 1600, 0, 0, 0, 0, 0} << 1 << false
                                                          << Dwords{800, 0, 0, 0, 0, 0, 0};
    QTest::newRow("the first of two goes off as well") << Dwords{800, 1600, 0, 0, 0, 0, 0} << 0 << false
                                                       << Dwords{0, 1600, 0, 0, 0, 0, 0};
    QTest::newRow("one of all seven") << Dwords{400, 800, 1200, 1600, 2000, 2400, 3000} << 6 << false
                                      << Dwords{400, 800, 1200, 1600, 2000, 2400, 0};
    QTest::newRow("the only level, last in the list") << Dwords{0, 0, 0, 0, 0, 0, 3000} << 6 << true << Dwords{};
}

void TestMainSettingWidget::switchingLevelOff()
{
    QFETCH(Dwords, device);
    QFETCH(int, level);
    QFETCH(bool, staysOn);
    QFETCH(Dwords, sent);
    PageFixture f(11, device);
    QSignalSpy lists(&f.page, &MainSettingWidget::sig_ChangeCPIListValue);
    QSignalSpy gears(&f.page, &MainSettingWidget::sig_SetGearCurrentValue);

    f.clickCheckBox(level);

    QCOMPARE(f.checkBox(level)->isChecked(), staysOn);
    QCOMPARE(f.page.cpiRow(level)->slider()->isEnabled(), staysOn);
    QCOMPARE(f.page.cpiRow(level)->spinBox()->value(), int(device.at(level)));
    QCOMPARE(gears.size(), 0);
    if (sent.isEmpty()) {
        QCOMPARE(lists.size(), 0);
        QCOMPARE(f.page.cpiValues(), device);
    } else {
        QCOMPARE(lists.size(), 1);
        QCOMPARE(sentList(lists, 0), sent);
        QVERIFY(!f.page.cpiRow(level)->isCheckState());
    }
}

void TestMainSettingWidget::shortListsAreNeverSent_data()
{
    QTest::addColumn<Dwords>("device");
    QTest::addColumn<int>("level");
    QTest::addColumn<Dwords>("sent");

    QTest::newRow("no list from the device yet") << Dwords{} << 1 << Dwords{};
    QTest::newRow("three levels") << Dwords{800, 1600, 3200} << 1 << Dwords{};
    QTest::newRow("four levels") << Dwords{800, 1600, 3200, 6400} << 3 << Dwords{};
    QTest::newRow("five levels are enough") << Dwords{800, 1600, 3200, 6400, 200} << 1
                                            << Dwords{800, 2000, 3200, 6400, 200};
    QTest::newRow("seven levels") << Dwords{800, 1600, 3200, 6400, 200, 400, 600} << 1
                                  << Dwords{800, 2000, 3200, 6400, 200, 400, 600};
    QTest::newRow("a level the device did not report fills the gap with off")
        << Dwords{800, 1600, 3200} << 5 << Dwords{800, 1600, 3200, 0, 0, 2000};
}

void TestMainSettingWidget::shortListsAreNeverSent()
{
    QFETCH(Dwords, device);
    QFETCH(int, level);
    QFETCH(Dwords, sent);
    PageFixture f(11, device);
    if (!f.checkBox(level)->isChecked())
        f.page.cpiRow(level)->setCPIValue(1600, true);
    QSignalSpy lists(&f.page, &MainSettingWidget::sig_ChangeCPIListValue);
    QSignalSpy single(&f.page, &MainSettingWidget::sig_ChangeCPIValue);
    f.typeCpi(level, QStringLiteral("2000"));
    QCOMPARE(single.size(), 1);
    QCOMPARE(single.at(0), (QVariantList{level, 2000}));
    if (sent.isEmpty()) {
        QCOMPARE(lists.size(), 0);
    } else {
        QCOMPARE(lists.size(), 1);
        QCOMPARE(sentList(lists, 0), sent);
    }
}

void TestMainSettingWidget::changeRecordsTheGear()
{
    PageFixture f(11);
    QSignalSpy lists(&f.page, &MainSettingWidget::sig_ChangeCPIListValue);
    QSignalSpy gears(&f.page, &MainSettingWidget::sig_SetGearCurrentValue);
    QSignalSpy events(&f.page, &MainSettingWidget::sig_SendEventMessageToGA);

    f.typeCpi(2, QStringLiteral("2450"));
    QCOMPARE(gears.size(), 1);
    QCOMPARE(gears.at(0), (QVariantList{2, 2450}));
    QCOMPARE(lists.size(), 1);
    QCOMPARE(sentList(lists, 0), (Dwords{800, 1600, 2450, 0, 6400, 0, 0}));
    // One operation event with the level as shown on screen, one UI event.
    QVERIFY(events.contains(QVariantList{"操作事件", "改CPI_3", "2450", ""}));
    QVERIFY(events.contains(QVariantList{"UI事件", "改CPI_SpinBox", "T189", "T189"}));

    // Moving the slider reports its snapped value the same way (once the
    // coordinator has finished the first list).
    f.page.slot_CpiListWritten(true);
    CPIForm *row = f.page.cpiRow(0);
    QTest::mousePress(row->slider(), Qt::LeftButton, Qt::NoModifier, QPoint(15, 5));
    QTest::mouseRelease(row->slider(), Qt::LeftButton, Qt::NoModifier, QPoint(15, 5));
    QCOMPARE(gears.last(), (QVariantList{0, 1200}));
    QCOMPARE(sentList(lists, lists.size() - 1).at(0), DWORD(1200));
    QVERIFY(events.contains(QVariantList{"UI事件", "改CPI_Slider", "T189", "T189"}));
}

void TestMainSettingWidget::oneCpiWriteInFlight()
{
    PageFixture f(11);
    QSignalSpy lists(&f.page, &MainSettingWidget::sig_ChangeCPIListValue);

    f.typeCpi(0, QStringLiteral("1000"));
    QCOMPARE(lists.size(), 1);
    QVERIFY(f.page.isCpiWriteInFlight());
    // Changes made while the mouse is busy wait; only the newest list goes out.
    f.typeCpi(1, QStringLiteral("2000"));
    f.typeCpi(2, QStringLiteral("3000"));
    QCOMPARE(lists.size(), 1);

    f.page.slot_CpiListWritten(true);
    QCOMPARE(lists.size(), 2);
    QCOMPARE(sentList(lists, 1), (Dwords{1000, 2000, 3000, 0, 6400, 0, 0}));
    QVERIFY(f.page.isCpiWriteInFlight());
    f.page.slot_CpiListWritten(true);
    QCOMPARE(lists.size(), 2);
    QVERIFY(!f.page.isCpiWriteInFlight());

    // A failed write frees the page as well, and a stray report sends nothing.
    f.page.slot_CpiListWritten(false);
    QCOMPARE(lists.size(), 2);
    f.typeCpi(0, QStringLiteral("1100"));
    QCOMPARE(lists.size(), 3);
    f.page.slot_CpiListWritten(false);
    f.typeCpi(0, QStringLiteral("1200"));
    QCOMPARE(lists.size(), 4);

    // A new device forgets what the old one had in flight.
    f.page.setMouseType(11);
    f.page.slot_SetCpidListValueOnPage({800, 1600, 3200, 0, 6400, 0, 0});
    f.typeCpi(0, QStringLiteral("900"));
    QCOMPARE(lists.size(), 5);
}

void TestMainSettingWidget::offLevelShowsTheRememberedGear_data()
{
    QTest::addColumn<QJsonObject>("gear");
    QTest::addColumn<int>("shown");
    QTest::addColumn<int>("sentWhenChecked");

    QTest::newRow("remembered value") << gearTable({800, 1600, 3200, 4500, 6400, 0, 0}) << 4500 << 4500;
    QTest::newRow("nothing remembered: the level's default")
        << gearTable({800, 1600, 3200, 0, 6400, 0, 0}) << 0 << 2000;
    QTest::newRow("no gear table at all") << QJsonObject() << 0 << 2000;
    QTest::newRow("a short gear table") << gearTable({800}) << 0 << 2000;
    QTest::newRow("a damaged entry") << QJsonObject{{"GearData", QJsonArray{1, 2, "x", true}}} << 0 << 2000;
}

void TestMainSettingWidget::offLevelShowsTheRememberedGear()
{
    QFETCH(QJsonObject, gear);
    QFETCH(int, sentWhenChecked);
    setCurrentGearObject(gear);
    PageFixture f(11, {800, 1600, 3200, 0, 6400, 0, 0});
    QVERIFY(!f.checkBox(3)->isChecked());
    QTEST(f.page.cpiRow(3)->spinBox()->value(), "shown");

    QSignalSpy lists(&f.page, &MainSettingWidget::sig_ChangeCPIListValue);
    QSignalSpy gears(&f.page, &MainSettingWidget::sig_SetGearCurrentValue);
    f.clickCheckBox(3);
    QVERIFY(f.checkBox(3)->isChecked());
    QCOMPARE(lists.size(), 1);
    QCOMPARE(sentList(lists, 0).at(3), DWORD(sentWhenChecked));
    QCOMPARE(gears.at(0), (QVariantList{3, sentWhenChecked}));
}

void TestMainSettingWidget::cpiRowsFollowTheModel()
{
    PageFixture f(14);
    for (int level = 0; level < 7; ++level) {
        QCOMPARE(f.page.cpiRow(level)->mouseType(), 14);
        QCOMPARE(f.page.cpiRow(level)->slider()->maximum(), 10000);
    }
    f.page.setMouseType(18);
    QCOMPARE(f.page.cpiRow(6)->slider()->maximum(), 6200);
}

void TestMainSettingWidget::reportRateRadiosSend_data()
{
    QTest::addColumn<QString>("radio");
    QTest::addColumn<int>("index");
    QTest::addColumn<QString>("label");

    QTest::newRow("125 Hz") << "USBReportRate_125RadioButton" << 0 << "125Hz";
    QTest::newRow("250 Hz") << "USBReportRate_250RadioButton" << 1 << "250Hz";
    QTest::newRow("500 Hz") << "USBReportRate_500RadioButton" << 2 << "500Hz";
    QTest::newRow("1000 Hz") << "USBReportRate_1000RadioButton" << 3 << "1000Hz";
}

void TestMainSettingWidget::reportRateRadiosSend()
{
    QFETCH(QString, radio);
    QFETCH(int, index);
    QFETCH(QString, label);
    PageFixture f;
    QSignalSpy rates(&f.page, &MainSettingWidget::sig_ChangeUSBReportRate);
    QSignalSpy events(&f.page, &MainSettingWidget::sig_SendEventMessageToGA);
    auto *button = f.page.findChild<QRadioButton *>(radio);
    QVERIFY(button);
    QTest::mouseClick(button, Qt::LeftButton, Qt::NoModifier, QPoint(8, 11));
    QVERIFY(button->isChecked());
    QCOMPARE(rates.size(), 1);
    QCOMPARE(rates.at(0).at(0).toInt(), index);
    QCOMPARE(events.size(), 1);
    QCOMPARE(events.at(0), (QVariantList{"操作事件", "改USB报告率", label, ""}));
}

void TestMainSettingWidget::reportRateFromDevice_data()
{
    QTest::addColumn<int>("index");
    QTest::addColumn<QString>("checked");

    QTest::newRow("0 is 125 Hz") << 0 << "USBReportRate_125RadioButton";
    QTest::newRow("1 is 250 Hz") << 1 << "USBReportRate_250RadioButton";
    QTest::newRow("2 is 500 Hz") << 2 << "USBReportRate_500RadioButton";
    QTest::newRow("3 is 1000 Hz") << 3 << "USBReportRate_1000RadioButton";
    QTest::newRow("-1 changes nothing") << -1 << "USBReportRate_500RadioButton";
    QTest::newRow("4 changes nothing") << 4 << "USBReportRate_500RadioButton";
    QTest::newRow("1000 changes nothing") << 1000 << "USBReportRate_500RadioButton";
}

void TestMainSettingWidget::reportRateFromDevice()
{
    QFETCH(int, index);
    QFETCH(QString, checked);
    PageFixture f;
    f.page.slot_SetUSBReportRateOnPage(2);
    QSignalSpy rates(&f.page, &MainSettingWidget::sig_ChangeUSBReportRate);
    f.page.slot_SetUSBReportRateOnPage(index);
    const QList<QRadioButton *> radios = f.child<QWidget>("USBReportRateWidget")->findChildren<QRadioButton *>();
    QCOMPARE(radios.size(), 4);
    for (QRadioButton *r : radios)
        QCOMPARE(r->isChecked(), r->objectName() == checked);
    QCOMPARE(rates.size(), 0);
}

void TestMainSettingWidget::wheelScrolling()
{
    PageFixture f;
    f.page.setPointerSettings(10, 5);
    auto *lines = f.child<QRadioButton>("TrolleySpeed_RadioButton_1");
    auto *screen = f.child<QRadioButton>("TrolleySpeed_RadioButton_2");
    auto *spin = f.child<QSpinBox>("spinBox");
    QSignalSpy wheel(&f.page, &MainSettingWidget::sig_SetTrolleySpeed);
    QSignalSpy events(&f.page, &MainSettingWidget::sig_SendEventMessageToGA);

    QTest::mouseClick(screen, Qt::LeftButton, Qt::NoModifier, QPoint(8, 11));
    QCOMPARE(wheel.size(), 1);
    QCOMPARE(wheel.at(0).at(0).toInt(), -1);
    QVERIFY(!spin->isEnabled());
    // One screen per notch is reported with the radio button's text.
    QCOMPARE(events.last(), (QVariantList{"操作事件", "改滚轮速度", "T406", ""}));

    QTest::mouseClick(lines, Qt::LeftButton, Qt::NoModifier, QPoint(8, 11));
    QCOMPARE(wheel.size(), 2);
    QCOMPARE(wheel.at(1).at(0).toInt(), 5);
    QVERIFY(spin->isEnabled());

    spin->setValue(7);
    QCOMPARE(wheel.size(), 3);
    QCOMPARE(wheel.at(2).at(0).toInt(), 7);
    QCOMPARE(events.last(), (QVariantList{"操作事件", "改滚轮速度", "7", ""}));
}

void TestMainSettingWidget::pointerSettingsShownWithoutSignals_data()
{
    QTest::addColumn<int>("speed");
    QTest::addColumn<int>("lines");
    QTest::addColumn<int>("shownSpeed");
    QTest::addColumn<bool>("oneScreen");

    QTest::newRow("lines per notch") << 14 << 3 << 14 << false;
    QTest::newRow("one screen per notch") << 1 << -1 << 1 << true;
    QTest::newRow("speed out of range is clamped") << 99 << 12 << 20 << false;
}

void TestMainSettingWidget::pointerSettingsShownWithoutSignals()
{
    QFETCH(int, speed);
    QFETCH(int, lines);
    QFETCH(bool, oneScreen);
    PageFixture f;
    QSignalSpy wheel(&f.page, &MainSettingWidget::sig_SetTrolleySpeed);
    QSignalSpy pointer(&f.page, &MainSettingWidget::sig_SetPointSpeed);
    f.page.setPointerSettings(speed, lines);
    QCOMPARE(wheel.size() + pointer.size(), 0);
    QTEST(f.child<MoveSlider>("PointSpeed_Slider")->value(), "shownSpeed");
    QCOMPARE(f.child<QRadioButton>("TrolleySpeed_RadioButton_2")->isChecked(), oneScreen);
    QCOMPARE(f.child<QRadioButton>("TrolleySpeed_RadioButton_1")->isChecked(), !oneScreen);
    QCOMPARE(f.child<QSpinBox>("spinBox")->isEnabled(), !oneScreen);
    if (!oneScreen)
        QCOMPARE(f.child<QSpinBox>("spinBox")->value(), lines);
}

void TestMainSettingWidget::pointerSpeedSentOnRelease()
{
    PageFixture f;
    auto *slider = f.child<MoveSlider>("PointSpeed_Slider");
    QCOMPARE(slider->minimum(), 1);
    QCOMPARE(slider->maximum(), 20);
    QSignalSpy pointer(&f.page, &MainSettingWidget::sig_SetPointSpeed);
    QTest::mousePress(slider, Qt::LeftButton, Qt::NoModifier, QPoint(slider->width(), 5));
    QCOMPARE(pointer.size(), 0);
    QTest::mouseRelease(slider, Qt::LeftButton, Qt::NoModifier, QPoint(slider->width(), 5));
    QCOMPARE(pointer.size(), 1);
    QCOMPARE(pointer.at(0).at(0).toInt(), 20);
}

void TestMainSettingWidget::oledEntryPerModel_data()
{
    QTest::addColumn<int>("mouseType");
    for (int t = -1; t <= 19; ++t)
        QTest::addRow("type %d", t) << t;
}

void TestMainSettingWidget::oledEntryPerModel()
{
    QFETCH(int, mouseType);
    PageFixture f(mouseType);
    const bool screen = mouseType == 3 || mouseType == 10 || mouseType == 11;
    auto *draw = f.child<QPushButton>("DrawButton");
    QCOMPARE(draw->isVisibleTo(&f.page), screen);
    QCOMPARE(f.child<QLabel>("OLEDLabel")->isVisibleTo(&f.page), screen);
    if (screen) {
        QSignalSpy dialog(&f.page, &MainSettingWidget::sig_showDrawDialog);
        QTest::mouseClick(draw, Qt::LeftButton);
        QCOMPARE(dialog.size(), 1);
    }
}

void TestMainSettingWidget::buttonLabelsPerModel_data()
{
    QTest::addColumn<int>("mouseType");
    QTest::addColumn<QList<int>>("buttons");

    const QList<int> ox7 = {4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14};
    const QList<int> ox4 = {4, 5, 6, 7, 8, 11, 12, 13, 14};
    for (int t : {9, 10, 11, 14})
        QTest::addRow("OX7 series, type %d", t) << t << ox7;
    for (int t : {7, 8, 12})
        QTest::addRow("OX4 series, type %d", t) << t << ox4;
    for (int t : {2, 5, 13})
        QTest::addRow("OX2 group, type %d", t) << t << ox4;
    QTest::newRow("OX6") << 3 << QList<int>{4, 5, 6, 7, 8, 11, 12, 13, 14, 15, 16};
    QTest::newRow("OX1") << 4 << QList<int>{4, 5, 6, 7, 8, 11, 12, 13};
    QTest::newRow("OX1S") << 6 << QList<int>{4, 5, 6, 7, 8, 11, 12, 13};
    QTest::newRow("OX8") << 18 << QList<int>{4, 5, 6, 7, 8, 9, 10, 13, 15, 16, 17};
    QTest::newRow("no model shows the OX7 layout") << 0 << ox7;
}

void TestMainSettingWidget::buttonLabelsPerModel()
{
    QFETCH(int, mouseType);
    QFETCH(QList<int>, buttons);
    PageFixture f(mouseType);
    QList<int> shown;
    QSet<QPair<int, int>> places;
    QSet<QPair<int, int>> markers;
    QWidget *left = f.child<QWidget>("LeftWidget");
    for (int b : allMouseButtonNumbers()) {
        MyPushButton *w = f.page.mouseButton(b);
        QVERIFY(w);
        QVERIFY(!f.page.keyLabel(b)->isVisibleTo(&f.page));
        if (!w->isVisibleTo(&f.page))
            continue;
        shown << b;
        // Inside the panel, no two labels on top of each other.
        QVERIFY(left->rect().contains(w->geometry()));
        QVERIFY(!places.contains({w->x(), w->y()}));
        places.insert({w->x(), w->y()});
        QLabel *marker = f.page.keyLabel(b);
        QVERIFY(marker->y() == 406 || marker->y() == 436);
        QVERIFY(left->rect().contains(marker->geometry()));
        QVERIFY(!markers.contains({marker->x(), marker->y()}));
        markers.insert({marker->x(), marker->y()});
        QVERIFY(QFile::exists(marker->styleSheet().section(QLatin1String("url("), 1).section(QLatin1Char(')'), 0, 0)));
    }
    QCOMPARE(shown, buttons);
    // Button numbers the page does not know are ignored.
    f.page.slot_SetKeyTrueValue(99, 29, 65, 0);
    f.page.slot_SetMouseButtonStyleSheetIsOriginal(false, -3);
}

void TestMainSettingWidget::hoverShowsOneKeyLabel()
{
    PageFixture f(11);
    hover(f.page.mouseButton(13), QEvent::HoverEnter);
    for (int b : allMouseButtonNumbers())
        QCOMPARE(f.page.keyLabel(b)->isVisibleTo(&f.page), b == 13);
    QCOMPARE(f.page.keyLabel(13)->objectName(), QStringLiteral("DPIPlusLabel"));
    hover(f.page.mouseButton(13), QEvent::HoverLeave);
    hover(f.page.mouseButton(4), QEvent::HoverEnter);
    for (int b : allMouseButtonNumbers())
        QCOMPARE(f.page.keyLabel(b)->isVisibleTo(&f.page), b == 4);
    hover(f.page.mouseButton(4), QEvent::HoverLeave);
    for (int b : allMouseButtonNumbers())
        QVERIFY(!f.page.keyLabel(b)->isVisibleTo(&f.page));
}

void TestMainSettingWidget::buttonClicksReachTheWindow()
{
    PageFixture f(18);
    QSignalSpy dialog(&f.page, &MainSettingWidget::sig_showKeySettingDialog);
    QTest::mouseClick(f.page.mouseButton(9), Qt::LeftButton);
    f.page.slot_SetMouseButtonStyleSheetIsOriginal(false, 9);
    f.page.slot_SetKeyTrueValue(9, 29, 0x41, 3);
    QTest::mouseClick(f.page.mouseButton(9), Qt::LeftButton);
    f.page.slot_SetKeyTrueValue(5, 31, 47, 0); // reported alone, as family A does
    QTest::mouseClick(f.page.mouseButton(5), Qt::LeftButton);
    f.page.slot_SetMouseButtonStyleSheetIsOriginal(true, 9);
    QTest::mouseClick(f.page.mouseButton(9), Qt::LeftButton);
    QCOMPARE(dialog.size(), 4);
    QCOMPARE(dialog.at(0), (QVariantList{9, -1, -1, -1}));
    QCOMPARE(dialog.at(1), (QVariantList{9, 29, 0x41, 3}));
    QCOMPARE(dialog.at(2), (QVariantList{5, 31, 47, 0}));
    QCOMPARE(dialog.at(3), (QVariantList{9, -1, -1, -1}));

    // Another model starts from the factory functions again.
    f.page.setMouseType(11);
    QTest::mouseClick(f.page.mouseButton(5), Qt::LeftButton);
    QCOMPARE(dialog.last(), (QVariantList{5, -1, -1, -1}));
}

void TestMainSettingWidget::mousePicturePerModel_data()
{
    QTest::addColumn<int>("mouseType");
    QTest::addColumn<QString>("folder");

    const QPair<int, const char *> rows[] = {{2, "ox2/picture/OX2"},   {3, "ox6/picture/OX6"},
                                             {4, "ox1/picture/OX1"},   {5, "ox2s/picture/OX2S"},
                                             {6, "ox1s/picture/OX1S"}, {7, "ox4c/picture/OX4C"},
                                             {8, "ox4q/picture/OX4Q"}, {9, "ox7c/picture/OX7C"},
                                             {10, "ox7q/picture/OX7Q"}, {11, "ox7/picture/OX7"},
                                             {12, "ox4/picture/OX4"},  {13, "ox5/picture/OX5"},
                                             {14, "ox7/picture/OX7"},  {15, "ox6/picture/OX6"},
                                             {16, "ox2/picture/OX2"},  {18, "ox8/picture/OX8"}};
    for (const auto &r : rows)
        QTest::addRow("type %d", r.first) << r.first << QString::fromLatin1(r.second);
}

void TestMainSettingWidget::mousePicturePerModel()
{
    QFETCH(int, mouseType);
    QFETCH(QString, folder);
    PageFixture f(mouseType);
    const QString path = QStringLiteral(":/picture/") + folder + QStringLiteral("/bg_main_mouse.png");
    QCOMPARE(f.child<QWidget>("MouseWidget")->styleSheet(), QStringLiteral("border-image: url(%1);").arg(path));
    QVERIFY2(QFile::exists(path), qPrintable(path));
}

void TestMainSettingWidget::textsFromTheLanguageTable_data()
{
    QTest::addColumn<QString>("widget");
    QTest::addColumn<int>("number");

    QTest::newRow("CPI title") << "DPI_TitleLabel" << 400;
    QTest::newRow("lift-off title") << "Sensor_TitleLabel" << 401;
    QTest::newRow("scroll title") << "TrolleySpeed_TitleLabel" << 402;
    QTest::newRow("pointer title") << "PonitSpeed_TitleLabel" << 403;
    QTest::newRow("report rate title") << "USBReportRate_TitleLabel" << 404;
    QTest::newRow("lines per notch") << "TrolleySpeed_RadioButton_1" << 405;
    QTest::newRow("one screen per notch") << "TrolleySpeed_RadioButton_2" << 406;
    QTest::newRow("slow") << "Ponit_SpeedLabel_1" << 407;
    QTest::newRow("fast") << "Ponit_SpeedLabel_2" << 408;
    QTest::newRow("pointer precision") << "EnhancePointPrecisionLabel" << 409;
    QTest::newRow("OLED label") << "OLEDLabel" << 410;
    QTest::newRow("OLED editor button") << "DrawButton" << 411;
}

void TestMainSettingWidget::textsFromTheLanguageTable()
{
    QFETCH(QString, widget);
    QFETCH(int, number);
    MainSettingWidget page;
    QWidget *w = page.findChild<QWidget *>(widget);
    QVERIFY(w);
    QCOMPARE(w->toolTip(), QStringLiteral("T%1").arg(number));
}

// The main window gives the page 960 x 460 below its title bar.
void TestMainSettingWidget::everythingFitsThePage()
{
    QFETCH(int, mouseType);
    PageFixture f(mouseType);
    const QRect area(0, 0, 960, 460);
    for (QWidget *w : f.page.findChildren<QWidget *>()) {
        // Widgets' own insides (a spin box's editor) are laid out on show.
        if (!w->isVisibleTo(&f.page) || w->objectName().startsWith(QLatin1String("qt_")))
            continue;
        const QRect r(w->mapTo(&f.page, QPoint(0, 0)), w->size());
        QVERIFY2(area.contains(r), qPrintable(w->objectName()));
    }
}

QTEST_MAIN(TestMainSettingWidget)
#include "tst_mainsettingwidget.moc"
