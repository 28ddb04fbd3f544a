#include "analytics/googleanalyticsadaptor.h"

#include "analytics/ganalytics.h"

#include <QCoreApplication>

namespace {
// The network objects must go before the application object does; the
// shared instance itself is destroyed only at process exit.
void releaseSharedNetwork()
{
    GoogleAnalyticsAdaptor::analytics().releaseNetwork();
}
} // namespace

GAnalytics &GoogleAnalyticsAdaptor::analytics()
{
    static GAnalytics instance;
    static const bool releaseRegistered = [] {
        qAddPostRoutine(releaseSharedNetwork);
        return true;
    }();
    Q_UNUSED(releaseRegistered)
    return instance;
}

GoogleAnalyticsAdaptor::GoogleAnalyticsAdaptor(const QString &trackingId, QObject *parent)
    : QObject(parent)
{
    analytics().setTrackingID(trackingId);
}

void GoogleAnalyticsAdaptor::setSendInterval(int milliseconds)
{
    analytics().setSendInterval(milliseconds);
}

void GoogleAnalyticsAdaptor::setEndpoint(const QUrl &endpoint)
{
    analytics().setEndpoint(endpoint);
}

void GoogleAnalyticsAdaptor::setEnabled(bool enabled)
{
    analytics().setEnabled(enabled);
}

bool GoogleAnalyticsAdaptor::isCollecting() const
{
    return analytics().isCollecting();
}

void GoogleAnalyticsAdaptor::sendEvent(const QString &viewTitle, const QString &category, const QString &action,
                                       const QString &label, const QVariant &value, const QVariantMap &customValues)
{
    Q_UNUSED(viewTitle)
    analytics().sendEvent(category, action, label, value, customValues);
}

void GoogleAnalyticsAdaptor::sendScreenView(const QString &screenName, const QVariantMap &customValues)
{
    analytics().sendPageView(screenName, customValues);
}
