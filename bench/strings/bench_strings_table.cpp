// The Edit page on a large string table: entering the page (the table read,
// checked, shown and painted offscreen) from the entry's pending source file
// against reading the same file and splitting it into keys and texts in plain
// C++, and from the mod archive against reading the entry alone; and Save
// after one edit against writing the same number of bytes to a file. The
// table is the largest real one (patchstring.tbl) repeated up to 65535
// strings, the most a table holds, each repeat's keys numbered.
#include <QApplication>
#include <QBuffer>
#include <QTableView>
#include <cstdio>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "BenchSupport.h"
#include "archive/ArchiveReader.h"
#include "archive/UpdateLibrary.h"
#include "archive/strings/StringTableCodec.h"
#include "forms/edit/strings/StringTablePage.h"
#include "forms/main/untMain.h"
#include "platform/Ui.h"
#include "platform/UiFileDialog.h"

namespace {

constexpr int kRuns = 5;
const QByteArray kEntry = "data\\local\\lng\\eng\\patchstring.tbl";

class SaveTo : public ui::UiBackend {
 public:
  explicit SaveTo(QString path) : path_(std::move(path)) {}
  bool ExecuteFileDialog(const FileDialog&, QStringList& chosen) override {
    chosen = {path_};
    return true;
  }
  int MessageBox(const QString& text, const QString&, int) override {
    bench::require(false, "no message box: " + text.toStdString());
    return ui::idOk;
  }
  bool InputQuery(const QString&, const QString&, QByteArray&) override { return false; }
  bool BrowseFolder(const QString&, const QString&, QString&) override { return false; }
  void SetCursor(int) override {}
  void ProcessMessages() override { QCoreApplication::processEvents(); }

 private:
  QString path_;
};

uint32_t Le32(const std::string& b, size_t at) {
  uint32_t v;
  std::memcpy(&v, b.data() + at, 4);
  return v;
}

// The peer: the header read, then the data cut at its NULs into key and text.
std::vector<std::pair<std::string, std::string>> PlainSplit(const std::string& bytes) {
  uint16_t count;
  std::memcpy(&count, bytes.data() + 2, 2);
  size_t at = Le32(bytes, 9);
  std::vector<std::pair<std::string, std::string>> strings(count);
  for (auto& [key, text] : strings) {
    const size_t keyEnd = bytes.find('\0', at);
    key.assign(bytes, at, keyEnd - at);
    const size_t textEnd = bytes.find('\0', keyEnd + 1);
    text.assign(bytes, keyEnd + 1, textEnd - keyEnd - 1);
    at = textEnd + 1;
  }
  return strings;
}

double MedianOfRuns(const char* name, const std::function<void()>& run) {
  std::vector<double> times;
  std::printf("# %s runs (s):", name);
  for (int i = 0; i < kRuns; ++i) {
    times.push_back(bench::seconds(run));
    std::printf(" %.4f", times.back());
  }
  std::printf("\n");
  return bench::median(times);
}

QString BuildMod(const bench::ScratchDir& scratch, const std::string& tablePath) {
  const QString mod = QString::fromStdString(scratch.file("Strings.QLM"));
  bench::require(LoadUpdateLibrary(), "ARCHWRIT beside the benchmark");
  UpdateLibrary::ArchiveHandle h =
      UpdateLibrary::MpqOpenArchiveForUpdate(mod, UpdateLibrary::kOpenCreate, UpdateLibrary::kMaxFiles);
  bench::require(h != nullptr, "create the mod");
  UpdateLibrary::MpqAddFileToArcive(h, QString::fromStdString(tablePath), kEntry, UpdateLibrary::kAddNew);
  UpdateLibrary::MpqCloseUpdatedArchive(h, 0);
  UnloadUpdateLibrary();
  return mod;
}

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  const std::string realPath = bench::fixturesDir() + "/../strings/data/local/lng/eng/patchstring.tbl";
  const std::string real = bench::readFile(realPath);
  bench::require(!real.empty(), "read " + realPath);
  StringTable table;
  QString fault;
  bench::require(stringtable::Read(QByteArray::fromStdString(real), table, fault), "read the real table");
  const size_t realCount = table.strings.size();
  for (size_t i = realCount; i < 65535; ++i) {
    TableString s = table.strings[i % realCount];
    s.key += QByteArray::number(qulonglong(i / realCount));
    table.strings.push_back(s);
  }
  table.slotCount = 65535;

  bench::ScratchDir scratch;
  const std::string tablePath = scratch.file("patchstring.tbl");
  const QByteArray big = stringtable::Write(table);
  bench::require(bench::writeFile(tablePath, big.toStdString()), "write the large table");
  const QString mod = BuildMod(scratch, tablePath);
  const std::string saved = scratch.file("saved.tbl");
  SaveTo answers(QString::fromStdString(saved));
  ui::SetBackend(&answers);
  std::printf("# table %lld bytes, %zu strings\n", static_cast<long long>(big.size()), table.strings.size());

  TfrmMain frm;
  frm.resize(1024, 700);
  frm.ModFileName = mod;
  frm.Rows->Append({kEntry, SizeText(EntrySize(mod, kEntry)), QString()});
  frm.CommandsModStarted();
  frm.SelectRow(0);
  frm.PageControl->setCurrentWidget(frm.tbsEdit);
  frm.show();
  QCoreApplication::processEvents();
  StringTablePage& page = *frm.StringsPage;

  int paints = 0;
  struct PaintCount : QObject {
    int* n;
    explicit PaintCount(int* count) : n(count) {}
    bool eventFilter(QObject*, QEvent* e) override {
      if (e->type() == QEvent::Paint) ++*n;
      return false;
    }
  } counter(&paints);
  page.Grid()->viewport()->installEventFilter(&counter);
  auto enterAndShow = [&] {
    paints = 0;
    frm.tbsEditEnter();
    while (paints == 0) QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
  };
  enterAndShow();
  bench::require(page.Active() && page.Editor().Count() == 65535, "the table shown");

  // From the archive: the entry is stored compressed, so reading it is most
  // of the work; the peer is that read alone.
  const double fromMod = MedianOfRuns("strings_enter_archive", enterAndShow);
  const double entryRead = MedianOfRuns("archive_read", [&] {
    QBuffer entry;
    entry.open(QIODevice::WriteOnly);
    bench::require(ReadEntryToStream(mod, kEntry, entry), "read the entry");
  });
  bench::report("strings_enter_archive_patchstring", fromMod, "s", "archive_read", entryRead, "2");

  // From the entry's pending source file, as after Add or Save.
  frm.Rows->SetSourcePath(0, QString::fromStdString(tablePath));
  enterAndShow();
  const double parse = MedianOfRuns("plain_split", [&] { PlainSplit(bench::readFile(tablePath)); });
  const double show = MedianOfRuns("strings_enter", enterAndShow);
  bench::report("strings_enter_patchstring", show, "s", "plain_split", parse, "2");

  // One edit, then Save; every run saves the same edited table.
  page.Editor().Type(StringTableEditor::kTextCol, 7, "edited");
  const double save = MedianOfRuns("strings_save", [&] { frm.tbSheetSaveClick(); });
  const std::string written = bench::readFile(saved);
  StringTable back;
  bench::require(stringtable::Read(QByteArray::fromStdString(written), back, fault) &&
                     back.strings.size() == 65535 && back.strings[7].text == "edited" &&
                     back.strings[8] == table.strings[8],
                 "the saved table reads back with the edit");
  const std::string sameSize(written.size(), 'x');
  const std::string peerOut = scratch.file("peer.bin");
  const double write = MedianOfRuns("plain_write", [&] { bench::writeFile(peerOut, sameSize); });
  bench::report("strings_save_patchstring", save, "s", "plain_write", write, "3");

  page.Grid()->viewport()->removeEventFilter(&counter);
  frm.CommandsUpdated();
  ui::SetBackend(nullptr);
  ReleaseArchiveState();
  return 0;
}
