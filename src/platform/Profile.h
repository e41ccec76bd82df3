#pragma once
// A Windows profile (INI) file read and written in place, line by line:
// "[section]" lines, then "key=value" lines. Section and key names match
// without regard to letter case; the first match counts. Writing changes only
// the one line it must (or adds it) and keeps every other section, key,
// comment, blank line, line end and the order of lines exactly as they were.
// Values are single-byte text.
#include <QByteArray>
#include <QString>

class Profile {
 public:
  explicit Profile(QString path) : path_(std::move(path)) {}
  const QString& path() const { return path_; }

  // The key's value with surrounding blanks (and one pair of matching quotes)
  // removed; defaultValue when the file, the section or the key is missing.
  QByteArray ReadString(const QByteArray& section, const QByteArray& key,
                        const QByteArray& defaultValue) const;

  // Sets the key's value, creating the file, the section or the key as needed.
  // A value with blanks at either end, or one that is itself quoted, is stored
  // in quotes so that it reads back unchanged. False when the file cannot be
  // read or written, or when a name or the value holds a line break or NUL
  // (which would break the file's structure); the file is then untouched.
  bool WriteString(const QByteArray& section, const QByteArray& key, const QByteArray& value) const;

 private:
  QString path_;
};
