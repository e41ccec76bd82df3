#include "forms/edit/strings/StringTablePage.h"

#include <QAbstractItemDelegate>
#include <QClipboard>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QPlainTextEdit>
#include <QSplitter>
#include <QTableView>
#include <QTextCursor>
#include <QTextEdit>
#include <QVBoxLayout>
#include <algorithm>

#include "archive/strings/ColourCodes.h"
#include "archive/strings/StringFinder.h"
#include "archive/strings/StringText.h"
#include "forms/edit/strings/StringCellDelegate.h"

StringTablePage::StringTablePage(QWidget* parent) : QWidget(parent), editor_(model_) {
  setObjectName(QStringLiteral("pnlStrings"));
  setAccessibleName(QStringLiteral("String table editor"));
  model_.SetEditor(&editor_);

  auto* splitter = new QSplitter(Qt::Vertical, this);
  splitter->setObjectName(QStringLiteral("splStrings"));
  splitter->setAccessibleName(QStringLiteral("String table and preview"));
  grid_ = new QTableView(splitter);
  grid_->setObjectName(QStringLiteral("grdStrings"));
  grid_->setAccessibleName(QStringLiteral("String table"));
  grid_->setModel(&model_);
  auto* delegate = new StringCellDelegate(grid_);
  grid_->setItemDelegate(delegate);
  // The preview follows the text being typed, before it is taken in.
  connect(delegate, &StringCellDelegate::textTyped, this, [this](const QString& typed) {
    const int index = CurrentIndex();
    if (CurrentCol() != StringTableEditor::kTextCol || index < 0) return;
    ShowPreview(editor_.FromShown(StringTableEditor::kTextCol, index, typed));
  });
  // An editor left with Escape leaves the text as it was.
  connect(delegate, &QAbstractItemDelegate::closeEditor, this, [this] { UpdatePreview(); });
  grid_->setSelectionMode(QAbstractItemView::ContiguousSelection);
  grid_->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                         QAbstractItemView::AnyKeyPressed);
  grid_->verticalHeader()->hide();
  grid_->verticalHeader()->setDefaultSectionSize(18);
  grid_->setWordWrap(false);
  grid_->setColumnWidth(StringTableModel::kNumberCol, 56);
  grid_->setColumnWidth(StringTableModel::ModelCol(StringTableEditor::kKeyCol), 200);
  grid_->horizontalHeader()->setStretchLastSection(true);

  preview_ = new QTextEdit(splitter);
  preview_->setObjectName(QStringLiteral("txtStringPreview"));
  preview_->setAccessibleName(QStringLiteral("Preview"));
  preview_->setReadOnly(true);
  // The game draws its texts on black.
  QPalette palette = preview_->palette();
  palette.setColor(QPalette::Base, Qt::black);
  palette.setColor(QPalette::Text, Qt::white);
  preview_->setPalette(palette);
  splitter->setStretchFactor(0, 4);
  splitter->setStretchFactor(1, 1);

  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(splitter);

  grid_->installEventFilter(this);
  connect(grid_->selectionModel(), &QItemSelectionModel::currentChanged, this, [this] { UpdatePreview(); });
  connect(&model_, &QAbstractItemModel::dataChanged, this, [this] { UpdatePreview(); });
  connect(&model_, &QAbstractItemModel::modelReset, this, [this] { UpdatePreview(); });
  ClearTable();
}

void StringTablePage::ShowTable(const QByteArray& bytes, const stringtable::TableViews& table) {
  editor_.Load(bytes, table);
  active_ = true;
  grid_->setEnabled(true);
  if (editor_.Count() > 0)
    grid_->setCurrentIndex(model_.index(0, StringTableModel::ModelCol(StringTableEditor::kKeyCol)));
  UpdatePreview();
  emit activeChanged();
}

void StringTablePage::ClearTable() {
  editor_.Load(stringtable::TableViews{});
  active_ = false;
  grid_->setEnabled(false);
  UpdatePreview();
  emit activeChanged();
}

// ---- Selection ---------------------------------------------------------------

int StringTablePage::CurrentIndex() const {
  const QModelIndex current = grid_->currentIndex();
  return current.isValid() ? current.row() : -1;
}

int StringTablePage::CurrentCol() const {
  const QModelIndex current = grid_->currentIndex();
  return current.isValid() ? StringTableModel::EditorCol(current.column()) : -1;
}

StringTablePage::Block StringTablePage::Selected() const {
  Block block{StringTableEditor::kTextCol + 1, editor_.Count(), -1, -1};
  for (const QItemSelectionRange& range : grid_->selectionModel()->selection()) {
    block.firstCol = std::min(block.firstCol, StringTableModel::EditorCol(range.left()));
    block.lastCol = std::max(block.lastCol, StringTableModel::EditorCol(range.right()));
    block.first = std::min(block.first, range.top());
    block.last = std::max(block.last, range.bottom());
  }
  if (block.last < 0 && CurrentIndex() >= 0) {
    block.first = block.last = CurrentIndex();
    block.firstCol = block.lastCol = CurrentCol();
  }
  // "#" is no column of the table: a block from it starts at the key.
  block.firstCol = std::max(block.firstCol, StringTableEditor::kKeyCol);
  block.lastCol = std::max(block.lastCol, block.firstCol);
  return block;
}

std::vector<int> StringTablePage::SelectedIndexes() const {
  std::vector<int> indexes;
  for (const QItemSelectionRange& range : grid_->selectionModel()->selection())
    for (int r = range.top(); r <= range.bottom(); ++r) indexes.push_back(r);
  if (indexes.empty() && CurrentIndex() >= 0) indexes.push_back(CurrentIndex());
  std::sort(indexes.begin(), indexes.end());
  indexes.erase(std::unique(indexes.begin(), indexes.end()), indexes.end());
  return indexes;
}

void StringTablePage::ShowString(int col, int index) {
  if (index < 0 || editor_.Count() == 0) return;
  const QModelIndex at =
      model_.index(std::min(index, editor_.Count() - 1),
                   StringTableModel::ModelCol(std::clamp(col, 0, StringTableEditor::kTextCol)));
  grid_->selectionModel()->setCurrentIndex(at, QItemSelectionModel::ClearAndSelect);
  grid_->scrollTo(at);
}

// ---- Preview -----------------------------------------------------------------

void StringTablePage::UpdatePreview() {
  const int index = CurrentIndex();
  if (!active_ || index < 0 || index >= editor_.Count()) return preview_->clear();
  ShowPreview(editor_.Text(index));
}

void StringTablePage::ShowPreview(QByteArrayView text) {
  preview_->clear();
  QTextCursor cursor(preview_->document());
  for (const ColourSpan& span : colourcodes::Spans(text)) {
    QTextCharFormat format;
    format.setForeground(colourcodes::Paint(span.colour));
    cursor.insertText(stringtext::ToDisplay(span.text), format);
  }
}

bool StringTablePage::eventFilter(QObject* watched, QEvent* event) {
  if (watched != grid_ || event->type() != QEvent::KeyPress) return QWidget::eventFilter(watched, event);
  auto* key = static_cast<QKeyEvent*>(event);
  const QModelIndex current = grid_->currentIndex();
  const bool typed = !key->text().isEmpty() && key->text().at(0).isPrint() &&
                     !(key->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier));
  if (!typed || !current.isValid() || !(current.flags() & Qt::ItemIsEditable) || grid_->indexWidget(current))
    return false;
  grid_->edit(current);
  auto* editor = qobject_cast<QPlainTextEdit*>(grid_->indexWidget(current));
  if (!editor) return false;
  editor->selectAll();
  QCoreApplication::sendEvent(editor, key);
  return true;
}

// ---- Commands ----------------------------------------------------------------

void StringTablePage::Undo() {
  const StringCell at = editor_.Undo();
  ShowString(at.col, at.index);
}

void StringTablePage::CommitEdit() {
  if (!active_) return;
  // A toolbar button or a shortcut leaves the editor open and its text
  // waiting for Enter or a focus change.
  if (QWidget* editor = grid_->indexWidget(grid_->currentIndex()))
    emit grid_->itemDelegate()->commitData(editor);
}

void StringTablePage::CloseEditor() {
  CommitEdit();
  if (QWidget* editor = grid_->indexWidget(grid_->currentIndex()))
    emit grid_->itemDelegate()->closeEditor(editor, QAbstractItemDelegate::NoHint);
}

void StringTablePage::Redo() {
  const StringCell at = editor_.Redo();
  ShowString(at.col, at.index);
}

void StringTablePage::InsertRow() {
  if (!active_) return;
  const int current = CurrentIndex();
  const int at = editor_.InsertString(current >= 0 ? current : editor_.Count());
  if (at >= 0) ShowString(StringTableEditor::kKeyCol, at);
}

void StringTablePage::DuplicateRows() {
  if (!active_) return;
  const int current = CurrentIndex();
  if (editor_.DuplicateStrings(SelectedIndexes())) ShowString(std::max(CurrentCol(), 0), current + 1);
}

void StringTablePage::DeleteRows() {
  if (!active_) return;
  const int current = CurrentIndex();
  const int col = std::max(CurrentCol(), 0);
  if (editor_.DeleteStrings(SelectedIndexes())) ShowString(col, std::min(current, editor_.Count() - 1));
}

void StringTablePage::Copy() {
  const Block block = Selected();
  if (!active_ || block.last < block.first) return;
  QGuiApplication::clipboard()->setText(editor_.Copy(block.firstCol, block.first, block.lastCol, block.last));
}

void StringTablePage::Cut() {
  Copy();
  ClearCells();
}

void StringTablePage::ClearCells() {
  const Block block = Selected();
  if (!active_ || block.last < block.first) return;
  editor_.Clear(block.firstCol, block.first, block.lastCol, block.last);
}

void StringTablePage::Paste() {
  if (!active_) return;
  const Block block = Selected();
  const int index = block.last < block.first ? editor_.Count() : block.first;
  const SheetEditor::PasteResult pasted =
      editor_.Paste(block.firstCol, index, QGuiApplication::clipboard()->text());
  if (pasted.rows > 0) ShowString(block.firstCol, index);
}

QString StringTablePage::Find(const QString& text, FindOptions options, bool forward) {
  if (!active_) return {};
  const StringFinder finder(text, options);
  const int col = CurrentCol() < 0 ? -1 : CurrentCol();
  const int index = CurrentIndex();
  const StringFinder::Hit hit =
      forward ? finder.Next(editor_, col, index) : finder.Previous(editor_, col, index);
  if (!hit.Found()) return QStringLiteral("Cannot find \"%1\".").arg(text);
  ShowString(hit.col, hit.index);
  if (!hit.wrapped) return {};
  return forward ? QStringLiteral("Passed the end of the table, went on from the top.")
                 : QStringLiteral("Passed the top of the table, went on from the end.");
}

QString StringTablePage::Replace(const QString& text, const QString& with, FindOptions options) {
  if (!active_) return {};
  editor_.ReplaceInCell(CurrentCol(), CurrentIndex(), StringFinder(text, options), with);
  return Find(text, options, true);
}

QString StringTablePage::ReplaceAll(const QString& text, const QString& with, FindOptions options) {
  if (!active_) return {};
  const int changed = editor_.ReplaceAll(StringFinder(text, options), with);
  return changed == 1 ? QStringLiteral("Replace All changed 1 cell.")
                      : QStringLiteral("Replace All changed %1 cells.").arg(changed);
}
