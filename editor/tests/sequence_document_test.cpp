#include "editor/sequence_document.h"

#include <gtest/gtest.h>

#include <functional>

#include "common/text.h"
#include "droptool/drop_text.h"
#include "common/tests/support/fakes.h"
#include "sequence/sequence_file.h"

namespace {

using editor::Field;
using editor::SaveOutcome;
using editor::SequenceDocument;

// A dated wizard item with a comment and an unknown key; an item without a
// date, with a second record and a closing line end but no Option and no
// NoUse; a switched-off item naming File twice, cut short by the file's end.
const std::wstring kA =
    L"2026/01/02：Alpha\x01\x01""File=C:\\a.exe\r\n; note\r\nCurrent=C:\\\r\nOption=-x\r\nSize = 1\r\nExtra=keep\r\nNoUse = 0\x01";
const std::wstring kB = L"Beta\x01sec\x01""File=C:\\b.exe\r\nSize=3\r\n\x01";
const std::wstring kC = L"2026/01/03：Gamma\x01\x01""File=C:\\c.exe\r\nNoUse = 1\r\nFile=C:\\c2.exe";

std::wstring Describe(const std::wstring& title, const std::wstring& file, const std::wstring& current,
                      const std::wstring& option, int size) {
  return title + L"|" + file + L"|" + current + L"|" + option + L"|" + std::to_wstring(size);
}

// What Tarvoline reads from the saved bytes is what the editor showed.
void ExpectReaderAgrees(const SequenceDocument& doc) {
  fake::FileSystem fs;
  fs.files[L"s.pmw"] = doc.Bytes();
  const sequence::Sequence read = sequence::LoadSequence(L"s.pmw", fs, NumberSeparators{});
  std::vector<std::wstring> shown, started;
  for (std::size_t r = 0; r < doc.Count(); ++r) {
    const editor::ItemView& v = doc.At(r).view;
    if (v.switchedOn) shown.push_back(Describe(v.title, v.file, v.workingFolder, v.arguments, v.show));
  }
  for (const auto& i : read.items) started.push_back(Describe(i.title, i.file, i.workingFolder, i.arguments, i.show));
  EXPECT_EQ(shown, started);
  EXPECT_EQ(static_cast<std::size_t>(read.itemsLeftOut), doc.SwitchedOffCount());
}

TEST(SequenceDocument, UneditedFilesSaveByteForByte) {
  fake::FileSystem fs;
  fake::Clock clock;
  std::vector<std::string> inputs = {"", "\x01", "a\x01" "b", "a\x01\x01\x01\x01", "\xff\x81\x01\x01x\r\n\r\n",
                                     text::ToAnsi(kA + kB + kC)};
  // (The shipped sequence files: the sequence_document fuzz target's seeds replay them.)
  for (const std::string& bytes : inputs) {
    SequenceDocument doc(fs, clock);
    doc.Load(bytes);
    EXPECT_EQ(doc.Bytes(), bytes);
    EXPECT_FALSE(doc.Modified());
    ExpectReaderAgrees(doc);
  }
}

TEST(SequenceDocument, EachEditChangesOnlyItsLinesAndUndoes) {
  fake::FileSystem fs;
  fake::Clock clock;
  const std::wstring added =
      sequence::ItemRecords(L"New", sequence::ItemBody(L"C:\\n.exe", L"C:\\", L"-n", 1), clock);
  const std::wstring block = droptool::FormatEntryBlock(L"P", sequence::ItemBody(L"C:\\p.exe", L"C:\\", L"", 6),
                                                        sequence::Date{2001, 5, 12});
  const std::wstring kC1 = kC + L"\x01";  // no longer last: closed
  struct Case {
    const char* name;
    std::function<void(SequenceDocument&)> edit;
    std::wstring after;
  } cases[] = {
      {"File replaced in place", [](auto& d) { d.SetText(0, Field::File, L"C:\\new.exe"); },
       L"2026/01/02：Alpha\x01\x01""File=C:\\new.exe\r\n; note\r\nCurrent=C:\\\r\nOption=-x\r\nSize = 1\r\nExtra=keep\r\nNoUse = 0\x01" + kB + kC},
      {"missing Option added before the closing line end", [](auto& d) { d.SetText(1, Field::Option, L"-y"); },
       kA + L"Beta\x01sec\x01""File=C:\\b.exe\r\nSize=3\r\nOption=-y\r\n\x01" + kC},
      {"the File the loader keeps is the last", [](auto& d) { d.SetText(2, Field::File, L"D:\\d.exe"); },
       kA + kB + L"2026/01/03：Gamma\x01\x01""File=C:\\c.exe\r\nNoUse = 1\r\nFile=D:\\d.exe\x01"},
      {"switched off and on", [](auto& d) { d.SetSwitchedOn(0, false); d.SetSwitchedOn(2, true); },
       L"2026/01/02：Alpha\x01\x01""File=C:\\a.exe\r\n; note\r\nCurrent=C:\\\r\nOption=-x\r\nSize = 1\r\nExtra=keep\r\nNoUse = 1\x01" + kB +
           L"2026/01/03：Gamma\x01\x01""File=C:\\c.exe\r\nNoUse = 0\r\nFile=C:\\c2.exe\x01"},
      {"Size in the wizard's form", [](auto& d) { d.SetShow(1, 6); },
       kA + L"Beta\x01sec\x01""File=C:\\b.exe\r\nSize = 6\r\n\x01" + kC},
      {"titles keep their date, a dateless one gets today's, typing is one step",
       [](auto& d) { d.SetText(0, Field::Title, L"Alpha1"); d.SetText(0, Field::Title, L"Alpha2"); d.SetText(1, Field::Title, L"2020/01/01：B"); },
       L"2026/01/02：Alpha2" + kA.substr(16) + L"2001/05/12：2020/01/01：B\x01sec\x01""File=C:\\b.exe\r\nSize=3\r\n\x01" + kC},
      {"move up closes the item cut short", [](auto& d) { EXPECT_EQ(d.Move({2}, -1), (std::vector<std::size_t>{1})); },
       kA + kC1 + kB},
      {"two rows down stop at the end", [](auto& d) { EXPECT_EQ(d.Move({0, 2}, 1), (std::vector<std::size_t>{1, 2})); },
       kB + kA + kC},
      {"move to the end", [](auto& d) { EXPECT_EQ(d.MoveTo({0}, 3), (std::vector<std::size_t>{2})); }, kB + kC1 + kA},
      {"remove", [](auto& d) { d.Remove({1, 1, 7}); }, kA + kC},
      {"duplicate", [](auto& d) { EXPECT_EQ(d.Duplicate({0}), (std::vector<std::size_t>{1})); }, kA + kA + kB + kC},
      {"add as the wizard writes", [](auto& d) { d.Add(1, L"New", L"C:\\n.exe", L"C:\\", L"-n", 1); },
       kA + added + kB + kC},
      {"copied items paste as they were", [](auto& d) { EXPECT_EQ(d.Paste(0, d.Copy({0, 1, 2})).size(), 3u); },
       kA + L"Beta\x01\x01" + kB.substr(9) + kC1 + kA + kB + kC},
      {"paste of the drop tool's block", [&](auto& d) { EXPECT_EQ(d.Paste(3, L"junk\r\n" + block).size(), 1u); },
       kA + kB + kC1 + L"2001/05/12：P\x01\x01" + sequence::ItemBody(L"C:\\p.exe", L"C:\\", L"", 6) + L"\x01"},
  };
  const std::string base = text::ToAnsi(kA + kB + kC);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    SequenceDocument doc(fs, clock);
    doc.Load(base);
    c.edit(doc);
    EXPECT_EQ(text::FromAnsi(doc.Bytes()), c.after);
    EXPECT_TRUE(doc.Modified());
    ExpectReaderAgrees(doc);
    while (doc.CanUndo()) doc.Undo();
    EXPECT_EQ(doc.Bytes(), base);
    EXPECT_FALSE(doc.Modified());
    while (doc.CanRedo()) doc.Redo();
    EXPECT_EQ(text::FromAnsi(doc.Bytes()), c.after);
  }
}

TEST(SequenceDocument, SaveRefusesOrReportsBeforeWriting) {
  fake::FileSystem fs;
  fake::Clock clock;
  const std::wstring path = L"C:\\T\\Startup.pmw";
  const std::string base = text::ToAnsi(kA + kB + kC);
  fs.files[path] = base;
  SequenceDocument doc(fs, clock);
  ASSERT_TRUE(doc.Open(path));

  // A lone surrogate fits no code page.
  doc.SetText(1, Field::Option, L"-" + std::wstring(1, wchar_t(0xDC00)));
  SaveOutcome out = doc.Save();
  EXPECT_EQ(out.status, SaveOutcome::NotInCodePage);
  EXPECT_EQ(out.item, 1u);
  EXPECT_EQ(out.field, L"Option");
  EXPECT_EQ(fs.replacements, 0);

  doc.SetText(1, Field::Option, L"-y");
  fs.failReplace = true;
  EXPECT_EQ(doc.Save().status, SaveOutcome::WriteFailed);
  fs.failReplace = false;
  EXPECT_EQ(fs.files[path], base);

  EXPECT_EQ(doc.Save().status, SaveOutcome::Saved);
  EXPECT_FALSE(doc.Modified());
  EXPECT_EQ(fs.files[path + L".bak"], base);
  // A later save keeps the file as it was first opened as the backup.
  doc.SetShow(0, 3);
  EXPECT_EQ(doc.Save().status, SaveOutcome::Saved);
  EXPECT_EQ(fs.files[path + L".bak"], base);

  // A new file: nothing to keep.
  SequenceDocument fresh(fs, clock);
  ASSERT_TRUE(fresh.Open(L"C:\\T\\new.pmw"));
  fresh.Add(0, L"", L"C:\\n.exe", L"", L"", 1);
  EXPECT_EQ(fresh.Save().status, SaveOutcome::Saved);
  EXPECT_FALSE(fs.files.count(L"C:\\T\\new.pmw.bak"));
}

// Bytes on disk the document did not write are never lost: another
// program's change is kept in the backup before an overwrite, and a file
// that could not be read at open is never saved over.
TEST(SequenceDocument, KeepsWhatItDidNotWrite) {
  const std::wstring path = L"C:\\T\\Startup.pmw", bak = path + L".bak", other = L"C:\\T\\other.pmw";
  const std::string base = text::ToAnsi(kA + kB), appended = text::ToAnsi(kC + L"\x01");
  struct Case {
    const char* name;
    bool lockedAtOpen;
    std::function<void(fake::FileSystem&, SequenceDocument&)> act;
    std::string file;  // "": the document's bytes
  } cases[] = {
      {"an append after the first save is kept when overwritten", false,
       [&](auto& fs, auto& doc) {
         doc.SetShow(0, 3);
         EXPECT_EQ(doc.Save().status, SaveOutcome::Saved);
         const std::string first = fs.files[path];
         fs.files[path] += appended;  // as the wizard appends
         doc.SetShow(0, 6);
         EXPECT_EQ(doc.Save().status, SaveOutcome::ChangedOnDisk);
         EXPECT_EQ(fs.files[path], first + appended);
         EXPECT_EQ(doc.Save(true).status, SaveOutcome::Saved);
         // A save of the document's own bytes keeps that backup.
         doc.SetShow(1, 6);
         EXPECT_EQ(doc.Save().status, SaveOutcome::Saved);
         EXPECT_EQ(fs.files[bak], first + appended);
       },
       {}},
      {"a file locked at open is not saved over, even once readable", true,
       [&](auto& fs, auto& doc) {
         fs.locked.clear();
         doc.Add(0, L"", L"C:\\n.exe", L"", L"", 1);
         EXPECT_EQ(doc.Save().status, SaveOutcome::NotRead);
         EXPECT_EQ(doc.Save(true).status, SaveOutcome::NotRead);
         EXPECT_EQ(fs.replacements, 0);
         // Saved elsewhere, the document is that file's.
         EXPECT_EQ(doc.Save(false, other).status, SaveOutcome::Saved);
         doc.SetShow(0, 3);
         EXPECT_EQ(doc.Save().status, SaveOutcome::Saved);
         EXPECT_EQ(fs.files[other], doc.Bytes());
       },
       base},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    fake::FileSystem fs;
    fake::Clock clock;
    fs.files[path] = base;
    if (c.lockedAtOpen) fs.locked.insert(path);
    SequenceDocument doc(fs, clock);
    EXPECT_EQ(doc.Open(path), !c.lockedAtOpen);
    c.act(fs, doc);
    EXPECT_EQ(fs.files[path], c.file.empty() ? doc.Bytes() : c.file);
  }
}

// A large file edited for long keeps only the newest steps that fit the
// bound, and text too long to paste is refused whole.
TEST(SequenceDocument, HistoryAndPasteAreBounded) {
  fake::FileSystem fs;
  fake::Clock clock;
  constexpr std::size_t kItems = 20000, kMoves = 300;
  std::wstring file;
  for (std::size_t i = 0; i < kItems; ++i)
    file += L"2001/05/12：T" + std::to_wstring(i) + L"\x01\x01" + sequence::ItemBody(L"C:\\t.exe", L"C:\\", L"", 1) + L"\x01";
  SequenceDocument doc(fs, clock);
  doc.Load(text::ToAnsi(file));
  ASSERT_EQ(doc.Count(), kItems);
  // Each move holds one more list of the items in the history.
  for (std::size_t m = 0; m < kMoves; ++m) doc.Move({m}, 1);
  const auto undoAll = [&] {
    std::size_t steps = 0;
    for (; doc.CanUndo(); ++steps) doc.Undo();
    return steps;
  };
  const std::size_t list = kItems * sizeof(std::shared_ptr<const editor::Item>);
  const std::size_t kept = undoAll();
  EXPECT_LE(kept * list, SequenceDocument::kHistoryBytes);
  EXPECT_GT(kept * list, SequenceDocument::kHistoryBytes / 2);
  // The newest steps are the ones kept.
  EXPECT_EQ(doc.At(kMoves - kept).view.title, L"T0");
  while (doc.CanRedo()) doc.Redo();
  EXPECT_EQ(doc.At(kMoves).view.title, L"T0");

  // Large values typed into many items: each step holds its item.
  doc.Load(text::ToAnsi(file.substr(0, file.size() / 100)));
  const std::wstring value(256 * 1024, L'v');
  const std::size_t step = 2 * value.size() * sizeof(wchar_t);  // the line's text and the view's
  const std::size_t edits = SequenceDocument::kHistoryBytes / step + 8;
  ASSERT_LE(edits, doc.Count());
  for (std::size_t r = 0; r < edits; ++r) doc.SetText(r, Field::Option, value);
  EXPECT_LE(undoAll() * step, SequenceDocument::kHistoryBytes);
  EXPECT_TRUE(doc.At(0).view.arguments == value);  // the oldest edit stays: its step is gone

  const std::wstring block = droptool::FormatEntryBlock(L"P", sequence::ItemBody(L"C:\\p.exe", L"C:\\", L"", 1),
                                                        sequence::Date{2001, 5, 12});
  std::wstring many;
  while (many.size() <= SequenceDocument::kPasteChars) many += block;
  EXPECT_FALSE(SequenceDocument::CanPaste(many));
  const std::size_t before = doc.Count();
  EXPECT_TRUE(doc.Paste(0, many).empty());
  EXPECT_EQ(doc.Count(), before);
  EXPECT_EQ(doc.Paste(0, block).size(), 1u);
}

}  // namespace
