// Control IDs of the wizard window. Stable: tests find the controls by them
// (GetDlgItem on the window for the buttons and the title, on the page panel
// for a page's controls, or FindControl for either).
#pragma once

namespace wizard::ids {

// Children of the window.
inline constexpr int kBack = 1001;
inline constexpr int kNext = 1002;     // Next / Finish, the default button
inline constexpr int kCancel = 1003;
inline constexpr int kTitle = 1010;    // the title band's text
inline constexpr int kPageHost = 1020; // holds the page panels

// The five page panels, children of the page host.
inline constexpr int kPage0 = 1100;
inline constexpr int PageId(int index) { return kPage0 + index; }

// Page 0.
inline constexpr int kWelcomeText = 1201;
// Page 1.
inline constexpr int kFolderLabel = 1301;
inline constexpr int kStartupFolder = 1302;     // the folder to read
inline constexpr int kBrowseFolder = 1303;
inline constexpr int kFolderHelp = 1304;
inline constexpr int kTakeRunEntries = 1305;    // take the Run values too (Windows 8 and later)
inline constexpr int kSwitchOffOriginals = 1306;  // switch the taken originals off at Finish
inline constexpr int kTakeMachineEntries = 1307;  // take the machine's entries too (switched off for every user)
// Page 2.
inline constexpr int kFileLabel = 1401;
inline constexpr int kSequenceFile = 1402;      // the sequence file to write
inline constexpr int kBrowseFile = 1403;
inline constexpr int kFileHelp = 1404;
// Page 3.
inline constexpr int kInfo = 1501;              // the browser control (or its plain-text stand-in)
inline constexpr int kInfoNote = 1502;
// Page 4.
inline constexpr int kDoneText = 1601;
inline constexpr int kMakeShortcut = 1602;      // make Tarvoline.lnk
inline constexpr int kOpenFile = 1603;          // open the sequence file
inline constexpr int kCheckFile = 1604;         // check the sequence file

}  // namespace wizard::ids
