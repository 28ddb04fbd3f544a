#pragma once

#include <QString>
#include <QUrl>

// The vendor's web site, in one place: the support button, the download
// centre and any later page that links there.
extern const char *const kVendorSiteBaseUrl;

// The site's address with an optional path ("/downloadcenter").
QUrl vendorSiteUrl(const QString &path = QString());
