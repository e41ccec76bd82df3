#include "cli/ModInfoFields.h"

#include <QFile>

#include "cli/OutputText.h"

namespace cli {

namespace {

QString OptionName(const QString& prefix, const char* name) {
  return QStringLiteral("--") + prefix + QLatin1String(name);
}

}  // namespace

void DeclareFieldOptions(Options& options, const QString& prefix) {
  for (const ModInfoField& field : kModInfoFields) options.Value(OptionName(prefix, field.name));
  options.Value(OptionName(prefix, "description-file"));
}

bool ApplyFieldOptions(Io& io, const Options& options, const QString& prefix, ModInfo& info, bool& changed) {
  changed = false;
  for (const ModInfoField& field : kModInfoFields) {
    const QString option = OptionName(prefix, field.name);
    if (!options.Given(option)) continue;
    if (!ArgumentBytes(io, option, options.ValueOf(option), info.texts[field.text])) return false;
    changed = true;
  }
  // The description's bytes as they are in the file: line ends, NULs and all.
  const QString fileOption = OptionName(prefix, "description-file");
  if (options.Given(fileOption)) {
    const QString path = options.ValueOf(fileOption);
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
      Complain(io, QStringLiteral("%1: cannot read the description file: %2")
                       .arg(ShownPath(path), file.errorString()));
      return false;
    }
    info.texts[ModInfo::Description] = file.readAll();
    changed = true;
  }
  return true;
}

}  // namespace cli
