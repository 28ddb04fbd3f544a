// The OLED editor and its canvas, driven through their real widgets by
// object name, with APP in a temporary folder.
#include "config/paths.h"
#include "config/warningtype.h"
#include "editors/cpi/moveslider.h"
#include "editors/oled/drawborderwidget.h"
#include "editors/oled/drawdialog.h"
#include "tests/common/testutil.h"
#include "tests/common/widgettestutil.h"

#include <QBuffer>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QSignalSpy>
#include <QSpinBox>
#include <QtTest>

namespace {

using Points = QList<QPoint>;

void sendMouse(QWidget *w, QEvent::Type type, const QPoint &at, Qt::MouseButton button, Qt::MouseButtons buttons)
{
    QMouseEvent e(type, QPointF(at), QPointF(w->mapToGlobal(at)), button, buttons, Qt::NoModifier);
    QCoreApplication::sendEvent(w, &e);
}

// One stroke through the points with the left button held.
void drag(QWidget *canvas, const Points &points)
{
    sendMouse(canvas, QEvent::MouseButtonPress, points.first(), Qt::LeftButton, Qt::LeftButton);
    for (int i = 1; i < points.size(); ++i)
        sendMouse(canvas, QEvent::MouseMove, points.at(i), Qt::NoButton, Qt::LeftButton);
    sendMouse(canvas, QEvent::MouseButtonRelease, points.last(), Qt::LeftButton, Qt::NoButton);
}

bool isDark(const QImage &picture, const QPoint &pixel)
{
    return qGray(picture.pixel(pixel)) < 128;
}

int darkPixels(const QImage &picture)
{
    int n = 0;
    for (int y = 0; y < picture.height(); ++y)
        for (int x = 0; x < picture.width(); ++x)
            n += isDark(picture, QPoint(x, y)) ? 1 : 0;
    return n;
}

// A picture of size whose left half (or top half) is black.
QImage halfBlack(const QSize &size, bool leftHalf)
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(Qt::white);
    for (int y = 0; y < size.height(); ++y)
        for (int x = 0; x < size.width(); ++x)
            if (leftHalf ? x < (size.width() + 1) / 2 : y < (size.height() + 1) / 2)
                image.setPixel(x, y, qRgb(0, 0, 0));
    return image;
}

QByteArray le32(quint32 v)
{
    QByteArray b(4, '\0');
    for (int i = 0; i < 4; ++i)
        b[i] = char((v >> (8 * i)) & 0xFF);
    return b;
}

// A BMP header that claims width x height pixels of 24 bits, followed by
// only a few bytes.
QByteArray bmpHeaderOnly(qint32 width, qint32 height)
{
    QByteArray b("BM");
    b += le32(54 + 16) + le32(0) + le32(54);
    b += le32(40) + le32(quint32(width)) + le32(quint32(height));
    b += QByteArray("\x01\x00\x18\x00", 4) + le32(0) + le32(0) + le32(0) + le32(0) + le32(0) + le32(0);
    b += QByteArray(16, '\0');
    return b;
}

QByteArray encoded(const QImage &image, const char *format)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, format);
    return bytes;
}

bool writeBytes(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

// An editor for OX7 profile 3 with APP in a temporary folder.
struct DialogFixture
{
    DialogFixture()
        : image(&dialog, &DrawDialog::sig_SetImageOnMouse)
        , display(&dialog, &DrawDialog::sig_OLEDScreenParameter)
        , intensity(&dialog, &DrawDialog::sig_OLEDScreenLightIntensity)
        , warning(&dialog, &DrawDialog::sig_WarningTypeOnMainWindow)
    {
        dialog.setMouseType(11);
        dialog.setConfigNumber(3);
        dialog.show();
    }
    template <typename T = QWidget>
    T *child(const char *name)
    {
        return childNamed<T>(&dialog, QLatin1String(name));
    }
    void click(const char *name) { clickNamed(&dialog, QLatin1String(name)); }
    DrawBorderWidget *canvas() { return dialog.canvas(); }
    QString savedPath() const { return getPictureFilePath(11, QStringLiteral("3")); }
    QString file(const QString &name) const { return app.path() + QLatin1Char('/') + name; }

    NumberedLanguageTable texts;
    TempAppDir app;
    DrawDialog dialog;
    QSignalSpy image;
    QSignalSpy display;
    QSignalSpy intensity;
    QSignalSpy warning;
};

} // namespace

class TestDrawDialog : public QObject
{
    Q_OBJECT

private slots:
    void strokesLandOnPicturePixels_data();
    void strokesLandOnPicturePixels();
    void onlyTheBrushDraws();
    void recallRemovesTheLastStroke();
    void backgroundBoxSwapsBackgroundAndInk_data();
    void backgroundBoxSwapsBackgroundAndInk();
    void textIsFixedIntoThePicture();
    void anyBmpSizeIsStretched_data();
    void anyBmpSizeIsStretched();
    void badPicturesDrawNothing_data();
    void badPicturesDrawNothing();
    void addPictureTakesTheChosenFile();
    void okSavesThePictureAndAsksForIt();
    void okWithAnUnwritableFolderSendsTheFactoryPicture();
    void displayButtonsCloseAndRequestTheirMode_data();
    void displayButtonsCloseAndRequestTheirMode();
    void cancelAndCloseSaveNothing_data();
    void cancelAndCloseSaveNothing();
    void brightnessShowsTheMouseValueAndSendsChanges();
    void dialogFitsAndIsTranslated();
};

// --- Canvas ------------------------------------------------------------------------------

void TestDrawDialog::strokesLandOnPicturePixels_data()
{
    QTest::addColumn<Points>("stroke");
    QTest::addColumn<Points>("dark");
    QTest::addColumn<Points>("light");
    QTest::newRow("(190, 143) lands on picture pixel (63, 47)")
        << Points{{190, 143}} << Points{{63, 47}} << Points{{62, 47}, {63, 46}};
    QTest::newRow("a line along the top row") << Points{{0, 0}, {32, 1}} << Points{{0, 0}, {5, 0}, {10, 0}}
                                              << Points{{11, 0}, {0, 1}};
    QTest::newRow("corner to corner") << Points{{1, 1}, {191, 143}} << Points{{0, 0}, {63, 47}}
                                      << Points{{63, 0}, {0, 47}};
    QTest::newRow("a point beyond the canvas is held at its edge")
        << Points{{150, 100}, {400, 300}} << Points{{50, 33}, {63, 47}} << Points{{0, 0}};
}

void TestDrawDialog::strokesLandOnPicturePixels()
{
    QFETCH(Points, stroke);
    QFETCH(Points, dark);
    QFETCH(Points, light);
    DialogFixture f;
    f.click("Brush_Button");
    drag(f.canvas(), stroke);
    const QImage picture = f.canvas()->picture();
    QCOMPARE(picture.size(), QSize(64, 48));
    for (const QPoint &p : dark)
        QVERIFY2(isDark(picture, p), qPrintable(QStringLiteral("(%1, %2) light").arg(p.x()).arg(p.y())));
    for (const QPoint &p : light)
        QVERIFY2(!isDark(picture, p), qPrintable(QStringLiteral("(%1, %2) dark").arg(p.x()).arg(p.y())));
    // What the canvas shows is that picture, each pixel a 3 x 3 block.
    const QImage shown = f.canvas()->grab().toImage();
    const QPoint p = dark.first();
    QVERIFY(isDark(shown, p * 3 + QPoint(1, 1)));
}

void TestDrawDialog::onlyTheBrushDraws()
{
    DialogFixture f;
    drag(f.canvas(), {{10, 10}, {100, 100}});
    QCOMPARE(darkPixels(f.canvas()->picture()), 0);
    f.click("Brush_Button");
    QVERIFY(f.child<QPushButton>("Brush_Button")->isChecked());
    drag(f.canvas(), {{10, 10}, {100, 100}});
    QVERIFY(darkPixels(f.canvas()->picture()) > 0);
    // The brush button toggles.
    f.click("Brush_Button");
    QVERIFY(!f.canvas()->brushMode());
    QVERIFY(!f.child<QPushButton>("Brush_Button")->isChecked());
}

void TestDrawDialog::recallRemovesTheLastStroke()
{
    DialogFixture f;
    f.click("Brush_Button");
    drag(f.canvas(), {{0, 0}, {60, 0}});
    drag(f.canvas(), {{0, 90}, {60, 90}});
    QVERIFY(isDark(f.canvas()->picture(), {10, 30}));
    f.click("Recall_Button");
    QVERIFY(!isDark(f.canvas()->picture(), {10, 30}));
    QVERIFY(isDark(f.canvas()->picture(), {10, 0}));
    f.click("Recall_Button");
    f.click("Recall_Button"); // nothing left to remove
    QCOMPARE(darkPixels(f.canvas()->picture()), 0);
}

void TestDrawDialog::backgroundBoxSwapsBackgroundAndInk_data()
{
    QTest::addColumn<bool>("checked");
    QTest::addColumn<QRgb>("background");
    QTest::addColumn<QRgb>("ink");
    QTest::addColumn<QString>("textColour");
    QTest::newRow("checked: white background, black ink") << true << qRgb(255, 255, 255) << qRgb(0, 0, 0)
                                                         << "color:black;";
    QTest::newRow("unchecked: black background, white ink") << false << qRgb(0, 0, 0) << qRgb(255, 255, 255)
                                                           << "color:white;";
}

void TestDrawDialog::backgroundBoxSwapsBackgroundAndInk()
{
    QFETCH(bool, checked);
    QFETCH(QRgb, background);
    QFETCH(QRgb, ink);
    QFETCH(QString, textColour);
    DialogFixture f;
    auto *box = f.child<QCheckBox>("ChangeBackground_CheckBox");
    QVERIFY(box->isChecked()); // white at the start
    if (!checked)
        f.click("ChangeBackground_CheckBox");
    QCOMPARE(box->isChecked(), checked);
    f.click("Brush_Button");
    drag(f.canvas(), {{30, 30}});
    const QImage picture = f.canvas()->picture();
    QCOMPARE(picture.pixel(10, 0), background);
    QCOMPARE(picture.pixel(10, 10), ink);
    QVERIFY(f.canvas()->textField()->styleSheet().contains(textColour));
    // A partly checked state changes nothing.
    QMetaObject::invokeMethod(&f.dialog, "on_ChangeBackground_CheckBox_stateChanged", Q_ARG(int, Qt::PartiallyChecked));
    QCOMPARE(f.canvas()->picture().pixel(10, 0), background);
}

void TestDrawDialog::textIsFixedIntoThePicture()
{
    DialogFixture f;
    auto *size = f.child<QSpinBox>("spinBox");
    size->setValue(36);
    QVERIFY(f.canvas()->textField()->styleSheet().contains(QLatin1String("font-size:36px;")));

    f.click("TextEditButton");
    QVERIFY(f.canvas()->textMode());
    QVERIFY(f.canvas()->textField()->isVisible());
    // A press in text mode moves the field there.
    sendMouse(f.canvas(), QEvent::MouseButtonPress, {30, 60}, Qt::LeftButton, Qt::LeftButton);
    QCOMPARE(f.canvas()->textField()->pos(), QPoint(30, 60));
    QTest::keyClicks(f.canvas()->textField(), QStringLiteral("HI"));
    // Return in the field presses no button of the editor.
    QTest::keyClick(f.canvas()->textField(), Qt::Key_Return);
    QVERIFY(f.dialog.isVisible());
    QCOMPARE(f.image.count() + f.display.count(), 0);
    // While the text is edited the field shows it; the picture holds it only
    // when asked to (the saved picture does).
    QCOMPARE(darkPixels(f.canvas()->picture()), 0);
    const int withText = darkPixels(f.canvas()->picture(true));
    QVERIFY(withText > 0);

    f.click("TextEditButton");
    QVERIFY(!f.canvas()->textField()->isVisible());
    const QImage fixed = f.canvas()->picture();
    QCOMPARE(darkPixels(fixed), withText);
    // The letters sit where the field was: from (10, 20) on in the picture.
    int leftmost = 64;
    int topmost = 48;
    for (int y = 0; y < 48; ++y)
        for (int x = 0; x < 64; ++x)
            if (isDark(fixed, {x, y})) {
                leftmost = qMin(leftmost, x);
                topmost = qMin(topmost, y);
            }
    QVERIFY2(leftmost >= 10 && leftmost <= 13, qPrintable(QString::number(leftmost)));
    QVERIFY2(topmost >= 20 && topmost <= 26, qPrintable(QString::number(topmost)));

    // Brush and text exclude each other.
    f.click("Brush_Button");
    f.click("TextEditButton");
    QVERIFY(!f.canvas()->brushMode());
    QVERIFY(!f.child<QPushButton>("Brush_Button")->isChecked());

    f.click("Erase_Button");
    QVERIFY(f.canvas()->textField()->text().isEmpty());
    QCOMPARE(f.canvas()->textField()->pos(), QPoint(0, 0));
    QCOMPARE(darkPixels(f.canvas()->picture(true)), 0);
}

// --- Pictures ----------------------------------------------------------------------------

void TestDrawDialog::anyBmpSizeIsStretched_data()
{
    QTest::addColumn<QSize>("size");
    QTest::addColumn<bool>("leftHalf");
    QTest::newRow("64 x 48 as it is") << QSize(64, 48) << true;
    QTest::newRow("640 x 480 shrunk") << QSize(640, 480) << true;
    QTest::newRow("8 x 6 grown") << QSize(8, 6) << true;
    QTest::newRow("300 x 20, another aspect") << QSize(300, 20) << false;
    QTest::newRow("13 x 200, tall") << QSize(13, 200) << false;
    QTest::newRow("2 x 2") << QSize(2, 2) << true;
}

void TestDrawDialog::anyBmpSizeIsStretched()
{
    QFETCH(QSize, size);
    QFETCH(bool, leftHalf);
    DialogFixture f;
    const QString path = f.file(QStringLiteral("picture.bmp"));
    QVERIFY(halfBlack(size, leftHalf).save(path, "BMP"));
    f.dialog.slot_loadImage(path);
    const QImage picture = f.canvas()->picture();
    QCOMPARE(picture.size(), QSize(64, 48));
    if (leftHalf) {
        QVERIFY(isDark(picture, {2, 2}) && isDark(picture, {20, 45}));
        QVERIFY(!isDark(picture, {60, 2}) && !isDark(picture, {44, 45}));
    } else {
        QVERIFY(isDark(picture, {2, 2}) && isDark(picture, {61, 16}));
        QVERIFY(!isDark(picture, {2, 45}) && !isDark(picture, {61, 32}));
    }
    // The screen has two colours and the canvas shows no others.
    for (int y = 0; y < 48; ++y)
        for (int x = 0; x < 64; ++x)
            QVERIFY(picture.pixel(x, y) == qRgb(0, 0, 0) || picture.pixel(x, y) == qRgb(255, 255, 255));
}

void TestDrawDialog::badPicturesDrawNothing_data()
{
    QTest::addColumn<QString>("kind");
    QTest::newRow("missing") << "missing";
    QTest::newRow("empty file") << "empty";
    QTest::newRow("not a BMP (a PNG named .bmp)") << "png";
    QTest::newRow("not a BMP (text)") << "text";
    QTest::newRow("huge: header claims 100000 x 100000") << "huge";
    QTest::newRow("huge: header claims a negative width") << "negative";
    QTest::newRow("truncated pixel data") << "truncated";
    QTest::newRow("symbolic link to a good BMP") << "symlink";
    QTest::newRow("a folder") << "folder";
}

void TestDrawDialog::badPicturesDrawNothing()
{
    QFETCH(QString, kind);
    DialogFixture f;
    const QString good = f.file(QStringLiteral("good.bmp"));
    QVERIFY(halfBlack(QSize(64, 48), true).save(good, "BMP"));
    const QString path = f.file(QStringLiteral("bad.bmp"));
    const QByteArray goodBytes = encoded(halfBlack(QSize(64, 48), true), "BMP");
    if (kind == QLatin1String("empty"))
        QVERIFY(writeBytes(path, QByteArray()));
    else if (kind == QLatin1String("png"))
        QVERIFY(writeBytes(path, encoded(halfBlack(QSize(64, 48), true), "PNG")));
    else if (kind == QLatin1String("text"))
        QVERIFY(writeBytes(path, "this is not a picture\n"));
    else if (kind == QLatin1String("huge"))
        QVERIFY(writeBytes(path, bmpHeaderOnly(100000, 100000)));
    else if (kind == QLatin1String("negative"))
        QVERIFY(writeBytes(path, bmpHeaderOnly(-64, 48)));
    else if (kind == QLatin1String("truncated"))
        QVERIFY(writeBytes(path, goodBytes.left(goodBytes.size() / 2)));
    else if (kind == QLatin1String("symlink"))
        QVERIFY(QFile::link(good, path));
    else if (kind == QLatin1String("folder"))
        QVERIFY(QDir().mkpath(path));

    f.click("Brush_Button");
    drag(f.canvas(), {{180, 3}, {189, 3}});
    f.dialog.slot_loadImage(path);
    // The strokes stay, the picture draws nothing.
    const QImage picture = f.canvas()->picture();
    QCOMPARE(darkPixels(picture), 4);
    QVERIFY(isDark(picture, {61, 1}));

    // A good picture after a bad one is drawn.
    f.dialog.slot_loadImage(good);
    QVERIFY(isDark(f.canvas()->picture(), {2, 2}));
}

void TestDrawDialog::addPictureTakesTheChosenFile()
{
    DialogFixture f;
    const QString path = f.file(QStringLiteral("chosen.bmp"));
    QVERIFY(halfBlack(QSize(100, 100), true).save(path, "BMP"));
    QString chosen;
    f.dialog.setPictureChooser([&](QWidget *) { return chosen; });
    f.click("AddPictureButton"); // the user chose nothing
    QCOMPARE(darkPixels(f.canvas()->picture()), 0);
    chosen = path;
    f.click("AddPictureButton");
    QCOMPARE(f.canvas()->picturePath(), path);
    QVERIFY(isDark(f.canvas()->picture(), {2, 2}));
}

// --- Leaving -----------------------------------------------------------------------------

void TestDrawDialog::okSavesThePictureAndAsksForIt()
{
    DialogFixture f;
    f.click("Brush_Button");
    drag(f.canvas(), {{0, 0}, {191, 143}});
    const QImage drawn = f.canvas()->picture(true);
    f.click("DrawOkButton");

    QCOMPARE(f.image.count(), 1);
    QCOMPARE(f.image.at(0).at(0).toString(), QStringLiteral("3"));
    QCOMPARE(f.warning.count(), 0);
    QVERIFY(!f.dialog.isVisible());
    QVERIFY(f.savedPath().endsWith(QLatin1String("/ox7/AFile/PictureFile/3/drawImage.BMP")));
    const QImage saved(f.savedPath(), "BMP");
    QCOMPARE(saved.size(), QSize(64, 48));
    QCOMPARE(saved.convertToFormat(QImage::Format_RGB32), drawn);
}

void TestDrawDialog::okWithAnUnwritableFolderSendsTheFactoryPicture()
{
    DialogFixture f;
    // A file where the picture folders belong: no user can write there.
    const QString folders = f.app.path() + QStringLiteral("/ConfigFiles/MouseFile/ox7/AFile");
    QVERIFY(QDir().mkpath(folders));
    QVERIFY(writeBytes(folders + QStringLiteral("/PictureFile"), "in the way"));
    f.click("Brush_Button");
    drag(f.canvas(), {{0, 0}, {50, 50}});
    f.click("DrawOkButton");

    QCOMPARE(f.warning.count(), 1);
    QCOMPARE(f.warning.at(0).at(0).toInt(), int(Warning::PictureNotSaved));
    QCOMPARE(f.image.count(), 1);
    QCOMPARE(f.image.at(0).at(0).toString(), QStringLiteral("0"));
    QVERIFY(!QFile::exists(f.savedPath()));
    QVERIFY(!f.dialog.isVisible());
}

void TestDrawDialog::displayButtonsCloseAndRequestTheirMode_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<int>("behaviour");
    QTest::newRow("show the CPI value") << "ShowCpiValueButton" << 1;
    QTest::newRow("show APM closes and requests mode 2 without saving") << "ShowApmButton" << 2;
    QTest::newRow("screen off") << "CloseOLEDScreenButton" << 3;
}

void TestDrawDialog::displayButtonsCloseAndRequestTheirMode()
{
    QFETCH(QString, button);
    QFETCH(int, behaviour);
    DialogFixture f;
    f.click("Brush_Button");
    drag(f.canvas(), {{0, 0}, {50, 50}});
    clickNamed(&f.dialog, button);
    QCOMPARE(f.display.count(), 1);
    QCOMPARE(f.display.at(0).at(0).toInt(), behaviour);
    QVERIFY(!f.dialog.isVisible());
    QCOMPARE(f.image.count(), 0);
    QVERIFY(!QFile::exists(f.savedPath()));
}

void TestDrawDialog::cancelAndCloseSaveNothing_data()
{
    QTest::addColumn<QString>("button");
    QTest::newRow("cancel") << "DrawCancleButton";
    QTest::newRow("close") << "closeButton";
}

void TestDrawDialog::cancelAndCloseSaveNothing()
{
    QFETCH(QString, button);
    DialogFixture f;
    f.click("Brush_Button");
    drag(f.canvas(), {{0, 0}, {50, 50}});
    clickNamed(&f.dialog, button);
    QVERIFY(!f.dialog.isVisible());
    QCOMPARE(f.image.count() + f.display.count() + f.intensity.count(), 0);
    QVERIFY(!QFile::exists(f.savedPath()));
}

void TestDrawDialog::brightnessShowsTheMouseValueAndSendsChanges()
{
    DialogFixture f;
    auto *slider = f.child<MoveSlider>("LightIntensity_Slider");
    f.dialog.setLightIntensity(128);
    QCOMPARE(slider->value(), 128);
    f.dialog.setLightIntensity(900);
    QCOMPARE(slider->value(), 255);
    QCOMPARE(f.intensity.count(), 0);
    QTest::mouseClick(slider, Qt::LeftButton, Qt::NoModifier, QPoint(0, slider->height() / 2));
    QCOMPARE(f.intensity.count(), 1);
    QCOMPARE(f.intensity.at(0).at(0).toInt(), 0);
    // Brightness goes at once and keeps the editor open.
    QVERIFY(f.dialog.isVisible());
}

void TestDrawDialog::dialogFitsAndIsTranslated()
{
    DialogFixture f;
    QCOMPARE(f.dialog.geometry(), QRect(0, 0, 960, 640));
    auto *frame = f.child("DrawWidget");
    const QRect inside(QPoint(0, 0), frame->size());
    for (QWidget *w : frame->findChildren<QWidget *>()) {
        if (!w->isVisible() || w->objectName().isEmpty() || w->objectName().startsWith(QLatin1String("qt_")))
            continue;
        if (w->parentWidget() != frame && w->parentWidget() != f.child("DrawBorderFrame"))
            continue;
        QVERIFY2(inside.contains(QRect(w->mapTo(frame, QPoint(0, 0)), w->size())), qPrintable(w->objectName()));
    }
    const QList<QPair<const char *, int>> texts = {
        {"Title_Label", 501}, {"ChangeBackground_CheckBox", 495}, {"ShowCpiValueButton", 496},
        {"ShowApmButton", 497}, {"CloseOLEDScreenButton", 498}, {"LightIntensityLabel", 499},
        {"FontSizeLabel", 500}, {"DrawOkButton", 116}, {"DrawCancleButton", 117}};
    for (const auto &t : texts)
        QCOMPARE(f.child(t.first)->property("text").toString(), NumberedLanguageTable::text(t.second));
    const QList<QPair<const char *, int>> tips = {{"Brush_Button", 490}, {"TextEditButton", 491},
                                                  {"Recall_Button", 492}, {"Erase_Button", 493},
                                                  {"AddPictureButton", 494}};
    for (const auto &t : tips)
        QCOMPARE(f.child(t.first)->toolTip(), NumberedLanguageTable::text(t.second));
}

QTEST_MAIN(TestDrawDialog)
#include "tst_drawdialog.moc"
