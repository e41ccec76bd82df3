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
#include <thread>
#include <vector>

#include "archive/ArchiveHold.h"
#include "archive/ArchiveReader.h"
#include "platform/FolderHandles.h"
#include "platform/ReplacingFile.h"

namespace {

// How often the waiting thread tells progress.
constexpr auto kProgressEvery = std::chrono::milliseconds(50);
// Jobs a worker takes at a time: few trips to the shared counter, and still
// an even share for every worker at the end.
constexpr qsizetype kJobsPerTake = 8;

// Every folder on the way to levels, levels included, each as its levels
// joined by '/'.
void InsertWay(QSet<QString>& folders, const QStringList& levels) {
  for (qsizetype n = 1; n <= levels.size(); ++n) folders.insert(levels.mid(0, n).join(QLatin1Char('/')));
}

// A job's place: its folder (an index into the batch's folders) and name.
struct Place {
  qsizetype folder = -1;  // -1: the target is not below the batch's folder
  QString name;
};

// Workers on every core each decode an entry and write its file, holding
// the folders open on the way (each worker its own), so a file costs the
// opening of itself alone. The folders are made beforehand, once each.
class Batch {
 public:
  Batch(const QString& archivePath, const QString& folder, const QList<ExportJob>& jobs)
      : archivePath_(archivePath), folder_(folder), jobs_(jobs), results_(size_t(jobs.size())) {
    for (std::atomic<ExportResult>& r : results_) r = ExportResult::NotWritten;  // until a worker says
  }

  void Run(const ExportBatchProgress& progress) {
    const qsizetype total = jobs_.size();
    PlaceJobs();
    // Two jobs for one file are written one after the other, in their
    // order, so that the later one stands at the end as it always did.
    int workers = int(std::clamp<qsizetype>(QThread::idealThreadCount(), 1, total));
    if (sameTarget_) workers = 1;
    workers_ = workers;
    std::vector<std::thread> threads;
    threads.reserve(size_t(workers));
    // Leaving early (a thread that cannot start, a progress that throws)
    // stops the workers and waits for them before the jobs they read go away.
    struct Joiner {
      Batch& batch;
      std::vector<std::thread>& threads;
      ~Joiner() {
        batch.stopping_ = true;
        for (std::thread& t : threads)
          if (t.joinable()) t.join();
      }
    } joiner{*this, threads};
    for (int i = 0; i < workers; ++i) threads.emplace_back([this] { Work(); });
    {
      std::unique_lock lock(mutex_);
      while (!wake_.wait_for(lock, kProgressEvery, [&] { return finished_ == threads.size(); })) {
        if (!progress) continue;
        lock.unlock();
        progress(std::min(done_.load(), total), total);
        lock.lock();
      }
    }
    for (std::thread& t : threads) t.join();
    if (progress) progress(total, total);
  }

  // Each job's result, in the jobs' order.
  QList<ExportResult> Results() const {
    QList<ExportResult> results;
    results.reserve(jobs_.size());
    for (const std::atomic<ExportResult>& r : results_) results.append(r.load());
    return results;
  }

  // Takes away the folders made for files that were not written, and brings
  // every written file and folder to disk; false when a sync failed.
  bool Finish() {
    QSet<QString> kept, written;
    KeptFolders(kept, written);
    // A file refused because a folder made for another job stood at its name
    // gets its turn, in the jobs' order, once that folder is taken away again
    // (the folders on the file's own way stay for it meanwhile).
    const QSet<QString> made(maker_.Made().cbegin(), maker_.Made().cend());
    QSet<QString> keptForRefused = kept;
    QList<qsizetype> refused;
    for (qsizetype i = 0; i < jobs_.size(); ++i) {
      const Place& place = places_.at(i);
      if (results_[size_t(i)].load() == ExportResult::Written || place.folder < 0) continue;
      const QStringList& levels = folders_.at(place.folder);
      if (!made.contains(QStringList(levels + QStringList{place.name}).join(QLatin1Char('/')))) continue;
      refused << i;
      InsertWay(keptForRefused, levels);
    }
    if (!refused.isEmpty()) {
      maker_.RemoveMadeExcept(keptForRefused);
      for (const qsizetype i : std::as_const(refused)) {
        ExportResult result = ExportResult::NotWritten;
        try {
          result = Write(jobs_.at(i), places_.at(i), maker_);
        } catch (const std::exception&) {
        }
        results_[size_t(i)] = result;
      }
      KeptFolders(kept, written);
    }
    maker_.RemoveMadeExcept(kept);
    // A made folder's name is in the folder above it.
    QSet<QString> synced = written;
    for (const QString& made : maker_.Made()) {
      if (!kept.contains(made)) continue;
      const qsizetype slash = made.lastIndexOf(QLatin1Char('/'));
      synced.insert(slash < 0 ? QString() : made.left(slash));
    }
    return maker_.Sync(synced);
  }

 private:
  // The folders holding a written file (written) and every folder on their
  // way (kept), each as its levels joined by '/'.
  void KeptFolders(QSet<QString>& kept, QSet<QString>& written) const {
    kept.clear();
    written.clear();
    for (qsizetype i = 0; i < jobs_.size(); ++i) {
      if (results_[size_t(i)].load() != ExportResult::Written) continue;
      const QStringList& levels = folders_.at(places_.at(i).folder);
      written.insert(levels.join(QLatin1Char('/')));
      InsertWay(kept, levels);
    }
  }

  // Each job's folder and name, and every folder made, once, before any
  // file is written.
  void PlaceJobs() {
    const QDir root(folder_);
    QHash<QString, qsizetype> folderIndex;
    QSet<QString> targets;
    places_.reserve(jobs_.size());
    for (const ExportJob& job : jobs_) {
      QStringList levels = root.relativeFilePath(job.target).split(QLatin1Char('/'));
      Place place;
      place.name = levels.takeLast();
      if (!levels.contains(QStringLiteral("..")) && !levels.contains(QStringLiteral("."))) {
        const QString key = levels.join(QLatin1Char('/'));
        auto found = folderIndex.constFind(key);
        if (found == folderIndex.cend()) {
          found = folderIndex.insert(key, folders_.size());
          folders_.append(levels);
        }
        place.folder = found.value();
      }
      if (!sameTarget_) {
        const qsizetype before = targets.size();
        targets.insert(job.target);
        sameTarget_ = targets.size() == before;
      }
      places_.append(place);
    }
    folderMade_.assign(size_t(folders_.size()), false);
    for (qsizetype f = 0; f < folders_.size(); ++f)
      folderMade_[size_t(f)] = maker_.Open(folders_.at(f), true) >= 0;
    // The workers' folders share the cap; these are opened again at the end.
    maker_.Release();
  }

  void Work() {
    // One archive for this thread's whole share, not one per entry; the
    // folders likewise.
    const ArchiveHold hold(archivePath_);
    files::FolderHandles folders(folder_, files::FolderHandles::kCapacity / workers_);
    for (;;) {
      const qsizetype first = next_.fetch_add(kJobsPerTake);
      if (first >= jobs_.size() || stopping_) break;
      const qsizetype end = std::min(first + kJobsPerTake, jobs_.size());
      for (qsizetype i = first; i < end; ++i) {
        ExportResult result = ExportResult::NotWritten;
        // A content too big for memory, or any other failure on the way,
        // fails its own file; thrown out of this thread it would end the
        // program.
        try {
          result = Write(jobs_.at(i), places_.at(i), folders);
        } catch (const std::exception&) {
        }
        results_[size_t(i)] = result;
      }
      done_ += end - first;
    }
    {
      std::lock_guard lock(mutex_);
      ++finished_;
    }
    wake_.notify_all();
  }

  ExportResult Write(const ExportJob& job, const Place& place, files::FolderHandles& folders) {
    if (place.folder < 0 || !folderMade_[size_t(place.folder)]) return ExportResult::NotCreated;
    QByteArray bytes;
    if (!job.sourcePath.isEmpty()) {
      QFile source(job.sourcePath);
      if (!source.open(QIODevice::ReadOnly)) return ExportResult::NotWritten;
      bytes = source.readAll();
      if (source.error() != QFileDevice::NoError) return ExportResult::NotWritten;
    } else if (!ReadEntryBytes(archivePath_, job.name, bytes)) {
      return ExportResult::NotWritten;
    }
    // Opened relative to the folder above, never through a link.
    const int fd = folders.Open(folders_.at(place.folder), false);
    if (fd < 0) return ExportResult::NotCreated;
    switch (files::WriteFileAt(fd, place.name, bytes)) {
      case files::WriteResult::Written:
        return ExportResult::Written;
      case files::WriteResult::NotCreated:
        return ExportResult::NotCreated;
      case files::WriteResult::NotWritten:
        break;
    }
    return ExportResult::NotWritten;
  }

  const QString& archivePath_;
  const QString& folder_;
  const QList<ExportJob>& jobs_;
  QList<Place> places_;
  QList<QStringList> folders_;  // the jobs' folders, as levels below folder_
  std::vector<bool> folderMade_;
  bool sameTarget_ = false;
  int workers_ = 1;
  files::FolderHandles maker_{folder_};
  std::vector<std::atomic<ExportResult>> results_;
  std::atomic<qsizetype> next_{0};
  std::atomic<qsizetype> done_{0};
  std::atomic<bool> stopping_{false};
  std::mutex mutex_;
  std::condition_variable wake_;
  size_t finished_ = 0;  // workers that have left
};

}  // namespace

QList<ExportResult> ExportEntries(const QString& archivePath, const QString& folder,
                                  const QList<ExportJob>& jobs, const ExportBatchProgress& progress,
                                  bool* synced) {
  if (synced) *synced = true;
  if (jobs.isEmpty()) return {};
  Batch batch(archivePath, folder, jobs);
  batch.Run(progress);
  const bool done = batch.Finish();
  if (synced) *synced = done;
  return batch.Results();
}
