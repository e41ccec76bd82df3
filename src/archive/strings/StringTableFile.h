#pragma once
// A string table's bytes from and to a disk file. Errors raise AppError with
// the messages the sheet's files give: "Cannot open file <path>", "Cannot
// create file <path>", "Stream read error", "Stream write error". A save
// goes to a new file that replaces the old one only once complete.
#include <QByteArray>
#include <QString>

namespace stringtable {

QByteArray LoadFile(const QString& path);
void SaveFile(const QString& path, const QByteArray& bytes);

}  // namespace stringtable
