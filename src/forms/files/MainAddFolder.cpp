// Add Folder: a folder and everything in it, at any depth, under internal
// names made from a typed internal folder and each file's path below the
// chosen one. One prompt and at most one question for the whole folder.
#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <algorithm>

#include "archive/NameRules.h"
#include "archive/Names.h"
#include "forms/files/NameListMessage.h"
#include "forms/main/MessagePacer.h"
#include "forms/main/untMain.h"
#include "forms/widgets/StatusCancelButton.h"
#include "forms/widgets/StatusProgressBar.h"
#include "platform/Ansi.h"
#include "platform/FolderWalk.h"
#include "platform/Ui.h"
#include "platform/WorkFiles.h"

namespace {

// A file that may become a row: its internal name and that name's key.
struct Candidate {
  QByteArray name;
  QString key;
  const files::FoundFile* file;
};

// The internal folder for the files, typed over a proposal; false on Cancel.
bool AskInternalFolder(const QString& folder, const QByteArray& lastDir, QByteArray& prefix) {
  const QString folderName = QFileInfo(QDir::cleanPath(folder)).fileName();
  prefix = lastDir;
  if (!folderName.isEmpty()) prefix += ansi::fromDisplay(folderName) + '\\';
  if (!ui::InputQuery(QStringLiteral("Internal Folder"),
                      QStringLiteral("Enter the internal directory for the files:"), prefix))
    return false;
  if (!prefix.isEmpty() && !prefix.endsWith('\\')) prefix += '\\';
  return true;
}

QString ShownName(const QByteArray& prefix, QString relative) {
  return ansi::toDisplay(prefix) + relative.replace(QLatin1Char('/'), QLatin1Char('\\'));
}

// The path a row reads the file from. A file whose disk name the program's
// file classes cannot spell (raw bytes that are no UTF-8) is copied now into
// a work file they can; empty when that fails.
QString SourcePathOf(const files::FoundFile& file) {
  if (!file.path.isEmpty()) return file.path;
  QByteArray bytes;
  if (!files::ReadFoundFile(file, bytes)) return {};
  return files::WriteWorkFile(ansi::toDisplay(file.name.mid(file.name.lastIndexOf('\\') + 1)), bytes);
}

}  // namespace

void TfrmMain::mniAddFolderClick(QObject* Sender) {
  Q_UNUSED(Sender);
  if (CommandRunning() || ModFileName.isEmpty()) return;
  QString folder;
  if (!ui::BrowseFolder(QStringLiteral("Add Folder"), InputFolder(), folder)) return;
  AddFolder(folder);
}

void TfrmMain::AddFolder(const QString& folder) {
  if (CommandRunning() || ModFileName.isEmpty()) return;
  QByteArray prefix;
  if (!AskInternalFolder(folder, LastInternalDir, prefix)) return;
  LastInternalDir = prefix;

  RunningScope running(*this);
  files::FolderContents found;
  {
    ui::ScopedCursor busy(ui::crHourGlass);
    MessagePacer pacer;
    // A long walk (a whole drive chosen by mistake) can be stopped with the
    // Cancel beside the progress bar or Esc; then nothing is added.
    btnCancelProgress->Begin();
    found = files::WalkFolder(folder, [&](int done, int known) {
      ProgressBar->SetMax(known);
      ProgressBar->SetPosition(done);
      pacer.Pump();
      return !btnCancelProgress->Requested();
    });
    btnCancelProgress->End();
  }
  ProgressBar->SetPosition(0);
  if (found.stopped) return;

  QStringList leftOut;
  for (const files::LeftOut& left : std::as_const(found.leftOut)) leftOut << ShownName(prefix, left.relative);
  QList<Candidate> candidates;
  candidates.reserve(found.files.size());
  for (const files::FoundFile& file : std::as_const(found.files)) {
    const QByteArray name = prefix + file.name;
    if (!file.name.isEmpty() && names::Storable(name))
      candidates.append(Candidate{name, names::Key(name), &file});
    else
      leftOut << ShownName(prefix, file.relative);
  }
  // The rows go in sorted by name, letter case ignored, as a sort by the Name
  // column orders them.
  std::sort(candidates.begin(), candidates.end(), [](const Candidate& a, const Candidate& b) {
    return a.key != b.key ? a.key < b.key : a.name < b.name;
  });

  // Each name is looked up once among the rows; two files of the walk that
  // differ only in letter case would be one entry, so the second is left out.
  // From the last row up, so that the first row of a name wins, as in Add.
  const auto rowsByKey = [this] {
    QHash<QString, int> rowOf;
    rowOf.reserve(Rows->Count());
    for (int row = Rows->Count() - 1; row >= 0; --row) rowOf.insert(names::Key(Rows->Row(row).Caption), row);
    return rowOf;
  };
  QHash<QString, int> rowOf = rowsByKey();
  QList<ModEntry> fresh;
  QList<const Candidate*> replacing;
  const QString* previousKey = nullptr;
  for (const Candidate& c : std::as_const(candidates)) {
    if (previousKey && *previousKey == c.key) {
      leftOut << ShownName(prefix, c.file->relative);
      continue;
    }
    previousKey = &c.key;
    if (rowOf.contains(c.key)) {
      replacing.append(&c);
      continue;
    }
    const QString source = SourcePathOf(*c.file);
    if (source.isEmpty())
      leftOut << ShownName(prefix, c.file->relative);
    else
      fresh.append(ModEntry{c.name, SizeText(c.file->size), source});
  }

  QList<QByteArray> placed;
  if (!replacing.isEmpty()) {
    const int answer = ui::MessageBox(
        QStringLiteral("%1 of these files are already in the mod. Replace them?").arg(replacing.size()),
        QStringLiteral("Replace Files"), ui::mbYesNoCancel | ui::mbIconQuestion);
    if (answer != ui::idYes && answer != ui::idNo) return;
    if (answer == ui::idYes) {
      // Looked up again: a sort while the question was up moves rows. Caption
      // and size text stay, as Add's replacement leaves them.
      rowOf = rowsByKey();
      for (const Candidate* c : std::as_const(replacing)) {
        const QString source = SourcePathOf(*c->file);
        if (source.isEmpty()) {
          leftOut << ShownName(prefix, c->file->relative);
          continue;
        }
        Rows->SetSourcePath(rowOf.value(c->key), source);
        placed << c->name;
      }
    }
  }
  for (const ModEntry& e : std::as_const(fresh)) placed << e.Caption;
  Rows->AppendMany(std::move(fresh));

  // A name removed earlier is back with a file to write: Update must not
  // delete what it has just written.
  names::NameSet removed;
  for (const QByteArray& name : std::as_const(placed))
    if (removed.Contains(RemovedNames, name)) names::RemoveAll(RemovedNames, name);
  if (!placed.isEmpty()) {
    FitSizeColumn();
    CommandsChanged();
  }
  leftOut.sort(Qt::CaseInsensitive);
  ShowNameList(QStringLiteral("These files were not added:"), leftOut, QStringLiteral("Add Folder"));
}
