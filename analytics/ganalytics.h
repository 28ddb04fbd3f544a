#pragma once

#include <QObject>
#include <QQmlParserStatus>
#include <QString>
#include <QUrl>
#include <QVariant>
#include <QVariantMap>

#include <memory>

class Clock;
class QNetworkAccessManager;

// Anonymous usage reporting: page views and events as Measurement Protocol
// hits, queued and posted one at a time by a timer to the configured
// collector. Collects only while it is enabled (the user's choice) and both
// the endpoint and the tracking id are set; otherwise it queues nothing,
// sends nothing and creates no identifiers. Can also be declared in QML,
// where it uses the engine's network access manager. GUI thread only.
class GAnalytics : public QObject, public QQmlParserStatus
{
    Q_OBJECT
    Q_INTERFACES(QQmlParserStatus)
    Q_PROPERTY(LogLevel logLevel READ logLevel WRITE setLogLevel NOTIFY logLevelChanged)
    Q_PROPERTY(QString viewportSize READ viewportSize WRITE setViewportSize NOTIFY viewportSizeChanged)
    Q_PROPERTY(QString language READ language WRITE setLanguage NOTIFY languageChanged)
    Q_PROPERTY(QString trackingID READ trackingID WRITE setTrackingID NOTIFY trackingIDChanged)
    Q_PROPERTY(QString userID READ userID WRITE setUserID NOTIFY userIDChanged)
    Q_PROPERTY(int sendInterval READ sendInterval WRITE setSendInterval NOTIFY sendIntervalChanged)
    Q_PROPERTY(QUrl endpoint READ endpoint WRITE setEndpoint NOTIFY endpointChanged)
    Q_PROPERTY(bool enabled READ isEnabled WRITE setEnabled NOTIFY enabledChanged)

public:
    class Private;

    enum LogLevel { Debug = 0, Info = 1, Error = 2 };
    Q_ENUM(LogLevel)

    explicit GAnalytics(QObject *parent = nullptr);
    ~GAnalytics() override;

    LogLevel logLevel() const;
    void setLogLevel(LogLevel logLevel);
    QString viewportSize() const;
    void setViewportSize(const QString &viewportSize);
    QString language() const;
    void setLanguage(const QString &language);
    QString trackingID() const;
    void setTrackingID(const QString &trackingID);
    // Setting it also stores it beside the client id (once collecting).
    QString userID() const;
    void setUserID(const QString &userID);
    int sendInterval() const;
    void setSendInterval(int milliseconds);
    // Where hits are posted: https, or http on this machine only.
    QUrl endpoint() const;
    void setEndpoint(const QUrl &endpoint);
    // The user's consent. Turning it off drops every queued hit.
    bool isEnabled() const;
    void setEnabled(bool enabled);

    // Enabled, with an allowed endpoint and a tracking id.
    bool isCollecting() const;
    int queuedHitCount() const;

    // The manager hits are posted through; by default one of its own,
    // created on first use. The caller keeps ownership of one it sets.
    QNetworkAccessManager *networkAccessManager() const;
    void setNetworkAccessManager(QNetworkAccessManager *manager);
    // The clock that dates queued hits (tests: a virtual one); nullptr
    // restores the real clock. The caller keeps ownership.
    void setClock(Clock *clock);

    // Lets go of the network before the application object is destroyed; a
    // process-wide instance outlives it.
    void releaseNetwork();

    void classBegin() override;
    void componentComplete() override;

public slots:
    void sendPageView(const QString &pageName, const QVariantMap &customValues = QVariantMap());
    void sendEvent(const QString &category, const QString &action, const QString &label = QString(),
                   const QVariant &value = QVariant(), const QVariantMap &customValues = QVariantMap());
    void sendException(const QString &exceptionDescription, bool exceptionFatal = true,
                       const QVariantMap &customValues = QVariantMap());
    void startSession();
    void endSession();

signals:
    void logLevelChanged();
    void viewportSizeChanged();
    void languageChanged();
    void trackingIDChanged();
    void userIDChanged();
    void sendIntervalChanged();
    void endpointChanged();
    void enabledChanged();

private:
    std::unique_ptr<Private> d;
};

// Makes GAnalytics available to QML as "import OX8.Analytics 1.0".
void registerAnalyticsQmlType();
