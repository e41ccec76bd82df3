#include "platform/ReplacingFile.h"

#include <io.h>
#include <windows.h>

#include <QRandomGenerator>
#include <QThread>

#include "platform/FolderLevel.h"
#include "platform/FolderSyncs.h"
#include "platform/WinFiles.h"

namespace files {

namespace {

// How often, and how long apart, a rename that another program's open handle
// refuses is tried again: a scanner looking at a fresh file lets go within a
// moment; a program holding the file longer gets a clear failure.
constexpr int kHeldTries = 20;
constexpr unsigned long kHeldPauseMs = 50;

std::wstring PathIn(int dirFd, const QString& name) {
  const std::wstring folder = win::PathOf(dirFd);
  return folder.empty() ? std::wstring() : win::Join(folder, name);
}

// A name for a file being written. The leading dot keeps a file left by a
// crash out of Add Folder's walks.
QString TempName() {
  return QStringLiteral(".quillforge-%1.part")
      .arg(QRandomGenerator::global()->generate64() & 0xFFFFFFFFFFFFull, 12, 16, QLatin1Char('0'));
}

// A new file under a fresh temporary name in dirFd; -1 (name then empty)
// when the folder refuses one or every name tried was taken.
int CreateTempAt(int dirFd, QString& name) {
  for (int attempt = 0; attempt < 16; ++attempt) {
    name = TempName();
    const std::wstring path = PathIn(dirFd, name);
    if (path.empty()) break;
    const HANDLE handle = CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_NEW,
                                      FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle != INVALID_HANDLE_VALUE) return win::Adopt(handle);
    if (GetLastError() != ERROR_FILE_EXISTS) break;  // not a clash of names: the folder refuses
  }
  name.clear();
  return -1;
}

// Moves the written file from over to (replacing a file there) and makes
// the move durable; tried again for a moment while another program holds to.
// With ownName, a file that to names only by its short name is another's
// and is not replaced.
bool MoveOver(const std::wstring& from, const std::wstring& to, bool ownName = false) {
  if (ownName) {
    if (MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_WRITE_THROUGH)) return true;
    const DWORD error = GetLastError();
    if ((error == ERROR_ALREADY_EXISTS || error == ERROR_FILE_EXISTS) && win::NamesAnother(to)) return false;
  }
  for (int attempt = 0;; ++attempt) {
    if (MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
      return true;
    if (!win::HeldByAnother() || attempt + 1 >= kHeldTries) return false;
    QThread::msleep(kHeldPauseMs);
  }
}

}  // namespace

ReplacingFile::~ReplacingFile() {
  const bool unfinished = file_ != nullptr;
  if (unfinished) {
    file_.reset();
    const std::wstring temp = PathIn(dirFd_, tempName_);
    if (!temp.empty()) DeleteFileW(temp.c_str());
  }
  // A folder held open cannot be removed: the file's own folder is let go
  // first (and each made folder before the one above it, below).
  if (dirFd_ >= 0) CloseFolder(dirFd_);
  dirFd_ = -1;
  if (unfinished) {
    RemoveMadeFolders();
  } else {
    for (const Made& m : made_) CloseFolder(m.parentFd);
  }
  made_.clear();
}

void ReplacingFile::RemoveMadeFolders() {
  // Innermost first; a folder something else was put into meanwhile stays.
  // Each parent's handle is let go once the folder in it is removed, so that
  // the parent, made too, can go next.
  for (auto m = made_.rbegin(); m != made_.rend(); ++m) {
    RemoveFolderLevel(m->parentFd, m->name);
    CloseFolder(m->parentFd);
  }
  made_.clear();
}

bool ReplacingFile::Open(bool makeFolders) {
  if (levels_.isEmpty()) return false;
  dirFd_ = OpenFolder(makeFolders);
  if (dirFd_ < 0) return false;
  if (belowFolder_ && IsLinkBelow(dirFd_, levels_.last())) return false;
  QString temp;
  const int fd = CreateTempAt(dirFd_, temp);
  if (fd < 0) return false;
  auto file = std::make_unique<TempFile>();
  if (!file->open(fd, QIODevice::WriteOnly, QFileDevice::AutoCloseHandle)) {
    _close(fd);
    DeleteFileW(PathIn(dirFd_, temp).c_str());
    return false;
  }
  tempName_ = temp;
  file_ = std::move(file);
  return true;
}

bool ReplacingFile::Commit(FolderSyncs* syncs) {
  if (!file_) return false;
  bool written = file_->flush() && file_->error() == QFileDevice::NoError;
  // The bytes reach the disk before the name does: after a power loss the
  // target holds the old file or the new one, never an empty one. Windows
  // has no later sync of a whole run, so this holds with syncs too.
  if (written) written = FlushFileBuffers(win::HandleOf(file_->handle())) != 0;
  file_->close();
  if (!written || file_->error() != QFileDevice::NoError) return false;  // the destructor removes it
  if (belowFolder_ && IsLinkBelow(dirFd_, levels_.last())) return false;
  if (!MoveOver(PathIn(dirFd_, tempName_), PathIn(dirFd_, levels_.last()))) return false;
  file_.reset();
  if (syncs) {
    QString path = folder_;
    for (qsizetype i = 0; i + 1 < levels_.size(); ++i) path += QLatin1Char('/') + levels_.at(i);
    syncs->Add(path);
  }
  return true;
}

WriteResult WriteFileAt(int folderFd, const QString& name, const QByteArray& bytes) {
  if (name.isEmpty() || name.contains(QLatin1Char('/')) || name.contains(QLatin1Char('\\')))
    return WriteResult::NotCreated;
  if (IsLinkBelow(folderFd, name)) return WriteResult::NotCreated;
  QString temp;
  const int fd = CreateTempAt(folderFd, temp);
  if (fd < 0) return WriteResult::NotCreated;
  const HANDLE handle = win::HandleOf(fd);
  const qint64 limit = ReplacingFile::WriteLimitForTesting();
  bool whole = !(limit >= 0 && bytes.size() > limit);
  const qint64 size = whole ? bytes.size() : limit;
  for (qint64 done = 0; done < size && whole;) {
    DWORD n = 0;
    if (!WriteFile(handle, bytes.constData() + done, DWORD(qMin<qint64>(size - done, 1 << 30)), &n,
                   nullptr) ||
        n == 0)
      whole = false;
    done += n;
  }
  // Flushed one by one: Windows has no sync of a whole run's files.
  if (whole) whole = FlushFileBuffers(handle) != 0;
  _close(fd);
  const std::wstring tempPath = PathIn(folderFd, temp);
  // Entries are written by their own names: one whose name is another
  // file's short name there would replace that file.
  if (!whole || !MoveOver(tempPath, PathIn(folderFd, name), true)) {
    DeleteFileW(tempPath.c_str());
    return WriteResult::NotWritten;
  }
  return WriteResult::Written;
}

}  // namespace files
