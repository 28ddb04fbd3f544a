#pragma once

// Whether this system can start the maker's Windows programs (the separate
// firmware updater of the family B and C mice). Where it cannot, the program
// tells the user to update on Windows instead of trying to open an ".exe".
bool canRunWindowsPrograms();
