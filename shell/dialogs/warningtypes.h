#pragma once

#include "config/warningtype.h"

// What each warning type shows and what its two buttons do. Pure tables
// keyed by Warning::Type: the warning dialog applies them, tests read them.
// The functions take the int a signal carried; unknown numbers have no entry.

enum class WarningLayout {
    Unknown,  // no entry: the empty frame with the default button texts
    Text,     // title, body and button texts in the warning frame
    Progress, // the firmware progress frame instead of the warning frame
};

// Language table numbers of one type; -1 where the type sets nothing.
struct WarningTextNumbers
{
    WarningLayout layout = WarningLayout::Unknown;
    int title = -1;
    int body = -1;
    int okText = -1;
    int cancelText = -1;
    int progressText = -1;
};

WarningTextNumbers warningTextNumbers(int type);

enum class WarningAction {
    None,
    ResetMouse,           // sig_ResetMouseToOriginal
    StoreRemind,          // "NotRemind" only
    StoreRemindAndOpen,   // "NotRemind", then the download page
    PrepareUpload,        // sig_ChangeConfiFileBeforeStartToUploadFile
    QuitUser,             // sig_QuitUser
    StartDownload,        // sig_StarToDownloadFile
    UpdateButtonEnable,   // sig_UpdateButtonEnable
    OpenMouseAgain,       // sig_OpenMouseAgain
    ExitSoftware,         // sig_exitSoftware
    ShowUpdateWidget,     // sig_ShowUpdateWidget(false, true, current model, false)
    GetProfileAgain,      // sig_GetMouseProfileAgain
    GoToMatchCode,        // sig_GoToMatchCodePage
    DownloadAndUpdate,    // sig_DownloadAndUpdateFirmwareNow
    GoToSupport,          // sig_GoToSupportWidget
    SaveProfileToConfig1, // sig_SaveCurrentProfileFileToConfig1
    UpdateFirmware,       // sig_UpdateFirmwareNow
    UpdateFirmwareHalden, // sig_UpdateFirmwareNow_Halden
    Restart,              // sig_RestartSoftware
    RecoverConfig1,       // sig_ConfigRevcover(1)
};

WarningAction warningOkAction(int type);
WarningAction warningCancelAction(int type);

// Types whose frame is replaced by the firmware progress display.
bool isProgressWarning(int type);
