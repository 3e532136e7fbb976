#include "autostart/startup_entries.h"

#include "common/path_rules.h"

namespace autostart {

Entry FromRunValue(Source source, const std::wstring& name, const std::wstring& value, const Resolver& resolver) {
  Entry e;
  e.source = source;
  e.name = name;
  e.command = value;
  e.approval = autostart::AddressOf(source, name);
  autostart::Split split = autostart::SplitCommandLine(autostart::ExpandVariables(value, resolver.lookup),
                                                   resolver.searchFolders, resolver.files);
  e.program = split.program;
  e.arguments = split.arguments;
  e.workingFolder = paths::Parent(e.program);
  return e;
}

Entry FromShortcut(Source source, const std::wstring& folder, const std::wstring& fileName, ShortcutStore& links) {
  Entry e;
  e.source = source;
  e.name = fileName;
  std::wstring f = folder;
  e.command = paths::Join(f, fileName);
  e.approval = autostart::AddressOf(source, fileName);
  if (std::optional<ShortcutInfo> link = links.Read(e.command)) {
    e.program = link->targetPath;
    e.arguments = link->arguments;
    e.workingFolder = link->workingDirectory;
    e.windowStyle = link->windowStyle;
  } else {
    e.readable = false;
  }
  return e;
}

}  // namespace autostart
