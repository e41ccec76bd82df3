#pragma once
// Findings that say the same thing in many places, taken together: a value
// a mod's engine knows and the rules do not is reported in every row that
// uses it, and the modder decides about it once.
#include <vector>

#include "archive/check/CheckReport.h"

namespace check {

struct FindingGroup {
  // Indexes into the findings, in their order; the first is where the
  // message is met first.
  std::vector<size_t> places;
};

// One group per message (and weight), in the order of each group's first
// finding; a message met once is a group of one.
std::vector<FindingGroup> GroupFindings(const std::vector<Finding>& findings);

// The groups of more than one finding, the largest first (equal ones in the
// order met).
std::vector<FindingGroup> RepeatedGroups(const std::vector<Finding>& findings);

}  // namespace check
