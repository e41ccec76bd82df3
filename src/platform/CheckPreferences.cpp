#include "platform/CheckPreferences.h"

#include <QFile>

#include "platform/ConfigLocation.h"
#include "platform/Profile.h"

namespace prefs {
namespace {

QString Stored(const char* key) {
  const QByteArray value = Profile(config::IniFile()).ReadString(kFilesSection, key, QByteArray());
  return QFile::decodeName(value);
}

}  // namespace

QString StoredGameFolder() {
  return Stored(kGameKey);
}

QString StoredRulesFile() {
  return Stored(kRulesKey);
}

}  // namespace prefs
