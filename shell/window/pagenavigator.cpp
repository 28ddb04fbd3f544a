#include "shell/window/pagenavigator.h"

#include "shell/window/indicators.h"
#include "shell/window/mainwindow.h"
#include "ui_mainwindow.h"

namespace {
const QString kBlackCover = QStringLiteral("background-color:black;");
}

PageNavigator::PageNavigator(Ui::MainWindow &form, QObject *parent)
    : QObject(parent)
    , m_form(form)
    , m_tabs{form.MainSettingButton, form.LightSettingButton, form.MacroEditButton, form.SupportButton,
             form.CloudSyncButton}
    , m_profileButtons{form.ConfigureButton_1, form.ConfigureButton_2, form.ConfigureButton_3,
                       form.ConfigureButton_4, form.ConfigureButton_5}
{
}

void PageNavigator::showPage(int page)
{
    markTab(page);
    m_form.stackedWidget->setCurrentIndex(page);
}

void PageNavigator::markTab(int page)
{
    for (int i = 0; i < int(m_tabs.size()); ++i)
        m_tabs[i]->setStyleSheet(tabButtonStyle(i, i == page));
    if (page >= MainWindow::MainPage && page < MainWindow::CloudPage)
        emit sig_ClearCloudPasswords();
    setBottomBar(page);
}

void PageNavigator::setBottomBar(int page)
{
    leavePairingPage();
    bool profiles = false;
    bool reset = false;
    bool quitUser = false;
    switch (page) {
    case MainWindow::MainPage:
    case MainWindow::LightPage:
        profiles = true;
        break;
    case MainWindow::MacroPage:
        break;
    case MainWindow::SupportPage:
        reset = true;
        break;
    case MainWindow::CloudPage:
        quitUser = true;
        break;
    default:
        return;
    }
    for (QPushButton *b : m_profileButtons)
        b->setVisible(profiles);
    m_form.ResetToOriginalButton->setVisible(reset);
    m_form.QuitUserButton->setVisible(quitUser);
}

void PageNavigator::goToMainPage()
{
    showPage(MainWindow::MainPage);
    setCovers(false, false);
}

void PageNavigator::enterPairingPage()
{
    setCovers(true, false);
    m_form.stackedWidget->setCurrentIndex(MainWindow::CodePage);
}

bool PageNavigator::leavePairingPage()
{
    if (m_form.stackedWidget->currentIndex() != MainWindow::CodePage)
        return false;
    emit sig_PairingPageLeft();
    m_form.stackedWidget->setCurrentIndex(MainWindow::SupportPage);
    m_form.ResetToOriginalButton->show();
    return true;
}

void PageNavigator::setCovers(bool shown, bool transparent)
{
    m_form.HideBottomButtonWidget->setVisible(shown);
    m_form.HideTopButtonWidget->setVisible(shown);
    m_form.HideTopButtonWidget->setStyleSheet(transparent ? QStringLiteral("background-color:transparent;")
                                                          : kBlackCover);
}

void PageNavigator::hideCovers()
{
    m_form.HideTopButtonWidget->hide();
    m_form.HideBottomButtonWidget->hide();
}

void PageNavigator::setTabsEnabled(bool enabled)
{
    for (QPushButton *tab : m_tabs)
        tab->setEnabled(enabled);
}
