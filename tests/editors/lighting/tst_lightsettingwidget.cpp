// The lighting page and its colour wheel, driven through their real widgets
// by object name.
#include "config/languagetable.h"
#include "device/devicetypes.h"
#include "discovery/models.h"
#include "editors/cpi/moveslider.h"
#include "editors/lighting/colorwheel.h"
#include "editors/lighting/lightrules.h"
#include "editors/lighting/lightsettingwidget.h"
#include "tests/common/widgettestutil.h"

#include <QCheckBox>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QSlider>
#include <QWheelEvent>
#include <QtTest>

Q_DECLARE_METATYPE(QList<COLORREF>)

namespace {

using Colors = QList<COLORREF>;

LightZoneParam zoneRecord(int mode, int speed, int brightness, int r, int g, int b)
{
    LightZoneParam z;
    std::memset(&z, 0, sizeof(z));
    z.mode = quint8(mode);
    z.breathSpeed = quint8(speed);
    z.brightness = quint8(brightness);
    z.color1[0] = quint8(r);
    z.color1[1] = quint8(g);
    z.color1[2] = quint8(b);
    return z;
}

// A page for a model as the main window sets it up, with the mouse's record
// already delivered, and spies on everything it sends.
struct PageFixture
{
    explicit PageFixture(int mouseType, const LightColorParam &param = LightColorParam())
        : color(&page, &LightSettingWidget::sig_MouseColor)
        , mode(&page, &LightSettingWidget::sig_MouseLightMode)
        , brightness(&page, &LightSettingWidget::sig_MouseContinueLightDegree)
        , breath(&page, &LightSettingWidget::sig_MouseBreathSpeed)
        , events(&page, &LightSettingWidget::sig_SendEventMessageToGA)
    {
        page.setZoneLabels(mouseType);
        page.setSliderRanges(lightingFamilyAFlag(mouseType) == 1);
        page.slot_SetLightParameter(param);
        page.resize(960, 460);
        page.show();
        color.clear();
    }
    template <typename T = QWidget>
    T *child(const char *name)
    {
        return childNamed<T>(&page, QLatin1String(name));
    }
    void click(const char *name) { clickNamed(&page, QLatin1String(name)); }
    // A click on a MoveSlider at a fraction of its width (it reports on release).
    void clickSlider(const char *name, double fraction)
    {
        auto *slider = child<QSlider>(name);
        // The slider reaches its maximum only at its right edge.
        const QPoint at(int(slider->width() * fraction), slider->height() / 2);
        QTest::mouseClick(slider, Qt::LeftButton, Qt::NoModifier, at);
    }
    void wheelOn(QWidget *w, int delta)
    {
        const QPointF at(w->width() / 2.0, w->height() / 2.0);
        QWheelEvent e(at, QPointF(w->mapToGlobal(at.toPoint())), QPoint(), QPoint(0, delta), Qt::NoButton, Qt::NoModifier,
                      Qt::NoScrollPhase, false);
        QCoreApplication::sendEvent(w, &e);
    }
    // Every zone flag the page has sent.
    QList<bool> zoneFlags() const
    {
        QList<bool> flags;
        for (const QSignalSpy *spy : {&color, &mode, &brightness, &breath})
            for (const QList<QVariant> &args : *spy)
                flags << args.at(0).toBool();
        return flags;
    }

    NumberedLanguageTable texts;
    LightSettingWidget page;
    QSignalSpy color;
    QSignalSpy mode;
    QSignalSpy brightness;
    QSignalSpy breath;
    QSignalSpy events;
};

} // namespace

class TestLightSettingWidget : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();

    void breathingSliderSendsTheMouseSpeed_data();
    void breathingSliderSendsTheMouseSpeed();
    void brightnessSliderSendsItsValue();
    void zonesFollowTheModel_data();
    void zonesFollowTheModel();
    void logoOnlyModelSendsEverythingForTheLogoZone();
    void logoOnlyModelWorksOnTheLogoZoneBeforeTheMouseIsRead();
    void zoneButtonsShowTheirRecords();
    void modeButtonsSendTheirMode_data();
    void modeButtonsSendTheirMode();
    void leavingColourChaseChangesBothZones();
    void colourChaseBoxSendsBothZones_data();
    void colourChaseBoxSendsBothZones();
    void presetButtonsSendTheirColour_data();
    void presetButtonsSendTheirColour();
    void colourSlidersJumpAndSendOnRelease();
    void colourSliderWheelStepsOnceAndSends_data();
    void colourSliderWheelStepsOnceAndSends();
    void wheelSendsThePictureColourInsideTheDisc_data();
    void wheelSendsThePictureColourInsideTheDisc();
    void recordValuesBeyondTheScalesShowDefaults_data();
    void recordValuesBeyondTheScalesShowDefaults();
    void analyticsNameTheZoneAndTheControl();
    void pageFitsAndEveryTextIsTranslated_data();
    void pageFitsAndEveryTextIsTranslated();
};

void TestLightSettingWidget::initTestCase()
{
    qRegisterMetaType<QList<COLORREF>>("QList<COLORREF>");
}

// --- Speed and brightness ------------------------------------------------------------------

void TestLightSettingWidget::breathingSliderSendsTheMouseSpeed_data()
{
    QTest::addColumn<int>("mouseType");
    QTest::addColumn<double>("fraction");
    QTest::addColumn<int>("speed");
    QTest::newRow("family A: slider at 0 sends speed 4") << int(Ox7) << 0.0 << 4;
    QTest::newRow("family A: slider at 4 sends speed 0") << int(Ox7) << 1.0 << 0;
    QTest::newRow("family A: middle sends 2") << int(Ox7) << 0.5 << 2;
    QTest::newRow("family B: slider at 0 sends speed 9") << int(Ox6) << 0.0 << 9;
    QTest::newRow("family B: slider at 9 sends speed 0") << int(Ox6) << 1.0 << 0;
}

void TestLightSettingWidget::breathingSliderSendsTheMouseSpeed()
{
    QFETCH(int, mouseType);
    QFETCH(double, fraction);
    QFETCH(int, speed);
    PageFixture f(mouseType);
    f.clickSlider("BreathSlider", fraction);
    QCOMPARE(f.breath.count(), 1);
    QCOMPARE(f.breath.at(0).at(1).toInt(), speed);
    QCOMPARE(int(f.page.lightParameter().logo.breathSpeed + f.page.lightParameter().wheel.breathSpeed), speed);
}

void TestLightSettingWidget::brightnessSliderSendsItsValue()
{
    PageFixture f(Ox6);
    f.clickSlider("ContinueLightSlider", 1.0);
    f.clickSlider("ContinueLightSlider", 0.0);
    QCOMPARE(f.brightness.count(), 2);
    QCOMPARE(f.brightness.at(0).at(1).toInt(), 9);
    QCOMPARE(f.brightness.at(1).at(1).toInt(), 0);
    QCOMPARE(f.brightness.at(0).at(0).toBool(), true);
}

// --- Zones -------------------------------------------------------------------------------

void TestLightSettingWidget::zonesFollowTheModel_data()
{
    QTest::addColumn<int>("mouseType");
    QTest::addColumn<bool>("zoneButtons");
    QTest::addColumn<QString>("wheelText");
    QTest::addColumn<QString>("logoText");
    QTest::addColumn<bool>("colourChase");
    QTest::newRow("OX7: logo only") << int(Ox7) << false << "T442" << "T443" << false;
    QTest::newRow("OX4: logo only") << int(Ox4) << false << "T442" << "T443" << false;
    QTest::newRow("OX6: wheel and logo") << int(Ox6) << true << "T442" << "T443" << false;
    QTest::newRow("OX5: wheel and logo") << int(Ox5) << true << "T442" << "T443" << false;
    QTest::newRow("OX1: colour chase") << int(Ox1) << true << "T442" << "T443" << true;
    QTest::newRow("OX1S: colour chase") << int(Ox1S) << true << "T442" << "T443" << true;
    QTest::newRow("OX8: logo and light strip") << int(Ox8) << true << "T440" << "T441" << true;
}

void TestLightSettingWidget::zonesFollowTheModel()
{
    QFETCH(int, mouseType);
    QFETCH(bool, zoneButtons);
    QFETCH(QString, wheelText);
    QFETCH(QString, logoText);
    QFETCH(bool, colourChase);
    PageFixture f(mouseType);
    QCOMPARE(f.child("WheelLightButton")->isVisible(), zoneButtons);
    QCOMPARE(f.child("LogoLightButton")->isVisible(), zoneButtons);
    QCOMPARE(f.child<QPushButton>("WheelLightButton")->toolTip(), wheelText);
    QCOMPARE(f.child<QPushButton>("LogoLightButton")->toolTip(), logoText);
    QCOMPARE(f.child("ColorIntrigueCheckBox_2")->isVisible(), colourChase);
    QVERIFY(!f.child("ColorIntrigueRadioButton")->isVisible());
    // A model with one zone works on the logo zone, the others start on the wheel.
    QCOMPARE(f.page.isWheelLightChange(), zoneButtons);
}

void TestLightSettingWidget::logoOnlyModelSendsEverythingForTheLogoZone()
{
    PageFixture f(Ox7);
    f.click("BrethModeRaioButton");
    f.click("colorButton3");
    f.clickSlider("BreathSlider", 0.2);
    f.clickSlider("ContinueLightSlider", 0.7);
    QTest::mouseClick(f.child("Red_Slider"), Qt::LeftButton, Qt::NoModifier, QPoint(20, 9));
    QTest::mouseClick(f.child("ColorWheel_Widget"), Qt::LeftButton, Qt::NoModifier, QPoint(69, 20));
    QCOMPARE(f.mode.count(), 1);
    QCOMPARE(f.color.count(), 3);
    QCOMPARE(f.breath.count(), 1);
    QCOMPARE(f.brightness.count(), 1);
    QCOMPARE(f.zoneFlags(), (QList<bool>{false, false, false, false, false, false}));
}

void TestLightSettingWidget::logoOnlyModelWorksOnTheLogoZoneBeforeTheMouseIsRead()
{
    NumberedLanguageTable texts;
    LightSettingWidget page;
    page.setZoneLabels(Ox6);
    page.setZoneLabels(Ox7);
    page.show();
    QSignalSpy mode(&page, &LightSettingWidget::sig_MouseLightMode);
    clickNamed(&page, QStringLiteral("LightCirleRaioButton"));
    QCOMPARE(mode.count(), 1);
    QCOMPARE(mode.at(0), (QList<QVariant>{false, 4}));
    QVERIFY(!childNamed<QWidget>(&page, QStringLiteral("WheelLightButton"))->isVisible());
}

void TestLightSettingWidget::zoneButtonsShowTheirRecords()
{
    LightColorParam param;
    param.wheel = zoneRecord(2, 7, 3, 10, 20, 30);
    param.logo = zoneRecord(4, 1, 8, 200, 100, 50);
    PageFixture f(Ox6, param);

    QVERIFY(f.page.isWheelLightChange());
    QVERIFY(f.child<QPushButton>("WheelLightButton")->isChecked());
    QVERIFY(f.child<QRadioButton>("BrethModeRaioButton")->isChecked());
    QCOMPARE(f.child<QSlider>("BreathSlider")->value(), 9 - 7);
    QCOMPARE(f.child<QSlider>("ContinueLightSlider")->value(), 3);
    QCOMPARE(f.child<QSlider>("Red_Slider")->value(), 10);
    QCOMPARE(f.child<QLabel>("BlueValue_Label")->text(), QStringLiteral("30"));
    QVERIFY(f.child("ShowColor_Button")->styleSheet().contains(QLatin1String("rgb(10,20,30)")));

    f.click("LogoLightButton");
    QVERIFY(!f.page.isWheelLightChange());
    QVERIFY(f.child<QPushButton>("LogoLightButton")->isChecked());
    QVERIFY(!f.child<QPushButton>("WheelLightButton")->isChecked());
    QVERIFY(f.child<QRadioButton>("LightCirleRaioButton")->isChecked());
    QCOMPARE(f.child<QSlider>("BreathSlider")->value(), 9 - 1);
    QCOMPARE(f.child<QSlider>("ContinueLightSlider")->value(), 8);
    QCOMPARE(f.child<QLabel>("RedValue_Label")->text(), QStringLiteral("200"));
    // Showing a zone sends nothing to the mouse.
    QCOMPARE(f.zoneFlags(), QList<bool>());

    f.click("CloseLightModeRadioButton");
    QCOMPARE(f.mode.count(), 1);
    QCOMPARE(f.mode.at(0), (QList<QVariant>{false, 0}));
    QCOMPARE(int(f.page.lightParameter().logo.mode), 0);
    QCOMPARE(int(f.page.lightParameter().wheel.mode), 2);
}

// --- Modes -------------------------------------------------------------------------------

void TestLightSettingWidget::modeButtonsSendTheirMode_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<int>("mode");
    QTest::newRow("off") << "CloseLightModeRadioButton" << 0;
    QTest::newRow("always on") << "ContinueLightModeRadioButton" << 1;
    QTest::newRow("breathing") << "BrethModeRaioButton" << 2;
    QTest::newRow("APM breathing") << "ApmBreathModeRaidoButton" << 3;
    QTest::newRow("colour cycle") << "LightCirleRaioButton" << 4;
}

void TestLightSettingWidget::modeButtonsSendTheirMode()
{
    QFETCH(QString, button);
    QFETCH(int, mode);
    LightColorParam param;
    param.wheel = zoneRecord(mode == 1 ? 2 : 1, 0, 0, 0, 0, 0);
    PageFixture f(Ox6, param);
    clickNamed(&f.page, button);
    QCOMPARE(f.mode.count(), 1);
    QCOMPARE(f.mode.at(0), (QList<QVariant>{true, mode}));
    QCOMPARE(int(f.page.lightParameter().wheel.mode), mode);
    QVERIFY(childNamed<QRadioButton>(&f.page, button)->isChecked());
}

void TestLightSettingWidget::leavingColourChaseChangesBothZones()
{
    LightColorParam param;
    param.wheel = zoneRecord(5, 0, 0, 0, 0, 0);
    param.logo = zoneRecord(5, 0, 0, 0, 0, 0);
    PageFixture f(Ox1, param);
    QVERIFY(f.child<QCheckBox>("ColorIntrigueCheckBox_2")->isChecked());
    for (const char *radio : {"CloseLightModeRadioButton", "ContinueLightModeRadioButton", "BrethModeRaioButton",
                              "ApmBreathModeRaidoButton", "LightCirleRaioButton"})
        QVERIFY2(!f.child<QRadioButton>(radio)->isChecked(), radio);

    f.click("ContinueLightModeRadioButton");
    // First the logo zone leaves the chase, then the zone the user works on.
    QCOMPARE(f.mode.count(), 2);
    QCOMPARE(f.mode.at(0), (QList<QVariant>{false, 1}));
    QCOMPARE(f.mode.at(1), (QList<QVariant>{true, 1}));
    QVERIFY(!f.child<QCheckBox>("ColorIntrigueCheckBox_2")->isChecked());
    QCOMPARE(int(f.page.lightParameter().logo.mode), 1);

    // Out of the chase, a mode concerns one zone again.
    f.click("BrethModeRaioButton");
    QCOMPARE(f.mode.count(), 3);
    QCOMPARE(f.mode.at(2), (QList<QVariant>{true, 2}));
}

void TestLightSettingWidget::colourChaseBoxSendsBothZones_data()
{
    QTest::addColumn<int>("startMode");
    QTest::addColumn<int>("sent");
    QTest::newRow("checking it starts the chase") << 1 << 5;
    QTest::newRow("clearing it leaves colour cycle") << 5 << 4;
}

void TestLightSettingWidget::colourChaseBoxSendsBothZones()
{
    QFETCH(int, startMode);
    QFETCH(int, sent);
    LightColorParam param;
    param.wheel = zoneRecord(startMode, 0, 0, 0, 0, 0);
    param.logo = zoneRecord(startMode, 0, 0, 0, 0, 0);
    PageFixture f(Ox8, param);
    f.click("ColorIntrigueCheckBox_2");
    QCOMPARE(f.mode.count(), 2);
    QCOMPARE(f.mode.at(0), (QList<QVariant>{false, sent}));
    QCOMPARE(f.mode.at(1), (QList<QVariant>{true, sent}));
    QCOMPARE(int(f.page.lightParameter().wheel.mode), sent);
    QCOMPARE(int(f.page.lightParameter().logo.mode), sent);
    QCOMPARE(f.child<QCheckBox>("ColorIntrigueCheckBox_2")->isChecked(), sent == 5);
    QCOMPARE(f.child<QRadioButton>("LightCirleRaioButton")->isChecked(), sent == 4);
}

// --- Colours -----------------------------------------------------------------------------

void TestLightSettingWidget::presetButtonsSendTheirColour_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<int>("red");
    QTest::addColumn<int>("green");
    QTest::addColumn<int>("blue");
    QTest::newRow("first") << "colorButton1" << 255 << 69 << 110;
    QTest::newRow("middle") << "colorButton13" << 102 << 65 << 255;
    QTest::newRow("18 and 23 give one colour (18)") << "colorButton18" << 63 << 177 << 87;
    QTest::newRow("18 and 23 give one colour (23)") << "colorButton23" << 63 << 177 << 87;
    QTest::newRow("last") << "colorButton25" << 135 << 101 << 239;
}

void TestLightSettingWidget::presetButtonsSendTheirColour()
{
    QFETCH(QString, button);
    QFETCH(int, red);
    QFETCH(int, green);
    QFETCH(int, blue);
    PageFixture f(Ox6);
    clickNamed(&f.page, button);
    QCOMPARE(f.color.count(), 1);
    QCOMPARE(f.color.at(0).at(0).toBool(), true);
    QCOMPARE(f.color.at(0).at(1).value<Colors>(), Colors{makeColorRef(quint8(red), quint8(green), quint8(blue))});
    QCOMPARE(f.child<QSlider>("Red_Slider")->value(), red);
    QCOMPARE(f.child<QSlider>("Green_Slider")->value(), green);
    QCOMPARE(f.child<QSlider>("Blue_Slider")->value(), blue);
    QCOMPARE(f.child<QLabel>("GreenValue_Label")->text(), QString::number(green));
    QVERIFY(f.child("ShowColor_Button")
                ->styleSheet()
                .contains(QStringLiteral("background:rgb(%1,%2,%3)").arg(red).arg(green).arg(blue)));
    QCOMPARE(int(f.page.lightParameter().wheel.color1[0]), red);
    QCOMPARE(int(f.page.lightParameter().wheel.color1[2]), blue);
    // The button shows the colour it sends.
    QVERIFY(childNamed<QWidget>(&f.page, button)
                ->styleSheet()
                .contains(QStringLiteral("rgb(%1, %2, %3)").arg(red).arg(green).arg(blue)));
}

void TestLightSettingWidget::colourSlidersJumpAndSendOnRelease()
{
    PageFixture f(Ox6);
    f.click("colorButton6"); // 67, 255, 66
    f.color.clear();
    auto *green = f.child<QSlider>("Green_Slider");
    // A press jumps to the point; moving only updates the number; release sends.
    QTest::mousePress(green, Qt::LeftButton, Qt::NoModifier, QPoint(green->width() / 2, green->height() / 2));
    QCOMPARE(green->value(), 127);
    QCOMPARE(f.child<QLabel>("GreenValue_Label")->text(), QStringLiteral("127"));
    QCOMPARE(f.color.count(), 0);
    QTest::mouseRelease(green, Qt::LeftButton, Qt::NoModifier, QPoint(green->width() / 2, green->height() / 2));
    QCOMPARE(f.color.count(), 1);
    QCOMPARE(f.color.at(0).at(1).value<Colors>(), Colors{makeColorRef(67, 127, 66)});
    QVERIFY(f.child("ShowColor_Button")->styleSheet().contains(QLatin1String("rgb(67,127,66)")));

    // At the far left end the value is the slider's minimum.
    auto *red = f.child<QSlider>("Red_Slider");
    QTest::mouseClick(red, Qt::LeftButton, Qt::NoModifier, QPoint(0, red->height() / 2));
    QCOMPARE(red->value(), 0);
    QCOMPARE(f.color.last().at(1).value<Colors>(), Colors{makeColorRef(0, 127, 66)});
}

void TestLightSettingWidget::colourSliderWheelStepsOnceAndSends_data()
{
    QTest::addColumn<int>("delta");
    QTest::addColumn<int>("blue");
    QTest::newRow("wheel forward lowers by one") << 120 << 65;
    QTest::newRow("wheel back raises by one") << -120 << 67;
}

void TestLightSettingWidget::colourSliderWheelStepsOnceAndSends()
{
    QFETCH(int, delta);
    QFETCH(int, blue);
    PageFixture f(Ox6);
    f.click("colorButton6"); // 67, 255, 66
    f.color.clear();
    f.wheelOn(f.child("Blue_Slider"), delta);
    QCOMPARE(f.child<QSlider>("Blue_Slider")->value(), blue);
    QCOMPARE(f.child<QLabel>("BlueValue_Label")->text(), QString::number(blue));
    QCOMPARE(f.color.count(), 1);
    QCOMPARE(f.color.at(0).at(1).value<Colors>(), Colors{makeColorRef(67, 255, quint8(blue))});
}

void TestLightSettingWidget::wheelSendsThePictureColourInsideTheDisc_data()
{
    QTest::addColumn<QPoint>("at");
    QTest::addColumn<bool>("inside");
    QTest::newRow("centre") << QPoint(69, 69) << true;
    QTest::newRow("top edge of the disc") << QPoint(69, 0) << true;
    QTest::newRow("left edge of the disc") << QPoint(0, 69) << true;
    QTest::newRow("just inside the rim") << QPoint(69 + 48, 69 + 49) << true;
    QTest::newRow("corner outside the disc") << QPoint(2, 2) << false;
    QTest::newRow("just outside the rim") << QPoint(69 + 49, 69 + 49) << false;
    QTest::newRow("bottom right corner") << QPoint(137, 137) << false;
}

void TestLightSettingWidget::wheelSendsThePictureColourInsideTheDisc()
{
    QFETCH(QPoint, at);
    QFETCH(bool, inside);
    PageFixture f(Ox6);
    auto *wheel = f.child<ColorWheel>("ColorWheel_Widget");
    QSignalSpy picked(wheel, &ColorWheel::sigColor);
    QTest::mouseClick(wheel, Qt::LeftButton, Qt::NoModifier, at);
    QCOMPARE(picked.count(), inside ? 1 : 0);
    QCOMPARE(f.color.count(), inside ? 1 : 0);
    if (!inside)
        return;
    // The colour of our own picture there, read from the resource here.
    QImage picture(QStringLiteral(":/picture/picture/bg_light_color.png"));
    QVERIFY(!picture.isNull());
    picture = picture.convertToFormat(QImage::Format_ARGB32);
    QPoint p(qMin(at.x(), picture.width() - 1), qMin(at.y(), picture.height() - 1));
    QRgb expected = picture.pixel(p);
    if (qAlpha(expected) == 0) // the rim's outermost pixels: the next one inwards
        expected = picture.pixel(p + QPoint(at.x() > 69 ? -1 : 1, at.y() > 69 ? -1 : 1));
    const QList<QVariant> rgb = picked.at(0);
    QCOMPARE(rgb.at(0).toInt(), qRed(expected));
    QCOMPARE(rgb.at(1).toInt(), qGreen(expected));
    QCOMPARE(rgb.at(2).toInt(), qBlue(expected));
    QCOMPARE(f.color.at(0).at(1).value<Colors>(),
             Colors{makeColorRef(quint8(qRed(expected)), quint8(qGreen(expected)), quint8(qBlue(expected)))});
    QCOMPARE(f.child<QSlider>("Red_Slider")->value(), qRed(expected));
}

// --- What the mouse reports --------------------------------------------------------------

void TestLightSettingWidget::recordValuesBeyondTheScalesShowDefaults_data()
{
    QTest::addColumn<int>("mouseType");
    QTest::addColumn<int>("mode");
    QTest::addColumn<int>("speed");
    QTest::addColumn<int>("brightness");
    QTest::addColumn<QString>("checkedRadio");
    QTest::addColumn<int>("breathSlider");
    QTest::addColumn<int>("brightnessSlider");
    QTest::newRow("erased memory (0xFF) on family A")
        << int(Ox7) << 0xFF << 0xFF << 0xFF << "ContinueLightModeRadioButton" << 0 << 9;
    QTest::newRow("mode 6 on family B") << int(Ox6) << 6 << 3 << 4 << "ContinueLightModeRadioButton" << 6 << 4;
    QTest::newRow("colour chase on a model without it")
        << int(Ox6) << 5 << 0 << 0 << "ContinueLightModeRadioButton" << 9 << 0;
    QTest::newRow("speed above the family A scale") << int(Ox4) << 2 << 9 << 9 << "BrethModeRaioButton" << 0 << 9;
    QTest::newRow("values in range stay") << int(Ox6) << 3 << 2 << 5 << "ApmBreathModeRaidoButton" << 7 << 5;
}

void TestLightSettingWidget::recordValuesBeyondTheScalesShowDefaults()
{
    QFETCH(int, mouseType);
    QFETCH(int, mode);
    QFETCH(int, speed);
    QFETCH(int, brightness);
    QFETCH(QString, checkedRadio);
    QFETCH(int, breathSlider);
    QFETCH(int, brightnessSlider);
    LightColorParam param;
    param.wheel = zoneRecord(mode, speed, brightness, 255, 0, 255);
    param.logo = zoneRecord(mode, speed, brightness, 255, 0, 255);
    PageFixture f(mouseType, param);
    QVERIFY(childNamed<QRadioButton>(&f.page, checkedRadio)->isChecked());
    QVERIFY(!f.child<QCheckBox>("ColorIntrigueCheckBox_2")->isChecked());
    QCOMPARE(f.child<QSlider>("BreathSlider")->value(), breathSlider);
    QCOMPARE(f.child<QSlider>("ContinueLightSlider")->value(), brightnessSlider);
    QCOMPARE(f.child<QLabel>("RedValue_Label")->text(), QStringLiteral("255"));
    QCOMPARE(f.zoneFlags(), QList<bool>());
}

// --- Analytics and look ------------------------------------------------------------------

void TestLightSettingWidget::analyticsNameTheZoneAndTheControl()
{
    PageFixture f(Ox6);
    f.click("LogoLightButton");
    f.events.clear();
    f.click("BrethModeRaioButton");
    QCOMPARE(f.events.count(), 2);
    QCOMPARE(f.events.at(0),
             (QList<QVariant>{QStringLiteral("UI事件"), QStringLiteral("T154按钮_Logo"), QStringLiteral("T190"),
                              QStringLiteral("T190")}));
    QCOMPARE(f.events.at(1), (QList<QVariant>{QStringLiteral("操作事件"), QStringLiteral("改灯光模式_Logo"),
                                              QStringLiteral("改灯光模式_Logo_T154"), QString()}));

    f.click("WheelLightButton");
    f.events.clear();
    f.click("colorButton1");
    QCOMPARE(f.events.last(), (QList<QVariant>{QStringLiteral("操作事件"), QStringLiteral("改颜色_滚轮"),
                                               QStringLiteral("改颜色_滚轮_(255,69,110)"), QString()}));
}

void TestLightSettingWidget::pageFitsAndEveryTextIsTranslated_data()
{
    QTest::addColumn<int>("mouseType");
    for (const ModelIdentity &m : modelTable())
        QTest::newRow(m.name) << m.mouseType;
}

void TestLightSettingWidget::pageFitsAndEveryTextIsTranslated()
{
    QFETCH(int, mouseType);
    PageFixture f(mouseType);
    const QRect page(0, 0, 960, 460);
    for (QWidget *w : f.page.findChildren<QWidget *>()) {
        if (!w->isVisible() || w->objectName().isEmpty() || w->objectName().startsWith(QLatin1String("qt_")))
            continue;
        const QRect at(w->mapTo(&f.page, QPoint(0, 0)), w->size());
        QVERIFY2(page.contains(at), qPrintable(w->objectName()));
        // Texts come from the table ("T<n>") or are numbers; nothing else is written on the page.
        const QVariant text = w->property("text");
        if (text.isValid() && !text.toString().isEmpty() && !w->objectName().startsWith(QLatin1String("colorButton"))) {
            const QString t = text.toString();
            QVERIFY2(t.startsWith(QLatin1Char('T')) || t.toInt() > 0 || t == QLatin1String("0"),
                     qPrintable(w->objectName() + QLatin1String(": ") + t));
        }
    }
    for (const char *labelled : {"CurrentLightLabel", "PredictLightLabel", "CustomLightLabel", "BreathSpeedLabel",
                                 "BrightnessLabel", "LightModeLabel", "CloseLightModeRadioButton"})
        QVERIFY2(!f.child(labelled)->property("text").toString().isEmpty(), labelled);
}

QTEST_MAIN(TestLightSettingWidget)
#include "tst_lightsettingwidget.moc"
