#include "platform/ConfigLocation.h"

#include <QDir>
#include <QStandardPaths>
#include <QStringList>

namespace config {

// The folders a system install puts programs in. They are shared with every
// other program, so one writable there (as it is for root) makes no portable
// copy: its preferences would land among the system's binaries, where no
// package removal takes them away again.
bool IsSharedProgramFolder(const QString& folder) {
  static const QStringList shared = {QStringLiteral("/bin"),
                                     QStringLiteral("/sbin"),
                                     QStringLiteral("/usr/bin"),
                                     QStringLiteral("/usr/sbin"),
                                     QStringLiteral("/usr/games"),
                                     QStringLiteral("/usr/local/bin"),
                                     QStringLiteral("/usr/local/sbin"),
                                     QStringLiteral("/usr/local/games")};
  return shared.contains(QDir::cleanPath(folder));
}

QString ConfigHome() {
#if defined(Q_OS_UNIX) && !defined(Q_OS_MACOS)
  const QString xdg = qEnvironmentVariable("XDG_CONFIG_HOME");
  // A relative value is no valid setting and is ignored.
  if (!xdg.isEmpty() && QDir::isAbsolutePath(xdg)) return QDir::cleanPath(xdg);
  return QDir(QDir::homePath()).filePath(QStringLiteral(".config"));
#else
  return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
#endif
}

}  // namespace config
