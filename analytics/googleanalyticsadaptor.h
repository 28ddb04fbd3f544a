#pragma once

#include <QObject>
#include <QString>
#include <QUrl>
#include <QVariant>
#include <QVariantMap>

class GAnalytics;

// The main window's handle on the process-wide GAnalytics: it sets the
// tracking id and forwards screen views and events. The shared instance is
// created on first use and lives until the process ends. GUI thread only.
class GoogleAnalyticsAdaptor : public QObject
{
    Q_OBJECT

public:
    explicit GoogleAnalyticsAdaptor(const QString &trackingId, QObject *parent = nullptr);

    // The process-wide instance.
    static GAnalytics &analytics();

    void setSendInterval(int milliseconds);
    void setEndpoint(const QUrl &endpoint);
    void setEnabled(bool enabled);
    bool isCollecting() const;

public slots:
    // viewTitle is not sent.
    void sendEvent(const QString &viewTitle, const QString &category, const QString &action, const QString &label,
                   const QVariant &value, const QVariantMap &customValues);
    void sendScreenView(const QString &screenName, const QVariantMap &customValues);
};
