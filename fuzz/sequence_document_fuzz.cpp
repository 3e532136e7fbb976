// The editor's model of a sequence file: unedited bytes save unchanged; after
// one edit the loader reads what the editor showed, and undo restores the bytes.
#include "editor/sequence_document.h"
#include "fuzz/fuzz_support.h"
#include "sequence/sequence_file.h"

namespace {

std::wstring Describe(const std::wstring& title, const std::wstring& file, const std::wstring& current,
                      const std::wstring& option, int size) {
  return title + L'\x01' + file + L'\x01' + current + L'\x01' + option + L'\x01' + std::to_wstring(size);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  // The first two bytes choose the edit and its row; the file is the rest.
  if (size < 2) return 0;
  const unsigned kind = data[0] % 12, pick = data[1];
  const std::string bytes(fuzz::Bytes(data + 2, size - 2));
  fake::FileSystem fs;
  fake::Clock clock;
  editor::SequenceDocument doc(fs, clock);
  doc.Load(bytes);
  FUZZ_CHECK(doc.Bytes() == bytes);

  const std::size_t n = doc.Count(), row = n ? pick % n : 0;
  const std::wstring value = text::FromAnsi(bytes.substr(0, pick % 16));
  switch (kind) {
    case 0: case 1: case 2: case 3:
      doc.SetText(row, static_cast<editor::Field>(kind), value);
      break;
    case 4: doc.SetShow(row, static_cast<int>(pick) - 128); break;
    case 5: doc.SetSwitchedOn(row, n && !doc.At(row).view.switchedOn); break;
    case 6: doc.Move({row, row + 2}, pick % 2 ? 1 : -1); break;
    case 7: doc.Remove({row}); break;
    case 8: doc.Duplicate({row}); break;
    case 9: doc.Add(row, value, L"C:\\x.exe", L"", value, 1); break;
    case 10: doc.Paste(row, doc.Copy({0, row})); break;
    default: doc.MoveTo({row}, pick % (n + 1)); break;
  }

  // Text the code page cannot hold is refused; anything written reads back as shown.
  if (doc.Save(true, L"s.pmw").status == editor::SaveOutcome::Saved) {
    const sequence::Sequence read = sequence::LoadSequence(L"s.pmw", fs, NumberSeparators{});
    std::size_t next = 0;
    for (std::size_t r = 0; r < doc.Count(); ++r) {
      const editor::ItemView& v = doc.At(r).view;
      if (!v.switchedOn) continue;
      FUZZ_CHECK(next < read.items.size());
      const sequence::SequenceItem& i = read.items[next++];
      FUZZ_CHECK(Describe(v.title, v.file, v.workingFolder, v.arguments, v.show) ==
                 Describe(i.title, i.file, i.workingFolder, i.arguments, i.show));
    }
    FUZZ_CHECK(next == read.items.size());
    FUZZ_CHECK(static_cast<std::size_t>(read.itemsLeftOut) == doc.SwitchedOffCount());
  }
  while (doc.CanUndo()) doc.Undo();
  FUZZ_CHECK(doc.Bytes() == bytes);
  return 0;
}
