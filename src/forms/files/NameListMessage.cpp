#include "forms/files/NameListMessage.h"

#include "platform/Ui.h"

namespace {
constexpr qsizetype kMostNames = 20;
}

QString NameListText(const QString& heading, const QStringList& names) {
  QString text = heading;
  for (QString name : names.mid(0, kMostNames)) {
    // A line end inside a name would look like two names.
    name.replace(QLatin1Char('\r'), QChar(0x240D));
    name.replace(QLatin1Char('\n'), QChar(0x240A));
    text += QLatin1Char('\n') + name;
  }
  if (names.size() > kMostNames) text += QStringLiteral("\nand %1 more.").arg(names.size() - kMostNames);
  return text;
}

void ShowNameList(const QString& heading, const QStringList& names, const QString& title) {
  if (names.isEmpty()) return;
  ui::MessageBox(NameListText(heading, names), title, ui::mbOk | ui::mbIconExclamation);
}
