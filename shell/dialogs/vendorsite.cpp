#include "shell/dialogs/vendorsite.h"

const char *const kVendorSiteBaseUrl = "https://www.korvan-gaming.com";

QUrl vendorSiteUrl(const QString &path)
{
    return QUrl(QString::fromLatin1(kVendorSiteBaseUrl) + path);
}
