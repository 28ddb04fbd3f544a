#include "shell/dialogs/warningtypes.h"

#include <QHash>

namespace {

WarningTextNumbers text(int title, int body, int ok = -1, int cancel = -1)
{
    WarningTextNumbers t;
    t.layout = WarningLayout::Text;
    t.title = title;
    t.body = body;
    t.okText = ok;
    t.cancelText = cancel;
    return t;
}

WarningTextNumbers progress(int label)
{
    WarningTextNumbers t;
    t.layout = WarningLayout::Progress;
    t.progressText = label;
    return t;
}

const QHash<Warning::Type, WarningTextNumbers> &table()
{
    static const QHash<Warning::Type, WarningTextNumbers> t = {
        {Warning::ResetConfirm, text(1, 2)},
        {Warning::NewSoftwareAuto, text(40, 41, 42, 43)},
        {Warning::UploadConfirm, text(3, 4)},
        {Warning::LogoutConfirm, text(5, 6)},
        {Warning::DownloadConfirm, text(7, 8)},
        {Warning::CloudNeedsMouse, text(9, 10)},
        {Warning::OnlyLeftButton, text(13, 14)},
        {Warning::UpdateFailed, text(35, 36)},
        {Warning::UpdateSucceeded, text(37, 38, 39)},
        {Warning::FirmwareCheckFailed, text(25, 26)},
        {Warning::CloudNeedsLogin, text(11, 12)},
        {Warning::FirmwareUpToDate, text(15, 16)},
        {Warning::DownloadProgress, progress(280)},
        {Warning::UpdateProgress, progress(281)},
        {Warning::TooManyUpdates, text(83, 84, 277)},
        {Warning::UploadFailed, text(17, 18)},
        {Warning::UploadTimedOut, text(19, 20)},
        {Warning::UploadDone, text(21, 22)},
        {Warning::NotLoggedIn, text(87, 88, 277)},
        {Warning::DownloadFailed, text(23, 24)},
        {Warning::UnpackFailed, text(29, 30)},
        {Warning::DownloadDone, text(27, 28)},
        {Warning::NoCloudCopy, text(31, 32)},
        {Warning::ServerUnreachable, text(33, 34)},
        {Warning::FirmwareUpdateRequired, text(44, 45, 116)},
        {Warning::Ox8FirmwareTooOld, text(46, 47, 277, 278)},
        {Warning::MacroTooLong, text(48, 49)},
        {Warning::PasswordChanged, text(50, 51)},
        {Warning::PairingNeedsReceiver, text(52, 53, 279)},
        {Warning::PairingDone, text(54, 55, 279)},
        {Warning::PairingFailed, text(56, 57, 279)},
        {Warning::ReadWriteFailed, text(58, 59, 60)},
        {Warning::WakeUpHelp, text(63, 64, 65, 279)},
        {Warning::NewerFirmware, text(73, 74, 277, 278)},
        {Warning::FirmwareOnSupportPage, text(75, 76, 277, 278)},
        {Warning::MouseNotResponding, text(61, 62, 60)},
        {Warning::MacroListWritten, text(67, 346, 68, 279)},
        {Warning::NoMatchingProfile, text(69, 70, 71, 72)},
        {Warning::UpdateLockedModel, text(77, 78, 79, 80)},
        {Warning::UpdateNeedsCable, text(81, 82, 277)},
        {Warning::SeparateUpdater, text(85, 86)},
        // A progress display without a text of its own.
        {Warning::BareProgress, progress(-1)},
        {Warning::MacroPlayModeRefused, text(95, 96, 277)},
        {Warning::ReceiverMismatch, text(89, 90)},
        {Warning::RegistrationDone, text(91, 92, 277)},
        {Warning::PasswordResetDone, text(93, 94, 277)},
        {Warning::RestartNeeded, text(347, 348, 347)},
        {Warning::FirmwareOutOfDate, text(353, 354, 353, 355)},
        {Warning::FirmwarePackageMissing, text(349, 350, 277)},
        {Warning::EmptyMacro, text(351, 352, 277)},
        {Warning::EmptyMacroInList, text(351, 360, 277)},
        {Warning::NewSoftwareManual, text(40, 41, 42, 43)},
        {Warning::SoftwareUpToDate, text(369, 370, 116)},
        // The body is the server's message.
        {Warning::SoftwareCheckFailed, text(583, -1)},
        {Warning::PictureNotSaved, text(502, 503, 277)},
    };
    return t;
}

} // namespace

WarningTextNumbers warningTextNumbers(int type)
{
    return table().value(Warning::Type(type));
}

bool isProgressWarning(int type)
{
    return warningTextNumbers(type).layout == WarningLayout::Progress;
}

WarningAction warningOkAction(int type)
{
    switch (type) {
    case Warning::ResetConfirm:
        return WarningAction::ResetMouse;
    case Warning::NewSoftwareAuto:
    case Warning::NewSoftwareManual:
        return WarningAction::StoreRemindAndOpen;
    case Warning::UploadConfirm:
        return WarningAction::PrepareUpload;
    case Warning::LogoutConfirm:
    case Warning::PasswordChanged:
        return WarningAction::QuitUser;
    case Warning::DownloadConfirm:
        return WarningAction::StartDownload;
    case Warning::UpdateFailed:
        return WarningAction::UpdateButtonEnable;
    case Warning::UpdateSucceeded:
        return WarningAction::OpenMouseAgain;
    case Warning::TooManyUpdates:
        // Type 31 (pairing failed) only closes: its text asks the user to
        // try again, which an exit would make impossible.
        return WarningAction::ExitSoftware;
    case Warning::FirmwareUpdateRequired:
    case Warning::Ox8FirmwareTooOld:
    case Warning::FirmwareOutOfDate:
        return WarningAction::ShowUpdateWidget;
    case Warning::ReadWriteFailed:
        return WarningAction::GetProfileAgain;
    case Warning::WakeUpHelp:
        return WarningAction::GoToMatchCode;
    case Warning::NewerFirmware:
        return WarningAction::DownloadAndUpdate;
    case Warning::FirmwareOnSupportPage:
        return WarningAction::GoToSupport;
    case Warning::NoMatchingProfile:
        return WarningAction::SaveProfileToConfig1;
    case Warning::UpdateLockedModel:
        return WarningAction::UpdateFirmware;
    case Warning::SeparateUpdater:
        return WarningAction::UpdateFirmwareHalden;
    case Warning::RestartNeeded:
        return WarningAction::Restart;
    default:
        return WarningAction::None;
    }
}

WarningAction warningCancelAction(int type)
{
    switch (type) {
    case Warning::NewSoftwareAuto:
        return WarningAction::StoreRemind;
    case Warning::WakeUpHelp:
        return WarningAction::GetProfileAgain;
    case Warning::NoMatchingProfile:
        return WarningAction::RecoverConfig1;
    default:
        return WarningAction::None;
    }
}
