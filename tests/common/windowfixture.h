#pragma once

#include "platform/clock.h"
#include "shell/dialogs/warningdialog.h"
#include "shell/window/mainwindow.h"
#include "sim/simulation.h"
#include "tests/common/testutil.h"
#include "tests/common/widgettestutil.h"

#include <QList>
#include <QStackedWidget>
#include <QString>

#include <memory>

// The main window with its real workers on their threads, an emulated mouse
// of a model on an emulated bus and the device clock in virtual time. The
// window goes first on destruction: its threads stop before the bus and the
// clock go away.
struct WindowFixture
{
    // accessDenied: the mouse is there, but this user may not open it.
    // openNow false leaves the window to openWindow(), for tests that set
    // up the desk (the emulated devices, the environment) first.
    explicit WindowFixture(const QString &model = QString(), bool accessDenied = false, bool openNow = true)
        : clockScope(&clock)
    {
        if (!model.isEmpty() && !simulation.setUp(model))
            qFatal("no simulation of %s", qPrintable(model));
        for (const auto &device : simulation.bus().devices())
            simulation.bus().setAccessDenied(device.get(), accessDenied);
        if (openNow)
            openWindow();
    }

    void openWindow()
    {
        simulation.install();
        MainWindowOptions options;
        options.watcherBus = &simulation.bus();
        options.watcherIntervalMs = 10;
        window = std::make_unique<MainWindow>(options);
        window->setExitHandler([this](int code) { exitCodes.append(code); });
        window->show();
    }

    template <typename T = QWidget>
    T *child(const char *name) const
    {
        return childNamed<T>(window.get(), QLatin1String(name));
    }
    void click(const char *name) const { clickNamed(window.get(), QLatin1String(name)); }
    int page() const { return child<QStackedWidget>("stackedWidget")->currentIndex(); }
    bool visible(const char *name) const { return child(name)->isVisible(); }

    // The warning dialogs on screen, oldest first, and their types.
    QList<WarningDialog *> warnings() const
    {
        QList<WarningDialog *> out;
        for (WarningDialog *d : window->findChildren<WarningDialog *>()) {
            if (d->isVisible())
                out.append(d);
        }
        return out;
    }
    QList<int> warningTypes() const
    {
        QList<int> out;
        for (WarningDialog *d : warnings())
            out.append(d->warningType());
        return out;
    }
    void closeWarnings()
    {
        for (WarningDialog *d : warnings())
            d->close();
    }

    NumberedLanguageTable texts;
    TempAppDir app;
    VirtualClock clock;
    ScopedDeviceClock clockScope;
    Simulation simulation;
    QList<int> exitCodes;
    std::unique_ptr<MainWindow> window;
};
