// The information page on page 3: the system's web browser control showing
// a page that ships inside the program (resource "INFO.HTML"), or, where the
// control or its HTML engine cannot be created, the same information as
// plain text in a read-only box. The wizard never fails because of it.
#pragma once

#include <windows.h>

#include <memory>

namespace wizard {

class BrowserHost;

class InfoPage {
 public:
  InfoPage();
  ~InfoPage();
  InfoPage(const InfoPage&) = delete;
  InfoPage& operator=(const InfoPage&) = delete;

  // Creates the page's control as a child of parent with the given id.
  // tryBrowser false (or a thread without OLE) gives the plain text at once.
  // Returns the control's window (the browser's host window or the text box).
  HWND Create(HWND parent, int id, bool tryBrowser);
  // (Re)loads the shipped page in the browser; nothing to do for the text.
  void Navigate();
  // Tells the browser its host has a new size (after MoveWindow).
  void Resized();
  // Releases the browser before its host window goes away.
  void Destroy();

 private:
  std::unique_ptr<BrowserHost> browser_;
};

}  // namespace wizard
