#pragma once
// One message at the end of a command over many files, naming those it left
// out: the heading, at most 20 names a line each, then "and <n> more.".
#include <QString>
#include <QStringList>

QString NameListText(const QString& heading, const QStringList& names);
// Shows it (OK, exclamation icon) when names is not empty.
void ShowNameList(const QString& heading, const QStringList& names, const QString& title);
