#include "archive/ExportBatch.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QThread>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <exception>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

#include "archive/ArchiveHold.h"
#include "archive/ArchiveReader.h"
#include "platform/FolderSyncs.h"
#include "platform/ReplacingFile.h"

namespace {

// How often the waiting thread tells progress.
constexpr auto kProgressEvery = std::chrono::milliseconds(50);
// How far the decoding may run ahead of the writing.
constexpr qint64 kAheadBytes = 64 << 20;
constexpr qsizetype kAheadJobs = 256;

// Workers decode the entries on every core; the calling thread writes the
// files, one after the other, in the jobs' order. Files made side by side in
// one folder would only wait for each other in the file system.
class Batch {
 public:
  Batch(const QString& archivePath, const QString& folder, const QList<ExportJob>& jobs)
      : archivePath_(archivePath), folder_(folder), jobs_(jobs), decoded_(size_t(jobs.size())) {}

  QList<ExportResult> Run(const ExportBatchProgress& progress) {
    const qsizetype total = jobs_.size();
    const int workers = int(std::clamp<qsizetype>(QThread::idealThreadCount(), 1, total));
    std::vector<std::thread> threads;
    threads.reserve(size_t(workers));
    // Leaving early (a thread that cannot start, a progress or a write that
    // throws) stops the workers and waits for them before the jobs they read
    // go away.
    struct Joiner {
      Batch& batch;
      std::vector<std::thread>& threads;
      ~Joiner() {
        {
          std::lock_guard lock(batch.mutex_);
          batch.stopping_ = true;
        }
        batch.wake_.notify_all();
        for (std::thread& t : threads)
          if (t.joinable()) t.join();
      }
    } joiner{*this, threads};
    for (int i = 0; i < workers; ++i) threads.emplace_back([this] { Decode(); });
    QList<ExportResult> results;
    results.reserve(total);
    auto told = std::chrono::steady_clock::now();
    for (qsizetype i = 0; i < total; ++i) {
      std::optional<QByteArray> bytes;
      {
        std::unique_lock lock(mutex_);
        while (!decoded_[size_t(i)].done) {
          wake_.wait_for(lock, kProgressEvery);
          if (progress && std::chrono::steady_clock::now() - told >= kProgressEvery) {
            lock.unlock();
            progress(i, total);
            told = std::chrono::steady_clock::now();
            lock.lock();
          }
        }
        bytes = std::move(decoded_[size_t(i)].bytes);
        ahead_ -= bytes ? bytes->size() : 0;
        ++written_;
      }
      wake_.notify_all();
      results.append(Write(jobs_.at(i), bytes));
      if (progress && std::chrono::steady_clock::now() - told >= kProgressEvery) {
        progress(i + 1, total);
        told = std::chrono::steady_clock::now();
      }
    }
    for (std::thread& t : threads) t.join();
    if (progress) progress(total, total);
    return results;
  }

  // Brings every written file and folder to disk; false when a sync failed.
  bool SyncAll() { return syncs_.SyncAll(); }

 private:
  struct Decoded {
    bool done = false;
    std::optional<QByteArray> bytes;  // none when the content cannot be read
  };

  void Decode() {
    // One archive for this thread's whole share, not one per entry.
    const ArchiveHold hold(archivePath_);
    for (;;) {
      const qsizetype i = next_.fetch_add(1);
      if (i >= jobs_.size()) return;
      {
        std::unique_lock lock(mutex_);
        wake_.wait(lock, [&] {
          return stopping_ || (i - written_ < kAheadJobs && (ahead_ < kAheadBytes || i == written_));
        });
        if (stopping_) return;
      }
      const ExportJob& job = jobs_.at(i);
      std::optional<QByteArray> bytes = QByteArray();
      // A content too big for memory is one unreadable entry; thrown out of
      // this thread it would end the program.
      try {
        if (!job.sourcePath.isEmpty()) {
          QFile source(job.sourcePath);
          if (source.open(QIODevice::ReadOnly)) *bytes = source.readAll();
          if (source.error() != QFileDevice::NoError || !source.isOpen()) bytes.reset();
        } else if (!ReadEntryBytes(archivePath_, job.name, *bytes)) {
          bytes.reset();
        }
      } catch (const std::exception&) {
        bytes.reset();
      }
      {
        std::lock_guard lock(mutex_);
        ahead_ += bytes ? bytes->size() : 0;
        decoded_[size_t(i)] = Decoded{true, std::move(bytes)};
      }
      wake_.notify_all();
    }
  }

  ExportResult Write(const ExportJob& job, const std::optional<QByteArray>& bytes) {
    // Each folder level below the batch's folder is opened relative to the
    // one above it, never through a link; the folders' names reach the disk
    // together at the end of the batch.
    const QStringList levels = QDir(folder_).relativeFilePath(job.target).split(QLatin1Char('/'));
    files::ReplacingFile out(folder_, levels);
    if (!out.Open(true)) return ExportResult::NotCreated;
    if (!bytes) return ExportResult::NotWritten;
    const bool whole = bytes->isEmpty() || out.Device().write(*bytes) == bytes->size();
    return whole && out.Commit(&syncs_) ? ExportResult::Written : ExportResult::NotWritten;
  }
  const QString& archivePath_;
  files::FolderSyncs syncs_;
  const QString& folder_;
  const QList<ExportJob>& jobs_;
  std::vector<Decoded> decoded_;
  std::atomic<qsizetype> next_{0};
  std::mutex mutex_;
  std::condition_variable wake_;
  qsizetype written_ = 0;  // jobs the writer has taken
  qint64 ahead_ = 0;       // bytes decoded and not yet taken
  bool stopping_ = false;  // the writer has left: no more decoding
};

}  // namespace

QList<ExportResult> ExportEntries(const QString& archivePath, const QString& folder,
                                  const QList<ExportJob>& jobs, const ExportBatchProgress& progress,
                                  bool* synced) {
  if (synced) *synced = true;
  if (jobs.isEmpty()) return {};
  Batch batch(archivePath, folder, jobs);
  QList<ExportResult> results = batch.Run(progress);
  const bool done = batch.SyncAll();
  if (synced) *synced = done;
  return results;
}
