#pragma once

#include <QObject>

#include <array>

namespace Ui {
class MainWindow;
}

class QPushButton;

// Which page of the main window shows, and what goes with it: the tab
// pictures, the bottom bar (profile buttons, reset or log-out) and the
// covers that block both bars. Works on the window's form, on the GUI
// thread; the window decides when to switch.
class PageNavigator : public QObject
{
    Q_OBJECT

public:
    explicit PageNavigator(Ui::MainWindow &form, QObject *parent = nullptr);

    // The five tabs in page order.
    const std::array<QPushButton *, 5> &tabs() const { return m_tabs; }

    // Marks the page's tab and sets its bottom bar, then shows the page.
    void showPage(int page);
    // Marks the page's tab and sets its bottom bar without switching.
    void markTab(int page);
    // Bottom bar for the page; other numbers leave it as it is.
    void setBottomBar(int page);
    // The main page, no covers.
    void goToMainPage();
    // The pairing page behind black covers over both bars.
    void enterPairingPage();
    // From the pairing page to the support page with its reset button;
    // false when the pairing page was not shown.
    bool leavePairingPage();

    // The covers over the tab row and the bottom bar; the top one black or
    // transparent. hideCovers leaves its colour as it is.
    void setCovers(bool shown, bool transparent);
    void hideCovers();
    void setTabsEnabled(bool enabled);

signals:
    // The pairing page is being left; emitted before the support page shows.
    void sig_PairingPageLeft();
    // A tab other than the cloud tab was marked: the cloud page's password
    // fields are to be cleared.
    void sig_ClearCloudPasswords();

private:
    Ui::MainWindow &m_form;
    std::array<QPushButton *, 5> m_tabs;
    std::array<QPushButton *, 5> m_profileButtons;
};
