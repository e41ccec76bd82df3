#include "BenchSupport.h"

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace fs = std::filesystem;

namespace bench {

std::string fixturesDir() {
  const char* env = std::getenv("QF_FIXTURES_DIR");
  const std::string dir = env != nullptr && *env != '\0' ? env : QF_DEFAULT_FIXTURES_DIR;
  std::error_code error;
  return fs::is_directory(fs::path(dir) / "data", error) ? fs::canonical(dir).string() : std::string();
}

std::vector<std::string> fixtureFiles() {
  std::vector<std::string> files;
  const std::string root = fixturesDir();
  if (root.empty()) return files;
  for (const auto& entry : fs::recursive_directory_iterator(root)) {
    if (entry.is_regular_file()) files.push_back(fs::relative(entry.path(), root).string());
  }
  std::sort(files.begin(), files.end());
  return files;
}

std::string internalName(const std::string& relativePath) {
  std::string name = relativePath;
  std::replace(name.begin(), name.end(), '/', '\\');
  return name;
}

std::string bulkFile(int index) {
  static const std::string pool = [] {
    std::string bytes;
    for (const std::string& file : fixtureFiles()) {
      if (file.substr(file.rfind('.') + 1) != "txt") bytes += readFile(fixturesDir() + "/" + file);
    }
    require(!bytes.empty(), "no sound or graphics fixtures");
    return bytes;
  }();
  std::string bytes(1 << 20, '\0');
  uint64_t state = 0x9E3779B97F4A7C15ULL * uint64_t(index + 1);
  for (size_t i = 0; i < bytes.size(); ++i) {
    state ^= state << 13;
    state ^= state >> 7;
    state ^= state << 17;
    bytes[i] = char(pool[(i + size_t(index) * 7919) % pool.size()] ^ char(state));
  }
  return bytes;
}

std::string readFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

bool writeFile(const std::string& path, const std::string& bytes) {
  std::error_code error;
  fs::create_directories(fs::path(path).parent_path(), error);
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  return static_cast<bool>(out);
}

long long fileSize(const std::string& path) {
  std::error_code error;
  const auto size = fs::file_size(path, error);
  return error ? -1 : static_cast<long long>(size);
}

ScratchDir::~ScratchDir() {
  std::error_code error;
  fs::remove_all(path_, error);
}

double seconds(const std::function<void()>& work) {
  const auto start = std::chrono::steady_clock::now();
  work();
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

double median(std::vector<double> times) {
  std::sort(times.begin(), times.end());
  return times.empty() ? 0 : times[times.size() / 2];
}

void report(const std::string& name, double value, const std::string& unit, const std::string& peer,
            double peerValue, const std::string& target) {
  const double ratio = peerValue > 0 ? value / peerValue : 0;
  std::printf("BENCH %s %.4g %s vs %s %.4g ratio %.3f target %s\n", name.c_str(), value, unit.c_str(),
              peer.c_str(), peerValue, ratio, target.c_str());
  std::fflush(stdout);
}

void require(bool ok, const std::string& what) {
  if (ok) return;
  std::fprintf(stderr, "benchmark failed: %s\n", what.c_str());
  std::exit(1);
}

std::vector<std::string> makeBigTree(const std::string& root) {
  std::vector<std::string> files;
  for (const std::string& file : fixtureFiles()) {
    require(writeFile(root + "/" + file, readFile(fixturesDir() + "/" + file)), "cannot copy fixtures");
    files.push_back(file);
  }
  for (int i = 0; i < 144; ++i) {
    const std::string name = "data/global/sfx/bulk/b" + std::to_string(i) + ".wav";
    require(writeFile(root + "/" + name, bulkFile(i)), "cannot write bulk data");
    files.push_back(name);
  }
  return files;
}

}  // namespace bench
