#include "forms/compare/CompareWith.h"

#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QLabel>
#include <QPushButton>
#include <QTabWidget>
#include <QTableView>
#include <algorithm>
#include <functional>
#include <optional>

#include "archive/NameRules.h"
#include "archive/Names.h"
#include "archive/compare/ArchiveSide.h"
#include "archive/compare/ByteDifference.h"
#include "archive/compare/EntryKind.h"
#include "archive/compare/FolderSide.h"
#include "archive/compare/GameSide.h"
#include "archive/compare/PendingSide.h"
#include "archive/compare/RowTaking.h"
#include "archive/compare/StringTableRows.h"
#include "forms/compare/CompareCellModel.h"
#include "forms/compare/CompareEntryModel.h"
#include "forms/compare/ComparePage.h"
#include "forms/edit/EditPageGrid.h"
#include "forms/main/MainCommands.h"
#include "forms/main/untMain.h"
#include "forms/widgets/StatusProgressBar.h"
#include "platform/Ansi.h"
#include "platform/AppError.h"
#include "platform/Ui.h"
#include "platform/WorkFiles.h"

namespace {

const QString kTitle = QStringLiteral("Compare With");
constexpr char kCompareModFilter[] =
    "Diablo II Mods (*.QLM)|*.QLM|MPQ Archives (*.MPQ)|*.MPQ|All Files (*.*)|*.*";

// What follows the last backslash of an internal name: the taken file's name.
QString LastPart(const QByteArray& name) {
  return ansi::toDisplay(name.mid(name.lastIndexOf('\\') + 1));
}

// "1 changed cell", "2 changed cells".
QString Counted(qsizetype n, const char* one, const char* many) {
  return QStringLiteral("%1 %2").arg(n).arg(QLatin1String(n == 1 ? one : many));
}

}  // namespace

CompareWith::CompareWith(TfrmMain& window, ComparePage& page, Runner run)
    : QObject(&page), w_(window), page_(page), run_(std::move(run)), keyColumn_(compare::SheetKeyColumns()) {
  connect(page_.btnTakeTheirs, &QPushButton::clicked, this,
          [this] { run_("btnTakeTheirsClick", [this] { TakeTheirs(); }); });
  connect(page_.btnCompareUndo, &QPushButton::clicked, this,
          [this] { run_("btnCompareUndoClick", [this] { Undo(); }); });
  connect(page_.btnTakeRows, &QPushButton::clicked, this,
          [this] { run_("btnTakeRowsClick", [this] { TakeRows(); }); });
  connect(page_.btnCompareFiles, &QPushButton::clicked, this,
          [this] { w_.PageControl->setCurrentWidget(w_.tbsFiles); });
  connect(&page_, &ComparePage::entryChosen, this,
          [this](int row) { run_("lvCompareChange", [=, this] { ShowEntry(row); }); });
  UpdateButtons();
}

void CompareWith::Start() {
  if (w_.ModFileName.isEmpty()) return;
  enum Choice { kMod, kFolder, kGame };
  const int answer = ui::Choose(kTitle, QStringLiteral("Compare the mod with:"),
                                {QStringLiteral("Another &Mod..."), QStringLiteral("A &Folder..."),
                                 QStringLiteral("The &Game")},
                                kMod);
  if (answer == kMod) {
    FileDialog& dialog = w_.OpenDialog;
    dialog.Filter = QString::fromLatin1(kCompareModFilter);
    dialog.Options = kOpenOptions;
    dialog.Title = QStringLiteral("Compare With Mod");
    dialog.DefaultExt.clear();
    dialog.FileName.clear();
    dialog.InitialDir = w_.OutputFolder();
    if (dialog.Execute()) CompareAgainst(dialog.FileName, OtherKind::Mod);
  } else if (answer == kFolder) {
    QString folder;
    if (!ui::BrowseFolder(QStringLiteral("Compare With Folder"), w_.InputFolder(), folder)) return;
    // The folder's files stand for entries below an internal folder, as Add
    // Folder puts them; offered: the folder the mod's names share.
    QList<QByteArray> captions;
    for (const ModEntry& e : w_.Rows->Rows()) captions << e.Caption;
    QByteArray prefix = names::SharedFolder(captions);
    if (!ui::InputQuery(QStringLiteral("Internal Folder"),
                        QStringLiteral("Enter the internal directory for the files:"), prefix))
      return;
    CompareAgainst(folder, OtherKind::Folder, prefix);
  } else if (answer == kGame) {
    const QString game = w_.GameFolder();
    if (game.isEmpty()) {
      ui::MessageBox(QStringLiteral("Name the game folder in Preferences first."), kTitle,
                     ui::mbOk | ui::mbIconInformation);
      return;
    }
    CompareAgainst(game, OtherKind::Game);
  }
}

std::unique_ptr<compare::Side> CompareWith::ThisSide() const {
  QList<compare::PendingRow> rows;
  rows.reserve(w_.Rows->Count());
  for (const ModEntry& e : w_.Rows->Rows()) rows.append({e.Caption, e.SourcePath});
  return std::make_unique<compare::PendingSide>(w_.ModFileName, rows);
}

std::unique_ptr<compare::Side> CompareWith::OtherSide() const {
  if (otherKind_ == OtherKind::Folder) return std::make_unique<compare::FolderSide>(otherPath_, otherPrefix_);
  if (otherKind_ == OtherKind::Game) return std::make_unique<compare::GameSide>(otherPath_);
  return std::make_unique<compare::ArchiveSide>(otherPath_);
}

void CompareWith::CompareAgainst(const QString& path, OtherKind kind, const QByteArray& prefix) {
  if (w_.ModFileName.isEmpty() || w_.CommandRunning()) return;
  std::optional<compare::EntryList> list;
  QString error;
  QStringList notes;
  {
    // The list is read while the window handles its messages; meanwhile no
    // other command may change the rows being compared.
    TfrmMain::RunningScope running(w_);
    ui::ScopedCursor busy(ui::crHourGlass);
    const QString before = otherPath_;
    const OtherKind kindBefore = otherKind_;
    const QByteArray prefixBefore = otherPrefix_;
    otherPath_ = path;
    otherKind_ = kind;
    otherPrefix_ = prefix;
    const std::unique_ptr<compare::Side> here = ThisSide();
    const std::unique_ptr<compare::Side> there = OtherSide();
    compare::CompareOptions options;
    options.progress = [this](qsizetype done, qsizetype total) {
      w_.ProgressBar->SetMax(int(total));
      w_.ProgressBar->SetPosition(int(done));
      if (done % 16 == 0) ui::ProcessMessages();
    };
    list = compare::CompareEntries(*here, *there, options, error);
    notes = here->Notes() + there->Notes();
    w_.ProgressBar->SetPosition(0);
    if (!list) {
      otherPath_ = before;
      otherKind_ = kindBefore;
      otherPrefix_ = prefixBefore;
    }
  }
  if (!list) {
    ui::MessageBox(error, kTitle, ui::mbOk | ui::mbIconError);
    return;
  }
  steps_.clear();
  shownEntry_ = -1;
  page_.Cells->Clear();
  page_.lblCompareDetail->clear();
  page_.Entries->SetEntries(*list);
  ShowSides();
  UpdateButtons();
  const int tab = w_.PageControl->indexOf(&page_);
  w_.PageControl->setTabVisible(tab, true);
  w_.PageControl->setCurrentIndex(tab);
  if (!notes.isEmpty())
    ui::MessageBox(notes.join(QLatin1Char('\n')), kTitle, ui::mbOk | ui::mbIconExclamation);
}

void CompareWith::ShowSides() {
  const QString here = TfrmMain::FileNamePart(w_.ModFileName);
  page_.lblCompareSides->setText(QStringLiteral("This mod: %1; there: %2").arg(here, otherPath_));
  // A folder's name is its last part, also when the path ends in a separator.
  const QString there = QFileInfo(QDir::cleanPath(otherPath_)).fileName();
  page_.Cells->SetSides(here, there.isEmpty() ? otherPath_ : there);
}

QHash<QString, int> CompareWith::RowsByName() const {
  QHash<QString, int> rows;
  rows.reserve(w_.Rows->Count());
  for (int i = w_.Rows->Count() - 1; i >= 0; --i) rows.insert(names::Key(w_.Rows->Row(i).Caption), i);
  return rows;
}

void CompareWith::RemoveFilesRows(std::vector<int> rows) {
  // From the bottom up, a run of neighbours at a time.
  std::sort(rows.begin(), rows.end(), std::greater<int>());
  rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
  for (size_t i = 0; i < rows.size();) {
    size_t j = i + 1;
    while (j < rows.size() && rows[j] == rows[j - 1] - 1) ++j;
    w_.Rows->RemoveRows(rows[j - 1], int(j - i));
    i = j;
  }
}

int CompareWith::FilesRowNamed(const QByteArray& name) const {
  for (int i = 0; i < w_.Rows->Count(); ++i)
    if (names::SameName(w_.Rows->Row(i).Caption, name)) return i;
  return -1;
}

bool CompareWith::ReadBoth(const compare::Entry& entry, QByteArray& here, QByteArray& there) {
  const std::unique_ptr<compare::Side> a = ThisSide();
  const std::unique_ptr<compare::Side> b = OtherSide();
  const compare::OpenSide openA(*a);
  const compare::OpenSide openB(*b);
  if (!openA.IsOpen() || !openB.IsOpen()) {
    page_.lblCompareDetail->setText(openA.IsOpen() ? b->Error() : a->Error());
    return false;
  }
  if (!a->Read(entry.here, here) || !b->Read(entry.there, there)) {
    page_.lblCompareDetail->setText(
        QStringLiteral("%1 cannot be read on both sides.").arg(ansi::toDisplay(entry.Name())));
    return false;
  }
  return true;
}

void CompareWith::ShowEntry(int row) {
  shownEntry_ = row;
  rowsTakeable_ = false;
  page_.Cells->Clear();
  page_.lblCompareDetail->clear();
  UpdateButtons();
  if (row < 0 || row >= page_.Entries->rowCount()) return;
  const compare::Entry entry = page_.Entries->At(row);
  switch (entry.state) {
    case compare::EntryState::OnlyHere:
      page_.lblCompareDetail->setText(QStringLiteral("Only in this mod."));
      return;
    case compare::EntryState::OnlyThere:
      page_.lblCompareDetail->setText(QStringLiteral("Only in %1.").arg(otherPath_));
      return;
    case compare::EntryState::Same:
      page_.lblCompareDetail->setText(QStringLiteral("The same bytes on both sides."));
      return;
    case compare::EntryState::Changed:
      break;
  }
  ui::ScopedCursor busy(ui::crHourGlass);
  QByteArray here, there;
  if (!ReadBoth(entry, here, there)) return;
  const compare::EntryKind kind = compare::KindOf(entry.here);
  // A string table is shown string by string (Key and Text as its cells);
  // its rows are not taken over, as the Edit page holds no sheet for it.
  std::optional<QByteArray> tableHere, tableThere;
  if (kind == compare::EntryKind::StringTable) {
    tableHere = compare::StringTableRows(here);
    tableThere = compare::StringTableRows(there);
    if (tableHere && tableThere) {
      here = *tableHere;
      there = *tableThere;
    }
  }
  if (kind == compare::EntryKind::Bytes ||
      (kind == compare::EntryKind::StringTable && !(tableHere && tableThere))) {
    const compare::ByteDifference d = compare::CompareBytes(here, there);
    page_.lblCompareDetail->setText(QStringLiteral("%1 \u2192 %2 bytes, first difference at byte %3.")
                                        .arg(d.sizeHere)
                                        .arg(d.sizeThere)
                                        .arg(d.firstDifference));
    return;
  }
  rowsTakeable_ = kind == compare::EntryKind::Sheet;
  page_.Cells->SetDiff(compare::DiffSheets(entry.here, here, there, keyColumn_),
                       kind == compare::EntryKind::StringTable);
  const compare::SheetDiff& diff = page_.Cells->Diff();
  QString text = Counted(diff.ChangedCells(), "changed cell", "changed cells") + QStringLiteral(", ") +
                 Counted(qsizetype(diff.rows.size()), "row listed", "rows listed") + QLatin1Char('.');
  const QString columns = page_.Cells->ColumnsText();
  if (!columns.isEmpty()) text += QLatin1Char(' ') + columns + QLatin1Char('.');
  if (diff.CellsSame())
    text = QStringLiteral(
        "The cells are the same; the bytes differ outside them (line ends, text past the last "
        "column).");
  page_.lblCompareDetail->setText(text);
}

void CompareWith::TakeTheirs() {
  const QList<int> rows = page_.SelectedEntries();
  if (rows.isEmpty() || w_.ModFileName.isEmpty()) return;
  const std::unique_ptr<compare::Side> there = OtherSide();
  const compare::OpenSide open(*there);
  if (!open.IsOpen()) {
    ui::MessageBox(there->Error(), kTitle, ui::mbOk | ui::mbIconError);
    return;
  }
  ui::ScopedCursor busy(ui::crHourGlass);
  // The entry the list makes current as taken ones leave it is shown once,
  // when the take is done, not while the rows are half changed.
  const QSignalBlocker quiet(page_);
  Step step;
  step.removedNames = w_.RemovedNames;
  step.entries = page_.Entries->Entries();
  QStringList unread;
  // The rows are looked up by name once; rows are taken out and added only
  // after every row that stays has been changed, so the numbers hold.
  const QHash<QString, int> rowOf = RowsByName();
  std::vector<int> removed;
  QList<ModEntry> added;
  // From the bottom up, so taking an entry out of the list keeps the rows
  // still to do where they are.
  for (auto it = rows.crbegin(); it != rows.crend(); ++it) {
    const compare::Entry entry = page_.Entries->At(*it);
    if (entry.state == compare::EntryState::Same) continue;
    if (entry.state == compare::EntryState::OnlyHere) {
      const int row = rowOf.value(names::Key(entry.here), -1);
      if (row >= 0) {
        const ModEntry before = w_.Rows->Row(row);
        step.rows.append({before.Caption, before});
        if (w_.ArchiveNameSet.Contains(w_.ArchiveNames, before.Caption))
          w_.RemovedNames.append(before.Caption);
        removed.push_back(row);
      }
      page_.Entries->Remove(*it);
      continue;
    }
    QByteArray bytes;
    if (!names::Storable(entry.there) || !there->Read(entry.there, bytes)) {
      unread << ansi::toDisplay(entry.there);
      continue;
    }
    const QString path = files::WriteWorkFile(LastPart(entry.there), bytes);
    if (path.isEmpty())
      throw AppError(QStringLiteral("Cannot create file %1")
                         .arg(files::WorkFolder() + QLatin1Char('/') + LastPart(entry.there)));
    const int row = rowOf.value(names::Key(entry.Name()), -1);
    if (row >= 0) {
      const ModEntry before = w_.Rows->Row(row);
      step.rows.append({before.Caption, before});
      w_.Rows->SetEntry(row, ModEntry{before.Caption, SizeText(qint32(bytes.size())), path});
    } else {
      step.rows.append({entry.there, std::nullopt});
      added.append(ModEntry{entry.there, SizeText(qint32(bytes.size())), path});
      // Update must not delete what it has just written.
      names::RemoveAll(w_.RemovedNames, entry.there);
    }
    page_.Entries->SetState(*it, compare::EntryState::Same);
  }
  RemoveFilesRows(std::move(removed));
  for (const ModEntry& row : added) w_.Rows->Append(row);
  if (!step.rows.isEmpty()) {
    w_.FitSizeColumn();
    // Another command's change forgets the takes before it; this one's own
    // does not.
    QList<Step> earlier = std::move(steps_);
    w_.CommandsChanged();
    steps_ = std::move(earlier);
    steps_.append(step);
  }
  ShowEntry(page_.CurrentEntry());
  if (!unread.isEmpty())
    ui::MessageBox(QStringLiteral("Cannot read from %1:\n%2").arg(otherPath_, unread.join(QLatin1Char('\n'))),
                   kTitle, ui::mbOk | ui::mbIconExclamation);
}

void CompareWith::Undo() {
  if (steps_.isEmpty()) return;
  const Step step = steps_.takeLast();
  // Rows that stay are put back first, then the added ones go and the taken
  // out ones come back, so the numbers looked up hold.
  const QHash<QString, int> rowOf = RowsByName();
  std::vector<int> added;
  QList<ModEntry> removed;
  for (const RowBefore& before : step.rows) {
    const int row = rowOf.value(names::Key(before.name), -1);
    if (!before.row) {
      if (row >= 0) added.push_back(row);
    } else if (row >= 0) {
      w_.Rows->SetEntry(row, *before.row);
    } else {
      removed.append(*before.row);
    }
  }
  RemoveFilesRows(std::move(added));
  for (const ModEntry& row : removed) w_.Rows->Append(row);
  w_.RemovedNames = step.removedNames;
  w_.Rows->ShowPendingMarks(w_.ChangesPending(), w_.RemovedNames);
  compare::EntryList list;
  list.entries = step.entries;
  page_.Entries->SetEntries(list);
  ShowEntry(-1);
  w_.FitSizeColumn();
}

void CompareWith::TakeRows() {
  if (shownEntry_ < 0 || shownEntry_ >= page_.Entries->rowCount()) return;
  const compare::Entry entry = page_.Entries->At(shownEntry_);
  const std::vector<int> chosen = page_.SelectedCellRows();
  if (chosen.empty() || entry.state != compare::EntryState::Changed || !rowsTakeable_) return;
  const compare::SheetDiff shown = page_.Cells->Diff();
  const int row = FilesRowNamed(entry.here);
  if (row < 0) return;

  // The sheet on the Edit page, filled with this mod's version of the entry.
  w_.ClearFilter();
  w_.SelectRow(row);
  // Entered once, as the Edit tab enters it (the focus move itself may).
  w_.EditSelectedSheet();
  auto& grid = *static_cast<EditPageGrid*>(w_.StringGrid);
  // The user kept edits not saved yet, or the sheet could not be shown.
  if (grid.Modified() || !names::SameName(w_.EditShownName, entry.here)) return;

  ui::ScopedCursor busy(ui::crHourGlass);
  QByteArray here;
  for (int r = 0; r < grid.Grid().RowCount(); ++r) {
    grid.Grid().AppendJoinedRow(r, here);
    here.append("\r\n", 2);
  }
  QByteArray there;
  const std::unique_ptr<compare::Side> other = OtherSide();
  const compare::OpenSide open(*other);
  if (!open.IsOpen() || !other->Read(entry.there, there)) {
    ui::MessageBox(QStringLiteral("Cannot read %1 from %2.").arg(ansi::toDisplay(entry.there), otherPath_),
                   kTitle, ui::mbOk | ui::mbIconError);
    return;
  }
  // Rows are taken by their numbers: the sheet must still be the one compared.
  compare::SheetDiff fresh = compare::DiffSheets(entry.here, here, there, keyColumn_);
  bool same = fresh.rows.size() == shown.rows.size();
  for (int i : chosen) {
    if (!same) break;
    const compare::RowChange& a = fresh.rows[size_t(i)];
    const compare::RowChange& b = shown.rows[size_t(i)];
    same = a.state == b.state && a.rowHere == b.rowHere && a.rowThere == b.rowThere;
  }
  if (!same) {
    ui::MessageBox(
        QStringLiteral("The sheet has changed since it was compared. Compare again to take its rows."),
        kTitle, ui::mbOk | ui::mbIconExclamation);
    return;
  }
  const compare::RowChange& first = fresh.rows[size_t(chosen.front())];
  const SheetCell where{0, first.rowHere >= 0 ? first.rowHere : first.anchorHere + 1};
  grid.Editor().ChangeSheet(
      QStringLiteral("Take Selected Rows"), where,
      [fresh = std::move(fresh), chosen](SheetGrid& cells) { compare::TakeRows(cells, fresh, chosen); });
  grid.ShowCell(where);
}

void CompareWith::Forget() {
  steps_.clear();
  UpdateButtons();
}

void CompareWith::Clear() {
  steps_.clear();
  otherPath_.clear();
  shownEntry_ = -1;
  page_.Entries->SetEntries({});
  page_.Cells->Clear();
  page_.lblCompareSides->clear();
  page_.lblCompareDetail->clear();
  if (w_.PageControl->currentWidget() == &page_) w_.PageControl->setCurrentWidget(w_.tbsFiles);
  w_.PageControl->setTabVisible(w_.PageControl->indexOf(&page_), false);
  UpdateButtons();
}

void CompareWith::UpdateButtons() {
  page_.btnCompareUndo->setEnabled(!steps_.isEmpty());
  page_.btnTakeRows->setEnabled(rowsTakeable_ && !page_.SelectedCellRows().empty());
}
