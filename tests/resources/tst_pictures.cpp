// The compiled-in pictures and the style sheet: every picture the widgets ask
// for exists at its resource path with the size the widgets are laid out for,
// and the style sheet parses and names only pictures that exist.

#include <QApplication>
#include <QCheckBox>
#include <QDirIterator>
#include <QFile>
#include <QHash>
#include <QImage>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QScrollBar>
#include <QSet>
#include <QSlider>
#include <QSpinBox>
#include <QXmlStreamReader>
#include <QtTest>

#include <cmath>

namespace {

struct Required
{
    QString path;
    QSize size;
};

const QStringList kFamilyFolders{QStringLiteral("ox1"), QStringLiteral("ox1s"), QStringLiteral("ox2"),
                                 QStringLiteral("ox2s"), QStringLiteral("ox4"), QStringLiteral("ox4c"),
                                 QStringLiteral("ox4q"), QStringLiteral("ox5"), QStringLiteral("ox6"),
                                 QStringLiteral("ox7"), QStringLiteral("ox7c"), QStringLiteral("ox7q"),
                                 QStringLiteral("ox8")};

QString modelSet(const QString &folder, const QString &file)
{
    return QStringLiteral(":/picture/%1/picture/%2/%3").arg(folder, folder.toUpper(), file);
}

QString shared(const QString &file)
{
    return QStringLiteral(":/picture/picture/") + file;
}

const QStringList kBatteryIcons{QStringLiteral("top_icon_battery0.png"), QStringLiteral("top_icon_battery.png"),
                                QStringLiteral("top_icon_battery2.png"), QStringLiteral("top_icon_battery3.png"),
                                QStringLiteral("top_icon_battery4.png"), QStringLiteral("top_icon_battery5.png"),
                                QStringLiteral("top_icon_charging.png"),
                                QStringLiteral("top_icon_charging_full.png")};

const QList<int> kOverlayButtons{4, 5, 6, 7, 8, 11, 12, 13, 14};

// Every picture of the resource tree, with the size its widget expects.
QVector<Required> requiredPictures()
{
    QVector<Required> list;
    const QSize mouse(420, 380), page(960, 440);
    for (const QString &folder : kFamilyFolders) {
        list.append({modelSet(folder, QStringLiteral("logo_korvan.png")), QSize(320, 48)});
        list.append({modelSet(folder, QStringLiteral("bg_main_mouse.png")), mouse});
        list.append({modelSet(folder, QStringLiteral("bg_macro.png")), page});
    }
    for (const QString &folder : {QStringLiteral("ox7"), QStringLiteral("ox2")})
        for (int code : kOverlayButtons)
            list.append({modelSet(folder, QStringLiteral("main_btn_key%1.png").arg(code)), mouse});
    for (const QString &icon : kBatteryIcons) {
        list.append({shared(icon), QSize(32, 16)});
        list.append({modelSet(QStringLiteral("ox7"), icon), QSize(32, 16)});
    }
    list.append({shared(QStringLiteral("top_icon_battery1.png")), QSize(32, 16)});
    list.append({modelSet(QStringLiteral("ox7"), QStringLiteral("pop_show_bg.png")), QSize(260, 140)});

    const QVector<Required> fixed{
        {shared(QStringLiteral("load.png")), QSize(26, 26)},
        {shared(QStringLiteral("OX7/wire.png")), QSize(24, 24)},
        {shared(QStringLiteral("OX7/wireless.png")), QSize(24, 24)},
        {shared(QStringLiteral("tab_btn_left.png")), QSize(150, 40)},
        {shared(QStringLiteral("tab_btn_left_s.png")), QSize(150, 40)},
        {shared(QStringLiteral("tab_btn_centre.png")), QSize(150, 40)},
        {shared(QStringLiteral("tab_btn_centre_s.png")), QSize(150, 40)},
        {shared(QStringLiteral("tab_btn_right.png")), QSize(150, 40)},
        {shared(QStringLiteral("tab_btn_right_s.png")), QSize(150, 40)},
        {shared(QStringLiteral("set_btn_1.png")), QSize(100, 36)},
        {shared(QStringLiteral("set_btn_1_s.png")), QSize(100, 36)},
        {shared(QStringLiteral("set_btn_2.png")), QSize(100, 36)},
        {shared(QStringLiteral("set_btn_2_s.png")), QSize(100, 36)},
        {shared(QStringLiteral("key_select.png")), QSize(120, 36)},
        {shared(QStringLiteral("bg_light_color.png")), QSize(138, 138)},
        {shared(QStringLiteral("macro_icon_fall.png")), QSize(20, 20)},
        {shared(QStringLiteral("macro_icon_top.png")), QSize(20, 20)},
        {shared(QStringLiteral("macro_icon_time.png")), QSize(20, 20)},
        {shared(QStringLiteral("macro_icon_top copy.png")), QSize(20, 20)},
        {shared(QStringLiteral("bg_macro.png")), page},
        {shared(QStringLiteral("bg_light.png")), page},
        {shared(QStringLiteral("support_bg.png")), page},
        {shared(QStringLiteral("btn_min.png")), QSize(24, 24)},
        {shared(QStringLiteral("btn_min_hover.png")), QSize(24, 24)},
        {shared(QStringLiteral("btn_close.png")), QSize(24, 24)},
        {shared(QStringLiteral("btn_close_hover.png")), QSize(24, 24)},
        {shared(QStringLiteral("check_off.png")), QSize(16, 16)},
        {shared(QStringLiteral("check_on.png")), QSize(16, 16)},
        {shared(QStringLiteral("check_hover.png")), QSize(16, 16)},
        {shared(QStringLiteral("check_disabled.png")), QSize(16, 16)},
        {shared(QStringLiteral("radio_off.png")), QSize(16, 16)},
        {shared(QStringLiteral("radio_on.png")), QSize(16, 16)},
        {shared(QStringLiteral("radio_hover.png")), QSize(16, 16)},
        {shared(QStringLiteral("radio_disabled.png")), QSize(16, 16)},
        {shared(QStringLiteral("spin_up.png")), QSize(14, 11)},
        {shared(QStringLiteral("spin_down.png")), QSize(14, 11)},
        {shared(QStringLiteral("spin_up_off.png")), QSize(14, 11)},
        {shared(QStringLiteral("spin_down_off.png")), QSize(14, 11)},
        {shared(QStringLiteral("arrow_down.png")), QSize(12, 8)},
        {shared(QStringLiteral("arrow_left.png")), QSize(24, 24)},
        {shared(QStringLiteral("arrow_right.png")), QSize(24, 24)},
        {shared(QStringLiteral("draw_brush.png")), QSize(24, 24)},
        {shared(QStringLiteral("draw_brush_s.png")), QSize(24, 24)},
        {shared(QStringLiteral("draw_text.png")), QSize(24, 24)},
        {shared(QStringLiteral("draw_text_s.png")), QSize(24, 24)},
        {shared(QStringLiteral("draw_erase.png")), QSize(24, 24)},
        {shared(QStringLiteral("draw_undo.png")), QSize(24, 24)},
        {shared(QStringLiteral("draw_picture.png")), QSize(24, 24)},
        {QStringLiteral(":/icon/picture/128-128.png"), QSize(128, 128)},
    };
    list += fixed;
    for (int n = 1; n <= 11; ++n)
        list.append({shared(QStringLiteral("icon_um%1.png").arg(n)), QSize(24, 24)});
    for (int n = 1; n <= 5; ++n)
        list.append({shared(QStringLiteral("code_step%1.png").arg(n)), QSize(120, 90)});
    for (const QString &language :
         {QStringLiteral("SimplifiedChinese"), QStringLiteral("English"), QStringLiteral("Korean"),
          QStringLiteral("Albanian"), QStringLiteral("German"), QStringLiteral("Italian"), QStringLiteral("Spanish"),
          QStringLiteral("Dutch"), QStringLiteral("Portuguese"), QStringLiteral("Russian"),
          QStringLiteral("Ukrainian")})
        list.append({QStringLiteral(":/picture/banner/picture/UpdateWarning/%1.png").arg(language), QSize(705, 48)});
    for (const QString &style : {QStringLiteral("BlueBorder"), QStringLiteral("WhiteBorder"),
                                 QStringLiteral("BlueBackground")})
        for (int width : {120, 150, 186, 192, 195})
            for (const QString &suffix : {QString(), QStringLiteral("_z")})
                list.append({QStringLiteral(":/picture/eightbutton/picture/EightButton/%1/%2%3.png")
                                 .arg(style)
                                 .arg(width)
                                 .arg(suffix),
                             QSize(width, 25)});
    return list;
}

QImage load(const QString &path)
{
    return QImage(path).convertToFormat(QImage::Format_ARGB32);
}

int opaquePixels(const QImage &img)
{
    int n = 0;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            n += qAlpha(img.pixel(x, y)) > 128 ? 1 : 0;
    return n;
}

QRect opaqueBounds(const QImage &img)
{
    QRect r;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            if (qAlpha(img.pixel(x, y)) > 32)
                r |= QRect(x, y, 1, 1);
    return r;
}

QString styleSheetText()
{
    QFile f(QStringLiteral(":/qss/qss/myStyle.qss"));
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(f.readAll());
}

QString withoutComments(QString text)
{
    static const QRegularExpression comment(QStringLiteral("/\\*.*?\\*/"),
                                            QRegularExpression::DotMatchesEverythingOption);
    return text.remove(comment);
}

QStringList parseMessages;

void collectMessages(QtMsgType, const QMessageLogContext &, const QString &msg)
{
    parseMessages.append(msg);
}

} // namespace

class TstPictures : public QObject
{
    Q_OBJECT

private slots:
    void pictureLoadsWithItsSize_data();
    void pictureLoadsWithItsSize();
    void everyCompiledPictureIsRequired();
    void everyPngOnDiskIsCompiledIn();
    void variantsDiffer_data();
    void variantsDiffer();
    void logosNameTheirModel();
    void overlaysLieOverTheMousePicture_data();
    void overlaysLieOverTheMousePicture();
    void batteryFillGrowsWithTheLevel();
    void spinnerTurnsInPlace();
    void colourWheelIsAFullDisc();
    void styleSheetLoads();
    void styleSheetUrlExists_data();
    void styleSheetUrlExists();
    void styleSheetParses();
};

void TstPictures::pictureLoadsWithItsSize_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QSize>("size");
    QSet<QString> seen;
    for (const Required &r : requiredPictures()) {
        QVERIFY2(!seen.contains(r.path), qPrintable(QStringLiteral("listed twice: ") + r.path));
        seen.insert(r.path);
        QTest::newRow(qPrintable(r.path)) << r.path << r.size;
    }
}

void TstPictures::pictureLoadsWithItsSize()
{
    QFETCH(QString, path);
    QFETCH(QSize, size);
    const QImage img(path);
    QVERIFY2(!img.isNull(), qPrintable(path));
    QCOMPARE(img.size(), size);
    // A picture that is all transparent shows nothing: a rendering slip.
    QVERIFY(opaquePixels(load(path)) > 0);
}

void TstPictures::everyCompiledPictureIsRequired()
{
    // New pictures must join the table above, so their size is pinned too.
    QSet<QString> required;
    for (const Required &r : requiredPictures())
        required.insert(r.path);
    QStringList extra;
    for (const QString &root : {QStringLiteral(":/picture"), QStringLiteral(":/icon")}) {
        QDirIterator it(root, QDir::Files, QDirIterator::Subdirectories);
        while (it.hasNext()) {
            const QString path = it.next();
            if (!required.contains(path))
                extra.append(path);
        }
    }
    QVERIFY2(extra.isEmpty(), qPrintable(extra.join(QLatin1Char('\n'))));
}

void TstPictures::everyPngOnDiskIsCompiledIn()
{
    // A PNG in the source tree that no resource names is dead weight or a typo in the collection file.
    const QString resources = QStringLiteral(OX8_SOURCE_DIR "/resources");
    QFile qrc(resources + QStringLiteral("/pictures.qrc"));
    QVERIFY(qrc.open(QIODevice::ReadOnly));
    QSet<QString> listed;
    QXmlStreamReader xml(&qrc);
    while (!xml.atEnd()) {
        if (xml.readNext() == QXmlStreamReader::StartElement && xml.name() == QLatin1String("file"))
            listed.insert(xml.readElementText());
    }
    QVERIFY2(!xml.hasError(), qPrintable(xml.errorString()));
    QStringList orphans;
    QDirIterator it(resources + QStringLiteral("/picture"), {QStringLiteral("*.png")}, QDir::Files,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString rel = QDir(resources).relativeFilePath(it.next());
        if (!listed.contains(rel))
            orphans.append(rel);
    }
    QVERIFY2(orphans.isEmpty(), qPrintable(orphans.join(QLatin1Char('\n'))));
}

void TstPictures::variantsDiffer_data()
{
    QTest::addColumn<QString>("a");
    QTest::addColumn<QString>("b");
    for (const QString &tab : {QStringLiteral("tab_btn_left"), QStringLiteral("tab_btn_centre"),
                               QStringLiteral("tab_btn_right"), QStringLiteral("set_btn_1"),
                               QStringLiteral("set_btn_2"), QStringLiteral("draw_brush"), QStringLiteral("draw_text")})
        QTest::newRow(qPrintable(tab + QStringLiteral(" selected"))) << shared(tab + QStringLiteral(".png"))
                                                                     << shared(tab + QStringLiteral("_s.png"));
    QTest::newRow("tab ends are not the middle tab") << shared(QStringLiteral("tab_btn_left.png"))
                                                     << shared(QStringLiteral("tab_btn_centre.png"));
    QTest::newRow("last profile button has its own shape") << shared(QStringLiteral("set_btn_1.png"))
                                                           << shared(QStringLiteral("set_btn_2.png"));
    QTest::newRow("wired and wireless") << shared(QStringLiteral("OX7/wire.png"))
                                        << shared(QStringLiteral("OX7/wireless.png"));
    QTest::newRow("check box ticked") << shared(QStringLiteral("check_off.png")) << shared(QStringLiteral("check_on.png"));
    QTest::newRow("radio button chosen") << shared(QStringLiteral("radio_off.png")) << shared(QStringLiteral("radio_on.png"));
    QTest::newRow("key pressed and released") << shared(QStringLiteral("macro_icon_fall.png"))
                                              << shared(QStringLiteral("macro_icon_top.png"));
    QTest::newRow("delay and movement") << shared(QStringLiteral("macro_icon_time.png"))
                                        << shared(QStringLiteral("macro_icon_top copy.png"));
    QTest::newRow("charging and charged") << shared(QStringLiteral("top_icon_charging.png"))
                                          << shared(QStringLiteral("top_icon_charging_full.png"));
    QTest::newRow("button label factory and changed")
        << QStringLiteral(":/picture/eightbutton/picture/EightButton/BlueBorder/192.png")
        << QStringLiteral(":/picture/eightbutton/picture/EightButton/BlueBackground/192.png");
    QTest::newRow("button label factory and hover")
        << QStringLiteral(":/picture/eightbutton/picture/EightButton/BlueBorder/192.png")
        << QStringLiteral(":/picture/eightbutton/picture/EightButton/WhiteBorder/192.png");
    QTest::newRow("button label mark side")
        << QStringLiteral(":/picture/eightbutton/picture/EightButton/BlueBorder/192.png")
        << QStringLiteral(":/picture/eightbutton/picture/EightButton/BlueBorder/192_z.png");
    for (int n = 1; n < 11; ++n)
        QTest::newRow(qPrintable(QStringLiteral("marker %1 and %2").arg(n).arg(n + 1)))
            << shared(QStringLiteral("icon_um%1.png").arg(n)) << shared(QStringLiteral("icon_um%1.png").arg(n + 1));
    for (int n = 1; n < 5; ++n)
        QTest::newRow(qPrintable(QStringLiteral("pairing step %1 and %2").arg(n).arg(n + 1)))
            << shared(QStringLiteral("code_step%1.png").arg(n)) << shared(QStringLiteral("code_step%1.png").arg(n + 1));
    QTest::newRow("Chinese and English banner") << QStringLiteral(":/picture/banner/picture/UpdateWarning/SimplifiedChinese.png")
                                                << QStringLiteral(":/picture/banner/picture/UpdateWarning/English.png");
    for (int i = 0; i + 1 < kFamilyFolders.size(); ++i)
        QTest::newRow(qPrintable(kFamilyFolders.at(i) + QStringLiteral(" and ") + kFamilyFolders.at(i + 1)))
            << modelSet(kFamilyFolders.at(i), QStringLiteral("bg_main_mouse.png"))
            << modelSet(kFamilyFolders.at(i + 1), QStringLiteral("bg_main_mouse.png"));
}

void TstPictures::variantsDiffer()
{
    // Copies under two names would leave a state the user cannot see.
    QFETCH(QString, a);
    QFETCH(QString, b);
    const QImage ia = load(a), ib = load(b);
    QVERIFY(!ia.isNull() && !ib.isNull());
    QVERIFY(ia != ib);
}

void TstPictures::logosNameTheirModel()
{
    // Every model's title logo is its own; a copied logo would name the wrong mouse.
    QHash<QByteArray, QString> seen;
    for (const QString &folder : kFamilyFolders) {
        const QImage img = load(modelSet(folder, QStringLiteral("logo_korvan.png")));
        const QByteArray key(reinterpret_cast<const char *>(img.constBits()), int(img.sizeInBytes()));
        QVERIFY2(!seen.contains(key), qPrintable(folder + QStringLiteral(" repeats ") + seen.value(key)));
        seen.insert(key, folder);
    }
}

void TstPictures::overlaysLieOverTheMousePicture_data()
{
    QTest::addColumn<QString>("folder");
    QTest::newRow("OX7") << QStringLiteral("ox7");
    QTest::newRow("OX2") << QStringLiteral("ox2");
}

void TstPictures::overlaysLieOverTheMousePicture()
{
    QFETCH(QString, folder);
    const QImage mouse = load(modelSet(folder, QStringLiteral("bg_main_mouse.png")));
    const QRect mouseBounds = opaqueBounds(mouse);
    QHash<QByteArray, int> seen;
    for (int code : kOverlayButtons) {
        const QImage overlay = load(modelSet(folder, QStringLiteral("main_btn_key%1.png").arg(code)));
        QCOMPARE(overlay.size(), mouse.size());
        // An overlay marks one part of the mouse and leaves the rest visible.
        const int covered = opaquePixels(overlay);
        QVERIFY2(covered > 0, qPrintable(QString::number(code)));
        QVERIFY2(covered < overlay.width() * overlay.height() / 4, qPrintable(QString::number(code)));
        QVERIFY2(mouseBounds.contains(opaqueBounds(overlay).center()), qPrintable(QString::number(code)));
        const QByteArray key(reinterpret_cast<const char *>(overlay.constBits()), int(overlay.sizeInBytes()));
        QVERIFY2(!seen.contains(key), qPrintable(QStringLiteral("%1 repeats %2").arg(code).arg(seen.value(key))));
        seen.insert(key, code);
    }
}

void TstPictures::batteryFillGrowsWithTheLevel()
{
    // The level icons in the order the window picks them: 0, 1-20, ..., above 80.
    int previous = -1;
    for (const QString &icon : kBatteryIcons.mid(0, 6)) {
        const int filled = opaquePixels(load(shared(icon)));
        QVERIFY2(filled > previous, qPrintable(icon));
        previous = filled;
    }
    QCOMPARE(load(shared(QStringLiteral("top_icon_battery1.png"))), load(shared(QStringLiteral("top_icon_battery.png"))));
    for (const QString &icon : kBatteryIcons)
        QCOMPARE(load(modelSet(QStringLiteral("ox7"), icon)), load(shared(icon)));
}

void TstPictures::spinnerTurnsInPlace()
{
    // The overlay rotates the picture in quarter turns inside a 26 x 26 label.
    const QImage spinner = load(shared(QStringLiteral("load.png")));
    const QImage turned = spinner.transformed(QTransform().rotate(90));
    QCOMPARE(turned.size(), spinner.size());
    QVERIFY2(turned != spinner, "a quarter turn must show movement");
    const QRect bounds = opaqueBounds(spinner);
    const QPointF offset = QRectF(bounds).center() - QRectF(spinner.rect()).center();
    QVERIFY2(std::abs(offset.x()) <= 1.5 && std::abs(offset.y()) <= 1.5, "the arc wobbles when turned");
}

void TstPictures::colourWheelIsAFullDisc()
{
    // The lighting page takes the colour of the screen pixel under a click inside
    // the disc of radius 69: the disc must be opaque and colourful, the corners empty.
    const QImage wheel = load(shared(QStringLiteral("bg_light_color.png")));
    const QPointF centre(69, 69);
    for (int y = 0; y < wheel.height(); ++y) {
        for (int x = 0; x < wheel.width(); ++x) {
            const qreal d = QLineF(centre, QPointF(x + 0.5, y + 0.5)).length();
            const int alpha = qAlpha(wheel.pixel(x, y));
            if (d <= 67.5)
                QVERIFY2(alpha == 255, qPrintable(QStringLiteral("hole at %1,%2").arg(x).arg(y)));
            else if (d >= 70)
                QVERIFY2(alpha == 0, qPrintable(QStringLiteral("paint outside at %1,%2").arg(x).arg(y)));
        }
    }
    const QRgb middle = wheel.pixel(69, 69);
    QVERIFY(qRed(middle) > 230 && qGreen(middle) > 230 && qBlue(middle) > 230);
    QSet<int> hues;
    for (int step = 0; step < 12; ++step) {
        const qreal a = step * M_PI / 6;
        const QColor c(wheel.pixel(int(69 + 62 * std::cos(a)), int(69 + 62 * std::sin(a))));
        QVERIFY2(c.hsvSaturation() > 180, qPrintable(QString::number(step)));
        hues.insert(c.hsvHue() / 30);
    }
    QVERIFY2(hues.size() >= 10, "the rim should run through the whole hue circle");
}

void TstPictures::styleSheetLoads()
{
    const QString text = styleSheetText();
    QVERIFY(!text.trimmed().isEmpty());
    QVERIFY2(!text.contains(QChar::ReplacementCharacter), "not valid UTF-8");
    // One stray brace makes Qt drop every rule after it without a word.
    const QString rules = withoutComments(text);
    int depth = 0;
    for (const QChar c : rules) {
        if (c == QLatin1Char('{'))
            ++depth;
        else if (c == QLatin1Char('}'))
            --depth;
        QVERIFY(depth == 0 || depth == 1);
    }
    QCOMPARE(depth, 0);
    QVERIFY2(!rules.contains(QLatin1String("/*")) && !rules.contains(QLatin1String("*/")), "unclosed comment");
}

void TstPictures::styleSheetUrlExists_data()
{
    QTest::addColumn<QString>("url");
    static const QRegularExpression urlRe(QStringLiteral("url\\(\\s*\"?([^\")]*)\"?\\s*\\)"));
    const QString rules = withoutComments(styleSheetText());
    QSet<QString> seen;
    auto it = urlRe.globalMatch(rules);
    while (it.hasNext()) {
        const QString url = it.next().captured(1).trimmed();
        if (seen.contains(url))
            continue;
        seen.insert(url);
        QTest::newRow(qPrintable(url)) << url;
    }
    QVERIFY(!seen.isEmpty());
}

void TstPictures::styleSheetUrlExists()
{
    QFETCH(QString, url);
    QVERIFY2(url.startsWith(QLatin1String(":/")), "pictures come from the resources, never from disk");
    QVERIFY2(QFile::exists(url), qPrintable(url));
    QVERIFY2(!QImage(url).isNull(), qPrintable(url));
}

void TstPictures::styleSheetParses()
{
    // Qt reports a sheet it cannot parse only as a warning when it styles a widget.
    parseMessages.clear();
    const QtMessageHandler previous = qInstallMessageHandler(collectMessages);
    qApp->setStyleSheet(styleSheetText());
    QWidget window;
    window.setObjectName(QStringLiteral("centralWidget"));
    QList<QWidget *> widgets{new QPushButton(&window), new QCheckBox(&window), new QRadioButton(&window),
                             new QSlider(Qt::Horizontal, &window), new QSpinBox(&window), new QLineEdit(&window),
                             new QListWidget(&window), new QScrollBar(&window), new QProgressBar(&window),
                             new QMenu(&window)};
    for (QWidget *w : widgets)
        w->ensurePolished();
    window.ensurePolished();
    qApp->setStyleSheet(QString());
    qInstallMessageHandler(previous);
    for (const QString &msg : qAsConst(parseMessages))
        QVERIFY2(!msg.contains(QLatin1String("parse"), Qt::CaseInsensitive), qPrintable(msg));
}

QTEST_MAIN(TstPictures)
#include "tst_pictures.moc"
