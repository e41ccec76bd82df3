#include "archive/check/DefaultRules.h"

#include <QFile>

#include "archive/check/RulesReader.h"

// The rules file is a resource of this static library: its initialiser must be
// named once, or a program linking the library may leave it out.
static void InitCheckResources() {
  Q_INIT_RESOURCE(check_rules);
}

namespace check {

QByteArray DefaultRulesText() {
  static const bool once = (InitCheckResources(), true);
  Q_UNUSED(once);
  QFile file(QStringLiteral(":/check/default.rules"));
  if (!file.open(QIODevice::ReadOnly)) return {};
  return file.readAll();
}

Rules DefaultRules() {
  Rules rules;
  QStringList problems;
  ReadRules(DefaultRulesText(), QStringLiteral("default.rules"), rules, problems);
  return rules;
}

}  // namespace check
