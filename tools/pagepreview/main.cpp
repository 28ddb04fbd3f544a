// ox8_pagepreview [type code] [out.png] [hovered button] [main|light|oled]
//
// Shows the main settings page (or the lighting page, or the OLED editor)
// for a model with the shipped English texts and the application style
// sheet, fills it with plausible device values and saves a screenshot. Run
// with QT_QPA_PLATFORM=offscreen.
#include "config/languagetable.h"
#include "discovery/models.h"
#include "editors/lighting/lightsettingwidget.h"
#include "editors/oled/drawdialog.h"
#include "shell/mainsetting/mainsettingwidget.h"
#include "shell/mainsetting/mypushbutton.h"

#include <QApplication>
#include <QFile>
#include <QHoverEvent>
#include <QJsonArray>
#include <QJsonDocument>
#include <QTextStream>

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    const QStringList args = app.arguments();
    const int mouseType = args.value(1, QStringLiteral("11")).toInt();
    const QString out = args.value(2, QStringLiteral("/tmp/pagepreview_%1.png").arg(mouseType));
    const int hovered = args.value(3, QStringLiteral("0")).toInt();

    QFile translations(QStringLiteral(OX8_SOURCE_DIR "/resources/language/translate.json"));
    if (translations.open(QIODevice::ReadOnly)) {
        const QJsonArray languages = QJsonDocument::fromJson(translations.readAll()).array();
        bool ok = false;
        const int index = qEnvironmentVariableIntValue("OX8_LANGUAGE_INDEX", &ok);
        QStringList texts;
        for (const QJsonValue &v : languages.at(ok ? index : 1).toArray())
            texts << v.toString();
        setLanguageTexts(texts);
    }

    QWidget window;
    window.setObjectName(QStringLiteral("centralWidget"));
    window.resize(960, 460);
    QFile qss(QStringLiteral(":/qss/qss/myStyle.qss"));
    if (qss.open(QIODevice::ReadOnly))
        window.setStyleSheet(QString::fromUtf8(qss.readAll()));
    window.setStyleSheet(window.styleSheet() + QStringLiteral("QWidget#centralWidget{background:#000000;}"));

    const QString pageName = args.value(4, QStringLiteral("main"));
    if (pageName == QLatin1String("light") || pageName == QLatin1String("oled")) {
        window.resize(960, pageName == QLatin1String("oled") ? 640 : 460);
        if (pageName == QLatin1String("light")) {
            auto *light = new LightSettingWidget(&window);
            light->setZoneLabels(mouseType);
            light->setSliderRanges(lightingFamilyAFlag(mouseType) == 1);
            LightColorParam param;
            param.wheel = {2, 3, 7, {255, 69, 110, 0}, {0, 0, 0, 0}, {0, 0, 0, 0}};
            param.logo = {4, 1, 9, {69, 198, 233, 0}, {0, 0, 0, 0}, {0, 0, 0, 0}};
            light->slot_SetLightParameter(param);
        } else {
            auto *dialog = new DrawDialog(&window);
            dialog->setMouseType(mouseType);
            dialog->setLightIntensity(160);
            dialog->show();
        }
        window.show();
        app.processEvents();
        const bool saved = window.grab().save(out);
        QTextStream(stdout) << (saved ? "saved " : "could not save ") << out << '\n';
        return saved ? 0 : 1;
    }

    auto *page = new MainSettingWidget(&window);
    page->setObjectName(QStringLiteral("MainSettingPage"));
    page->setMouseType(mouseType);
    page->setPointerSettings(12, 3);
    page->slot_SetCpidListValueOnPage({800, 1600, 3200, 0, 6400, 0, 0});
    page->slot_SetUSBReportRateOnPage(3);
    page->slot_SetMouseButtonStyleSheetIsOriginal(false, 13);
    page->slot_SetKeyTrueValue(13, 29, 0x41, 1);
    window.show();

    if (MyPushButton *b = page->mouseButton(hovered)) {
#if QT_VERSION >= QT_VERSION_CHECK(6, 3, 0)
        QHoverEvent enter(QEvent::HoverEnter, QPointF(5, 5), b->mapToGlobal(QPoint(5, 5)), QPointF(-1, -1));
#else
        QHoverEvent enter(QEvent::HoverEnter, QPointF(5, 5), QPointF(-1, -1));
#endif
        QCoreApplication::sendEvent(b, &enter);
    }
    app.processEvents();
    const bool saved = window.grab().save(out);
    QTextStream(stdout) << (saved ? "saved " : "could not save ") << out << '\n';
    return saved ? 0 : 1;
}
