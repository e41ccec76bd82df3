#pragma once
// Two sides compared name by name: every name of either side with its state.
// Names match without regard to letter case, as the archive matches them;
// bytes decide "same". Each entry is read once, and not at all when the two
// sizes already tell it changed.
#include <QByteArray>
#include <QList>
#include <QString>
#include <array>
#include <functional>
#include <optional>

#include "archive/compare/CompareSide.h"

namespace compare {

enum class EntryState { Changed, OnlyHere, OnlyThere, Same };
inline constexpr int kEntryStates = 4;

// "changed", "only here", "only there", "same".
const char* StateText(EntryState state);

struct Entry {
  QByteArray here;   // the name as this side spells it (when it holds it)
  QByteArray there;  // the name as the other side spells it (when it holds it)
  EntryState state = EntryState::Same;
  // One side's bytes could not be read; the entry counts as changed.
  bool unreadable = false;

  // The name to show: this side's spelling where it has one.
  const QByteArray& Name() const { return state == EntryState::OnlyThere ? there : here; }
};

struct EntryList {
  QList<Entry> entries;  // ordered by name, letter case folded
  std::array<qsizetype, kEntryStates> counts{};

  qsizetype Count(EntryState state) const { return counts[size_t(state)]; }
  bool AllSame() const { return Count(EntryState::Same) == entries.size(); }
};

struct CompareOptions {
  // After each entry: how many are done of how many.
  std::function<void(qsizetype done, qsizetype total)> progress;
  // Given, every changed entry both sides hold is read whole and handed
  // over with both versions (for a report of its differences).
  std::function<void(const Entry& entry, const QByteArray& here, const QByteArray& there)> changed;
};

// Opens both sides, compares them and closes them again. Empty, with error
// saying which side and why, when either side cannot be read.
std::optional<EntryList> CompareEntries(Side& here, Side& there, const CompareOptions& options,
                                        QString& error);

}  // namespace compare
