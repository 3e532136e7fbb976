// Control IDs of the wizard window. Stable: tests find the controls by them
// (GetDlgItem on the window for the buttons and the title, on the page panel
// for a page's controls, or FindControl for either).
#pragma once

namespace wizard::ids {

// Children of the window.
inline constexpr int kBack = 1001;     // btnNavigate(0)
inline constexpr int kNext = 1002;     // btnNavigate(1): Next / Finish, the default button
inline constexpr int kCancel = 1003;   // btnNavigate(2)
inline constexpr int kTitle = 1010;    // Label2
inline constexpr int kPageHost = 1020; // picMainWiz

// The page panels picWiz(0..4), children of the page host.
inline constexpr int kPage0 = 1100;
inline constexpr int PageId(int index) { return kPage0 + index; }

// Page 0.
inline constexpr int kWelcomeText = 1201;       // Label1
// Page 1.
inline constexpr int kFolderLabel = 1301;       // Label3
inline constexpr int kStartupFolder = 1302;     // txtStartupFolder
inline constexpr int kBrowseFolder = 1303;      // btnReferStartup
inline constexpr int kFolderHelp = 1304;        // Label4
inline constexpr int kOptTakeRun = 1305;        // take the Run values too (Windows 8 and later)
inline constexpr int kOptSwitchOff = 1306;      // switch the taken originals off at Finish
// Page 2.
inline constexpr int kFileLabel = 1401;         // Label5
inline constexpr int kSequenceFile = 1402;      // txtTVLFileName
inline constexpr int kBrowseFile = 1403;        // ChooseSequenceFile_Click
inline constexpr int kFileHelp = 1404;          // Label6
// Page 3.
inline constexpr int kInfo = 1501;              // IE (or its plain-text stand-in)
inline constexpr int kInfoNote = 1502;          // Label7
// Page 4.
inline constexpr int kDoneText = 1601;          // Label8
inline constexpr int kOptShortcut = 1602;       // chkOpt(0)
inline constexpr int kOptOpen = 1603;           // chkOpt(1)
inline constexpr int kOptCheck = 1604;          // the sequence check

}  // namespace wizard::ids
