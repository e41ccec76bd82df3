#pragma once
// The pictures of the main window's commands.
#include <QIcon>

namespace icons {

QIcon NewMod();
QIcon OpenMod();
QIcon UpdateMod();
QIcon AddFile();
QIcon RemoveFile();
QIcon ExportFile();
QIcon SaveSheet();
QIcon ImportSheet();

}  // namespace icons
