#include "platform/appdir.h"
#include "platform/terminationsignals.h"
#include "device/devicetypes.h"
#include "app/firstpaint.h"
#include "app/logging.h"
#include "shell/window/mainwindow.h"
#include "sim/simulation.h"
#include "app/singleinstance.h"
#include "app/startup.h"
#include "shell/window/widgetmap.h"

#include <QDebug>
#include <QFile>

#include <cstdio>
#include <cstdlib>
#include <memory>

namespace {
// How long the end of the program waits for its worker threads: a device
// call stuck in a driver must not hang a logout.
constexpr int kWorkerStopMs = 3000;
} // namespace

int main(int argc, char *argv[])
{
#if QT_VERSION < QT_VERSION_CHECK(6, 0, 0)
    // Qt 6 always scales for high-DPI screens.
    QApplication::setAttribute(Qt::AA_EnableHighDpiScaling);
#endif

    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    // Before anything else: these need neither a display nor APP.
    if (arguments.contains(QStringLiteral("--help")) || arguments.contains(QStringLiteral("-h"))) {
        std::fputs(kCommandLineHelp, stdout);
        return 0;
    }
    if (arguments.contains(QStringLiteral("--version"))) {
        std::printf("ox8driver %s\n", kApplicationVersion);
        return 0;
    }
    installLogRouting(logRoutingFor(arguments, qgetenv("QT_LOGGING_RULES")));

    // Demo mode: an emulated mouse on an emulated bus, installed before
    // anything looks at the bus. It outlives every object that talks to it.
    Simulation simulation;
    QString simulationState;
    const int simulateAt = arguments.indexOf(QStringLiteral("--simulate"));
    if (simulateAt > 0) {
        QString error;
        if (simulateAt + 1 >= arguments.size() || !simulation.setUp(arguments.at(simulateAt + 1), &error)) {
            qCritical("--simulate: %s", qPrintable(error.isEmpty() ? QStringLiteral("needs a model") : error));
            return 2;
        }
        simulation.setLatencyMs(1); // about what a real report takes
        simulation.install();
    }

    QtSingleApplication app(QString::fromLatin1(kSingleInstanceKey), argc, argv);
    if (app.isRunning()) {
        app.sendMessage(QString::fromLatin1(kSingleInstanceKey), 5000);
        return -1;
    }

    // From here on SIGTERM and SIGINT end the event loop instead of the process.
    TerminationSignals termination;

    registerDeviceMetaTypes();
    if (simulation.isValid()) {
        // The state file lives under APP, which is known once the application exists.
        QString error;
        simulationState = Simulation::defaultStatePath(simulation.mouseType(), simulation.throughReceiver());
        // As ox8ctl does: a damaged or foreign state file is refused, and
        // kept, rather than replaced by a fresh mouse at exit.
        if (!simulation.loadState(simulationState, &error)) {
            qCritical("--simulate: %s", qPrintable(error));
            return 2;
        }
    }
    if (!isDirectoryWritable(appDirectory()))
        qWarning() << "application directory is not writable:" << appDirectory();

    loadApplicationFonts(appDirectory() + QStringLiteral("/Font"));
    loadSysLanguage();

    QApplication::setApplicationName(QString::fromLatin1(kApplicationName));
    QApplication::setApplicationVersion(QString::fromLatin1(kApplicationVersion));

    auto window = std::make_unique<MainWindow>();

    QFile qss(QStringLiteral(":/qss/qss/myStyle.qss"));
    if (qss.open(QIODevice::ReadOnly)) {
        qDebug() << "open";
        window->setStyleSheet(QString::fromUtf8(qss.readAll()));
        qss.close();
    }

    reportFirstPaint(window.get());
    window->show();
    QObject::connect(window.get(), &MainWindow::QuitTheApplication, &app, &QApplication::quit);
    QObject::connect(&app, &QtSingleApplication::messageReceived, window.get(), &MainWindow::slotMessageReceived);
    QObject::connect(&termination, &TerminationSignals::sig_TerminationRequested, window.get(),
                     &MainWindow::slot_TerminationRequested);

    // End-to-end tests find the widgets they click through this map.
    const QString widgetMap = qEnvironmentVariable("OX8_E2E_WIDGET_MAP");
    if (!widgetMap.isEmpty())
        startWidgetMapWriter(window.get(), widgetMap);
    const int rc = app.exec();
    if (!window->stopWorkers(kWorkerStopMs)) {
        // Waiting longer could hang a logout; the emulated mouse may be in the
        // middle of a transfer, so its memory is not saved either.
        qCritical("a worker thread did not stop within %d ms; leaving without it", kWorkerStopMs);
        std::fflush(nullptr);
        std::_Exit(rc);
    }
    // Only now is the emulated mouse at rest.
    window.reset();
    // Not over what ox8ctl wrote to the same mouse in the meantime.
    QString error;
    if (simulation.isValid() && !simulation.saveState(simulationState, &error))
        qWarning().noquote() << "--simulate:" << error;
    return rc;
}
