#include "archive/ExportBatch.h"

#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QThread>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>
#include <vector>

#include "archive/ArchiveHold.h"
#include "platform/DiskNames.h"

namespace {

// How often the waiting thread tells progress.
constexpr auto kProgressEvery = std::chrono::milliseconds(50);

class Batch {
 public:
  Batch(const QString& archivePath, const QString& folder, const QList<ExportJob>& jobs)
      : archivePath_(archivePath),
        folder_(folder),
        jobs_(jobs),
        results_(size_t(jobs.size()), ExportResult::NotWritten) {}

  QList<ExportResult> Run(const ExportBatchProgress& progress) {
    const qsizetype total = jobs_.size();
    const int workers = int(std::clamp<qsizetype>(QThread::idealThreadCount(), 1, total));
    std::vector<std::thread> threads;
    threads.reserve(size_t(workers));
    for (int i = 0; i < workers; ++i) threads.emplace_back([this] { Work(); });
    {
      std::unique_lock lock(mutex_);
      while (done_ < total) {
        wake_.wait_for(lock, kProgressEvery);
        if (progress) {
          const qsizetype done = done_;
          lock.unlock();
          progress(done, total);
          lock.lock();
        }
      }
    }
    for (std::thread& t : threads) t.join();
    return QList<ExportResult>(results_.begin(), results_.end());
  }

 private:
  void Work() {
    // One archive for this thread's whole share, not one per entry.
    const ArchiveHold hold(archivePath_);
    for (;;) {
      const qsizetype i = next_.fetch_add(1);
      if (i >= jobs_.size()) return;
      const ExportJob& job = jobs_.at(i);
      results_[size_t(i)] = FolderReady(job.target) && !QFileInfo(job.target).isSymLink()
                                ? ExportEntry(archivePath_, job.name, job.sourcePath, job.target)
                                : ExportResult::NotCreated;
      std::lock_guard lock(mutex_);
      ++done_;
      if (done_ == jobs_.size()) wake_.notify_all();
    }
  }

  // The folder a target goes in, made when missing; false when it cannot be
  // made or a link is on the way. Each folder is looked at once per batch.
  bool FolderReady(const QString& target) {
    const QString folder = QFileInfo(target).path();
    {
      std::lock_guard lock(foldersMutex_);
      if (const auto known = folders_.constFind(folder); known != folders_.cend()) return *known;
    }
    const bool ready = !files::LinkOnTheWay(folder_, folder) && QDir().mkpath(folder) &&
                       !files::LinkOnTheWay(folder_, folder);
    std::lock_guard lock(foldersMutex_);
    folders_.insert(folder, ready);
    return ready;
  }

  const QString& archivePath_;
  const QString& folder_;
  const QList<ExportJob>& jobs_;
  std::vector<ExportResult> results_;  // each worker writes its own jobs' places
  std::atomic<qsizetype> next_{0};
  std::mutex mutex_;
  std::condition_variable wake_;
  qsizetype done_ = 0;
  std::mutex foldersMutex_;
  QHash<QString, bool> folders_;
};

}  // namespace

QList<ExportResult> ExportEntries(const QString& archivePath, const QString& folder,
                                  const QList<ExportJob>& jobs, const ExportBatchProgress& progress) {
  if (jobs.isEmpty()) return {};
  return Batch(archivePath, folder, jobs).Run(progress);
}
