#include "archive/check/FindingGroups.h"

#include <QHash>
#include <algorithm>

#include "archive/check/FindingText.h"

namespace check {

std::vector<FindingGroup> GroupFindings(const std::vector<Finding>& findings) {
  std::vector<FindingGroup> groups;
  QHash<QByteArray, size_t> slot;
  for (size_t i = 0; i < findings.size(); ++i) {
    const Finding& f = findings[i];
    const QByteArray key = SeverityText(f.severity) + '\t' + f.message;
    const auto it = slot.constFind(key);
    if (it == slot.constEnd()) {
      slot.insert(key, groups.size());
      groups.push_back(FindingGroup{{i}});
    } else {
      groups[*it].places.push_back(i);
    }
  }
  return groups;
}

std::vector<FindingGroup> RepeatedGroups(const std::vector<Finding>& findings) {
  std::vector<FindingGroup> groups = GroupFindings(findings);
  std::erase_if(groups, [](const FindingGroup& g) { return g.places.size() < 2; });
  std::stable_sort(groups.begin(), groups.end(), [](const FindingGroup& a, const FindingGroup& b) {
    return a.places.size() > b.places.size();
  });
  return groups;
}

}  // namespace check
