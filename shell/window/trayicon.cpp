#include "shell/window/trayicon.h"

#include "config/languagetable.h"

#include <QAction>
#include <QMenu>

TrayIcon::TrayIcon(QWidget *window)
    : QSystemTrayIcon(QIcon(QStringLiteral(":/icon/picture/128-128.png")), window)
    , m_menu(new QMenu(window))
    , m_showMainAction(new QAction(languageText(297), m_menu))
    , m_exitAppAction(new QAction(languageText(298), m_menu))
{
    m_menu->setObjectName(QStringLiteral("TrayMenu"));
    m_showMainAction->setObjectName(QStringLiteral("showMainAction"));
    m_exitAppAction->setObjectName(QStringLiteral("exitAppAction"));
    m_menu->addAction(m_showMainAction);
    m_menu->addSeparator();
    m_menu->addAction(m_exitAppAction);

    setToolTip(QStringLiteral("OX8Driver"));
    setContextMenu(m_menu);
    // Without a tray (a bare X server, the offscreen tests) there is nothing to show.
    if (QSystemTrayIcon::isSystemTrayAvailable())
        show();
}
