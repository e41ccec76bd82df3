#pragma once
// Compare With: the open mod as its next Update would leave it, compared with
// another mod, a folder tree or the game on the Compare page; the other side's version
// of chosen entries taken over as pending changes (undone from the page until
// Update writes them), and chosen rows of a changed sheet taken into the
// Edit page's sheet as one step of its history.
#include <QHash>
#include <QList>
#include <QObject>
#include <QString>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "archive/compare/CompareSide.h"
#include "archive/compare/EntryComparison.h"
#include "archive/compare/KeyColumn.h"
#include "forms/main/ModEntry.h"

class ComparePage;
class TfrmMain;

class CompareWith : public QObject {
  Q_OBJECT
 public:
  using Runner = std::function<void(const char* name, const std::function<void()>& command)>;
  enum class OtherKind { Mod, Folder, Game };

  CompareWith(TfrmMain& window, ComparePage& page, Runner run);

  // The menu command: asks what to compare with, then compares.
  void Start();
  // The comparison itself, once the other side is chosen; prefix is the
  // internal folder a folder tree's names begin with.
  void CompareAgainst(const QString& path, OtherKind kind, const QByteArray& prefix = {});

  // ---- The page's commands
  void TakeTheirs();
  void Undo();
  void TakeRows();
  void ShowEntry(int row);

  // Update wrote the taken entries, or another mod was opened: nothing taken
  // can be undone from the page any more.
  void Forget();
  // Another mod was opened or made: the comparison was of the one before.
  void Clear();
  bool CanUndo() const { return !steps_.isEmpty(); }

 private:
  // A row of the Files list as it was before a step; no row: the step added it.
  struct RowBefore {
    QByteArray name;
    std::optional<ModEntry> row;
  };
  struct Step {
    QList<RowBefore> rows;
    QList<QByteArray> removedNames;
    QList<compare::Entry> entries;
  };

  std::unique_ptr<compare::Side> OtherSide() const;
  std::unique_ptr<compare::Side> ThisSide() const;
  int FilesRowNamed(const QByteArray& name) const;
  // The first row of each name, by its case-blind key.
  QHash<QString, int> RowsByName() const;
  void RemoveFilesRows(std::vector<int> rows);
  // Both versions of an entry; false (with a message shown) when either
  // cannot be read.
  bool ReadBoth(const compare::Entry& entry, QByteArray& here, QByteArray& there);
  void ShowSides();
  void UpdateButtons();

  TfrmMain& w_;
  ComparePage& page_;
  Runner run_;
  QString otherPath_;
  OtherKind otherKind_ = OtherKind::Mod;
  QByteArray otherPrefix_;
  compare::KeyColumnProvider keyColumn_;
  // Whether the shown entry is a sheet whose rows Take Selected Rows can take.
  bool rowsTakeable_ = false;
  int shownEntry_ = -1;
  QList<Step> steps_;
};
