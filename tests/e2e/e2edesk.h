#pragma once

// What an end-to-end test needs around the real program: its own X server,
// the program in demo mode on an emulated mouse, the map of where its
// widgets are (written by the program when OX8_E2E_WIDGET_MAP is set), real X
// input through xdotool, screenshots, and ox8ctl to read the emulated mouse
// back afterwards. Every wait is bounded.
#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMap>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

#include <functional>

class E2eDesk
{
public:
    static constexpr int kStartTimeoutMs = 60000;
    static constexpr int kStepTimeoutMs = 30000;

    static QString tool(const char *name) { return QStandardPaths::findExecutable(QLatin1String(name)); }
    // The tools an end-to-end run needs; empty when all are there.
    static QString missingTool()
    {
        for (const char *needed : {"Xvfb", "xdotool", "import"}) {
            if (tool(needed).isEmpty())
                return QLatin1String(needed);
        }
        return QString();
    }

    ~E2eDesk() { stop(); }

    // A further variable for the program and the tools, set before startProgram().
    void setEnvironmentVariable(const QString &name, const QString &value) { m_extraEnvironment.insert(name, value); }

    // A private X server and a fresh APP folder with the language table.
    bool startServer()
    {
        if (!m_dir.isValid())
            return false;
        m_appDir = m_dir.filePath(QStringLiteral("app"));
        QDir().mkpath(m_appDir + QStringLiteral("/Language"));
        QDir().mkpath(m_dir.filePath(QStringLiteral("tmp")));
        if (!QFile::copy(QStringLiteral(OX8_SOURCE_DIR "/resources/language/translate.json"),
                         m_appDir + QStringLiteral("/Language/translate.json")))
            return false;
        m_xserver.setProcessChannelMode(QProcess::SeparateChannels);
        m_xserver.start(tool("Xvfb"), {QStringLiteral("-displayfd"), QStringLiteral("1"), QStringLiteral("-screen"),
                                       QStringLiteral("0"), QStringLiteral("1280x800x24"), QStringLiteral("-nolisten"),
                                       QStringLiteral("tcp")});
        if (!m_xserver.waitForStarted()
            || !waitFor([this] { return m_xserver.canReadLine() || m_xserver.waitForReadyRead(100); }, 20000))
            return false;
        const QByteArray number = m_xserver.readLine().trimmed();
        m_display = QStringLiteral(":") + QString::fromLatin1(number);
        return !number.isEmpty();
    }

    // ox8driver --simulate model -d; true once the mouse is open and the window idle.
    bool startProgram(const QString &model, int mouseType)
    {
        QProcessEnvironment env = environment();
        env.insert(QStringLiteral("OX8_E2E_WIDGET_MAP"), mapPath());
        m_app.setProcessEnvironment(env);
        m_app.setProcessChannelMode(QProcess::MergedChannels);
        m_app.start(QStringLiteral(OX8DRIVER_BIN), {QStringLiteral("--simulate"), model, QStringLiteral("-d")});
        if (!m_app.waitForStarted())
            return false;
        const QString opened = QStringLiteral("slot_OpenDeviceResult true %1").arg(mouseType);
        return waitFor([&] { return logText().contains(opened); }, kStartTimeoutMs) && waitForIdle();
    }

    // Ends the program through its close button; its exit code, -1 when it did not end.
    int quitProgram()
    {
        clickAt(QStringLiteral("quitButton"));
        if (!m_app.waitForFinished(kStepTimeoutMs))
            return -1;
        return m_app.exitStatus() == QProcess::NormalExit ? m_app.exitCode() : -1;
    }

    void stop()
    {
        if (m_app.state() != QProcess::NotRunning) {
            m_app.kill();
            m_app.waitForFinished();
        }
        if (m_xserver.state() != QProcess::NotRunning) {
            m_xserver.terminate();
            if (!m_xserver.waitForFinished(5000))
                m_xserver.kill();
        }
    }

    // Waits (polling, bounded) until check holds.
    static bool waitFor(const std::function<bool()> &check, int timeoutMs = kStepTimeoutMs)
    {
        QElapsedTimer timer;
        timer.start();
        while (!check()) {
            if (timer.elapsed() > timeoutMs)
                return false;
            QTest::qWait(100);
        }
        return true;
    }

    QString logText() const
    {
        QString text;
        const QDir logs(m_appDir + QStringLiteral("/Log"));
        for (const QString &name : logs.entryList({QStringLiteral("*.txt")}, QDir::Files, QDir::Name)) {
            QFile f(logs.filePath(name));
            if (f.open(QIODevice::ReadOnly))
                text += QString::fromUtf8(f.readAll());
        }
        return text;
    }
    bool waitForLog(const QString &text, int timeoutMs = kStepTimeoutMs) const
    {
        return waitFor([&] { return logText().contains(text); }, timeoutMs);
    }

    QJsonObject widgetMap() const
    {
        QFile f(mapPath());
        if (!f.open(QIODevice::ReadOnly))
            return {};
        return QJsonDocument::fromJson(f.readAll()).object();
    }
    QJsonObject widget(const QString &name) const { return widgetMap().value(name).toObject(); }
    // The first map key the pattern matches; empty when none.
    QString widgetKey(const QRegularExpression &pattern) const
    {
        const QStringList keys = widgetMap().keys();
        for (const QString &key : keys) {
            if (pattern.match(key).hasMatch())
                return key;
        }
        return QString();
    }
    bool isShown(const QString &name) const { return widget(name).value(QStringLiteral("visible")).toBool(); }
    bool waitShown(const QString &name, bool shown = true) const
    {
        return waitFor([&] { return isShown(name) == shown; });
    }

    // Idle in several maps written one after another: no overlay, no dialog.
    bool waitForIdle() const
    {
        int idleMaps = 0;
        QDateTime lastMap;
        return waitFor([&] {
            const QDateTime written = QFileInfo(mapPath()).lastModified();
            if (written == lastMap)
                return false;
            lastMap = written;
            const QJsonObject map = widgetMap();
            auto shown = [&](const char *name) {
                return map.value(QLatin1String(name)).toObject().value(QStringLiteral("visible")).toBool();
            };
            const bool idle = !map.isEmpty() && !shown("LoadMessageDialog") && !shown("NeedDeviceDialog")
                              && !shown("WarningDialog");
            idleMaps = idle ? idleMaps + 1 : 0;
            return idleMaps >= 4;
        });
    }

    // A left click at a fraction of the widget's size, or at a pixel offset.
    bool clickAt(const QString &name, double fx = 0.5, double fy = 0.5) const
    {
        const QJsonObject w = widget(name);
        if (w.isEmpty())
            return false;
        return clickAtPixel(name, int(w.value(QStringLiteral("w")).toInt() * fx),
                            int(w.value(QStringLiteral("h")).toInt() * fy));
    }
    bool clickAtPixel(const QString &name, int dx, int dy) const
    {
        const QJsonObject w = widget(name);
        if (w.isEmpty())
            return false;
        const int x = w.value(QStringLiteral("x")).toInt() + dx;
        const int y = w.value(QStringLiteral("y")).toInt() + dy;
        return xdotool({QStringLiteral("mousemove"), QString::number(x), QString::number(y), QStringLiteral("click"),
                        QStringLiteral("1")});
    }
    bool xdotool(const QStringList &args) const
    {
        int rc = -1;
        run(tool("xdotool"), args, &rc);
        return rc == 0;
    }
    bool screenshot(const QString &file) const
    {
        QFile::remove(file);
        int rc = -1;
        run(tool("import"), {QStringLiteral("-window"), QStringLiteral("root"), file}, &rc);
        return rc == 0 && QFile::exists(file);
    }

    // ox8ctl --simulate model show --json, as an object (empty on failure).
    QJsonObject showJson(const QString &model) const
    {
        int rc = -1;
        const QString out = run(QStringLiteral(OX8CTL_BIN),
                                {QStringLiteral("--simulate"), model, QStringLiteral("show"), QStringLiteral("--json")},
                                &rc);
        QJsonObject shown;
        for (const QString &line : out.split(QLatin1Char('\n'))) {
            if (line.startsWith(QLatin1Char('{')))
                shown = QJsonDocument::fromJson(line.toUtf8()).object();
        }
        return rc == 0 ? shown : QJsonObject();
    }

    QString run(const QString &program, const QStringList &args, int *exitCode = nullptr) const
    {
        QProcess p;
        p.setProcessEnvironment(environment());
        p.start(program, args);
        if (!p.waitForFinished(kStepTimeoutMs)) {
            p.kill();
            p.waitForFinished();
        }
        if (exitCode)
            *exitCode = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
        return QString::fromUtf8(p.readAllStandardOutput()) + QString::fromUtf8(p.readAllStandardError());
    }

    QString appDir() const { return m_appDir; }
    QString programOutput() { return QString::fromUtf8(m_app.readAll()); }

private:
    QString mapPath() const { return m_dir.filePath(QStringLiteral("widgets.json")); }
    QProcessEnvironment environment() const
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("DISPLAY"), m_display);
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
        env.insert(QStringLiteral("OX8_APP_DIR"), m_appDir);
        env.insert(QStringLiteral("TMPDIR"), m_dir.filePath(QStringLiteral("tmp")));
        // The X libraries keep caches until exit; only our own faults matter here.
        env.insert(QStringLiteral("ASAN_OPTIONS"), QStringLiteral("detect_leaks=0"));
        for (auto it = m_extraEnvironment.constBegin(); it != m_extraEnvironment.constEnd(); ++it)
            env.insert(it.key(), it.value());
        return env;
    }

    QTemporaryDir m_dir;
    QMap<QString, QString> m_extraEnvironment;
    QString m_appDir;
    QString m_display;
    QProcess m_xserver;
    QProcess m_app;
};
