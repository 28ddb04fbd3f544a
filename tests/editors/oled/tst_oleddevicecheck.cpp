// From the OLED editor to the emulated mouse: a picture drawn and saved by
// the editor, sent by the data coordinator, must arrive as the 384 bytes an
// independent packing of the saved BMP gives (one bit per pixel, 6 pages of
// 64 columns, bit i of byte page x 64 + x the pixel (x, page x 8 + i), set for
// a dark pixel), and read back from the mouse as the picture that was drawn.
// The device clock runs in virtual time.
#include "config/paths.h"
#include "config/warningtype.h"
#include "coordinator/dcdatahandle.h"
#include "device/usbdrivermanager.h"
#include "discovery/models.h"
#include "editors/oled/drawborderwidget.h"
#include "editors/oled/drawdialog.h"
#include "platform/clock.h"
#include "sim/familya/familyamouse.h"
#include "sim/familyb/familybmouse.h"
#include "sim/simulation.h"
#include "tests/common/testutil.h"
#include "tests/common/widgettestutil.h"

#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QMouseEvent>
#include <QSignalSpy>
#include <QtTest>

#include <memory>

namespace {

constexpr int kPictureBytes = 384;
// Family A keeps picture n at (n + 34) x 0x1000; the editor's picture is number 0.
constexpr quint32 kFamilyAPictureAddress = 34 * 0x1000;

void sendMouse(QWidget *w, QEvent::Type type, const QPoint &at, Qt::MouseButton button, Qt::MouseButtons buttons)
{
    QMouseEvent e(type, QPointF(at), QPointF(w->mapToGlobal(at)), button, buttons, Qt::NoModifier);
    QCoreApplication::sendEvent(w, &e);
}

void drag(QWidget *canvas, const QList<QPoint> &points)
{
    sendMouse(canvas, QEvent::MouseButtonPress, points.first(), Qt::LeftButton, Qt::LeftButton);
    for (int i = 1; i < points.size(); ++i)
        sendMouse(canvas, QEvent::MouseMove, points.at(i), Qt::NoButton, Qt::LeftButton);
    sendMouse(canvas, QEvent::MouseButtonRelease, points.last(), Qt::LeftButton, Qt::NoButton);
}

bool isDark(QRgb rgb)
{
    return qGray(rgb) < 128;
}

// The screen's bytes for a picture, packed here from the bytes' description.
QByteArray packedHere(const QImage &picture)
{
    QByteArray out(kPictureBytes, '\0');
    for (int y = 0; y < 48; ++y)
        for (int x = 0; x < 64; ++x)
            if (isDark(picture.pixel(x, y)))
                out[(y / 8) * 64 + x] = char(quint8(out.at((y / 8) * 64 + x)) | (1 << (y % 8)));
    return out;
}

int darkCount(const QImage &picture)
{
    int n = 0;
    for (int y = 0; y < picture.height(); ++y)
        for (int x = 0; x < picture.width(); ++x)
            n += isDark(picture.pixel(x, y)) ? 1 : 0;
    return n;
}

// An emulated mouse of a model opened by a coordinator on this thread, and
// an editor for profile 1 wired to it as the main window wires it.
struct Desk
{
    explicit Desk(const QString &model)
    {
        bool receiver = false;
        if (!Simulation::parseModel(model, mouseType, receiver) || !simulation.setUp(model))
            qFatal("no simulation of %s", qPrintable(model));
        simulation.install();
        QSignalSpy opened(&dc, &DCDataHandle::sig_OpenDeviceResult);
        dc.slot_OpenDevice(modelForType(mouseType)->wiredPid, VID_KORVAN);
        isOpen = opened.count() == 1 && opened.at(0).at(0).toBool();

        dialog.setMouseType(mouseType);
        dialog.setConfigNumber(1);
        QObject::connect(&dialog, &DrawDialog::sig_SetImageOnMouse, &dc, &DCDataHandle::slot_WriteImageToMouse);
        dialog.show();
    }

    // What the mouse holds where the screen's picture lives.
    QByteArray deviceBytes() const
    {
        if (auto a = simulation.familyAMouse())
            return a->memory(kFamilyAPictureAddress, kPictureBytes);
        if (auto b = simulation.familyBMouse())
            return b->macroBlock().left(kPictureBytes);
        return QByteArray();
    }

    NumberedLanguageTable texts;
    TempAppDir app;
    VirtualClock clock;
    ScopedDeviceClock clockScope{&clock};
    Simulation simulation;
    int mouseType = 0;
    bool isOpen = false;
    DCDataHandle dc;
    DrawDialog dialog;
};

} // namespace

class TestOledDeviceCheck : public QObject
{
    Q_OBJECT

private slots:
    void drawnPictureReachesTheMouse_data();
    void drawnPictureReachesTheMouse();
    void unwritableFolderEndsInTheFactoryPicture_data();
    void unwritableFolderEndsInTheFactoryPicture();
};

void TestOledDeviceCheck::drawnPictureReachesTheMouse_data()
{
    QTest::addColumn<QString>("model");
    QTest::newRow("family A: OX7") << "ox7";
    QTest::newRow("family A: OX7Q") << "ox7q";
    QTest::newRow("family B: OX6") << "ox6";
}

void TestOledDeviceCheck::drawnPictureReachesTheMouse()
{
    QFETCH(QString, model);
    Desk d(model);
    QVERIFY(d.isOpen);
    QVERIFY(hasOledScreen(d.mouseType));

    // A frame, a diagonal and a word, on the black background.
    clickNamed(&d.dialog, QStringLiteral("ChangeBackground_CheckBox"));
    clickNamed(&d.dialog, QStringLiteral("Brush_Button"));
    DrawBorderWidget *canvas = d.dialog.canvas();
    drag(canvas, {{0, 0}, {191, 0}, {191, 143}, {0, 143}, {0, 0}});
    drag(canvas, {{10, 10}, {180, 130}});
    clickNamed(&d.dialog, QStringLiteral("TextEditButton"));
    sendMouse(canvas, QEvent::MouseButtonPress, {20, 40}, Qt::LeftButton, Qt::LeftButton);
    QTest::keyClicks(canvas->textField(), QStringLiteral("OX8"));
    const QImage drawn = canvas->picture(true);
    QVERIFY(darkCount(drawn) > 100 && darkCount(drawn) < 64 * 48 - 100);

    clickNamed(&d.dialog, QStringLiteral("DrawOkButton"));

    const QString path = getPictureFilePath(d.mouseType, QStringLiteral("1"));
    const QImage saved(path);
    QCOMPARE(saved.size(), QSize(64, 48));
    const QByteArray expected = packedHere(saved);
    QCOMPARE(d.deviceBytes().toHex(), expected.toHex());
    QCOMPARE(packedHere(drawn).toHex(), expected.toHex());
    QCOMPARE(d.dc.manager()->GetOLEDBehaviour(), 8);

    // Read back from the mouse, the picture is the one drawn.
    QImage back;
    QVERIFY(d.dc.manager()->ReadOLEDPicture(0, back));
    QCOMPARE(back.size(), QSize(64, 48));
    for (int y = 0; y < 48; ++y)
        for (int x = 0; x < 64; ++x)
            QVERIFY2(isDark(back.pixel(x, y)) == isDark(drawn.pixel(x, y)),
                     qPrintable(QStringLiteral("pixel (%1, %2)").arg(x).arg(y)));
}

void TestOledDeviceCheck::unwritableFolderEndsInTheFactoryPicture_data()
{
    QTest::addColumn<QString>("model");
    QTest::newRow("family A: OX7") << "ox7";
    QTest::newRow("family B: OX6") << "ox6";
}

void TestOledDeviceCheck::unwritableFolderEndsInTheFactoryPicture()
{
    QFETCH(QString, model);
    Desk d(model);
    QVERIFY(d.isOpen);
    QSignalSpy warned(&d.dialog, &DrawDialog::sig_WarningTypeOnMainWindow);

    // A picture first, so that the factory picture has something to replace.
    clickNamed(&d.dialog, QStringLiteral("Brush_Button"));
    drag(d.dialog.canvas(), {{0, 0}, {191, 143}});
    QVERIFY(d.dialog.saveDrawImage());
    d.dc.slot_WriteImageToMouse(QStringLiteral("1"));
    QCOMPARE(d.dc.manager()->GetOLEDBehaviour(), 8);

    // Then the picture folders cannot be written any more.
    const QString folder = QFileInfo(getPictureFilePath(d.mouseType, QStringLiteral("1"))).absolutePath();
    QVERIFY(QDir(folder).removeRecursively());
    QFile blocker(folder); // a file where the profile's folder belongs
    QVERIFY(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    clickNamed(&d.dialog, QStringLiteral("DrawOkButton"));

    QCOMPARE(warned.count(), 1);
    QCOMPARE(warned.at(0).at(0).toInt(), int(Warning::PictureNotSaved));
    // The screen goes back to the CPI value, the factory display.
    QCOMPARE(d.dc.manager()->GetOLEDBehaviour(), 1);
}

QTEST_MAIN(TestOledDeviceCheck)
#include "tst_oleddevicecheck.moc"
