#pragma once

#include "analytics/ganalytics.h"
#include "analytics/hitbuilder.h"
#include "platform/clock.h"

#include <QList>
#include <QMutex>
#include <QNetworkRequest>
#include <QPointer>
#include <QTimer>

class QNetworkReply;

// GAnalytics' worker: the hit parameters, the queue of hits with the time
// each was queued, the send timer and the network access manager. Lives on
// the GUI thread with its GAnalytics; the mutex guards the queue.
class GAnalytics::Private : public QObject
{
    Q_OBJECT

public:
    struct QueuedHit
    {
        HitParameters query;
        qint64 queuedAtMs = 0;
    };

    // A hit waits at most this long for its turn; older ones are dropped.
    static constexpr qint64 kMaxHitAgeMs = 600000;
    // Beyond this many waiting hits new ones are dropped: a collector that
    // keeps failing must not let the queue grow without end.
    static constexpr int kMaxQueuedHits = 1000;
    // A post that gets no answer counts as failed after this long.
    static constexpr int kTransferTimeoutMs = 30000;
    static constexpr int kInitialSendIntervalMs = 30000;

    explicit Private(GAnalytics *parent);
    ~Private() override;

    // A diagnostic line: "[Analytics]" and the text, when level >= logLevel.
    void logMessage(LogLevel level, const QString &message) const;

    bool isCollecting() const;
    // Loads the client and user id from the settings file, creating what is
    // missing; done on the first hit while collecting, never before.
    void ensureIdentifiers();
    void persistIdentifiers();
    HitContext hitContext() const;
    void enqueueQueryWithCurrentTime(const HitParameters &query);
    int queuedHitCount() const;
    // Called whenever enabled, endpoint or tracking id changed: no longer
    // collecting drops the queue and the post in flight.
    void collectingMayHaveChanged();
    void dropEverything();
    QNetworkAccessManager *networkManager();
    void releaseNetwork();
    qint64 nowMs() const;

    GAnalytics *q;
    QNetworkRequest request;
    QString clientId;
    QString userId;
    bool identifiersLoaded = false;
    bool userIdSet = false; // set through the property before the ids were loaded
    QString dataSource = QStringLiteral("web");
    QString language;
    QString screenResolution;
    QString viewportSize;
    QString appName;
    QString appVersion;
    QString trackingId;
    QUrl endpoint;
    bool enabled = false;
    LogLevel logLevel = Error;

    mutable QMutex queueMutex;
    QList<QueuedHit> messageQueue;
    QTimer timer;

    QPointer<QNetworkAccessManager> networkAccessManager;
    std::unique_ptr<QNetworkAccessManager> ownNetworkAccessManager;
    // The one post in flight; its end decides what happens to the queue's head.
    QPointer<QNetworkReply> reply;
    RealClock realClock;
    Clock *clock = &realClock;

signals:
    void postNextMessage();

public slots:
    void postMessage();
    void postMessageFinished(QNetworkReply *finished);
    void postMessageError();

private:
    void removeHead();
};
