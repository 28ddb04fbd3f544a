#pragma once

#include <QString>

class QWidget;

// For end-to-end tests that click the running program with real X input:
// keeps writing the screen geometry and visibility of every named widget
// below root into a JSON file ({"name": {"x","y","w","h","visible"}}, and
// again under the path of its named ancestors, "a/b/name"),
// replaced atomically every intervalMs. Lives as long as root.
void startWidgetMapWriter(QWidget *root, const QString &path, int intervalMs = 250);

// The map as it would be written now.
QByteArray widgetMapJson(const QWidget *root);
