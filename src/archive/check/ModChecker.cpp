#include "archive/check/ModChecker.h"

#include <QHash>
#include <algorithm>
#include <memory>
#include <string>
#include <tuple>

#include "archive/check/CaseBlind.h"
#include "archive/check/ColumnShapes.h"
#include "archive/check/SheetLines.h"

namespace check {
namespace {

QByteArray Bytes(std::string_view v) {
  return QByteArray(v.data(), qsizetype(v.size()));
}

QByteArray Quoted(std::string_view v) {
  return '"' + Bytes(v) + '"';
}

bool IsExpansion(std::string_view firstCell) {
  return FoldEqual()(firstCell, "expansion");
}

bool IsComment(std::string_view cell) {
  return !cell.empty() && cell.front() == '*';
}

struct Sheet {
  Sheet(const SheetFile& file, bool mod, int order)
      : name(file.name), fileKey(Fold(FileNameOf(file.name))), fromMod(mod), order(order), lines(file.bytes) {
    if (lines.Count() > 0) SplitCells(lines.Line(0), header);
  }

  int Column(const QByteArray& wanted) const {
    const std::string_view w(wanted.constData(), size_t(wanted.size()));
    for (size_t i = 0; i < header.size(); ++i)
      if (FoldEqual()(header[i], w)) return int(i);
    return -1;
  }

  QByteArray name;
  QByteArray fileKey;
  bool fromMod;
  int order;
  SheetLines lines;
  std::vector<std::string_view> header;
};

// Where a key stands.
struct KeyPlace {
  std::string_view key;
  const Sheet* sheet;
  int line;  // in the file, from 1
};

struct KeyIndex {
  const KeySet* set = nullptr;
  bool complete = true;
  QList<QByteArray> missing;
  FoldSet keys;
  std::vector<KeyPlace> places;
};

// Values of the rules (allowed, qualifiers) as a set the cells' bytes are
// looked up in without a copy.
struct ValueSet {
  explicit ValueSet(const QSet<QByteArray>& values) {
    storage.reserve(size_t(values.size()));
    for (const QByteArray& v : values) storage.emplace_back(v.constData(), size_t(v.size()));
    for (const std::string& v : storage) set.insert(v);
  }
  bool Contains(std::string_view v) const { return set.count(v) != 0; }

  std::vector<std::string> storage;
  FoldSet set;
};

// What to do with one column of a sheet.
struct ColumnJob {
  int column = 0;
  const Relation* relation = nullptr;
  std::vector<const KeyIndex*> targets;
  bool complete = true;
  std::shared_ptr<const ValueSet> allowed;
  std::shared_ptr<const ValueSet> qualifiers;
  QByteArray what;  // "a Properties code"
  Severity severity = Severity::Error;
};

QByteArray WithArticle(const QByteArray& description) {
  const char c = AsciiLower(description.isEmpty() ? 'x' : description.at(0));
  // "a UniqueItems index": no name here starts with a u sounded as a vowel.
  const bool vowel = c == 'a' || c == 'e' || c == 'i' || c == 'o';
  return (vowel ? "an " : "a ") + description;
}

// "a Properties code", "an item code, an ItemTypes Code or a UniqueItems index".
QByteArray Describe(const std::vector<const KeyIndex*>& targets) {
  QByteArray out;
  for (size_t i = 0; i < targets.size(); ++i) {
    if (i > 0) out += i + 1 == targets.size() ? " or " : ", ";
    out += WithArticle(targets[i]->set->description);
  }
  return out;
}

class Checker {
 public:
  Checker(const Rules& rules, const SheetFiles& mod, const SheetFiles& base) : rules_(rules) {
    for (const SheetFile& f : mod) sheets_.push_back(std::make_unique<Sheet>(f, true, int(sheets_.size())));
    // One mod sheet per file name takes part in the relations: the one under
    // the game's sheet folder, else the first.
    for (const auto& s : sheets_) {
      const bool inExcel = Fold(s->name).startsWith("data\\global\\excel\\");
      auto it = chosen_.find(s->fileKey);
      if (it == chosen_.end() || (inExcel && !Fold(it.value()->name).startsWith("data\\global\\excel\\")))
        chosen_.insert(s->fileKey, s.get());
    }
    for (const SheetFile& f : base) {
      auto s = std::make_unique<Sheet>(f, false, int(sheets_.size()));
      if (chosen_.contains(s->fileKey)) continue;
      chosen_.insert(s->fileKey, s.get());
      sheets_.push_back(std::move(s));
    }
  }

  CheckReport Run() {
    for (const KeySet& k : rules_.keys) BuildIndex(k);
    for (const KeyIndex& index : indexes_)
      if (index.set->unique) FindRepeats(index);
    for (const auto& s : sheets_)
      if (s->fromMod) {
        CheckSheet(*s);
        ++report_.sheetsChecked;
      }
    std::stable_sort(pending_.begin(), pending_.end(), [](const Pending& a, const Pending& b) {
      return std::tie(a.order, a.finding.line, a.column) < std::tie(b.order, b.finding.line, b.column);
    });
    for (Pending& p : pending_) report_.findings.push_back(std::move(p.finding));
    std::sort(report_.missingSheets.begin(), report_.missingSheets.end(),
              [](const QByteArray& a, const QByteArray& b) { return Fold(a) < Fold(b); });
    return std::move(report_);
  }

 private:
  struct Pending {
    int order;
    int column;
    Finding finding;
  };

  // A value no key or rule accepts, in a reference column.
  void AddUnknown(const Sheet& sheet, int line, const ColumnJob& job, std::string_view value, bool qualifier,
                  const QByteArray& message) {
    Add(sheet, line, job.column, "ref", job.severity, message);
    Finding& f = pending_.back().finding;
    f.value = Bytes(value);
    f.qualifier = qualifier;
  }

  void Add(const Sheet& sheet, int line, int column, const QByteArray& check, Severity severity,
           const QByteArray& message) {
    Finding f;
    f.severity = severity;
    f.file = sheet.name;
    f.line = line;
    if (column >= 0 && size_t(column) < sheet.header.size()) f.column = Bytes(sheet.header[size_t(column)]);
    f.check = check;
    f.message = message + " [" + check + ']';
    pending_.push_back(Pending{sheet.order, column, std::move(f)});
  }

  const Sheet* Find(const QByteArray& sheetName) const {
    return chosen_.value(Fold(FileNameOf(sheetName)), nullptr);
  }

  void BuildIndex(const KeySet& set) {
    KeyIndex& index = indexes_.emplace_back();
    index.set = &set;
    for (const QByteArray& name : set.sheets) {
      const Sheet* sheet = Find(name);
      if (!sheet) {
        index.complete = false;
        index.missing.append(name);
        continue;
      }
      const int column = sheet->Column(set.column);
      if (column < 0) continue;
      for (qsizetype i = 1; i < sheet->lines.Count(); ++i) {
        const std::string_view line = sheet->lines.Line(i);
        if (line.empty()) continue;
        std::string_view first;
        const std::string_view cell = CellAt(line, column, first);
        if (IsExpansion(first)) continue;
        const std::string_view key = TrimSpaces(cell);
        if (key.empty() || IsComment(key)) continue;
        index.keys.insert(key);
        index.places.push_back(KeyPlace{key, sheet, int(i + 1)});
      }
    }
  }

  static QByteArray PlaceText(const KeyPlace& place, const Sheet& from) {
    if (place.sheet == &from) return "line " + QByteArray::number(place.line);
    return place.sheet->name + ':' + QByteArray::number(place.line);
  }

  // Keys compared exactly here: whether the game tells "Axe" from "axe" is not
  // known for every sheet, and a repeat is reported only where it is sure.
  void FindRepeats(const KeyIndex& index) {
    std::vector<KeyPlace> places = index.places;
    std::stable_sort(places.begin(), places.end(),
                     [](const KeyPlace& a, const KeyPlace& b) { return a.key < b.key; });
    for (size_t from = 0; from < places.size();) {
      size_t to = from + 1;
      while (to < places.size() && places[to].key == places[from].key) ++to;
      if (to - from > 1) {
        const KeyPlace& first = places[from];
        bool otherInMod = false;
        for (size_t i = from + 1; i < to; ++i) {
          const KeyPlace& p = places[i];
          if (!p.sheet->fromMod) continue;
          otherInMod = true;
          if (!rules_.IsOff("dup", p.sheet->name))
            Add(*p.sheet, p.line, p.sheet->Column(index.set->column), "dup", rules_.SeverityOf("dup"),
                Quoted(p.key) + " repeats the key at " + PlaceText(first, *p.sheet));
        }
        // A mod's key that only the base game's sheets repeat.
        if (first.sheet->fromMod && !otherInMod && !rules_.IsOff("dup", first.sheet->name))
          Add(*first.sheet, first.line, first.sheet->Column(index.set->column), "dup",
              rules_.SeverityOf("dup"),
              Quoted(first.key) + " is also the key at " + PlaceText(places[from + 1], *first.sheet));
      }
      from = to;
    }
  }

  const KeyIndex* Index(const QByteArray& name) const {
    for (const KeyIndex& index : indexes_)
      if (Fold(index.set->name) == Fold(name)) return &index;
    return nullptr;
  }

  std::vector<ColumnJob> JobsFor(const Sheet& sheet, std::vector<char>& spaceColumns) {
    std::vector<ColumnJob> jobs;
    if (Find(sheet.name) != &sheet) return jobs;
    for (const KeySet& k : rules_.keys)
      for (const QByteArray& s : k.sheets)
        if (Fold(FileNameOf(s)) == sheet.fileKey) {
          const int column = sheet.Column(k.column);
          if (column >= 0) spaceColumns[size_t(column)] = 1;
        }
    const QByteArray fileName = FileNameOf(sheet.name);
    const bool refOn = !rules_.IsOff("ref", sheet.name);
    for (const Relation& r : rules_.relations) {
      const bool applies = std::any_of(r.sheets.begin(), r.sheets.end(), [&](const QByteArray& s) {
        return Fold(FileNameOf(s)) == sheet.fileKey;
      });
      if (!applies) continue;
      std::vector<const KeyIndex*> targets;
      bool complete = true;
      QList<QByteArray> missing;
      for (const QByteArray& t : r.targets)
        if (const KeyIndex* index = Index(t)) {
          targets.push_back(index);
          complete = complete && index->complete;
          missing += index->missing;
        }
      for (const QByteArray& c : r.columns) {
        const int column = sheet.Column(c);
        if (column < 0) continue;
        spaceColumns[size_t(column)] = 1;
        if (!refOn) continue;
        ColumnJob job;
        job.column = column;
        job.relation = &r;
        job.targets = targets;
        job.complete = complete;
        const QByteArray key = ColumnKey(fileName, c);
        auto allowed = rules_.allowed.find(key);
        if (allowed != rules_.allowed.end()) job.allowed = std::make_shared<const ValueSet>(allowed.value());
        auto qualifiers = rules_.qualifiers.find(key);
        if (r.cube && qualifiers != rules_.qualifiers.end())
          job.qualifiers = std::make_shared<const ValueSet>(qualifiers.value());
        job.what = Describe(targets);
        job.severity = r.hasSeverity ? r.severity : rules_.SeverityOf("ref");
        for (const QByteArray& m : missing)
          if (!std::any_of(report_.missingSheets.begin(), report_.missingSheets.end(),
                           [&](const QByteArray& x) { return Fold(x) == Fold(m); }))
            report_.missingSheets.append(m);
        jobs.push_back(std::move(job));
      }
    }
    return jobs;
  }

  bool Known(const ColumnJob& job, std::string_view value) {
    for (const KeyIndex* index : job.targets)
      if (index->keys.count(value)) return true;
    return job.allowed && job.allowed->Contains(value);
  }

  void CheckCell(const Sheet& sheet, int line, const ColumnJob& job, std::string_view cell) {
    if (!job.relation->cube) {
      const std::string_view value = TrimSpaces(cell);
      if (job.complete && !value.empty() && !Known(job, value))
        AddUnknown(sheet, line, job, value, false, Quoted(value) + " is not " + job.what);
      return;
    }
    // A cube cell: quotes are no part of its value; the part before the first
    // comma names the item, each part after it is a qualifier ("qty=3").
    std::string_view text = cell;
    if (text.find('"') != std::string_view::npos) {
      scratch_.assign(text);
      std::erase(scratch_, '"');
      text = scratch_;
    }
    const size_t comma = text.find(',');
    const std::string_view first = TrimSpaces(text.substr(0, comma));
    if (job.complete && !first.empty() && !Known(job, first))
      AddUnknown(sheet, line, job, first, false, Quoted(first) + " is not " + job.what);
    if (!job.qualifiers || comma == std::string_view::npos) return;
    std::string_view rest = text.substr(comma + 1);
    for (;;) {
      const size_t next = rest.find(',');
      const std::string_view part = rest.substr(0, next);
      const std::string_view name = TrimSpaces(part.substr(0, part.find('=')));
      if (!name.empty() && !job.qualifiers->Contains(name))
        AddUnknown(sheet, line, job, name, true, Quoted(name) + " is not a known qualifier");
      if (next == std::string_view::npos) break;
      rest = rest.substr(next + 1);
    }
  }

  void CheckSpace(const Sheet& sheet, int line, int column, std::string_view cell) {
    if (cell.empty() || (cell.front() != ' ' && cell.back() != ' ')) return;
    const char* where = cell.front() == ' ' ? (cell.back() == ' ' ? "starts and ends" : "starts") : "ends";
    Add(sheet, line, column, "space", rules_.SeverityOf("space"),
        Quoted(cell) + ' ' + where + " with a space");
  }

  void CheckSheet(const Sheet& sheet) {
    const int columns = int(sheet.header.size());
    if (columns == 0) return;
    std::vector<char> spaceColumns(size_t(columns), 0);
    const std::vector<ColumnJob> jobs = JobsFor(sheet, spaceColumns);
    std::vector<int> spaceList;
    for (int c = 0; c < columns; ++c)
      if (spaceColumns[size_t(c)]) spaceList.push_back(c);
    const bool spaceOn = !rules_.IsOff("space", sheet.name);
    // A sheet of one column is no table: nothing in it can shift.
    const bool cellsOn = columns > 1 && !rules_.IsOff("cells", sheet.name);
    std::vector<qsizetype> uneven;
    std::vector<std::string_view> cells;
    for (qsizetype i = 1; i < sheet.lines.Count(); ++i) {
      const std::string_view line = sheet.lines.Line(i);
      if (line.empty()) continue;
      SplitCells(line, cells);
      if (IsExpansion(cells[0])) continue;
      if (cells.size() != size_t(columns)) {
        if (cellsOn) uneven.push_back(i);
        // Cells of a shifted row stand in the wrong columns: the shift is the
        // one fault to report. Empty cells past the last column shift nothing.
        if (cells.size() < size_t(columns) ||
            std::any_of(cells.begin() + columns, cells.end(), [](std::string_view c) { return !c.empty(); }))
          continue;
      }
      const int lineNo = int(i + 1);
      if (spaceOn)
        for (int c : spaceList) CheckSpace(sheet, lineNo, c, cells[size_t(c)]);
      for (const ColumnJob& job : jobs) {
        const std::string_view cell = cells[size_t(job.column)];
        if (cell.empty() || IsComment(cell)) continue;
        CheckCell(sheet, lineNo, job, cell);
      }
    }
    if (!uneven.empty()) ReportShifts(sheet, uneven);
  }

  void ReportShifts(const Sheet& sheet, const std::vector<qsizetype>& uneven) {
    const int columns = int(sheet.header.size());
    ColumnShapes shapes(columns);
    std::vector<std::string_view> cells;
    for (qsizetype i = 1; i < sheet.lines.Count(); ++i) {
      SplitCells(sheet.lines.Line(i), cells);
      if (cells.size() == size_t(columns) && !IsExpansion(cells[0])) shapes.Learn(cells);
    }
    const Severity severity = rules_.SeverityOf("cells");
    for (qsizetype i : uneven) {
      SplitCells(sheet.lines.Line(i), cells);
      const int n = int(cells.size());
      const int first = shapes.FirstShifted(cells);
      const QByteArray counts =
          "row has " + QByteArray::number(n) + " cells, the header " + QByteArray::number(columns);
      if (n > columns && first == columns) {
        // Extra cells after the last column: harmless when empty.
        if (std::all_of(cells.begin() + columns, cells.end(), [](std::string_view c) { return c.empty(); }))
          continue;
        Add(sheet, int(i + 1), columns - 1, "cells", severity, counts + "; cells after the last column");
      } else if (n < columns && first == n) {
        Add(sheet, int(i + 1), first, "cells", severity,
            counts + "; cells missing from column " + Quoted(sheet.header[size_t(first)]) + " on");
      } else {
        Add(sheet, int(i + 1), first, "cells", severity,
            counts + "; first shifted column " + Quoted(sheet.header[size_t(first)]));
      }
    }
  }

  const Rules& rules_;
  std::vector<std::unique_ptr<Sheet>> sheets_;
  QHash<QByteArray, const Sheet*> chosen_;
  std::vector<KeyIndex> indexes_;
  std::vector<Pending> pending_;
  CheckReport report_;
  std::string scratch_;
};

}  // namespace

CheckReport CheckSheets(const Rules& rules, const SheetFiles& mod, const SheetFiles& base) {
  return Checker(rules, mod, base).Run();
}

}  // namespace check
