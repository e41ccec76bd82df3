// quillforge build, extract and list, each run as a script runs it (a child
// process), against StormLib building the same archive in-process with its
// hash table sized up front, and against smpq extracting and listing it. The
// tree: 10,000 files cut from the fixtures' bytes, at their real folders and
// with their real extensions; then a 150 MB tree of mostly packed game data.
#include <StormLib.h>

#include <cstdio>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "BenchSupport.h"

namespace {

const std::string kQuillforge = QF_QUILLFORGE;
const std::string kSmpq = "/usr/bin/smpq";

// count files cut from the fixtures' bytes, each at its own offset, spread
// over the fixtures' folders under their own extensions.
std::vector<std::string> makeTree(const std::string& root, int count) {
  const std::vector<std::string> fixtures = bench::fixtureFiles();
  std::string pool;
  for (const std::string& file : fixtures) pool += bench::readFile(bench::fixturesDir() + "/" + file);
  bench::require(pool.size() > 8192 && !fixtures.empty(), "fixtures too small to cut");
  std::vector<std::string> files;
  for (int i = 0; i < count; ++i) {
    const std::string& like = fixtures[size_t(i) % fixtures.size()];
    const std::string folder = like.substr(0, like.rfind('/'));
    const size_t dot = like.rfind('.');
    const std::string extension = dot == std::string::npos || dot < folder.size() ? "" : like.substr(dot);
    const std::string name =
        folder + "/f" + std::to_string(i / int(fixtures.size())) + "_" + std::to_string(i) + extension;
    const size_t length = 64 + (size_t(i) * 37) % 2000;
    const size_t offset = (size_t(i) * 4099) % (pool.size() - length);
    bench::require(bench::writeFile(root + "/" + name, pool.substr(offset, length)), "cannot write the tree");
    files.push_back(name);
  }
  return files;
}

void buildWithStormLib(const std::string& archive, const std::string& root,
                       const std::vector<std::string>& files) {
  HANDLE mpq = nullptr;
  // The hash table sized for every file up front, so it never grows.
  const DWORD capacity = static_cast<DWORD>(files.size() + 16);
  bench::require(
      SFileCreateArchive(archive.c_str(), MPQ_CREATE_LISTFILE | MPQ_CREATE_ARCHIVE_V1, capacity, &mpq),
      "StormLib cannot create " + archive);
  for (const std::string& file : files) {
    bench::require(SFileAddFileEx(mpq, (root + "/" + file).c_str(), bench::internalName(file).c_str(),
                                  MPQ_FILE_COMPRESS | MPQ_FILE_ENCRYPTED, MPQ_COMPRESSION_PKWARE,
                                  MPQ_COMPRESSION_NEXT_SAME),
                   "StormLib cannot add " + file);
  }
  bench::require(SFileCloseArchive(mpq), "StormLib cannot close " + archive);
}

// Wall seconds of work, and the system seconds its child processes took.
double secondsAndSystem(const std::function<void()>& work, std::vector<double>& system) {
  const double before = bench::childSystemSeconds();
  const double wall = bench::seconds(work);
  system.push_back(bench::childSystemSeconds() - before);
  return wall;
}

void removeAll(const std::string& path) {
  std::error_code error;
  std::filesystem::remove_all(path, error);
}

struct Timings {
  std::vector<double> ours, peer;
  std::vector<double> oursSystem, peerSystem;
};

void report(const std::string& name, const Timings& t, const std::string& peer, const std::string& target) {
  bench::report(name, bench::median(t.ours) * 1000, "ms", peer, bench::median(t.peer) * 1000, target);
}

void measure(const std::string& label, const std::string& tree, const std::vector<std::string>& files,
             const bench::ScratchDir& scratch, int runs, bool withBuild) {
  const std::string mod = scratch.file(label + ".QLM"), stormMod = scratch.file(label + ".storm.mpq");
  const std::string ourOut = scratch.file(label + ".ours"), smpqOut = scratch.file(label + ".smpq");
  Timings build, extract, list;
  // Interleaved, so that load from elsewhere on the machine falls on both alike.
  for (int i = 0; i < runs; ++i) {
    std::remove(mod.c_str());
    std::remove(stormMod.c_str());
    build.ours.push_back(bench::seconds([&] {
      bench::require(
          bench::run({kQuillforge, "-q", "build", tree, "-o", mod, "--title", "Bench"}, scratch.path()),
          "quillforge build failed");
    }));
    build.peer.push_back(bench::seconds([&] { buildWithStormLib(stormMod, tree, files); }));
  }
  // Extracts into a folder just emptied, as a script that extracts again
  // does: ext4 then passes over the inodes deleted in the last half minute
  // for every new file, most of the time of both programs. Then into new
  // folders, deleted only after the last run. Which program goes first
  // alternates.
  const auto extractBoth = [&](Timings& t, const std::string& ours, const std::string& theirs, int i) {
    std::filesystem::create_directories(theirs);
    const auto runOurs = [&] {
      t.ours.push_back(secondsAndSystem(
          [&] {
            bench::require(bench::run({kQuillforge, "-q", "extract", mod, ours}, scratch.path()),
                           "quillforge extract failed");
          },
          t.oursSystem));
    };
    const auto runTheirs = [&] {
      t.peer.push_back(secondsAndSystem(
          [&] { bench::require(bench::run({kSmpq, "-x", mod}, theirs), "smpq -x failed"); }, t.peerSystem));
    };
    if (i % 2 == 0) {
      runOurs();
      runTheirs();
    } else {
      runTheirs();
      runOurs();
    }
  };
  for (int i = 0; i < runs; ++i) {
    removeAll(ourOut);
    removeAll(smpqOut);
    extractBoth(extract, ourOut, smpqOut, i);
    list.ours.push_back(bench::seconds([&] {
      bench::require(bench::run({kQuillforge, "list", mod}, scratch.path()), "quillforge list failed");
    }));
    list.peer.push_back(bench::seconds([&] {
      bench::require(bench::run({kSmpq, "-l", mod}, scratch.path()), "smpq -l failed");
    }));
  }
  removeAll(ourOut);
  removeAll(smpqOut);
  Timings fresh;
  for (int i = 0; i < runs; ++i)
    extractBoth(fresh, ourOut + ".new" + std::to_string(i), smpqOut + ".new" + std::to_string(i), i);
  for (int i = 0; i < runs; ++i) {
    removeAll(ourOut + ".new" + std::to_string(i));
    removeAll(smpqOut + ".new" + std::to_string(i));
  }
  if (withBuild) report("cli_build_" + label, build, "stormlib_sized", "<=0.5");
  report("cli_extract_" + label, extract, "smpq_x", withBuild ? "<=0.5" : "none");
  // Into new folders the time is the kernel making files, the same per file
  // for both programs, plus the one sync that makes every file written
  // whole: on par with smpq, which never syncs.
  report("cli_extract_new_folder_" + label, fresh, "smpq_x", withBuild ? "<=1.0" : "none");
  // Most of an extract is the kernel making files.
  for (const auto& [name, t] : {std::pair{"", &extract}, {"new_folder_", &fresh}})
    std::printf("# cli_extract_%s%s system time per file (median): ours %.0f us, smpq_x %.0f us, %zu files\n",
                name, label.c_str(), bench::median(t->oursSystem) * 1e6 / double(files.size()),
                bench::median(t->peerSystem) * 1e6 / double(files.size()), files.size());
  report("cli_list_" + label, list, "smpq_l", withBuild ? "<=0.5" : "none");
}

}  // namespace

int main() {
  bench::require(!bench::fixturesDir().empty(), "mod fixtures not found (set QF_FIXTURES_DIR)");
  bench::ScratchDir scratch;
  const std::string tree = scratch.file("tree");
  measure("10000_files", tree, makeTree(tree, 10000), scratch, 5, true);
  removeAll(tree);

  const std::string big = scratch.file("big");
  measure("150mb", big, bench::makeBigTree(big), scratch, 3, false);
  return 0;
}
