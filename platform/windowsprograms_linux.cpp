#include "platform/windowsprograms.h"

// The updater is a Windows executable; opening it here would at best hand
// it to a file manager, at worst to whatever claims ".exe" files.
bool canRunWindowsPrograms()
{
    return false;
}
