#include "platform/urlopener.h"

#include <QDesktopServices>

#include <atomic>

UrlOpener::~UrlOpener() = default;

bool UrlOpener::open(const QUrl &url)
{
    return url.isValid() && QDesktopServices::openUrl(url);
}

namespace {
std::atomic<UrlOpener *> g_opener{nullptr};
}

UrlOpener &urlOpener()
{
    static UrlOpener desktop;
    UrlOpener *o = g_opener.load();
    return o ? *o : desktop;
}

void setUrlOpener(UrlOpener *opener)
{
    g_opener.store(opener);
}
