#pragma once

// Language table numbers of the texts the account and cloud pieces show
// beyond those of the server's result codes (see resources/language).
constexpr int kNoServiceText = 700;       // no service configured: what to do
constexpr int kNoServiceTitle = 701;      // its heading on the cloud page
constexpr int kArchiveRefusedText = 702;  // a downloaded archive was refused
constexpr int kPackFailedText = 703;      // the files could not be packed
constexpr int kArchiveTooLargeText = 704; // the archive is over the upload limit
constexpr int kHeadImageTitle = 705;      // avatar dialog heading
constexpr int kSwapFailedText = 706;      // the download could not replace the local files
constexpr int kLoggedInAsText = 707;      // "Logged in as" above the nick name
constexpr int kHeadImageHint = 708;       // avatar dialog: what the preview is
constexpr int kImageTooLargeText = 709;   // avatar dialog: picture too large to open
constexpr int kNoMacroCopyText = 710;     // the account holds no macro archive
