// A string table edited without a view: typing, strings inserted, copied and
// deleted, blocks through the clipboard text, find and replace, each undone
// back to the very bytes that were read; the text shown for UTF-8 and for
// bytes that are not; the colour codes; the key lookup across tables.
#include <QtTest>

#include "StringFixtures.h"
#include "archive/strings/ColourCodes.h"
#include "archive/strings/StringClipboard.h"
#include "archive/strings/StringFinder.h"
#include "archive/strings/StringLookup.h"
#include "archive/strings/StringTableCodec.h"
#include "archive/strings/StringTableEditor.h"
#include "archive/strings/StringText.h"

namespace {

// Counts what a view would hear and checks each Begin has its End.
struct Sink : SheetChangeSink {
  int changes = 0;
  int open = 0;
  void CellsChanged(int, int, int, int) override { ++changes; }
  void BeginInsertRows(int, int) override { ++open; }
  void EndInsertRows() override { --open; }
  void BeginRemoveRows(int, int) override { ++open; }
  void EndRemoveRows() override { --open; }
  void BeginReset() override { ++open; }
  void EndReset() override { --open; }
};

struct Table {
  Sink sink;
  StringTableEditor editor{sink};
  QByteArray read;

  // Loaded as the Edit page loads a file: the strings share its bytes.
  explicit Table(const QByteArray& bytes) : read(bytes) {
    stringtable::TableViews table;
    QString fault;
    if (!stringtable::ReadViews(read, table, fault)) qFatal("%s", qPrintable(fault));
    editor.Load(read, table);
  }
  explicit Table(const StringTable& table) : Table(stringtable::Write(table)) {}
  void UndoAll() {
    while (editor.Editor().Stack().canUndo()) editor.Undo();
  }
};

StringTable Three() {
  StringTable table;
  table.slotCount = 3;
  table.strings = {{"x", "one"}, {"Sword", "ÿc4Sword\nof Doom"}, {"x", "two\tcols"}};
  return table;
}

QByteArray Patchstring() {
  return fixtures::readAll(fixtures::stringsDir() + "/lng/eng/patchstring.tbl");
}

}  // namespace

class TestStringEdit : public QObject {
  Q_OBJECT

 private slots:
  void editsUndoneGiveTheSameBytes() {
    QF_REQUIRE_STRING_FIXTURES();
    Table t(Patchstring());
    const StringTable before = t.editor.Table();
    QVERIFY(t.editor.Bytes() == t.read);

    // Typing, keystroke by keystroke, is one step per cell.
    t.editor.Type(StringTableEditor::kTextCol, 5, "N");
    t.editor.Type(StringTableEditor::kTextCol, 5, "Ne");
    t.editor.Type(StringTableEditor::kTextCol, 5, "New\ntext");
    t.editor.EndTyping();
    t.editor.Type(StringTableEditor::kKeyCol, 5, "NewKey");
    QCOMPARE(t.editor.Editor().Stack().count(), 2);
    QVERIFY(t.editor.Modified());

    QCOMPARE(t.editor.InsertString(0), 0);
    t.editor.Type(StringTableEditor::kKeyCol, 0, "Added");
    QVERIFY(t.editor.DuplicateStrings({3, 4}));
    QVERIFY(t.editor.DeleteStrings({10, 11, 500}));
    QCOMPARE(t.editor.Count(), 1169 + 1 + 2 - 3);

    // What was not touched reads back from the written table unchanged.
    const StringTable after = [&] {
      StringTable table;
      QString fault;
      if (!stringtable::Read(t.editor.Bytes(), table, fault)) qFatal("%s", qPrintable(fault));
      return table;
    }();
    QCOMPARE(int(after.strings.size()), t.editor.Count());
    QCOMPARE(after.slotCount, before.slotCount + 0);  // 1169 strings still fit 1171 slots
    QCOMPARE(after.strings[0], (TableString{"Added", ""}));
    QCOMPARE(after.strings[1], before.strings[0]);
    QCOMPARE(after.strings[3], before.strings[2]);  // each copied string, then its copy
    QCOMPARE(after.strings[4], before.strings[2]);
    QCOMPARE(after.strings[6], before.strings[3]);
    QCOMPARE(after.strings[7], before.strings[4]);
    QCOMPARE(after.strings[8], (TableString{"NewKey", "New\ntext"}));
    QCOMPARE(after.strings.back(), before.strings.back());

    t.UndoAll();
    QVERIFY(!t.editor.Modified());
    QVERIFY(t.editor.Bytes() == t.read);
    QCOMPARE(t.sink.open, 0);
    // And every step redone gives the edited table again.
    while (t.editor.Editor().Stack().canRedo()) t.editor.Redo();
    QCOMPARE(t.editor.Table().strings, after.strings);
  }

  // A text that does not follow its key's NUL (a table written out of
  // order) is copied in, and the table is written back in order; the
  // buffer's owner changing it changes nothing shown.
  void textsAwayFromTheirKeysAreCopied() {
    QByteArray bytes = stringtable::Write(Three());
    const qsizetype record = 21 + 2 * 3 + 17 * qFromLittleEndian<uint16_t>(bytes.constData() + 21);
    const uint32_t textAt = qFromLittleEndian<uint32_t>(bytes.constData() + record + 11);
    const uint32_t moved = uint32_t(bytes.size());
    bytes += QByteArray(bytes.constData() + textAt, 4);  // "one" and its NUL
    qToLittleEndian(moved, bytes.data() + record + 11);
    qToLittleEndian(uint32_t(bytes.size()), bytes.data() + 17);
    Table t(bytes);
    QCOMPARE(t.editor.Table().strings, Three().strings);
    QVERIFY(t.editor.Bytes() == stringtable::Write(Three()));
    t.read.fill('?');
    QCOMPARE(t.editor.Table().strings, Three().strings);
  }

  void stringsAddedPastTheSlotsGrowThem() {
    Table t(Three());
    t.editor.InsertString(3);
    t.editor.Type(StringTableEditor::kKeyCol, 3, "x");
    StringTable back;
    QString fault;
    QVERIFY(stringtable::Read(t.editor.Bytes(), back, fault));
    QCOMPARE(back.slotCount, 4u);
    QCOMPARE(back.strings[3].key, QByteArray("x"));
    // Every string gone, the table still writes; one added again too.
    QVERIFY(t.editor.DeleteStrings({0, 1, 2, 3}));
    QCOMPARE(t.editor.Count(), 0);
    QCOMPARE(stringtable::Write(t.editor.Table()).size(), 21 + 17 * 3);
    QCOMPARE(t.editor.InsertString(0), 0);
    QCOMPARE(t.editor.Count(), 1);
    t.UndoAll();
    QVERIFY(t.editor.Bytes() == t.read);
  }

  void clipboardKeepsTabsLineEndsAndQuotes() {
    Table t(Three());
    const QString copied = t.editor.Copy(0, 1, 1, 2);
    QCOMPARE(copied, QStringLiteral("Sword\t\"ÿc4Sword\nof Doom\"\r\nx\t\"two\tcols\"\r\n"));
    const std::vector<QStringList> rows = stringclipboard::Rows(copied);
    QCOMPARE(rows.size(), size_t(2));
    QCOMPARE(rows[0], QStringList({"Sword", "ÿc4Sword\nof Doom"}));
    QCOMPARE(rows[1], QStringList({"x", "two\tcols"}));
    QCOMPARE(stringclipboard::Rows("\"say \"\"hi\"\"\"\tb\n\nc"),
             (std::vector<QStringList>{{"say \"hi\"", "b"}, {""}, {"c"}}));
    QCOMPARE(stringclipboard::FromRows({{"\"q", "a"}}), QStringLiteral("\"\"\"q\"\ta\r\n"));

    // Pasted below the last string: two strings added, a third column dropped.
    const SheetEditor::PasteResult pasted = t.editor.Paste(0, 2, copied + "k\tv\textra\r\n");
    QCOMPARE(pasted.rows, 3);
    QCOMPARE(pasted.addedRows, 2);
    QCOMPARE(pasted.droppedCols, 1);
    QCOMPARE(t.editor.Count(), 5);
    QCOMPARE(t.editor.Text(2), QByteArrayView("ÿc4Sword\nof Doom"));
    QCOMPARE(t.editor.Text(3), QByteArrayView("two\tcols"));
    QCOMPARE(t.editor.Key(4), QByteArrayView("k"));
    QCOMPARE(t.editor.Editor().Stack().count(), 1);
    QCOMPARE(t.editor.Clear(1, 0, 1, 4), 5);
    QCOMPARE(t.editor.Text(0), QByteArrayView(""));
    QCOMPARE(t.editor.Key(0), QByteArrayView("x"));
    t.UndoAll();
    QVERIFY(t.editor.Bytes() == t.read);
  }

  void findAndReplaceOverKeysAndTexts() {
    StringTable table = Three();
    table.strings.push_back({"Name\xC9",
                             "Stra\xC3\x9F"
                             "e caf\xC3\xA9 \xE4\xB8\xAD"});
    Table t(table);
    StringFinder sword("sword", {});
    // Reading order: each key, then its text; going round past the end.
    StringFinder::Hit hit = sword.Next(t.editor, -1, 0);
    QCOMPARE(hit.index, 1);
    QCOMPARE(hit.col, 0);
    hit = sword.Next(t.editor, hit.col, hit.index);
    QCOMPARE(hit.col, 1);
    QVERIFY(!hit.wrapped);
    hit = sword.Next(t.editor, hit.col, hit.index);
    QCOMPARE(hit.col, 0);
    QVERIFY(hit.wrapped);
    hit = sword.Previous(t.editor, 0, 1);
    QCOMPARE(hit.col, 1);
    QCOMPARE(hit.index, 1);
    QVERIFY(hit.wrapped);
    QVERIFY(!StringFinder("SWORD", {true, false}).Next(t.editor, -1, 0).Found());

    // Keys fold as Windows-1252 does, texts only in ASCII: "é" finds no
    // byte of another character, and "É" is a byte of its own in a key.
    QCOMPARE(StringFinder("nameé", {}).Next(t.editor, -1, 0).index, 3);
    QCOMPARE(StringFinder("CAFé", {}).Next(t.editor, -1, 0).col, 1);
    QVERIFY(!StringFinder("ã", {}).Next(t.editor, -1, 0).Found());
    QCOMPARE(StringFinder("中", {}).Next(t.editor, -1, 0).index, 3);
    QVERIFY(!StringFinder("one", {false, true}).Matches(1, "one more"));
    QVERIFY(StringFinder("ONE", {false, true}).Matches(1, "one"));

    QVERIFY(t.editor.ReplaceInCell(1, 3, StringFinder("café", {}), "Café"));
    QCOMPARE(t.editor.Text(3), QByteArrayView("Stra\xC3\x9F"
                                              "e Caf\xC3\xA9 \xE4\xB8\xAD"));
    QVERIFY(!t.editor.ReplaceInCell(1, 0, StringFinder("café", {}), "x"));
    // Replace All: keys get Windows-1252 bytes, texts UTF-8, one step.
    QCOMPARE(t.editor.ReplaceAll(StringFinder("x", {true, false}), "ü"), 2);
    QCOMPARE(t.editor.Key(0), QByteArrayView("\xFC"));
    QCOMPARE(t.editor.Key(2), QByteArrayView("\xFC"));
    QCOMPARE(t.editor.Editor().Stack().count(), 2);
    QCOMPARE(t.editor.ReplaceAll(StringFinder("o", {}), "0"), 4);
    QCOMPARE(t.editor.Key(1), QByteArrayView("Sw0rd"));
    QCOMPARE(t.editor.Text(1), QByteArrayView("ÿc4Sw0rd\n0f D00m"));
    t.UndoAll();
    QVERIFY(t.editor.Bytes() == t.read);
  }

  void textsShownAndTypedBack() {
    QCOMPARE(stringtext::ToDisplay("ÿc1Red\n中文"), QStringLiteral("ÿc1Red\n中文"));
    QVERIFY(!stringtext::Escaped("plain \\ backslash"));
    QCOMPARE(stringtext::ToDisplay("plain \\ backslash"), QStringLiteral("plain \\ backslash"));
    static const char kBroken[] =
        "caf\xE9 \\ \xE4\xB8 \xED\xA0\x80 \xC0\xAF \xF4\x90\x80\x80 ok \xE4\xB8\xAD";
    const QByteArray broken(kBroken, sizeof(kBroken) - 1);
    QVERIFY(stringtext::Escaped(broken));
    const QString shown = stringtext::ToDisplay(broken);
    QCOMPARE(shown, QStringLiteral(
                        "caf\\xE9 \\\\ \\xE4\\xB8 \\xED\\xA0\\x80 \\xC0\\xAF \\xF4\\x90\\x80\\x80 ok 中"));
    QCOMPARE(stringtext::FromDisplay(shown, true), broken);
    // A lone or unknown escape stays literal.
    QCOMPARE(stringtext::FromDisplay("a\\q\\x4\\", true), QByteArray("a\\q\\x4\\"));
    QCOMPARE(stringtext::FromDisplay("\\x41\\x4a", true), QByteArray("AJ"));

    // Every byte pair survives shown and taken back.
    for (int a = 0; a < 256; ++a)
      for (int b = 0; b < 256; b += 7) {
        const QByteArray bytes = QByteArray(1, char(a)) + char(b) + "\\";
        QCOMPARE(stringtext::FromDisplay(stringtext::ToDisplay(bytes), stringtext::Escaped(bytes)), bytes);
      }

    // Typing into a text that is not UTF-8 keeps the bytes not retyped.
    StringTable table;
    table.strings = {{"k\xE9", broken}};
    Table t(table);
    QCOMPARE(t.editor.Shown(0, 0), QStringLiteral("ké"));
    QString typed = t.editor.Shown(1, 0);
    typed.replace("ok", "OK!");
    t.editor.Type(1, 0, t.editor.FromShown(1, 0, typed));
    QByteArray expected = broken;
    expected.replace("ok", "OK!");
    QCOMPARE(t.editor.Text(0), QByteArrayView(expected));
    QCOMPARE(t.editor.FromShown(0, 0, "Ké"), QByteArray("K\xE9"));
  }

  void colourCodesSplitTheText() {
    using colourcodes::Spans;
    const std::vector<ColourSpan> spans = Spans("Plain ÿc1Red ÿc;Purple ÿc/White ÿc:ÿc9Yellow");
    QCOMPARE(spans.size(), size_t(5));
    QCOMPARE(spans[0].text, QByteArray("Plain "));
    QCOMPARE(spans[0].colour, GameColour::White);
    QCOMPARE(spans[1].text, QByteArray("Red "));
    QCOMPARE(spans[1].colour, GameColour::Red);
    QCOMPARE(spans[2].colour, GameColour::Purple);
    QCOMPARE(spans[3].text, QByteArray("White "));
    QCOMPARE(spans[3].colour, GameColour::White);
    QCOMPARE(spans[4].text, QByteArray("Yellow"));  // the empty dark green run left out
    QCOMPARE(spans[4].colour, GameColour::Yellow);

    const char codes[] = "/0123456789:;";
    const GameColour colours[] = {
        GameColour::White,  GameColour::Grey,      GameColour::Red,   GameColour::Green, GameColour::Blue,
        GameColour::Gold,   GameColour::DarkGrey,  GameColour::Black, GameColour::Tan,   GameColour::Orange,
        GameColour::Yellow, GameColour::DarkGreen, GameColour::Purple};
    for (int i = 0; i < 13; ++i) {
      GameColour c;
      QVERIFY(colourcodes::ColourOf(codes[i], c));
      QCOMPARE(c, colours[i]);
    }
    GameColour c;
    QVERIFY(!colourcodes::ColourOf('<', c));
    QVERIFY(!colourcodes::ColourOf('.', c));
    // Unknown or missing code characters stay text; one colour joins up.
    const std::vector<ColourSpan> odd = Spans("aÿc<bÿc1ÿc1cÿc");
    QCOMPARE(odd.size(), size_t(2));
    QCOMPARE(odd[0].text, QByteArray("aÿc<b"));
    QCOMPARE(odd[1].text, QByteArray("cÿc"));
    QVERIFY(Spans("").empty());
  }

  void lookupReadsTheLanguageWithTheMostTables() {
    const std::vector<QByteArray> names = {
        "data\\global\\excel\\weapons.txt",           "data\\local\\lng\\eng\\String.tbl",
        "data\\local\\lng\\eng\\BaseMod.tbl",         "data\\local\\LNG\\eng\\patchstring.tbl",
        "data\\local\\lng\\eng\\expansionstring.TBL", "data\\local\\lng\\chi\\BaseMod.tbl",
        "data\\local\\lng\\chi\\string.tbl",          "data\\local\\font\\latin\\font24.tbl",
        "data\\local\\lng\\eng\\sub\\deep.tbl",       "data\\local\\lng\\eng\\notes.txt"};
    QCOMPARE(StringLookup::TablesToRead(names),
             (std::vector<QByteArray>{
                 "data\\local\\LNG\\eng\\patchstring.tbl", "data\\local\\lng\\eng\\expansionstring.TBL",
                 "data\\local\\lng\\eng\\String.tbl", "data\\local\\lng\\eng\\BaseMod.tbl"}));
    // A tie goes to the language met first.
    QCOMPARE(StringLookup::TablesToRead({"data\\local\\lng\\deu\\a.tbl", "data\\local\\lng\\chi\\b.tbl"}),
             (std::vector<QByteArray>{"data\\local\\lng\\deu\\a.tbl"}));
    QVERIFY(StringLookup::TablesToRead({"data\\local\\font\\x.tbl"}).empty());

    StringLookup lookup;
    StringTable patch;
    patch.strings = {{"x", "patched"}, {"x", "later"}};
    StringTable base;
    base.strings = {{"x", "base"}, {"Sword", "Blade"}};
    lookup.Add(patch);
    lookup.Add(base);
    QCOMPARE(*lookup.Find("x"), QByteArray("patched"));
    QCOMPARE(*lookup.Find("Sword"), QByteArray("Blade"));
    QVERIFY(!lookup.Find("sword"));
  }
};

QTEST_GUILESS_MAIN(TestStringEdit)
#include "test_stringedit.moc"
