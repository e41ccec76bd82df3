#include "platform/FolderHandles.h"

#include <set>

#include "platform/FolderLevel.h"
#include "platform/FolderSyncs.h"

namespace files {

namespace {

QString KeyOf(const QStringList& levels, qsizetype count) {
  return levels.mid(0, count).join(QLatin1Char('/'));
}

}  // namespace

FolderHandles::FolderHandles(QString root, qsizetype capacity)
    : root_(std::move(root)), capacity_(std::max<qsizetype>(capacity, 1)) {}

FolderHandles::~FolderHandles() {
  for (const Held& h : order_) CloseFolder(h.fd);
  if (rootFd_ >= 0) CloseFolder(rootFd_);
}

int FolderHandles::Root(bool make) {
  if (rootFd_ < 0) rootFd_ = OpenChosenFolder(root_, make);
  return rootFd_;
}

void FolderHandles::Release() {
  for (const Held& h : order_) CloseFolder(h.fd);
  order_.clear();
  byKey_.clear();
}

void FolderHandles::Hold(const QString& key, int fd) {
  order_.push_front(Held{key, fd});
  byKey_.insert(key, order_.begin());
  while (qsizetype(order_.size()) > capacity_) {
    byKey_.remove(order_.back().key);
    CloseFolder(order_.back().fd);
    order_.pop_back();
  }
}

int FolderHandles::Open(const QStringList& levels, bool make) {
  const int root = Root(make);
  if (root < 0 || levels.isEmpty()) return root;
  // The deepest level already held, then the rest opened from there.
  qsizetype have = levels.size();
  int fd = -1;
  for (; have > 0; --have) {
    const auto found = byKey_.constFind(KeyOf(levels, have));
    if (found == byKey_.cend()) continue;
    order_.splice(order_.begin(), order_, found.value());
    fd = found.value()->fd;
    break;
  }
  if (have == levels.size()) return fd;
  if (have == 0) fd = root;
  // Held only once the walk is done, so that none of its folders is closed
  // while the next level is opened from it.
  std::vector<Held> opened;
  for (qsizetype i = have; i < levels.size(); ++i) {
    bool made = false;
    const int next = OpenLevel(fd, levels.at(i), make, made);
    if (made) made_ << KeyOf(levels, i + 1);
    if (next < 0) {
      for (const Held& h : opened) CloseFolder(h.fd);
      return -1;
    }
    opened.push_back(Held{KeyOf(levels, i + 1), next});
    fd = next;
  }
  for (const Held& h : opened) Hold(h.key, h.fd);
  return fd;
}

void FolderHandles::RemoveMadeExcept(const QSet<QString>& kept) {
  for (auto key = made_.crbegin(); key != made_.crend(); ++key) {
    if (kept.contains(*key)) continue;
    const auto held = byKey_.find(*key);
    if (held != byKey_.end()) {
      CloseFolder(held.value()->fd);
      order_.erase(held.value());
      byKey_.erase(held);
    }
    QStringList levels = key->split(QLatin1Char('/'));
    const QString name = levels.takeLast();
    const int parent = Open(levels, false);
    if (parent >= 0) RemoveFolderLevel(parent, name);
  }
}

bool FolderHandles::Sync(const QSet<QString>& folders) {
  bool synced = true;
  std::set<dev_t> dataSynced;
  for (const QString& key : folders) {
    const int fd = Open(key.isEmpty() ? QStringList() : key.split(QLatin1Char('/')), false);
    if (fd < 0) {
      synced = false;
      continue;
    }
    if (!SyncFolder(fd, dataSynced)) synced = false;
  }
  return synced;
}

}  // namespace files
