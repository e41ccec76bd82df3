#include <algorithm>
#include <iterator>
#include <utility>

#include "archive/ArchiveUpdate.h"
#include "archive/ModInfo.h"
#include "archive/UpdateLibrary.h"
#include "forms/main/untMain.h"
#include "forms/widgets/StatusProgressBar.h"
#include "platform/AppError.h"
#include "platform/Files.h"
#include "platform/Ui.h"

namespace {

using UpdateLibrary::ArchiveHandle;

const QByteArray kModInfo = QByteArrayLiteral("(modinfo)");

// The record's temporary file, deleted on every way out.
class RecordFile {
 public:
  explicit RecordFile(QString path) : path_(std::move(path)) {}
  ~RecordFile() { files::DeleteFile(path_); }
  RecordFile(const RecordFile&) = delete;
  RecordFile& operator=(const RecordFile&) = delete;
  const QString& path() const { return path_; }

 private:
  QString path_;
};

// The loaded library and the archive open in it. Leaving early still closes
// the archive and then releases the library.
class UpdateSession {
 public:
  UpdateSession() = default;
  ~UpdateSession() {
    Close();
    UnloadUpdateLibrary();
  }
  UpdateSession(const UpdateSession&) = delete;
  UpdateSession& operator=(const UpdateSession&) = delete;

  bool Open(const QString& path, quint32 openValue) {
    archive_ = UpdateLibrary::MpqOpenArchiveForUpdate(path, openValue, UpdateLibrary::kMaxFiles);
    return archive_ != nullptr;
  }
  ArchiveHandle archive() const { return archive_; }
  // True when every change is in the file on disk.
  bool Close() {
    if (!archive_) return false;
    return UpdateLibrary::MpqCloseUpdatedArchive(std::exchange(archive_, nullptr), 0) != 0;
  }

 private:
  ArchiveHandle archive_ = nullptr;
};

bool SameInfo(const ModInfo& a, const ModInfo& b) {
  return std::equal(std::begin(a.texts), std::end(a.texts), std::begin(b.texts));
}

}  // namespace

void TfrmMain::btnUpdateClick(QObject* Sender) {
  Q_UNUSED(Sender);
  if (CommandRunning()) return;
  // Mod Info edited before any mod was opened or created: there is no archive
  // to write into, and the changes stay pending.
  if (ModFileName.isEmpty())
    throw AppError(QStringLiteral("No mod is open to update; create or open a mod first"));

  RunningScope running(*this);
  ui::ScopedCursor busy(ui::crHourGlass);
  const ModInfo info = ModInfoFromFields();
  bool committed = false;
  // Sources the library could not store (gone or unreadable since they were
  // added): their rows stay pending and the user is told.
  QStringList notAdded;
  {
    const RecordFile record(WriteModInfoFile(info));
    if (!LoadUpdateLibrary())
      throw AppError(
          QStringLiteral("Cannot load the archive-update library ARCHWRIT; the mod was not updated"));
    UpdateSession session;
    const quint32 openValue =
        files::FileExists(ModFileName) ? UpdateLibrary::kOpenExisting : UpdateLibrary::kOpenCreate;
    if (!session.Open(ModFileName, openValue)) {
      const QString format = UnwritableFormat(ModFileName);
      throw AppError(format.isEmpty()
                         ? QStringLiteral("Cannot open file %1 for update").arg(ModFileName)
                         : QStringLiteral("Cannot open file %1 for update: %2").arg(ModFileName, format));
    }

    auto addFlags = [this](const QByteArray& name) {
      return ArchiveNameSet.Contains(ArchiveNames, name) ? UpdateLibrary::kAddReplace
                                                         : UpdateLibrary::kAddNew;
    };
    if (!UpdateLibrary::MpqAddFileToArcive(session.archive(), record.path(), kModInfo, addFlags(kModInfo)))
      notAdded << record.path();

    // The rows and names as they stand now: a column sort while messages are
    // handled must not move rows under the loop.
    const QList<ModEntry> rows = Rows->Rows();
    const QList<QByteArray> removed = RemovedNames;
    ProgressBar->SetPosition(0);
    ProgressBar->SetMax(int(removed.size() + rows.size()));
    for (const ModEntry& row : rows) {
      ProgressBar->StepIt();
      ui::ProcessMessages();
      if (row.SourcePath.isEmpty()) continue;
      if (!UpdateLibrary::MpqAddFileToArcive(session.archive(), row.SourcePath, row.Caption,
                                             addFlags(row.Caption)))
        notAdded << row.SourcePath;
    }
    for (const QByteArray& name : removed) {
      ProgressBar->StepIt();
      ui::ProcessMessages();
      UpdateLibrary::MpqDeleteFile(session.archive(), name);
    }
    committed = session.Close();
  }  // the library is released, then the record file deleted
  ProgressBar->SetPosition(0);
  if (!committed)
    throw AppError(QStringLiteral("Cannot write file %1; the mod was not updated").arg(ModFileName));

  SetCaption(CaptionWithSize(ModFileName));
  if (!notAdded.isEmpty())
    throw AppError(QStringLiteral("Cannot add %1 to the mod; the other changes were written")
                       .arg(notAdded.join(QStringLiteral(", "))));
  // A Mod Info field edited while the loop let messages through is not in
  // the record just written: it stays a pending change.
  if (SameInfo(ModInfoFromFields(), info)) CommandsUpdated();
}
