#include "FuzzSupport.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <memory>
#include <cstring>
#include <string>

namespace fuzz {

void EnsureApp() {
  static int argc = 1;
  static char name[] = "fuzz";
  static char* argv[] = {name, nullptr};
  static std::unique_ptr<QCoreApplication> app =
      QCoreApplication::instance() ? nullptr : std::make_unique<QCoreApplication>(argc, argv);
}

std::map<std::string, QString>& Paths() {
  static auto* paths = new std::map<std::string, QString>;
  return *paths;
}

void RemoveScratchFiles() {
  for (const auto& [suffix, path] : Paths()) QFile::remove(path);
}

const QString& ScratchPath(const char* suffix) {
  if (Paths().empty()) std::atexit(RemoveScratchFiles);
  QString& path = Paths()[suffix];
  if (path.isEmpty()) {
    const QString folder = QDir(QStringLiteral("/dev/shm")).exists() ? QStringLiteral("/dev/shm") : QDir::tempPath();
    QByteArray name = QFile::encodeName(folder + QStringLiteral("/qf-fuzz-XXXXXX")) + suffix;
    const int fd = ::mkstemps(name.data(), int(strlen(suffix)));
    if (fd < 0) Fail("cannot create the scratch file");
    ::close(fd);
    path = QFile::decodeName(name);
  }
  return path;
}

void WriteFileOrDie(const QString& path, const char* data, size_t size) {
  QFile file(path);
  if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(data, qint64(size)) != qint64(size))
    Fail("cannot write the scratch file");
}

void AgeFile(const QString& path) {
  struct timespec times[2] = {};
  clock_gettime(CLOCK_REALTIME, &times[0]);
  times[0].tv_sec -= 3600;
  times[1] = times[0];
  if (::utimensat(AT_FDCWD, QFile::encodeName(path).constData(), times, 0) != 0) Fail("cannot date the scratch file");
}

void Fail(const char* what) {
  fprintf(stderr, "invariant broken: %s\n", what);
  abort();
}

}  // namespace fuzz
