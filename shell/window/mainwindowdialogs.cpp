// The main window: the dialogs it lays over itself (warnings, login and
// avatar, key assignment, OLED editor, firmware update).

#include "shell/window/mainwindow.h"

#include "cloud/editheadimagedialog.h"
#include "cloud/userdialog.h"
#include "coordinator/dcdatahandle.h"
#include "discovery/models.h"
#include "editors/keysetting/keysettingdialog.h"
#include "editors/oled/drawdialog.h"
#include "shell/dialogs/needdevicedialog.h"
#include "shell/dialogs/warningdialog.h"
#include "shell/dialogs/warningtypes.h"
#include "shell/window/mainwindowwiring.h"
#include "shell/window/updatepolicy.h"
#include "update/firmwarepackage.h"
#include "update/widgets/updatemousedialog.h"

#include <QDebug>

// --- Warning dialogs ---------------------------------------------------------------------

WarningDialog *MainWindow::createWarningDialog(int warningType)
{
    // A warning also brings a window hidden in the tray back.
    show();

    if (warningType == Warning::ReadWriteFailed)
        emit sig_RemoveReloadWidget();

    auto *dialog = new WarningDialog(this);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->move(0, 0);
    dialog->setCurrentPid(m_currentPid);
    dialog->setDownloadPath(m_downloadPath);
    MainWindowWiring(this).connectWarningDialog(dialog, isProgressWarning(warningType),
                                                warningType == Warning::ReadWriteFailed,
                                                warningType == Warning::DownloadProgress);
    return dialog;
}

void MainWindow::slot_showWarningDialog(int warningType)
{
    qDebug() << "slot_showWarningDialog" << warningType;
    WarningDialog *dialog = createWarningDialog(warningType);
    dialog->setWarningType(warningType);
    dialog->show();
    dialog->raise();
}

void MainWindow::slot_showWarningDialogWithSpecifyMessage(int warningType, QString warningMessage)
{
    qDebug() << "slot_showWarningDialogWithSpecifyMessage" << warningType << warningMessage;
    WarningDialog *dialog = createWarningDialog(warningType);
    dialog->setWarningTypeWithMessage(warningType, warningMessage);
    dialog->show();
    dialog->raise();
}

// --- Login and avatar dialogs ------------------------------------------------------------

void MainWindow::on_LoginButton_clicked()
{
    auto *dialog = new UserDialog(this);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->move(0, 0);
    MainWindowWiring(this).connectUserDialog(dialog);
    dialog->open();
    dialog->raise();
}

void MainWindow::slot_showEditHeadImageDialog()
{
    auto *dialog = new EditHeadImageDialog(this);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->move(0, 0);
    dialog->open();
    dialog->raise();
}

KeySettingDialog *MainWindow::keySettingDialog() const
{
    return m_keySettingDialog.data();
}

void MainWindow::slot_showKeySettingDialog(int changedButton, int buttonChangeType, int buttonTrueValue,
                                           int modifyKeyValue)
{
    qDebug() << "slot_showKeySettingDialog" << changedButton << buttonChangeType << buttonTrueValue << modifyKeyValue;
    // One at a time: the open dialog covers the buttons that open it.
    if (m_keySettingDialog)
        m_keySettingDialog->close();
    auto *dialog = new KeySettingDialog(this, m_openedMouseType);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->move(0, 0);
    dialog->setChangedButton(changedButton);
    dialog->setTrueMouseValue(buttonChangeType, buttonTrueValue, modifyKeyValue);
    MainWindowWiring(this).connectKeySettingDialog(dialog);
    m_keySettingDialog = dialog;
    dialog->show();
    dialog->raise();
    dialog->setFocus();
}

// --- OLED editor -------------------------------------------------------------------------

void MainWindow::showDrawBorder()
{
    // Laid over the window like the warnings; it goes when closed, and with
    // the mouse it edits.
    auto *dialog = new DrawDialog(this);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->move(0, 0);
    dialog->setMouseType(m_openedMouseType);
    dialog->setConfigNumber(m_currentConfigure);
    dialog->setLightIntensity(m_dataHandle->oledLightIntensity());
    MainWindowWiring(this).connectDrawDialog(dialog);
    dialog->show();
    dialog->raise();
}

// --- Firmware update dialog --------------------------------------------------------------

void MainWindow::slot_ShowUpdateFirmwareWidget(bool isChangeable, bool isLocalUpdateState, int mouseType,
                                               bool isUpdateNow)
{
    qDebug() << "slot_ShowUpdateFirmwareWidget" << isChangeable << isLocalUpdateState << mouseType << isUpdateNow;
    // The repair offer while a mouse waits in its boot loader is for that mouse.
    if (mouseType == NoModel && m_bootLoaderPresent && m_bootDescriptorType != NoModel) {
        mouseType = m_bootDescriptorType;
        isChangeable = false;
    }
    if (m_updateDialog)
        m_updateDialog->close();

    auto *dialog = new UpdateMouseDialog(this);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    m_updateDialog = dialog;
    const bool localExists = mouseType != NoModel
                             && checkPackageFile(mouseType, packagePath(mouseType, PackageSource::Local))
                                    == PackageVerdict::Ok;
    const bool cloudExists = mouseType != NoModel
                             && checkPackageFile(mouseType, packagePath(mouseType, PackageSource::Clouds))
                                    == PackageVerdict::Ok;
    dialog->setLocalUpdateState(updatePackageSource(isLocalUpdateState, localExists, cloudExists)
                                == PackageSource::Local);
    dialog->setCurrentMouseType(mouseType);
    dialog->setLockedState(!isChangeable && mouseType != NoModel);
    if (m_firmwareVersion != 0)
        dialog->setFirmwareVersion(QString::number(m_firmwareVersion));
    MainWindowWiring(this).connectUpdateDialog(dialog);

    m_needDeviceDialog->warningWidget()->hide();
    connect(dialog, &QDialog::finished, m_needDeviceDialog, [this] { m_needDeviceDialog->warningWidget()->show(); });
    dialog->show();
    dialog->raise();
    if (mouseType != NoModel && isUpdateNow)
        dialog->startUpdateNow();
}
