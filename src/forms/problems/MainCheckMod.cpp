// Check Mod: every sheet of the mod as it stands in the workspace, checked
// against the others and the game's own, the findings listed in the Problems
// dock; a chosen finding opens its cell on the Edit page.
#include <QApplication>
#include <QBuffer>
#include <QDir>
#include <QFileInfo>
#include <QTabWidget>

#include "archive/ArchiveReader.h"
#include "archive/EntryKind.h"
#include "archive/check/AcceptLines.h"
#include "archive/check/BaseGame.h"
#include "archive/check/DefaultRules.h"
#include "archive/check/FindingText.h"
#include "archive/check/ModChecker.h"
#include "archive/check/RulesReader.h"
#include "forms/edit/EditPageGrid.h"
#include "forms/files/FilteredRows.h"
#include "forms/main/ModListModel.h"
#include "forms/main/untMain.h"
#include "forms/preferences/RulesFileEdit.h"
#include "forms/preferences/untPreferences.h"
#include "forms/problems/ProblemsDock.h"
#include "forms/widgets/StatusProgressBar.h"
#include "platform/Ansi.h"
#include "platform/FileBytes.h"
#include "platform/ReplacingFile.h"
#include "platform/Ui.h"

namespace {

constexpr char kCheckTitle[] = "Check Mod";

EditPageGrid& PageGrid(QTableView* grid) {
  return *static_cast<EditPageGrid*>(grid);
}

// The grid's rows as a sheet file: what Save would write.
QByteArray GridBytes(const SheetGrid& grid) {
  QByteArray out;
  for (int r = 0; r < grid.RowCount(); ++r) {
    grid.AppendJoinedRow(r, out);
    out += "\r\n";
  }
  return out;
}

void Warn(const QString& text) {
  ui::MessageBox(text, QString::fromLatin1(kCheckTitle), ui::mbOk | ui::mbIconExclamation);
}

// The program's rules and the user's file; a file that cannot be read or
// has lines that cannot be understood is reported, and what could be read
// still counts.
check::Rules LoadRules(const QString& path) {
  check::Rules rules = check::DefaultRules();
  if (path.isEmpty()) return rules;
  QByteArray text;
  if (!files::ReadFileBytes(path, text)) {
    Warn(QStringLiteral("Cannot read the rules file %1. The mod is checked by the program's own rules.")
             .arg(path));
    return rules;
  }
  QStringList problems;
  if (!check::ReadRules(text, path, rules, problems))
    Warn(QStringLiteral("These lines of the rules file are left out:\n%1").arg(problems.join('\n')));
  return rules;
}

// The rules file with lines added at its end, in its own line ends, written
// whole or not at all; a file not there yet is made.
bool AppendRules(const QString& path, const QList<QByteArray>& lines) {
  QByteArray text;
  if (QFileInfo::exists(path) && !files::ReadFileBytes(path, text)) return false;
  const QByteArray end = text.contains("\r\n") ? "\r\n" : "\n";
  if (!text.isEmpty() && !text.endsWith('\n') && !text.endsWith('\r')) text += end;
  for (const QByteArray& line : lines) text += line + end;
  // A link keeps pointing at the file it names: the file itself is replaced.
  const QString target = QFileInfo(path).isSymLink() ? QFileInfo(path).canonicalFilePath() : path;
  files::ReplacingFile file(target.isEmpty() ? path : target);
  return file.Open() && file.Device().write(text) == text.size() && file.Commit();
}

}  // namespace

void TfrmMain::BuildProblemsDock() {
  dockProblems = new ProblemsDock(this);
  addDockWidget(Qt::BottomDockWidgetArea, dockProblems);
  dockProblems->hide();
  connect(dockProblems, &ProblemsDock::findingChosen, this, [this](const check::Finding& finding) {
    RunNamed("ShowFinding", [this, finding] { ShowFinding(finding); });
  });
  connect(dockProblems, &ProblemsDock::allowValueAsked, this, [this](const std::vector<check::Finding>& found) {
    RunNamed("AllowFindingValue", [this, found] { AllowFindingValue(found); });
  });
  connect(dockProblems, &ProblemsDock::checkRequested, this, [this] { mniCheckMod->trigger(); });
  // Every change to what Update would write (add, remove, a saved sheet, a
  // take or its undo on the Compare page, Update itself) and another mod
  // open leave the findings out of date.
  connect(Rows, &ModListModel::pendingChanged, dockProblems, &ProblemsDock::MarkOutOfDate);
  connect(Rows, &QAbstractItemModel::modelReset, dockProblems, &ProblemsDock::MarkOutOfDate);
  // So does an edit in the grid, whose unsaved cells the check reads: a
  // typed cell, a paste, a row inserted or deleted, and their undo. Showing
  // another sheet resets the model and changes nothing checked.
  QAbstractItemModel* cells = PageGrid(StringGrid).model();
  connect(cells, &QAbstractItemModel::dataChanged, dockProblems,
          [this](const QModelIndex&, const QModelIndex&, const QList<int>& roles) {
            if (roles.isEmpty() || roles.contains(Qt::EditRole)) dockProblems->MarkOutOfDate();
          });
  connect(cells, &QAbstractItemModel::rowsInserted, dockProblems, &ProblemsDock::MarkOutOfDate);
  connect(cells, &QAbstractItemModel::rowsRemoved, dockProblems, &ProblemsDock::MarkOutOfDate);
}

check::SheetFiles TfrmMain::SheetsToCheck(QList<QByteArray>& unread) {
  check::SheetFiles sheets;
  const EditPageGrid& grid = PageGrid(StringGrid);
  ProgressBar->SetPosition(0);
  ProgressBar->SetMax(Rows->Count());
  for (int r = 0; r < Rows->Count(); ++r) {
    ProgressBar->SetPosition(r + 1);
    const ModEntry entry = Rows->Row(r);
    if (!IsSheetEntry(entry.Caption)) continue;
    QByteArray bytes;
    bool read = true;
    if (grid.Modified() && !EditShownName.isEmpty() && names::SameName(EditShownName, entry.Caption)) {
      // Edits no Save has written yet are checked as the grid shows them.
      bytes = GridBytes(grid.Grid());
    } else if (!entry.SourcePath.isEmpty()) {
      read = files::ReadFileBytes(entry.SourcePath, bytes);
    } else {
      QBuffer buffer(&bytes);
      buffer.open(QIODevice::WriteOnly);
      read = ReadEntryToStream(ModFileName, entry.Caption, buffer);
    }
    if (read)
      sheets.push_back(check::SheetFile{entry.Caption, bytes});
    else
      unread.append(entry.Caption);
  }
  return sheets;
}

void TfrmMain::mniCheckModClick(QObject*) {
  if (ModFileName.isEmpty()) return;
  check::CheckReport report;
  {
    ui::ScopedCursor busy(ui::crHourGlass);
    const check::Rules rules = LoadRules(RulesFile());
    check::BaseGame base;
    if (!GameFolder().isEmpty()) {
      QString why;
      if (!check::ReadBaseGame(GameFolder(), rules.Sheets(), base, why)) {
        Warn(why + QStringLiteral(" The mod is checked without the game's sheets."));
      } else if (!base.problems.isEmpty()) {
        // What was read of a damaged game would pass references the missing
        // sheets would have caught; without any of it, the summary names
        // every sheet the references needed and did not have.
        Warn(QStringLiteral("The game folder cannot be read whole:\n%1\n\nThe mod is checked without the "
                            "game's sheets, so references into them are not checked.")
                 .arg(base.problems.join('\n')));
        base = check::BaseGame();
      }
    }
    QList<QByteArray> unread;
    const check::SheetFiles sheets = SheetsToCheck(unread);
    report = check::CheckSheets(rules, sheets, base.sheets);
    report.sheetsUnread = int(unread.size());
    ProgressBar->SetPosition(0);
    if (!unread.isEmpty()) {
      QStringList names;
      for (const QByteArray& n : unread) names.append(ansi::toDisplay(n));
      Warn(QStringLiteral("These sheets could not be read and were not checked:\n%1").arg(names.join('\n')));
    }
  }
  dockProblems->ShowReport(report);
  dockProblems->show();
  dockProblems->raise();
  ApplicationHint(ansi::toDisplay(check::SummaryLine(report)));
}

void TfrmMain::ShowFinding(const check::Finding& finding) {
  int row = -1;
  for (int r = 0; r < Rows->Count() && row < 0; ++r)
    if (Rows->Row(r).Caption == finding.file) row = r;
  for (int r = 0; r < Rows->Count() && row < 0; ++r)
    if (names::SameName(Rows->Row(r).Caption, finding.file)) row = r;
  if (row < 0) {
    Warn(QStringLiteral("%1 is no longer in the mod.").arg(ansi::toDisplay(finding.file)));
    return;
  }
  // A filtered list shows the row again, so it can be selected.
  if (Shown->ShownRow(row) < 0) ClearFilter();
  EditPageGrid& grid = PageGrid(StringGrid);
  const bool shown =
      grid.isEnabled() && !EditShownName.isEmpty() && names::SameName(EditShownName, finding.file);
  SelectRow(row);
  if (shown) {
    // The grid holds this sheet already, edits and all: no fresh entry.
    lastFocus_ = StringGrid;
    PageControl->setCurrentWidget(tbsEdit);
    StringGrid->setFocus(Qt::OtherFocusReason);
  } else {
    EditSelectedSheet();
    // Declining to discard edits, or a sheet that cannot be read, leaves
    // another sheet in the grid.
    if (!names::SameName(EditShownName, finding.file)) return;
  }
  const SheetGrid& cells = grid.Grid();
  int col = 0;
  for (int c = 0; c < cells.ColCount(); ++c)
    if (cells.CellView(c, 0) == QByteArrayView(finding.column)) {
      col = c;
      break;
    }
  grid.ShowCell(SheetCell{col, finding.line - 1});
}

void TfrmMain::AllowFindingValue(const std::vector<check::Finding>& findings) {
  if (ModFileName.isEmpty() || findings.empty()) return;
  std::vector<const check::Finding*> places;
  for (const check::Finding& f : findings) places.push_back(&f);
  QList<QByteArray> lines;
  QString why;
  if (!check::AcceptLines(places, lines, why)) {
    Warn(why);
    return;
  }
  QStringList shown;
  for (const QByteArray& line : lines) shown.append(ansi::toDisplay(line));
  const QString value = ansi::toDisplay(findings.front().value);
  QString path = RulesFile();
  const bool choose = path.isEmpty();
  if (choose) {
    if (!frmPreferences_) {
      Warn(QStringLiteral("Name a rules file in Preferences to allow \"%1\".").arg(value));
      return;
    }
    // A mod's own rules go with it: beside it, named after it.
    const QFileInfo mod(ModFileName);
    path = mod.dir().filePath(mod.completeBaseName() + QStringLiteral(".rules"));
    const QString question =
        QFileInfo::exists(path)
            ? QStringLiteral("No rules file is set in Preferences. Add these lines to %1 and make it the "
                             "rules file?\n\n%2")
            : QStringLiteral("No rules file is set in Preferences. Create %1 beside the mod with these lines "
                             "and make it the rules file?\n\n%2");
    if (ui::MessageBox(question.arg(path, shown.join('\n')), QString::fromLatin1(kCheckTitle),
                       ui::mbYesNo | ui::mbIconQuestion) != ui::idYes)
      return;
  } else if (ui::MessageBox(QStringLiteral("Allow \"%1\" by adding these lines to the rules file %2?\n\n%3")
                                .arg(value, path, shown.join('\n')),
                            QString::fromLatin1(kCheckTitle), ui::mbYesNo | ui::mbIconQuestion) != ui::idYes) {
    return;
  }
  if (!AppendRules(path, lines)) {
    Warn(QStringLiteral("Cannot write the rules file %1; it is left as it was. Name a rules file you can "
                        "write in Preferences.")
             .arg(path));
    return;
  }
  if (choose) {
    frmPreferences_->edtRulesFile->setText(path);
    frmPreferences_->StorePreferences();
  }
  mniCheckModClick();
}
