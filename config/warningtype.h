#pragma once

// The numbered warnings through which every notice, question and error
// reaches the user. The managers, the coordinator, the dialogs and ox8ctl
// all spell them from here. The numbers travel as int in queued signals and
// in what the warning dialog shows for each, so they must never change;
// the unscoped enum converts to int where a signal carries one.
namespace Warning {
enum Type : int {
    ResetConfirm = 0,
    NewSoftwareAuto = 1, // automatic check; offers "no longer remind"
    UploadConfirm = 2,
    LogoutConfirm = 3,
    DownloadConfirm = 4,
    CloudNeedsMouse = 5,
    OnlyLeftButton = 6, // the last button with a left click must keep it
    UpdateFailed = 7,
    UpdateSucceeded = 8,
    FirmwareCheckFailed = 9,
    CloudNeedsLogin = 10,
    FirmwareUpToDate = 11,
    DownloadProgress = 12,
    UpdateProgress = 13,
    TooManyUpdates = 14,
    UploadFailed = 15,
    UploadTimedOut = 16,
    UploadDone = 17,
    NotLoggedIn = 18,
    DownloadFailed = 19,
    UnpackFailed = 20,
    // 21 is not used.
    DownloadDone = 22,
    NoCloudCopy = 23,
    ServerUnreachable = 24,
    FirmwareUpdateRequired = 25,
    Ox8FirmwareTooOld = 26,
    MacroTooLong = 27,
    PasswordChanged = 28,
    PairingNeedsReceiver = 29,
    PairingDone = 30,
    PairingFailed = 31,
    ReadWriteFailed = 32,
    WakeUpHelp = 33,
    NewerFirmware = 34,
    FirmwareOnSupportPage = 35,
    MouseNotResponding = 36,
    MacroListWritten = 37,
    NoMatchingProfile = 38, // the mouse's settings match no local profile
    UpdateLockedModel = 39,
    UpdateNeedsCable = 40,
    SeparateUpdater = 41,
    BareProgress = 42, // the progress display without a text of its own
    MacroPlayModeRefused = 43,
    ReceiverMismatch = 44, // the receiver talks to a mouse of another model
    RegistrationDone = 45,
    PasswordResetDone = 46,
    RestartNeeded = 47,
    FirmwareOutOfDate = 48,
    FirmwarePackageMissing = 49,
    EmptyMacro = 50,
    EmptyMacroInList = 51,
    NewSoftwareManual = 52,
    SoftwareUpToDate = 53,
    SoftwareCheckFailed = 54, // the body is the server's message
    PictureNotSaved = 55, // the OLED picture could not be saved; the mouse got its factory picture
};
} // namespace Warning
