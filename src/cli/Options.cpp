#include "cli/Options.h"

namespace cli {

void Options::Flag(const QString& name, const QString& alias) {
  declared_.insert(name, Declared{name, false});
  if (!alias.isEmpty()) declared_.insert(alias, Declared{name, false});
}

void Options::Value(const QString& name, const QString& alias) {
  declared_.insert(name, Declared{name, true});
  if (!alias.isEmpty()) declared_.insert(alias, Declared{name, true});
}

bool Options::Parse(const QStringList& words) {
  values_.clear();
  positional_.clear();
  error_.clear();
  bool optionsEnded = false;
  for (qsizetype i = 0; i < words.size(); ++i) {
    const QString& word = words.at(i);
    // A lone "-" is a name, as tools take it.
    if (optionsEnded || !word.startsWith(QLatin1Char('-')) || word == QLatin1String("-")) {
      positional_ << word;
      continue;
    }
    if (word == QLatin1String("--")) {
      optionsEnded = true;
      continue;
    }
    const qsizetype equals = word.startsWith(QLatin1String("--")) ? word.indexOf(QLatin1Char('=')) : -1;
    const QString spelling = equals < 0 ? word : word.left(equals);
    const auto found = declared_.constFind(spelling);
    if (found == declared_.cend()) {
      error_ = QStringLiteral("unknown option '%1'").arg(spelling);
      return false;
    }
    if (!found->takesValue) {
      if (equals >= 0) {
        error_ = QStringLiteral("option '%1' takes no value").arg(spelling);
        return false;
      }
      values_.insert(found->name, QString());
    } else if (equals >= 0) {
      values_.insert(found->name, word.mid(equals + 1));
    } else if (i + 1 < words.size()) {
      values_.insert(found->name, words.at(++i));
    } else {
      error_ = QStringLiteral("option '%1' needs a value").arg(spelling);
      return false;
    }
  }
  return true;
}

QStringList Options::Without(const QStringList& words, const QStringList& spellings, bool& found) const {
  found = false;
  QStringList kept;
  bool optionsEnded = false;
  for (qsizetype i = 0; i < words.size(); ++i) {
    const QString& word = words.at(i);
    if (!optionsEnded && spellings.contains(word)) {
      found = true;
      continue;
    }
    kept << word;
    if (optionsEnded || !word.startsWith(QLatin1Char('-'))) continue;
    if (word == QLatin1String("--")) {
      optionsEnded = true;
      continue;
    }
    const auto declared = declared_.constFind(word);
    if (declared != declared_.cend() && declared->takesValue && i + 1 < words.size()) kept << words.at(++i);
  }
  return kept;
}

}  // namespace cli
