#include "EditPageBench.h"

#include <QCoreApplication>

#include "archive/UpdateLibrary.h"
#include "platform/UiFileDialog.h"

namespace bench {

bool SaveTo::ExecuteFileDialog(const FileDialog&, QStringList& chosen) {
  chosen = {path_};
  return true;
}

int SaveTo::MessageBox(const QString& text, const QString&, int) {
  require(false, "no message box: " + text.toStdString());
  return ui::idOk;
}

void SaveTo::ProcessMessages() {
  QCoreApplication::processEvents();
}

QString ModWithEntry(const ScratchDir& scratch, const std::string& modName, const std::string& filePath,
                     const QByteArray& entry) {
  const QString mod = QString::fromStdString(scratch.file(modName));
  require(LoadUpdateLibrary(), "ARCHWRIT beside the benchmark");
  UpdateLibrary::ArchiveHandle h =
      UpdateLibrary::MpqOpenArchiveForUpdate(mod, UpdateLibrary::kOpenCreate, UpdateLibrary::kMaxFiles);
  require(h != nullptr, "create the mod");
  UpdateLibrary::MpqAddFileToArcive(h, QString::fromStdString(filePath), entry, UpdateLibrary::kAddNew);
  UpdateLibrary::MpqCloseUpdatedArchive(h, 0);
  UnloadUpdateLibrary();
  return mod;
}

}  // namespace bench
