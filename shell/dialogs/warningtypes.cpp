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

const QHash<int, WarningTextNumbers> &table()
{
    static const QHash<int, WarningTextNumbers> t = {
        {0, text(1, 2)},
        {1, text(40, 41, 42, 43)},
        {2, text(3, 4)},
        {3, text(5, 6)},
        {4, text(7, 8)},
        {5, text(9, 10)},
        {6, text(13, 14)},
        {7, text(35, 36)},
        {8, text(37, 38, 39)},
        {9, text(25, 26)},
        {10, text(11, 12)},
        {11, text(15, 16)},
        {12, progress(280)},
        {13, progress(281)},
        {14, text(83, 84, 277)},
        {15, text(17, 18)},
        {16, text(19, 20)},
        {17, text(21, 22)},
        {18, text(87, 88, 277)},
        {19, text(23, 24)},
        {20, text(29, 30)},
        {22, text(27, 28)},
        {23, text(31, 32)},
        {24, text(33, 34)},
        {25, text(44, 45, 116)},
        {26, text(46, 47, 277, 278)},
        {27, text(48, 49)},
        {28, text(50, 51)},
        {29, text(52, 53, 279)},
        {30, text(54, 55, 279)},
        {31, text(56, 57, 279)},
        {32, text(58, 59, 60)},
        {33, text(63, 64, 65, 279)},
        {34, text(73, 74, 277, 278)},
        {35, text(75, 76, 277, 278)},
        {36, text(61, 62, 60)},
        {37, text(67, 346, 68, 279)},
        {38, text(69, 70, 71, 72)},
        {39, text(77, 78, 79, 80)},
        {40, text(81, 82, 277)},
        {41, text(85, 86)},
        // A progress display without a text of its own.
        {42, progress(-1)},
        {43, text(95, 96, 277)},
        {44, text(89, 90)},
        {45, text(91, 92, 277)},
        {46, text(93, 94, 277)},
        {47, text(347, 348, 347)},
        {48, text(353, 354, 353, 355)},
        {49, text(349, 350, 277)},
        {50, text(351, 352, 277)},
        {51, text(351, 360, 277)},
        {52, text(40, 41, 42, 43)},
        {53, text(369, 370, 116)},
        // The body is the server's message.
        {54, text(583, -1)},
    };
    return t;
}

} // namespace

WarningTextNumbers warningTextNumbers(int type)
{
    return table().value(type);
}

bool warningHasSingleButton(int type)
{
    const WarningTextNumbers t = warningTextNumbers(type);
    return t.layout == WarningLayout::Text && t.okText >= 0 && t.cancelText < 0;
}

bool isProgressWarning(int type)
{
    return warningTextNumbers(type).layout == WarningLayout::Progress;
}

WarningAction warningOkAction(int type)
{
    switch (type) {
    case 0:
        return WarningAction::ResetMouse;
    case 1:
    case 52:
        return WarningAction::StoreRemindAndOpen;
    case 2:
        return WarningAction::PrepareUpload;
    case 3:
    case 28:
        return WarningAction::QuitUser;
    case 4:
        return WarningAction::StartDownload;
    case 7:
        return WarningAction::UpdateButtonEnable;
    case 8:
        return WarningAction::OpenMouseAgain;
    case 14:
        // Type 31 (pairing failed) only closes: its text asks the user to
        // try again, which an exit would make impossible.
        return WarningAction::ExitSoftware;
    case 25:
    case 26:
    case 48:
        return WarningAction::ShowUpdateWidget;
    case 32:
        return WarningAction::GetProfileAgain;
    case 33:
        return WarningAction::GoToMatchCode;
    case 34:
        return WarningAction::DownloadAndUpdate;
    case 35:
        return WarningAction::GoToSupport;
    case 38:
        return WarningAction::SaveProfileToConfig1;
    case 39:
        return WarningAction::UpdateFirmware;
    case 41:
        return WarningAction::UpdateFirmwareHalden;
    case 47:
        return WarningAction::Restart;
    default:
        return WarningAction::None;
    }
}

WarningAction warningCancelAction(int type)
{
    switch (type) {
    case 1:
        return WarningAction::StoreRemind;
    case 33:
        return WarningAction::GetProfileAgain;
    case 38:
        return WarningAction::RecoverConfig1;
    default:
        return WarningAction::None;
    }
}
