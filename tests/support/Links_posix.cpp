#include "Links.h"

#include <QFile>

namespace fixtures {

bool makeLink(const QString& target, const QString& link) {
  return QFile::link(target, link);
}

}  // namespace fixtures
