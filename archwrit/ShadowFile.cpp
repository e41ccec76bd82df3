#include "ShadowFile.h"

#include <cstring>
#include <ctime>
#include <thread>

namespace archwrit {

namespace {

constexpr size_t kTokenLength = 12;
constexpr const char kSuffix[] = ".awtmp";
// Earlier versions let the archive library rewrite a shadow into "<shadow>.tmp";
// one a killed update left is swept too.
constexpr const char kRewriteSuffix[] = ".tmp";
// Keeps ".<name>.<token>.awtmp.tmp" within the usual 255-byte name limit.
constexpr size_t kMaxBaseInName = 200;

// ".<archive name>." : every shadow of one archive starts with it.
std::string shadowPrefix(const std::string& target) {
  std::string prefix(1, '.');
  prefix.append(baseName(target), 0, kMaxBaseInName);
  prefix.push_back('.');
  return prefix;
}

std::string randomToken() {
  static const char kAlphabet[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
  unsigned char raw[kTokenLength];
  const size_t got = randomBytes(raw, sizeof raw);
  const size_t thread = std::hash<std::thread::id>()(std::this_thread::get_id());
  std::string token(kTokenLength, 'a');
  for (size_t i = 0; i < kTokenLength; ++i) {
    // Without randomness, fall back on the thread and the clock; the exclusive create still keeps names apart.
    const unsigned v = i < got ? raw[i] : static_cast<unsigned>((thread >> (i % 16)) + std::time(nullptr) + i);
    token[i] = kAlphabet[v % (sizeof kAlphabet - 1)];
  }
  return token;
}

bool endsWith(const std::string& s, const std::string& tail) {
  return s.size() >= tail.size() && s.compare(s.size() - tail.size(), tail.size(), tail) == 0;
}

// Whether name is "<prefix><token>.awtmp" or the same with ".tmp".
bool isShadowName(const std::string& name, const std::string& prefix) {
  if (name.compare(0, prefix.size(), prefix) != 0) return false;
  std::string rest = name.substr(prefix.size());
  if (endsWith(rest, kRewriteSuffix)) rest.resize(rest.size() - strlen(kRewriteSuffix));
  if (!endsWith(rest, kSuffix)) return false;
  rest.resize(rest.size() - strlen(kSuffix));
  if (rest.size() != kTokenLength) return false;
  for (char c : rest) {
    if (!((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9'))) return false;
  }
  return true;
}

}  // namespace

ShadowFile::ShadowFile(std::string path, UniqueFd fd, uint32_t createdMode)
    : path_(std::move(path)), fd_(std::move(fd)), createdMode_(createdMode) {}

std::unique_ptr<ShadowFile> ShadowFile::create(const std::string& target, uint32_t mode) {
  const std::string stem = joinPath(dirName(target), shadowPrefix(target));
  for (int attempt = 0; attempt < 8; ++attempt) {
    const std::string name = stem + randomToken() + kSuffix;
    bool taken = false;
    UniqueFd fd = createHeld(name, mode, taken);
    if (fd.valid()) {
      FileFacts facts;
      if (!factsOf(fd.get(), facts)) {
        removeFileAt(fd.get(), name);
        return nullptr;
      }
      return std::unique_ptr<ShadowFile>(new ShadowFile(name, std::move(fd), facts.mode));
    }
    if (!taken) return nullptr;  // e.g. the folder is not writable
  }
  return nullptr;
}

void ShadowFile::sweepStale(const std::string& target) {
  const std::string prefix = shadowPrefix(target);
  sweepUnheld(dirName(target), [&prefix](const std::string& name) { return isShadowName(name, prefix); });
}

ShadowFile::~ShadowFile() {
  removeFileAt(fd_.get(), path_);
}

bool ShadowFile::publish(const std::string& target, bool replace, uint32_t mode) {
  if (!isFileAt(fd_.get(), path_)) return false;
  return publishFile(fd_.get(), path_, target, replace, mode);
}

}  // namespace archwrit
