#include "archive/compare/EntryComparison.h"

#include <algorithm>
#include <cstring>
#include <memory>

#include "archive/Names.h"

namespace compare {
namespace {

bool SameBytes(const QByteArray& a, const QByteArray& b) {
  return a.size() == b.size() && std::memcmp(a.constData(), b.constData(), size_t(a.size())) == 0;
}

// The state of a name both sides hold.
void ComparePair(Side& here, Side& there, Entry& entry, const CompareOptions& options) {
  const qint64 sizeHere = here.Size(entry.here);
  const qint64 sizeThere = there.Size(entry.there);
  const bool sizesDiffer = sizeHere >= 0 && sizeThere >= 0 && sizeHere != sizeThere;
  if (sizesDiffer && !options.changed) {
    entry.state = EntryState::Changed;
    return;
  }
  QByteArray a, b;
  if (!here.Read(entry.here, a) || !there.Read(entry.there, b)) {
    entry.state = EntryState::Changed;
    entry.unreadable = true;
    return;
  }
  entry.state = SameBytes(a, b) ? EntryState::Same : EntryState::Changed;
  if (entry.state == EntryState::Changed && options.changed) options.changed(entry, a, b);
}

}  // namespace

const char* StateText(EntryState state) {
  switch (state) {
    case EntryState::Changed:
      return "changed";
    case EntryState::OnlyHere:
      return "only here";
    case EntryState::OnlyThere:
      return "only there";
    case EntryState::Same:
      break;
  }
  return "same";
}

std::optional<EntryList> CompareEntries(Side& here, Side& there, const CompareOptions& options,
                                        QString& error) {
  // A side that names nothing itself is asked about the other side's names,
  // so that side is opened first.
  const bool thereFirst = !here.ListsOwnNames();
  Side& first = thereFirst ? there : here;
  Side& second = thereFirst ? here : there;
  if (!first.ListsOwnNames()) {
    error = QStringLiteral("Neither side lists its own entries");
    return std::nullopt;
  }
  const OpenSide openFirst(first);
  if (!openFirst.IsOpen()) {
    error = first.Error();
    return std::nullopt;
  }
  second.Want(first.Names());
  const OpenSide openSecond(second);
  if (!openSecond.IsOpen()) {
    error = second.Error();
    return std::nullopt;
  }

  const QList<QByteArray> hereNames = here.Names();
  const QList<QByteArray> thereNames = there.Names();
  // Matched as the archive tells entries apart: "caf\xE9.txt" and
  // "CAF\xC9.TXT" are two entries, whatever the window's lists make of them.
  QHash<QByteArray, qsizetype> thereIndex;
  thereIndex.reserve(thereNames.size());
  for (qsizetype i = 0; i < thereNames.size(); ++i) thereIndex.insert(names::ArchiveKey(thereNames.at(i)), i);

  EntryList list;
  list.entries.reserve(hereNames.size() + thereNames.size());
  std::vector<bool> matched(size_t(thereNames.size()), false);
  const qsizetype total = hereNames.size() + thereNames.size();
  qsizetype done = 0;
  for (const QByteArray& name : hereNames) {
    Entry entry;
    entry.here = name;
    const qsizetype j = thereIndex.value(names::ArchiveKey(name), -1);
    if (j < 0) {
      entry.state = EntryState::OnlyHere;
    } else {
      matched[size_t(j)] = true;
      entry.there = thereNames.at(j);
      ComparePair(here, there, entry, options);
      ++done;  // the other side's name is done with it
    }
    list.entries.append(entry);
    if (options.progress) options.progress(++done, total);
  }
  for (qsizetype j = 0; j < thereNames.size(); ++j) {
    if (matched[size_t(j)]) continue;
    Entry entry;
    entry.there = thereNames.at(j);
    entry.state = EntryState::OnlyThere;
    list.entries.append(entry);
    if (options.progress) options.progress(++done, total);
  }

  // By name as the user reads it, so both sides' names interleave.
  std::vector<std::pair<QString, qsizetype>> keys;
  keys.reserve(size_t(list.entries.size()));
  for (qsizetype i = 0; i < list.entries.size(); ++i)
    keys.emplace_back(names::Key(list.entries.at(i).Name()), i);
  std::stable_sort(keys.begin(), keys.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
  QList<Entry> sorted;
  sorted.reserve(list.entries.size());
  for (const auto& key : keys) sorted.append(list.entries.at(key.second));
  list.entries = std::move(sorted);
  for (const Entry& entry : list.entries) ++list.counts[size_t(entry.state)];
  return list;
}

}  // namespace compare
