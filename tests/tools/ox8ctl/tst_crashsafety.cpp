// ox8ctl killed at random moments while it writes, and two ox8ctl changing
// one emulated mouse at once: nothing it keeps in APP may end up unreadable,
// half written or lost.
//
// The kill moments come from a seeded generator; OX8_CRASH_SEED=N repeats a
// run (every failure names its seed, round, command and kill moment).

#include "sim/familya/familyamouse.h"

#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRandomGenerator>
#include <QSet>
#include <QSettings>
#include <QTemporaryDir>
#include <QtTest>

#include <algorithm>

namespace {

struct Run
{
    int code = -1;
    QByteArray out;
    QByteArray err;
};

const QString kSim = QStringLiteral("--simulate");
const QString kModel = QStringLiteral("ox7");

quint32 crashSeed()
{
    bool ok = false;
    const quint32 seed = qEnvironmentVariable("OX8_CRASH_SEED").toUInt(&ok);
    return ok ? seed : 1807u;
}

QByteArray fileBytes(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// The files below APP.
QSet<QString> filesBelow(const QString &app)
{
    QSet<QString> files;
    QDirIterator it(app, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext())
        files.insert(it.next());
    return files;
}

// Everything wrong with the files below APP: a JSON or INI file that does
// not parse, a temporary file of an atomic write whose file is gone, a file
// kept aside as damaged, a state file the emulator refuses. With
// existedBefore, a temporary file counts only when its file was there before
// the command: a first write killed before its rename leaves a temporary
// file and no file, and loses nothing.
QStringList damageBelow(const QString &app, const QSet<QString> *existedBefore = nullptr)
{
    QStringList problems;
    QDirIterator it(app, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        const QFileInfo info(path);
        const QString name = info.fileName();
        if (name.contains(QLatin1String(".damaged-"))) {
            problems << QStringLiteral("kept aside as damaged: %1").arg(path);
        } else if (name.startsWith(QLatin1Char('.')) && name.endsWith(QLatin1String(".tmp"))) {
            // ".NAME.XXXXXX.tmp" beside NAME: harmless only while NAME is there.
            const QString target = name.mid(1, name.lastIndexOf(QLatin1Char('.'), name.size() - 5) - 1);
            const QString targetPath = info.dir().filePath(target);
            if (!QFileInfo::exists(targetPath) && (!existedBefore || existedBefore->contains(targetPath)))
                problems << QStringLiteral("only a temporary copy: %1").arg(path);
        } else if (name.endsWith(QLatin1String(".json"))) {
            const QByteArray bytes = fileBytes(path);
            // The readers create a missing file empty and read it as their
            // defaults; an atomic write never leaves one.
            if (bytes.isEmpty())
                continue;
            QJsonParseError error{};
            QJsonDocument::fromJson(bytes, &error);
            if (error.error != QJsonParseError::NoError)
                problems << QStringLiteral("unreadable JSON (%1 bytes): %2").arg(bytes.size()).arg(path);
        } else if (name.endsWith(QLatin1String(".ini"))) {
            QSettings ini(path, QSettings::IniFormat);
            (void)ini.allKeys();
            if (ini.status() != QSettings::NoError)
                problems << QStringLiteral("unreadable INI: %1").arg(path);
        } else if (name.endsWith(QLatin1String(".state"))) {
            if (!FamilyAMouse::createFromState(fileBytes(path)))
                problems << QStringLiteral("state file refused: %1").arg(path);
        }
    }
    return problems;
}

} // namespace

class TstCrashSafety : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void killedWritesLoseNothing();
    void concurrentWritersLoseNoUpdate();

private:
    QProcess *start(const QStringList &args);
    Run ctl(const QStringList &args);
    QJsonObject show();
    // After the show that follows any interruption, the mouse holds what the
    // profile it is said to hold says: loading that profile changes nothing.
    // Empty when it does; failed is set when a command itself failed.
    QString mouseAgreesWithItsProfile(bool &failed);

    std::unique_ptr<QTemporaryDir> m_app;
    QTemporaryDir m_outside; // exported profiles live outside APP
};

void TstCrashSafety::init()
{
    m_app = std::make_unique<QTemporaryDir>();
    QVERIFY(m_app->isValid());
    QVERIFY(m_outside.isValid());
}

QProcess *TstCrashSafety::start(const QStringList &args)
{
    auto *p = new QProcess(this);
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("OX8_APP_DIR"), m_app->path());
    p->setProcessEnvironment(env);
    p->start(QStringLiteral(OX8CTL_PATH), QStringList{kSim, kModel} + args);
    return p;
}

Run TstCrashSafety::ctl(const QStringList &args)
{
    std::unique_ptr<QProcess> p(start(args));
    Run r;
    if (!p->waitForFinished(120000)) {
        p->kill();
        p->waitForFinished();
        return r;
    }
    r.code = p->exitStatus() == QProcess::NormalExit ? p->exitCode() : -1;
    r.out = p->readAllStandardOutput();
    r.err = p->readAllStandardError();
    return r;
}

QJsonObject TstCrashSafety::show()
{
    const Run r = ctl({QStringLiteral("show"), QStringLiteral("--json")});
    if (r.code != 0) {
        qWarning() << "show failed" << r.code << r.err;
        return {};
    }
    return QJsonDocument::fromJson(r.out).object();
}

QString TstCrashSafety::mouseAgreesWithItsProfile(bool &failed)
{
    failed = true;
    const QJsonObject before = show();
    if (before.isEmpty())
        return QStringLiteral("show failed");
    failed = false;
    const int profile = before.value(QStringLiteral("profile")).toInt();
    if (profile < 1 || profile > 5)
        return QStringLiteral("show names no profile that holds the mouse's settings (%1)").arg(profile);
    const Run load = ctl({QStringLiteral("profile"), QString::number(profile)});
    failed = load.code != 0;
    if (load.code != 0)
        return QStringLiteral("profile %1 failed: %2").arg(profile).arg(QString::fromUtf8(load.err));
    const QJsonObject after = show();
    failed = after.isEmpty();
    if (failed)
        return QStringLiteral("show failed after loading profile %1").arg(profile);
    for (const char *key : {"cpi", "reportRateHz", "buttons", "lighting"}) {
        const QString k = QLatin1String(key);
        if (before.value(k) != after.value(k))
            return QStringLiteral("profile %1 differs from the mouse in %2: %3 before, %4 after loading it")
                .arg(profile)
                .arg(k, QString::fromUtf8(QJsonDocument(QJsonObject{{k, before.value(k)}}).toJson(QJsonDocument::Compact)),
                     QString::fromUtf8(QJsonDocument(QJsonObject{{k, after.value(k)}}).toJson(QJsonDocument::Compact)));
    }
    return QString();
}

// 200 writes, each killed (SIGKILL) at a random moment of its run.
void TstCrashSafety::killedWritesLoseNothing()
{
    const quint32 seed = crashSeed();
    QRandomGenerator random(seed);
    const QString exported = m_outside.filePath(QStringLiteral("exported.json"));
    const Run exportRun = ctl({QStringLiteral("export"), QStringLiteral("3"), exported});
    QVERIFY2(exportRun.code == 0, exportRun.err.constData());

    // How long an uninterrupted write takes in this build on this machine;
    // kill moments spread over that span and a little beyond.
    QElapsedTimer timer;
    QVector<qint64> spans;
    for (int i = 0; i < 3; ++i) {
        timer.start();
        QCOMPARE(ctl({QStringLiteral("set-cpi"), QStringLiteral("400,800,1600")}).code, 0);
        spans.append(timer.elapsed());
    }
    std::sort(spans.begin(), spans.end());
    const int window = int(qMax<qint64>(20, spans.at(1) * 5 / 4));

    const int kRounds = 200;
    const int cpiChoices[] = {400, 800, 1200, 1600, 2400, 3200, 6400};
    const int rates[] = {125, 250, 500, 1000};
    int killed = 0;
    QStringList disagreements;
    for (int round = 1; round <= kRounds; ++round) {
        QStringList args;
        switch (random.bounded(6)) {
        case 0: {
            QStringList values;
            const int n = 1 + random.bounded(7);
            for (int i = 0; i < n; ++i)
                values << QString::number(cpiChoices[random.bounded(7)]);
            args = QStringList{QStringLiteral("set-cpi"), values.join(QLatin1Char(','))};
            break;
        }
        case 1: args = QStringList{QStringLiteral("set-rate"), QString::number(rates[random.bounded(4)])}; break;
        case 2: args = QStringList{QStringLiteral("profile"), QString::number(1 + random.bounded(5))}; break;
        case 3: args = QStringList{QStringLiteral("save"), QString::number(1 + random.bounded(5))}; break;
        case 4: args = QStringList{QStringLiteral("import"), QString::number(1 + random.bounded(5)), exported}; break;
        default:
            args = QStringList{QStringLiteral("set-light"), QStringLiteral("breathing"),
                    QStringLiteral("#%1").arg(random.bounded(0x1000000), 6, 16, QLatin1Char('0'))};
            break;
        }
        const int killAfterMs = random.bounded(window);
        const QString where = QStringLiteral("seed %1, round %2, ox8ctl %3 killed after %4 ms")
                                  .arg(seed)
                                  .arg(round)
                                  .arg(args.join(QLatin1Char(' ')))
                                  .arg(killAfterMs);

        const QSet<QString> before = filesBelow(m_app->path());
        std::unique_ptr<QProcess> p(start(args));
        QVERIFY2(p->waitForStarted(), qPrintable(where));
        // Waits for the end of the command, not a fixed time: a command that
        // is done by then is not killed.
        if (!p->waitForFinished(killAfterMs)) {
            p->kill();
            QVERIFY2(p->waitForFinished(30000), qPrintable(where));
            ++killed;
        } else {
            QVERIFY2(p->exitStatus() == QProcess::NormalExit && p->exitCode() == 0,
                     qPrintable(where + QStringLiteral(": ") + QString::fromUtf8(p->readAllStandardError())));
        }
        const QStringList problems = damageBelow(m_app->path(), &before);
        QVERIFY2(problems.isEmpty(), qPrintable(where + QStringLiteral(": ") + problems.join(QStringLiteral("; "))));
        if (round % 25 == 0 || round == kRounds) {
            bool failed = false;
            const QString disagreement = mouseAgreesWithItsProfile(failed);
            // A command that cannot run after a kill (a lock left behind, a
            // file it refuses) is a fault of its own, never the known one.
            QVERIFY2(!failed, qPrintable(where + QStringLiteral(": ") + disagreement));
            if (!disagreement.isEmpty())
                disagreements << where + QStringLiteral(": ") + disagreement;
        }
    }
    qInfo("seed %u: %d of %d writes killed (kill moments within %d ms)", seed, killed, kRounds, window);
    // The moments must actually catch commands at work, or this proves nothing.
    QVERIFY2(killed >= kRounds / 4, qPrintable(QStringLiteral("only %1 writes killed").arg(killed)));
    // A change killed between the mouse and its profile file is put back in
    // step by the next command, so show always names the mouse's profile.
    for (const QString &d : qAsConst(disagreements))
        qInfo("%s", qPrintable(d));
    QVERIFY2(disagreements.isEmpty(),
             qPrintable(QStringLiteral("%1 of %2 checks: ").arg(disagreements.size()).arg(kRounds / 25)
                        + disagreements.join(QStringLiteral("; "))));
}

// 50 rounds of two commands at once on one mouse, each changing another
// setting: both changes arrive, and the state file stays one the emulator
// loads.
void TstCrashSafety::concurrentWritersLoseNoUpdate()
{
    const quint32 seed = crashSeed();
    QRandomGenerator random(seed);
    const int cpiChoices[] = {400, 800, 1200, 1600, 2400, 3200, 6400};
    const int rates[] = {125, 250, 500, 1000};
    for (int round = 1; round <= 50; ++round) {
        QJsonArray expectedCpi;
        QStringList values;
        const int n = 1 + random.bounded(7);
        for (int i = 0; i < 7; ++i) {
            const int v = i < n ? cpiChoices[random.bounded(7)] : 0;
            expectedCpi.append(v);
            if (i < n)
                values << QString::number(v);
        }
        const int rate = rates[random.bounded(4)];
        const bool cpiFirst = random.bounded(2);
        const QString where = QStringLiteral("seed %1, round %2: set-cpi %3 and set-rate %4")
                                  .arg(seed)
                                  .arg(round)
                                  .arg(values.join(QLatin1Char(',')))
                                  .arg(rate);

        const QStringList cpiArgs{QStringLiteral("set-cpi"), values.join(QLatin1Char(','))};
        const QStringList rateArgs{QStringLiteral("set-rate"), QString::number(rate)};
        std::unique_ptr<QProcess> a(start(cpiFirst ? cpiArgs : rateArgs));
        std::unique_ptr<QProcess> b(start(cpiFirst ? rateArgs : cpiArgs));
        for (QProcess *p : {a.get(), b.get()}) {
            QVERIFY2(p->waitForFinished(120000), qPrintable(where));
            QVERIFY2(p->exitStatus() == QProcess::NormalExit && p->exitCode() == 0,
                     qPrintable(where + QStringLiteral(": ") + QString::fromUtf8(p->readAllStandardError())));
        }
        const QStringList problems = damageBelow(m_app->path());
        QVERIFY2(problems.isEmpty(), qPrintable(where + QStringLiteral(": ") + problems.join(QStringLiteral("; "))));
        const QJsonObject shown = show();
        QVERIFY2(shown.value(QStringLiteral("cpi")).toArray() == expectedCpi,
                 qPrintable(where + QStringLiteral(": CPI lost, shows ")
                            + QString::fromUtf8(QJsonDocument(shown.value(QStringLiteral("cpi")).toArray())
                                                    .toJson(QJsonDocument::Compact))));
        QVERIFY2(shown.value(QStringLiteral("reportRateHz")).toInt() == rate,
                 qPrintable(where + QStringLiteral(": rate lost, shows %1")
                                        .arg(shown.value(QStringLiteral("reportRateHz")).toInt())));
    }
}

QTEST_GUILESS_MAIN(TstCrashSafety)
#include "tst_crashsafety.moc"
