#pragma once

#include <QString>

class QWidget;

// Puts a visible text on a button, label or any widget with a "text"
// property. The text is elided at the right when it does not fit into the
// widget's width times factor (0.8 leaves room for a button's frame); the
// full text always becomes the tool tip, so translations longer than the
// design never vanish.
void fitButtonText(QWidget *widget, const QString &text, double factor = 1.0);

// The text fitButtonText would show in availableWidth pixels for the
// widget's font.
QString fittedText(const QWidget *widget, const QString &text, int availableWidth);
