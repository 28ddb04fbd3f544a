#include "analytics/ganalytics.h"

#include "analytics/ganalyticsprivate.h"
#include "analytics/identitystore.h"
#include "config/servicesettings.h"

#include <QCoreApplication>
#include <QDebug>
#include <QGuiApplication>
#include <QLocale>
#include <QMutexLocker>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QQmlEngine>
#include <QScreen>
#include <QSysInfo>
#include <QUuid>

// --- GAnalytics::Private -------------------------------------------------------------------

GAnalytics::Private::Private(GAnalytics *parent)
    : QObject(parent)
    , q(parent)
{
    logMessage(Info, QStringLiteral("init GAnalytics Private!"));
    const QLocale locale = QLocale::system();
    language = analyticsLanguage(locale.name());
    if (qobject_cast<QGuiApplication *>(QCoreApplication::instance())) {
        if (const QScreen *screen = QGuiApplication::primaryScreen())
            screenResolution = QStringLiteral("%1x%2").arg(screen->size().width()).arg(screen->size().height());
    }
    appName = QCoreApplication::applicationName();
    appVersion = QCoreApplication::applicationVersion();

    const QString userAgent =
        analyticsUserAgent(appName, appVersion,
                           userAgentSystem(QSysInfo::kernelType(), QSysInfo::kernelVersion(),
                                           QSysInfo::currentCpuArchitecture()),
                           locale.name());
    qDebug().noquote() << QStringLiteral("-----------------:") + userAgent;
    request.setHeader(QNetworkRequest::ContentTypeHeader, QStringLiteral("application/x-www-form-urlencoded"));
    request.setHeader(QNetworkRequest::UserAgentHeader, userAgent);
    // A redirect could carry the hits to an address nobody configured.
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::ManualRedirectPolicy);
    request.setTransferTimeout(kTransferTimeoutMs);

    timer.setInterval(kInitialSendIntervalMs);
    connect(&timer, &QTimer::timeout, this, &Private::postMessage);
    // Queued: a run of stale hits is worked off without recursion.
    connect(this, &Private::postNextMessage, this, &Private::postMessage, Qt::QueuedConnection);
    timer.start();
}

GAnalytics::Private::~Private()
{
    logMessage(Info, QStringLiteral("~Private"));
    // Hits still queued are not sent.
    if (reply) {
        reply->disconnect(this);
        reply->abort();
    }
}

void GAnalytics::Private::logMessage(LogLevel level, const QString &message) const
{
    if (level < logLevel)
        return;
    qDebug().noquote() << QStringLiteral("[Analytics]") << message;
}

qint64 GAnalytics::Private::nowMs() const
{
    return clock->nowMs();
}

bool GAnalytics::Private::isCollecting() const
{
    return enabled && !trackingId.isEmpty() && isAllowedRemoteUrl(endpoint) && !endpoint.hasQuery()
           && !endpoint.hasFragment();
}

void GAnalytics::Private::ensureIdentifiers()
{
    if (identifiersLoaded)
        return;
    identifiersLoaded = true;
    const AnalyticsIdentity stored = readAnalyticsIdentity(analyticsIdentityPath());
    bool changed = false;
    if (stored.hasClientId && !stored.clientId.isEmpty()) {
        clientId = stored.clientId;
        logMessage(Info, QStringLiteral("get cid ") + clientId);
    } else {
        clientId = QUuid::createUuid().toString();
        changed = true;
        logMessage(Info, QStringLiteral("create cid ") + clientId);
    }
    if (userIdSet) {
        // A user id given before collecting started wins over the stored one.
        changed = changed || !stored.hasUserId || stored.userId != userId;
        qDebug().noquote() << QStringLiteral("get uid ") + userId;
    } else if (stored.hasUserId) {
        userId = stored.userId;
        qDebug().noquote() << QStringLiteral("get uid ") + userId;
    } else {
        userId = QUuid::createUuid().toString();
        changed = true;
        qDebug().noquote() << QStringLiteral("create uid ") + userId;
    }
    if (changed)
        persistIdentifiers();
}

void GAnalytics::Private::persistIdentifiers()
{
    if (!writeAnalyticsIdentity(analyticsIdentityPath(), clientId, userId))
        logMessage(Error, QStringLiteral("cannot store the analytics ids in ") + analyticsIdentityPath());
}

HitContext GAnalytics::Private::hitContext() const
{
    HitContext c;
    c.trackingId = trackingId;
    c.clientId = clientId;
    c.userId = userId;
    c.language = language;
    c.dataSource = dataSource;
    c.viewportSize = viewportSize;
    c.screenResolution = screenResolution;
    c.appName = appName;
    c.appVersion = appVersion;
    return c;
}

void GAnalytics::Private::enqueueQueryWithCurrentTime(const HitParameters &query)
{
    QMutexLocker lock(&queueMutex);
    if (messageQueue.size() >= kMaxQueuedHits) {
        lock.unlock();
        logMessage(Error, QStringLiteral("queue full, hit dropped"));
        return;
    }
    messageQueue.append({query, nowMs()});
}

int GAnalytics::Private::queuedHitCount() const
{
    QMutexLocker lock(&queueMutex);
    return messageQueue.size();
}

void GAnalytics::Private::collectingMayHaveChanged()
{
    if (!isCollecting())
        dropEverything();
}

void GAnalytics::Private::dropEverything()
{
    {
        QMutexLocker lock(&queueMutex);
        messageQueue.clear();
    }
    if (reply) {
        QNetworkReply *inFlight = reply;
        reply = nullptr;
        inFlight->disconnect(this);
        inFlight->abort();
        inFlight->deleteLater();
    }
}

QNetworkAccessManager *GAnalytics::Private::networkManager()
{
    if (!networkAccessManager) {
        ownNetworkAccessManager = std::make_unique<QNetworkAccessManager>();
        networkAccessManager = ownNetworkAccessManager.get();
    }
    return networkAccessManager;
}

void GAnalytics::Private::releaseNetwork()
{
    timer.stop();
    if (reply) {
        QNetworkReply *inFlight = reply;
        reply = nullptr;
        inFlight->disconnect(this);
        inFlight->abort();
        delete inFlight;
    }
    networkAccessManager = nullptr;
    ownNetworkAccessManager.reset();
}

void GAnalytics::Private::removeHead()
{
    QMutexLocker lock(&queueMutex);
    if (!messageQueue.isEmpty())
        messageQueue.removeFirst();
}

void GAnalytics::Private::postMessage()
{
    // One post at a time: the timer may tick while one is in flight, and its
    // answer decides about the head of the queue.
    if (reply)
        return;
    QueuedHit head;
    QString connection;
    {
        QMutexLocker lock(&queueMutex);
        if (messageQueue.isEmpty()) {
            lock.unlock();
            timer.start();
            return;
        }
        connection = messageQueue.size() > 1 ? QStringLiteral("keep-alive") : QStringLiteral("close");
        head = messageQueue.first();
    }

    const qint64 age = nowMs() - head.queuedAtMs;
    if (age > kMaxHitAgeMs) {
        removeHead();
        emit postNextMessage();
        return;
    }
    if (!isCollecting()) {
        // Nothing is queued while not collecting; this is only a safety net.
        dropEverything();
        return;
    }

    HitParameters query = head.query;
    query.append({QStringLiteral("qt"), QString::number(qMax<qint64>(0, age))});
    QNetworkRequest post = request;
    post.setUrl(endpoint);
    post.setRawHeader("Connection", connection.toLatin1());
    const QByteArray body = encodeHitBody(query);
    logMessage(Info, QStringLiteral("send msg: ") + QString::fromUtf8(body));
    post.setHeader(QNetworkRequest::ContentLengthHeader, body.size());
    QNetworkReply *sent = networkManager()->post(post, body);
    reply = sent;
    connect(sent, &QNetworkReply::finished, this, [this, sent] { postMessageFinished(sent); });
}

void GAnalytics::Private::postMessageFinished(QNetworkReply *finished)
{
    finished->deleteLater();
    if (finished != reply)
        return; // dropped meanwhile
    reply = nullptr;

    // Only a reply without any HTTP status is a transport error; a status
    // outside 2xx (which Qt reports as an error too) keeps the hit for a retry.
    const QVariant status = finished->attribute(QNetworkRequest::HttpStatusCodeAttribute);
    if (!status.isValid()) {
        logMessage(Error, QStringLiteral("Error posting message: %1").arg(finished->errorString()));
        postMessageError();
        return;
    }
    const int httpStatusCode = status.toInt();
    logMessage(Info, QStringLiteral("httpstatusCode: %1").arg(httpStatusCode));
    if (httpStatusCode < 200 || httpStatusCode > 299) {
        logMessage(Error, QStringLiteral("Error posting message: %1").arg(finished->errorString()));
        timer.start();
        return;
    }
    logMessage(Debug, QStringLiteral("Message sent"));
    removeHead();
    emit postNextMessage();
}

void GAnalytics::Private::postMessageError()
{
    logMessage(Error, QStringLiteral("Error posting message: "));
    // The failed hit is dropped, not retried.
    removeHead();
    timer.start();
}

// --- GAnalytics ---------------------------------------------------------------------------

GAnalytics::GAnalytics(QObject *parent)
    : QObject(parent)
    , d(std::make_unique<Private>(this))
{
}

GAnalytics::~GAnalytics()
{
    // The private object is a QObject child: delete it while this is whole.
    d.reset();
}

GAnalytics::LogLevel GAnalytics::logLevel() const
{
    return d->logLevel;
}

void GAnalytics::setLogLevel(LogLevel logLevel)
{
    if (d->logLevel == logLevel)
        return;
    d->logLevel = logLevel;
    emit logLevelChanged();
}

QString GAnalytics::viewportSize() const
{
    return d->viewportSize;
}

void GAnalytics::setViewportSize(const QString &viewportSize)
{
    if (d->viewportSize == viewportSize)
        return;
    d->viewportSize = viewportSize;
    emit viewportSizeChanged();
}

QString GAnalytics::language() const
{
    return d->language;
}

void GAnalytics::setLanguage(const QString &language)
{
    if (d->language == language)
        return;
    d->language = language;
    emit languageChanged();
}

QString GAnalytics::trackingID() const
{
    return d->trackingId;
}

void GAnalytics::setTrackingID(const QString &trackingID)
{
    if (d->trackingId == trackingID)
        return;
    d->trackingId = trackingID;
    d->collectingMayHaveChanged();
    emit trackingIDChanged();
}

QString GAnalytics::userID() const
{
    return d->userId;
}

void GAnalytics::setUserID(const QString &userID)
{
    const bool changed = d->userId != userID;
    d->userId = userID;
    // Even an unchanged (empty) value is a choice the stored one must not override.
    d->userIdSet = true;
    if (!changed)
        return;
    // Stored now where the identifiers exist already; otherwise together with them.
    if (d->identifiersLoaded)
        d->persistIdentifiers();
    emit userIDChanged();
}

int GAnalytics::sendInterval() const
{
    return d->timer.interval();
}

void GAnalytics::setSendInterval(int milliseconds)
{
    if (milliseconds < 0 || d->timer.interval() == milliseconds)
        return;
    d->timer.setInterval(milliseconds);
    emit sendIntervalChanged();
}

QUrl GAnalytics::endpoint() const
{
    return d->endpoint;
}

void GAnalytics::setEndpoint(const QUrl &endpoint)
{
    if (d->endpoint == endpoint)
        return;
    d->endpoint = endpoint;
    d->collectingMayHaveChanged();
    emit endpointChanged();
}

bool GAnalytics::isEnabled() const
{
    return d->enabled;
}

void GAnalytics::setEnabled(bool enabled)
{
    if (d->enabled == enabled)
        return;
    d->enabled = enabled;
    d->collectingMayHaveChanged();
    emit enabledChanged();
}

bool GAnalytics::isCollecting() const
{
    return d->isCollecting();
}

int GAnalytics::queuedHitCount() const
{
    return d->queuedHitCount();
}

QNetworkAccessManager *GAnalytics::networkAccessManager() const
{
    return d->networkAccessManager;
}

void GAnalytics::setNetworkAccessManager(QNetworkAccessManager *manager)
{
    if (d->networkAccessManager == manager)
        return;
    d->dropEverything();
    d->ownNetworkAccessManager.reset();
    d->networkAccessManager = manager;
}

void GAnalytics::setClock(Clock *clock)
{
    d->clock = clock ? clock : &d->realClock;
}

void GAnalytics::releaseNetwork()
{
    d->releaseNetwork();
}

void GAnalytics::classBegin()
{
}

void GAnalytics::componentComplete()
{
    if (QQmlEngine *engine = qmlEngine(this))
        setNetworkAccessManager(engine->networkAccessManager());
}

void GAnalytics::sendPageView(const QString &pageName, const QVariantMap &customValues)
{
    if (!d->isCollecting())
        return;
    d->ensureIdentifiers();
    d->logMessage(Info, QStringLiteral("pageview: %1").arg(pageName));
    d->enqueueQueryWithCurrentTime(pageViewHit(d->hitContext(), pageName, customValues));
}

void GAnalytics::sendEvent(const QString &category, const QString &action, const QString &label,
                           const QVariant &value, const QVariantMap &customValues)
{
    if (!d->isCollecting())
        return;
    d->ensureIdentifiers();
    d->logMessage(Info, QStringLiteral("event: %1-%2-%3").arg(category, action, label));
    d->enqueueQueryWithCurrentTime(eventHit(d->hitContext(), category, action, label, value, customValues));
}

void GAnalytics::sendException(const QString &exceptionDescription, bool exceptionFatal,
                               const QVariantMap &customValues)
{
    if (!d->isCollecting())
        return;
    d->ensureIdentifiers();
    d->enqueueQueryWithCurrentTime(exceptionHit(d->hitContext(), exceptionDescription, exceptionFatal, customValues));
}

void GAnalytics::startSession()
{
    sendEvent(QStringLiteral("Session"), QStringLiteral("Start"), QString(), QVariant(),
              {{QStringLiteral("sc"), QStringLiteral("start")}});
}

void GAnalytics::endSession()
{
    sendEvent(QStringLiteral("Session"), QStringLiteral("End"), QString(), QVariant(),
              {{QStringLiteral("sc"), QStringLiteral("end")}});
}

void registerAnalyticsQmlType()
{
    qmlRegisterType<GAnalytics>("OX8.Analytics", 1, 0, "GAnalytics");
}
