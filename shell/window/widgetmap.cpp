#include "shell/window/widgetmap.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QSaveFile>
#include <QTimer>
#include <QWidget>

QByteArray widgetMapJson(const QWidget *root)
{
    QJsonObject map;
    QList<const QWidget *> widgets{root};
    for (const QWidget *w : root->findChildren<QWidget *>())
        widgets.append(w);
    for (const QWidget *w : qAsConst(widgets)) {
        if (w->objectName().isEmpty())
            continue;
        const QPoint topLeft = w->mapToGlobal(QPoint(0, 0));
        QJsonObject entry;
        entry.insert(QStringLiteral("x"), topLeft.x());
        entry.insert(QStringLiteral("y"), topLeft.y());
        entry.insert(QStringLiteral("w"), w->width());
        entry.insert(QStringLiteral("h"), w->height());
        entry.insert(QStringLiteral("visible"), w->isVisible());
        // The first of several widgets with one name wins (the tab, not a
        // dialog button of the same name built later); the path of named
        // ancestors tells apart the rows that repeat names.
        if (!map.contains(w->objectName()))
            map.insert(w->objectName(), entry);
        QString path = w->objectName();
        for (const QWidget *p = w->parentWidget(); p && p != root; p = p->parentWidget()) {
            if (!p->objectName().isEmpty())
                path.prepend(p->objectName() + QLatin1Char('/'));
        }
        if (path != w->objectName())
            map.insert(path, entry);
    }
    return QJsonDocument(map).toJson(QJsonDocument::Compact);
}

void startWidgetMapWriter(QWidget *root, const QString &path, int intervalMs)
{
    auto *timer = new QTimer(root);
    QObject::connect(timer, &QTimer::timeout, root, [root, path] {
        QSaveFile file(path);
        if (!file.open(QIODevice::WriteOnly))
            return;
        file.write(widgetMapJson(root));
        file.commit();
    });
    timer->start(intervalMs);
}
