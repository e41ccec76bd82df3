#pragma once
// The Compare page: the counts on top, a filter field and a switch per state
// above the entry list, Take Theirs and Undo for the selected entries, a
// button back to the Files page, and the cell view of the selected entry
// with Take Selected Rows. The page only shows; the commands are
// CompareWith's.
#include <QWidget>

class CompareCellModel;
class CompareEntryFilter;
class CompareEntryModel;
class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTreeView;

class ComparePage : public QWidget {
  Q_OBJECT
 public:
  explicit ComparePage(QWidget* parent = nullptr);

  CompareEntryModel* Entries;
  CompareEntryFilter* Filter;
  CompareCellModel* Cells;

  QLabel* lblCompareSides;   // what is compared with what
  QLabel* lblCompareCounts;  // "3 changed, 1 only here, ..."
  QLineEdit* edtCompareFilter;
  QCheckBox *chkCompareChanged, *chkCompareOnlyHere, *chkCompareOnlyThere, *chkCompareSame;
  QPushButton *btnTakeTheirs, *btnCompareUndo, *btnCompareFiles;
  QTreeView* lvCompare;
  QLabel* lblCompareDetail;  // the selected entry's differences in one line
  QTreeView* lvCompareCells;
  QPushButton* btnTakeRows;

  // The entry rows selected in the list, as rows of Entries.
  QList<int> SelectedEntries() const;
  // The list's current entry, as a row of Entries; -1 for none.
  int CurrentEntry() const;
  // The selected rows of the cell view, as indices of Cells' diff rows.
  std::vector<int> SelectedCellRows() const;

 signals:
  // The entry list's current entry changed (row of Entries, -1 for none).
  void entryChosen(int row);

 private:
  QCheckBox* MakeStateSwitch(const char* name, const QString& caption, int state);
  void ShowCounts();
};
