#pragma once

#include <QUrl>

// Opens web pages, downloads and external programs with the desktop's
// handler. Replaceable so tests can see what would have been opened.
class UrlOpener
{
public:
    virtual ~UrlOpener();
    virtual bool open(const QUrl &url);
};

UrlOpener &urlOpener();
void setUrlOpener(UrlOpener *opener); // nullptr restores the desktop's
