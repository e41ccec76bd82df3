#include "archive/compare/SideNames.h"

#include "archive/Names.h"

namespace compare {

bool SideNames::Add(const QByteArray& name) {
  const QByteArray key = names::ArchiveKey(name);
  if (index_.contains(key)) return false;
  index_.insert(key, names_.size());
  names_.append(name);
  return true;
}

void SideNames::Clear() {
  names_.clear();
  index_.clear();
}

qsizetype SideNames::IndexOf(const QByteArray& name) const {
  return index_.value(names::ArchiveKey(name), -1);
}

bool IsArchiveOwnEntry(const QByteArray& name) {
  // In any letter case: the archive finds an entry by its name so, and a
  // file taken over as "(MODINFO)" would take the record's place.
  for (const char* own : {"(listfile)", "(attributes)", "(signature)", "(modinfo)"})
    if (names::SameName(name, QByteArray(own))) return true;
  return false;
}

}  // namespace compare
