#pragma once

#include "config/languagetable.h"
#include "platform/urlopener.h"

#include <QAbstractButton>
#include <QList>
#include <QStringList>
#include <QUrl>
#include <QWidget>
#include <QtTest>

// Helpers for widget tests that drive real widgets by object name.

// Sends a hover event at pos (widget coordinates), as the widget would get it.
inline void sendHover(QWidget *w, QEvent::Type type, QPointF pos, QPointF oldPos)
{
#if QT_VERSION >= QT_VERSION_CHECK(6, 3, 0)
    QHoverEvent e(type, pos, w->mapToGlobal(pos.toPoint()), oldPos);
#else
    QHoverEvent e(type, pos, oldPos);
#endif
    QCoreApplication::sendEvent(w, &e);
}

// A language table whose entry n reads "T<n>", so a test sees which
// number a widget shows; restores an empty table when it goes.
class NumberedLanguageTable
{
public:
    explicit NumberedLanguageTable(int size = 700)
    {
        QStringList texts;
        for (int i = 0; i < size; ++i)
            texts << QStringLiteral("T%1").arg(i);
        setLanguageTexts(texts);
    }
    ~NumberedLanguageTable() { setLanguageTexts({}); }
    static QString text(int n) { return QStringLiteral("T%1").arg(n); }
};

// Records what would have been opened in the browser.
class RecordingUrlOpener : public UrlOpener
{
public:
    RecordingUrlOpener() { setUrlOpener(this); }
    ~RecordingUrlOpener() override { setUrlOpener(nullptr); }
    bool open(const QUrl &url) override
    {
        urls.append(url);
        return true;
    }
    QList<QUrl> urls;
};

// The named child of root; fails the test when there is none.
template <typename T>
T *childNamed(const QObject *root, const QString &name)
{
    T *w = root->findChild<T *>(name);
    if (!w)
        qFatal("no child named %s", qPrintable(name));
    return w;
}

// A left click on the button named name: in its middle, or on the
// indicator of a check box or radio button.
inline void clickNamed(const QObject *root, const QString &name)
{
    auto *b = childNamed<QAbstractButton>(root, name);
    const bool indicator = b->inherits("QCheckBox") || b->inherits("QRadioButton");
    const QPoint at = indicator ? QPoint(8, b->height() / 2) : b->rect().center();
    QTest::mouseClick(b, Qt::LeftButton, Qt::NoModifier, at);
}
