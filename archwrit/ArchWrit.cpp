// The six exports of the archive-update library. A handle is the address of
// an UpdateSession that this library handed out and has not closed; calls
// with any other value fail instead of touching memory they do not own.
#include "archwrit.h"

#include <memory>
#include <mutex>
#include <unordered_map>

#include "UpdateSession.h"

namespace {

struct OpenSession {
  std::mutex busy;  // one call at a time on a handle
  std::unique_ptr<archwrit::UpdateSession> session;
};

std::mutex registryMutex;
// An object, not a pointer to a heap copy: the program loads and unloads the
// library once per Update, and unloading must free the table with it (any
// session still open then is discarded, its archive left as it was).
std::unordered_map<MPQHANDLE, std::shared_ptr<OpenSession>>& registry() {
  static std::unordered_map<MPQHANDLE, std::shared_ptr<OpenSession>> sessions;
  return sessions;
}

std::shared_ptr<OpenSession> find(MPQHANDLE handle) {
  std::lock_guard<std::mutex> lock(registryMutex);
  auto it = registry().find(handle);
  return it == registry().end() ? nullptr : it->second;
}

std::shared_ptr<OpenSession> take(MPQHANDLE handle) {
  std::lock_guard<std::mutex> lock(registryMutex);
  auto it = registry().find(handle);
  if (it == registry().end()) return nullptr;
  std::shared_ptr<OpenSession> open = std::move(it->second);
  registry().erase(it);
  return open;
}

}  // namespace

extern "C" {

ARCHWRIT_API int32_t MpqInitialize(void) {
  return 1;
}

ARCHWRIT_API const char* MpqGetVersionString(void) {
  return "ARCHWRIT 1.04";
}

ARCHWRIT_API MPQHANDLE MpqOpenArchiveForUpdate(const char* path, uint32_t openValue, uint32_t maxFiles) {
  auto open = std::make_shared<OpenSession>();
  open->session = archwrit::UpdateSession::open(path, openValue, maxFiles);
  if (!open->session) return nullptr;
  MPQHANDLE handle = open->session.get();
  std::lock_guard<std::mutex> lock(registryMutex);
  registry().emplace(handle, std::move(open));
  return handle;
}

ARCHWRIT_API int32_t MpqCloseUpdatedArchive(MPQHANDLE archive, uint32_t /*reserved*/) {
  std::shared_ptr<OpenSession> open = take(archive);
  if (!open) return 0;
  std::lock_guard<std::mutex> lock(open->busy);
  const bool committed = open->session->close();
  open->session.reset();
  return committed ? 1 : 0;
}

ARCHWRIT_API int32_t MpqAddFileToArcive(MPQHANDLE archive, const char* sourcePath, const char* entryName,
                                        uint32_t flags) {
  std::shared_ptr<OpenSession> open = find(archive);
  if (!open) return 0;
  std::lock_guard<std::mutex> lock(open->busy);
  return open->session && open->session->add(sourcePath, entryName, flags) ? 1 : 0;
}

ARCHWRIT_API int32_t MpqDeleteFile(MPQHANDLE archive, const char* entryName) {
  std::shared_ptr<OpenSession> open = find(archive);
  if (!open) return 0;
  std::lock_guard<std::mutex> lock(open->busy);
  return open->session && open->session->remove(entryName) ? 1 : 0;
}

}  // extern "C"
