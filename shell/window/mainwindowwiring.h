#pragma once

class KeySettingDialog;
class DrawDialog;
class MainWindow;
class UpdateMouseDialog;
class UserDialog;
class WarningDialog;

// Makes the main window's signal connections: its form's buttons and tray
// menu, the coordinator, the device watcher and the version checker (queued:
// they live on their own threads), the pages, and the dialogs the window opens. It decides
// nothing and holds nothing but the window; every connection ends with its
// endpoints. The window calls each part once its objects exist.
class MainWindowWiring
{
public:
    explicit MainWindowWiring(MainWindow *window);

    void connectControls() const;
    void connectCoordinator() const;
    void connectPages() const;
    void connectWatcher() const;
    void connectVersionChecker() const;
    void connectNeedDeviceDialog() const;
    void connectUpdateDialog(UpdateMouseDialog *dialog) const;
    void connectUserDialog(UserDialog *dialog) const;
    // closesWhenFlashingEnds: the coordinator's end of flashing closes it;
    // closesOnReload: the window's sig_RemoveReloadWidget closes it;
    // showsDownload: it shows the support page's download progress.
    void connectWarningDialog(WarningDialog *dialog, bool closesWhenFlashingEnds, bool closesOnReload,
                              bool showsDownload = false) const;
    // Its choices go to the coordinator; a device removal closes it.
    void connectKeySettingDialog(KeySettingDialog *dialog) const;
    // The OLED editor's requests go to the coordinator; the mouse's removal closes it.
    void connectDrawDialog(DrawDialog *dialog) const;

private:
    MainWindow *m_window;
};
