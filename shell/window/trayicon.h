#pragma once

#include <QSystemTrayIcon>

class QAction;
class QMenu;
class QWidget;

// The tray icon with its menu: show the main window, a separator, exit.
// It shows itself where the desktop has a tray. Owned by the window, which
// also parents the menu (a menu needs a widget parent).
class TrayIcon : public QSystemTrayIcon
{
    Q_OBJECT

public:
    explicit TrayIcon(QWidget *window);

    QMenu *menu() const { return m_menu; }
    QAction *showMainAction() const { return m_showMainAction; }
    QAction *exitAppAction() const { return m_exitAppAction; }

private:
    QMenu *m_menu;
    QAction *m_showMainAction;
    QAction *m_exitAppAction;
};
