#include "appdir.h"
#include "devicetypes.h"
#include "logging.h"
#include "singleinstance.h"
#include "startup.h"
#include "temporarymainwindow.h"

#include <QDebug>
#include <QFile>

int main(int argc, char *argv[])
{
    QApplication::setAttribute(Qt::AA_EnableHighDpiScaling);

    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    if (argumentsEnableLog(arguments)) {
        appDirectory(); // resolved before the handler needs it
        qInstallMessageHandler(fileMessageHandler);
    }

    QtSingleApplication app(QString::fromLatin1(kSingleInstanceKey), argc, argv);
    if (app.isRunning()) {
        app.sendMessage(QString::fromLatin1(kSingleInstanceKey), 5000);
        return -1;
    }

    registerDeviceMetaTypes();
    if (!isDirectoryWritable(appDirectory()))
        qWarning() << "application directory is not writable:" << appDirectory();

    loadApplicationFonts(appDirectory() + QStringLiteral("/Font"));
    loadSysLanguage();

    QApplication::setApplicationName(QString::fromLatin1(kApplicationName));
    QApplication::setApplicationVersion(QString::fromLatin1(kApplicationVersion));

    TemporaryMainWindow window;

    QFile qss(QStringLiteral(":/qss/qss/myStyle.qss"));
    if (qss.open(QIODevice::ReadOnly)) {
        qDebug() << "open";
        window.setStyleSheet(QString::fromUtf8(qss.readAll()));
        qss.close();
    }

    window.show();
    QObject::connect(&window, &TemporaryMainWindow::QuitTheApplication, &app, &QApplication::quit);
    QObject::connect(&app, &QtSingleApplication::messageReceived, &window,
                     &TemporaryMainWindow::slotMessageReceived);
    return app.exec();
}
