// The file seam: every file-system access of the portable core goes through
// FileSystem, so that tests can put a fake (a full disk, a locked file) in
// its place. Paths and names are wide text; file contents are raw bytes in
// the system's ANSI code page (convert with text::FromAnsi / text::ToAnsi).
//
// "Ordinary file" means what a directory search with normal attributes
// finds: read-only and archived files count; hidden files, system files and
// folders do not (on POSIX: regular files whose name does not begin with ".").
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

// A file held open for appending, as a log keeps its file for a whole run:
// one open instead of one per line. While it is held, other programs may read
// the file but not write, replace or delete it. Destroying it closes the file.
class AppendFile {
 public:
  virtual ~AppendFile() = default;
  // Appends bytes at the end, straight to the system (nothing is kept back
  // in the program, so a crash loses no line written before). A write that
  // fails part-way is cut back, as Append does.
  virtual bool Write(const std::string& bytes) = 0;
};

// A lock that the programs changing the same files (read, change, write back
// whole) take in turn: held by one holder at a time while it lives.
class FileLock {
 public:
  virtual ~FileLock() = default;
};

class FileSystem {
 public:
  virtual ~FileSystem() = default;

  // The whole file in one read; nullopt when it cannot be opened for reading
  // (missing, a folder, locked, a bad name) or the read fails.
  virtual std::optional<std::string> ReadAll(const std::wstring& path) = 0;
  // As ReadAll for a file of at most limit bytes; a larger one is not read
  // (nullopt, and *tooLarge set when given), so that no file another program
  // can write makes its reader take all the memory there is.
  virtual std::optional<std::string> ReadAtMost(const std::wstring& path, std::uint64_t limit, bool* tooLarge) = 0;

  // Replaces the file's contents with bytes, all or nothing: the new text is
  // written beside the target, under a name no other writer uses (this
  // process's id and a count), and moved over it only when complete. On false
  // the target is exactly as it was before the call.
  virtual bool ReplaceContents(const std::wstring& path, const std::string& bytes) = 0;

  // Appends bytes at the end of the file, creating it when missing. False
  // when it cannot be opened for appending or the write fails; a write that
  // fails part-way (a full disk) is cut back, so on false the file holds
  // exactly what it held before (a file the call created stays, empty).
  virtual bool Append(const std::wstring& path, const std::string& bytes) = 0;

  // Opens the file for appending and holds it (creating it when missing);
  // nullptr when it cannot be opened, as Append would fail.
  virtual std::unique_ptr<AppendFile> OpenForAppend(const std::wstring& path) = 0;

  // The file's size in bytes as the file system records it, without opening
  // it (a file another program holds locked still answers); nullopt when no
  // file is there (missing, a folder) or the system will not say.
  virtual std::optional<std::uint64_t> Size(const std::wstring& path) = 0;

  // Opens the lock file at path, creating it when missing, shared with no one
  // (on Windows it goes when let go); while another holder has it, tries
  // again until waitMs have passed. nullptr when it was not had by then, or
  // cannot be made at all (a missing folder).
  virtual std::unique_ptr<FileLock> Lock(const std::wstring& path, int waitMs) = 0;

  // Opens for reading and closes again; never changes the file.
  virtual bool CanRead(const std::wstring& path) = 0;
  // Opens for appending (creating an empty file when missing) and closes again;
  // an existing file keeps its contents.
  virtual bool CanAppend(const std::wstring& path) = 0;

  // True unless the file system says nothing is at path: a file that cannot
  // be opened, a hidden file and a folder all exist.
  virtual bool Exists(const std::wstring& path) = 0;
  virtual bool IsFolder(const std::wstring& path) = 0;
  // Makes the folder (its parent must be there already); true when a folder
  // is at path afterwards, made now or before.
  virtual bool CreateFolder(const std::wstring& path) = 0;
  // True when a directory search for exactly this name finds an ordinary file.
  virtual bool IsOrdinaryFile(const std::wstring& path) = 0;
  // True when a directory search with this pattern (wildcards allowed; on
  // Windows a pattern ending in "\" searches that folder) finds an ordinary file.
  virtual bool AnyOrdinaryFileMatches(const std::wstring& pattern) = 0;
  // Names (not paths) of the ordinary files that a directory search with this
  // pattern (a folder, a separator and a name pattern) finds, in the order the
  // file system returns them. Empty when the folder is missing.
  virtual std::vector<std::wstring> ListOrdinaryFiles(const std::wstring& pattern) = 0;

  // The short (8.3) form of an existing path, which may equal the path
  // itself; nullopt when the system has none (short names switched off, a
  // missing path, or a platform without them).
  virtual std::optional<std::wstring> ShortPath(const std::wstring&) { return std::nullopt; }
};

// The process's real file system. Lives as long as the process.
// File tests through the seam that take "" as nothing (a folder search or an
// open of "" means the current folder on some systems).
inline bool IsFolderPresent(const std::wstring& path, FileSystem& fs) { return !path.empty() && fs.IsFolder(path); }
// Opens for reading and closes again; any failure is false. Never changes the file.
inline bool IsFileReadable(const std::wstring& path, FileSystem& fs) { return !path.empty() && fs.CanRead(path); }
// Opens for appending and closes again (creating an empty file when missing);
// any failure is false.
inline bool IsFileWritable(const std::wstring& path, FileSystem& fs) { return !path.empty() && fs.CanAppend(path); }

FileSystem& RealFileSystem();
