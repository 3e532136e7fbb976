// The wizard window's controls; their ids are win::IdOf(Control::…). Tests
// find the controls by them (GetDlgItem on the window for the buttons and the
// title, on the page panel for a page's controls, or FindControl for either).
#pragma once

namespace wizard {

enum class Control {
  // Children of the window.
  Back,
  Next,  // Next / Finish, the default button
  Cancel,
  Title,     // the title band's text
  PageHost,  // holds the page panels
  // The five page panels, children of the page host (PageOf).
  Page0, Page1, Page2, Page3, Page4,
  // Page 0.
  WelcomeText,
  // Page 1.
  FolderLabel,
  StartupFolder,  // the folder to read
  BrowseFolder,
  FolderHelp,
  TakeRunEntries,      // take the Run values too (Windows 8 and later)
  SwitchOffOriginals,    // switch the taken originals off at Finish
  TakeMachineEntries,  // take the machine's entries too (switched off for every user)
  // Page 2.
  FileLabel,
  SequenceFile,  // the sequence file to write
  BrowseFile,
  FileHelp,
  // Page 3.
  Info,  // the browser control (or its plain-text stand-in)
  InfoNote,
  // Page 4.
  DoneText,
  MakeShortcut,  // make Tarvoline.lnk
  OpenFile,      // open the sequence file
  CheckFile,     // check the sequence file
};

// The panel of the page at index.
inline constexpr Control PageOf(int index) { return static_cast<Control>(static_cast<int>(Control::Page0) + index); }

}  // namespace wizard
