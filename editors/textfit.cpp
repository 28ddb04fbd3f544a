#include "editors/textfit.h"

#include <QAbstractButton>
#include <QFontMetrics>
#include <QLabel>
#include <QVariant>
#include <QWidget>

QString fittedText(const QWidget *widget, const QString &text, int availableWidth)
{
    const QFontMetrics metrics(widget->font());
    if (metrics.horizontalAdvance(text) < availableWidth)
        return text;
    return metrics.elidedText(text, Qt::ElideRight, qMax(0, availableWidth));
}

void fitButtonText(QWidget *widget, const QString &text, double factor)
{
    if (!widget)
        return;
    const int available = int(widget->width() * factor);
    const QString shown = fittedText(widget, text, available);
    if (auto *button = qobject_cast<QAbstractButton *>(widget))
        button->setText(shown);
    else if (auto *label = qobject_cast<QLabel *>(widget))
        label->setText(shown);
    else
        widget->setProperty("text", shown);
    widget->setToolTip(text);
}
