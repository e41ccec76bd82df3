#include "platform/CheckPreferences.h"

#include <QStringDecoder>

#include "platform/ConfigLocation.h"
#include "platform/Profile.h"

namespace prefs {
namespace {

QString Stored(const char* key) {
  const QByteArray value = Profile(config::IniFile()).ReadString(kFilesSection, key, QByteArray());
  return PathFromFile(value);
}

}  // namespace

QByteArray PathForFile(const QString& path) {
  return path.toUtf8();
}

QString PathFromFile(const QByteArray& stored) {
  QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
  const QString text = utf8.decode(stored);
  return utf8.hasError() ? QString::fromLocal8Bit(stored) : text;
}

QString StoredGameFolder() {
  return Stored(kGameKey);
}

QString StoredRulesFile() {
  return Stored(kRulesKey);
}

}  // namespace prefs
