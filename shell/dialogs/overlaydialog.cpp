#include "shell/dialogs/overlaydialog.h"

#include <QApplication>
#include <QKeyEvent>

namespace {
bool isKeyboardEvent(QEvent::Type type)
{
    switch (type) {
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::ShortcutOverride:
    case QEvent::InputMethod:
        return true;
    default:
        return false;
    }
}
} // namespace

OverlayDialog::OverlayDialog(QWidget *parent, bool takesFocus)
    : QDialog(parent)
    , m_takesFocus(takesFocus)
{
    // The overlay itself holds the focus until Tab moves it to a control,
    // so no button is one key press away from its action.
    if (m_takesFocus)
        setFocusPolicy(Qt::StrongFocus);
}

OverlayDialog::~OverlayDialog()
{
    if (m_filtering)
        qApp->removeEventFilter(this);
}

OverlayDialog *OverlayDialog::topmostOverlay(const QWidget *parent)
{
    if (!parent)
        return nullptr;
    // Children are kept in stacking order, the topmost last.
    const QObjectList &children = parent->children();
    for (int i = children.size() - 1; i >= 0; --i) {
        auto *overlay = qobject_cast<OverlayDialog *>(children.at(i));
        if (overlay && overlay->isVisible())
            return overlay;
    }
    return nullptr;
}

bool OverlayDialog::isTopmostOverlay() const
{
    return !parentWidget() || topmostOverlay(parentWidget()) == this;
}

void OverlayDialog::keyPressEvent(QKeyEvent *event)
{
    // QDialog would hide itself on Escape, skipping whatever Cancel does.
    if (event->key() == Qt::Key_Escape) {
        event->accept();
        escapePressed();
        return;
    }
    QDialog::keyPressEvent(event);
    // Nothing an overlay leaves unhandled may travel on to the window beneath.
    event->accept();
}

QList<QWidget *> OverlayDialog::focusableControls() const
{
    QList<QWidget *> controls;
    // The window's focus chain is circular; it gives the order, we keep ours.
    QWidget *w = const_cast<OverlayDialog *>(this)->nextInFocusChain();
    for (int guard = 0; w && w != this && guard < 10000; ++guard, w = w->nextInFocusChain()) {
        if (isAncestorOf(w) && w->isVisibleTo(this) && w->isEnabled() && (w->focusPolicy() & Qt::TabFocus))
            controls.append(w);
    }
    return controls;
}

bool OverlayDialog::focusNextPrevChild(bool next)
{
    const QList<QWidget *> controls = focusableControls();
    if (controls.isEmpty()) {
        if (m_takesFocus)
            setFocus(next ? Qt::TabFocusReason : Qt::BacktabFocusReason);
        return true;
    }
    int i = controls.indexOf(QApplication::focusWidget());
    if (i < 0)
        i = next ? 0 : controls.size() - 1;
    else
        i = (i + (next ? 1 : controls.size() - 1)) % controls.size();
    controls.at(i)->setFocus(next ? Qt::TabFocusReason : Qt::BacktabFocusReason);
    return true;
}

void OverlayDialog::takeFocus()
{
    if (!m_takesFocus)
        return;
    QWidget *current = QApplication::focusWidget();
    if (current == this || isAncestorOf(current))
        return;
    setFocus(Qt::OtherFocusReason);
}

void OverlayDialog::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (!m_filtering) {
        qApp->installEventFilter(this);
        m_filtering = true;
    }
    if (m_takesFocus) {
        QWidget *before = window()->focusWidget();
        if (before && before != this && !isAncestorOf(before))
            m_focusBefore = before;
        takeFocus();
    }
}

void OverlayDialog::hideEvent(QHideEvent *event)
{
    if (m_filtering) {
        qApp->removeEventFilter(this);
        m_filtering = false;
    }
    QDialog::hideEvent(event);
    if (!m_takesFocus)
        return;
    // Hand the keyboard to the overlay now on top, or back to the page.
    if (OverlayDialog *next = topmostOverlay(parentWidget())) {
        next->takeFocus();
    } else if (m_focusBefore && m_focusBefore->isVisible()) {
        QWidget *current = QApplication::focusWidget();
        if (!current || current == this || isAncestorOf(current))
            m_focusBefore->setFocus(Qt::OtherFocusReason);
    }
    m_focusBefore = nullptr;
}

bool OverlayDialog::eventFilter(QObject *watched, QEvent *event)
{
    if (!isKeyboardEvent(event->type()) || !watched->isWidgetType())
        return false;
    auto *target = static_cast<QWidget *>(watched);
    if (target == this || isAncestorOf(target) || target->window() != window() || !isVisible()
        || !isTopmostOverlay())
        return false;
    // A key meant for something beneath the overlay: drop it, and bring the
    // keyboard back where the user can see it.
    if (event->type() == QEvent::KeyPress)
        takeFocus();
    return true;
}
