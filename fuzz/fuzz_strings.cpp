// A string table as a downloaded mod brings it: read, and when it reads,
// written again. A table that reads must write (or be refused for what the
// format cannot hold) and read back to the same strings; a table written by
// the writer must come back as the same bytes. The Edit page's editor,
// loaded from the same bytes (sharing them where it can), holds the same
// strings and saves the same bytes, also after edits undone.
#include <QByteArray>

#include "FuzzSupport.h"
#include "archive/strings/StringTableCodec.h"
#include "archive/strings/StringTableEditor.h"
#include "platform/AppError.h"

namespace {

struct NoView : SheetChangeSink {
  void CellsChanged(int, int, int, int) override {}
  void BeginInsertRows(int, int) override {}
  void EndInsertRows() override {}
  void BeginRemoveRows(int, int) override {}
  void EndRemoveRows() override {}
  void BeginReset() override {}
  void EndReset() override {}
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz::EnsureApp();
  const QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char*>(data), qsizetype(size));
  StringTable table;
  QString fault;
  if (!stringtable::Read(bytes, table, fault)) {
    fuzz::Check(!fault.isEmpty(), "a refused table names no fault");
    fuzz::Check(table.strings.empty(), "a refused table filled the strings");
    return 0;
  }
  // An owned copy, as a file's bytes are: the editor shares those.
  QByteArray owned(bytes.constData(), bytes.size());
  stringtable::TableViews views;
  fuzz::Check(stringtable::ReadViews(owned, views, fault), "the views refuse what Read took");
  NoView sink;
  StringTableEditor editor(sink);
  editor.Load(owned, views);
  views = {};
  owned.fill('\xAA');  // the owner's change reaches no shown string
  fuzz::Check(editor.Table().strings == table.strings, "the editor holds other strings");
  QByteArray written;
  try {
    written = stringtable::Write(table);
  } catch (const AppError&) {
    return 0;  // a NUL inside a text read by its length, say
  }
  fuzz::Check(editor.Bytes() == written, "the editor saves other bytes");
  // Edits over rows that point into the loaded bytes, all undone, give the
  // same bytes; all redone, then a table loaded afresh, leave nothing behind.
  if (const int n = editor.Count(); n > 0) {
    editor.Type(StringTableEditor::kTextCol, 0, "typed");
    editor.EndTyping();
    editor.DuplicateStrings({n - 1});
    editor.DeleteStrings({0, n / 2});
    editor.InsertString(n / 3);
    while (editor.Editor().Stack().canUndo()) editor.Undo();
    fuzz::Check(editor.Bytes() == written, "edits undone give other bytes");
    while (editor.Editor().Stack().canRedo()) editor.Redo();
  }
  editor.Load(stringtable::TableViews{});
  StringTable back;
  fuzz::Check(stringtable::Read(written, back, fault), "a written table does not read");
  fuzz::Check(back.strings == table.strings, "strings changed in a round trip");
  fuzz::Check(back.slotCount == table.slotCount && back.version == table.version, "header changed");
  fuzz::Check(stringtable::Write(back) == written, "a written table is not written back the same");
  return 0;
}
