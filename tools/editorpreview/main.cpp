// ox8_editorpreview [type code] [out folder]
//
// Renders the key assignment dialog (all four pages, with a current
// assignment and a macro library) and the macro page with recorded events
// for a model, with the shipped texts of OX8_LANGUAGE_INDEX (English by
// default) and the application style sheet, into PNGs. Run with
// QT_QPA_PLATFORM=offscreen and OX8_APP_DIR pointing at a scratch folder.
#include "config/jsonhandle.h"
#include "config/languagetable.h"
#include "config/paths.h"
#include "editors/keysetting/keysettingdialog.h"
#include "editors/macro/macroeditwidget.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QListWidget>
#include <QTextStream>

namespace {
MacroNode key(int code, int state, int delay)
{
    MacroNode n;
    n.ValueType = 3;
    n.KeyValue = code;
    n.State = state;
    n.TimeLapse = delay;
    return n;
}

bool save(QWidget *w, const QString &path)
{
    QApplication::processEvents();
    const bool saved = w->grab().save(path);
    QTextStream(stdout) << (saved ? "saved " : "could not save ") << path << '\n';
    return saved;
}
} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    const QStringList args = app.arguments();
    const int mouseType = args.value(1, QStringLiteral("11")).toInt();
    const QString out = args.value(2, QDir::tempPath());

    QFile translations(QStringLiteral(OX8_SOURCE_DIR "/resources/language/translate.json"));
    bool ok = false;
    const int index = qEnvironmentVariableIntValue("OX8_LANGUAGE_INDEX", &ok);
    if (translations.open(QIODevice::ReadOnly)) {
        QStringList texts;
        for (const QJsonValue &v : QJsonDocument::fromJson(translations.readAll()).array().at(ok ? index : 1).toArray())
            texts << v.toString();
        setLanguageTexts(texts);
    }
    const QString tag = QStringLiteral("%1/%2-%3-").arg(out).arg(mouseType).arg(ok ? index : 1);

    // A small library: the user's folder with two macros and a vendor folder.
    JsonHandle json;
    const QString sample = getPlayerCustomDir() + QStringLiteral("/sample.json");
    json.setMacroName(sample, QStringLiteral("Reload"));
    json.writeMacroNodeList(sample, {key(65, 0, 50), key(65, 1, 130), key(163, 0, 0), key(66, 0, 20), key(66, 1, 0),
                                     key(163, 1, 0)});
    json.setMacroName(getPlayerCustomDir() + QStringLiteral("/second.json"), QStringLiteral("Burst"));
    QDir().mkpath(getMacroFilesDir() + QStringLiteral("/Library"));

    QWidget window;
    window.setObjectName(QStringLiteral("centralWidget"));
    window.resize(960, 640);
    QFile qss(QStringLiteral(":/qss/qss/myStyle.qss"));
    if (qss.open(QIODevice::ReadOnly))
        window.setStyleSheet(QString::fromUtf8(qss.readAll())
                             + QStringLiteral("QWidget#centralWidget{background:#000000;}"));

    auto *page = new MacroEditWidget(&window);
    page->setGeometry(0, 104, 960, 460);
    page->setMouseType(mouseType);
    window.show();
    auto *macros = page->findChild<QListWidget *>(QStringLiteral("MacroNameListWidget"));
    macros->setCurrentRow(0);
    bool all = save(&window, tag + QStringLiteral("macro.png"));
    page->EditArrayEditable(true);
    all = save(&window, tag + QStringLiteral("macro-editing.png")) && all;
    page->EditArrayEditable(false);

    auto *dialog = new KeySettingDialog(&window, mouseType);
    dialog->setChangedButton(8);
    dialog->setTrueMouseValue(29, 66, 3);
    dialog->show();
    auto *folders = dialog->findChild<QListWidget *>(QStringLiteral("MacroTitleListWidget"));
    folders->setCurrentRow(folders->count() - 1);
    QMetaObject::invokeMethod(dialog, "on_MacroTitleListWidget_itemClicked",
                              Q_ARG(QListWidgetItem *, folders->currentItem()));
    for (int p = 0; p < 4; ++p) {
        dialog->setPage(p);
        all = save(&window, tag + QStringLiteral("dialog-page%1.png").arg(p)) && all;
    }
    return all ? 0 : 1;
}
