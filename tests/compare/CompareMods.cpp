#include "CompareMods.h"

#include <QDir>
#include <QFileInfo>

#include "Fixtures.h"

namespace comparemods {
namespace {

QList<QByteArray> Lines(const QByteArray& text) {
  QList<QByteArray> lines = text.split('\n');
  if (!lines.isEmpty() && lines.last().isEmpty()) lines.removeLast();
  return lines;
}

QByteArray Joined(const QList<QByteArray>& lines) {
  return lines.join('\n') + '\n';
}

qsizetype FindRow(const QList<QByteArray>& lines, const QByteArray& key, int occurrence = 1) {
  for (qsizetype i = 1; i < lines.size(); ++i)
    if (lines.at(i).split('\t').first() == key && --occurrence == 0) return i;
  qFatal("row %s not in the fixture", key.constData());
}

void SetCell(QList<QByteArray>& lines, qsizetype row, int col, const QByteArray& text) {
  QList<QByteArray> cells = lines.at(row).split('\t');
  cells[col] = text;
  lines[row] = cells.join('\t');
}

}  // namespace

QByteArray EditedWeapons(const QByteArray& weapons) {
  QList<QByteArray> lines = Lines(weapons);
  SetCell(lines, FindRow(lines, "Hand Axe"), 10, "5");
  SetCell(lines, FindRow(lines, "Axe", 2), 11, "24");
  lines.removeAt(FindRow(lines, "Ahab Spear"));
  const qsizetype bow = FindRow(lines, "Ancient Bow");
  lines.append(lines.takeAt(bow));
  QList<QByteArray> blade = lines.at(FindRow(lines, "Hand Axe")).split('\t');
  blade[0] = "Quill Blade";
  lines.insert(FindRow(lines, "Hand Axe") + 1, blade.join('\t'));
  return Joined(lines);
}

testarchive::Entries Here() {
  testarchive::Entries entries;
  for (const QString& path : fixtures::allFiles())
    entries.append({fixtures::internalName(path), fixtures::readAll(path)});
  return entries;
}

testarchive::Entries There() {
  testarchive::Entries entries;
  for (auto [name, content] : Here()) {
    if (name == kLowQuality) continue;
    if (name == kArena) name = kArenaThere;
    if (name == kWeapons) content = EditedWeapons(content);
    if (name == kOverlap) content[100] = char(content.at(100) ^ 0x5A);
    if (name == kMisc) {
      QList<QByteArray> lines = Lines(content);
      for (qsizetype i = 0; i < lines.size(); ++i) {
        QByteArray& line = lines[i];
        const bool crlf = line.endsWith('\r');
        if (crlf) line.chop(1);
        line += i == 0 ? "\tquillflag" : "\tx";
        if (crlf) line += '\r';
      }
      content = Joined(lines);
    }
    entries.append({name, content});
  }
  entries.append({kExtra, "name\tvalue\r\nquill\t1\r\n"});
  return entries;
}

QByteArray Content(const testarchive::Entries& entries, const QByteArray& name) {
  for (const auto& [n, content] : entries)
    if (n == name) return content;
  return {};
}

bool WriteFolder(const QString& folder, const testarchive::Entries& entries) {
  for (const auto& [name, content] : entries) {
    const QString path = folder + '/' + QString::fromLatin1(name).replace('\\', '/');
    if (!QDir().mkpath(QFileInfo(path).path()) || !fixtures::writeAll(path, content)) return false;
  }
  return true;
}

}  // namespace comparemods
