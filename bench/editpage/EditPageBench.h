#pragma once
// The pieces the Edit page benchmarks share: every save dialog answered with
// one path, a new mod holding one file, put there as Update puts it, and the
// window showing that file on the Edit page.
#include <QByteArray>
#include <QString>
#include <string>

#include "BenchSupport.h"
#include "platform/Ui.h"

class TfrmMain;

namespace bench {

// Answers every save dialog with one path; any message box ends the run,
// since the flows measured show none.
class SaveTo : public ui::UiBackend {
 public:
  explicit SaveTo(QString path) : path_(std::move(path)) {}
  bool ExecuteFileDialog(const FileDialog&, QStringList& chosen) override;
  int MessageBox(const QString& text, const QString&, int) override;
  bool InputQuery(const QString&, const QString&, QByteArray&) override { return false; }
  bool BrowseFolder(const QString&, const QString&, QString&) override { return false; }
  int Choose(const QString&, const QString&, const QStringList&, int) override { return ui::kChoiceCancelled; }
  void SetCursor(int) override {}
  void ProcessMessages() override;

 private:
  QString path_;
};

// scratch/modName, a new mod holding the file at filePath as entry, written
// through the update library.
QString ModWithEntry(const ScratchDir& scratch, const std::string& modName, const std::string& filePath,
                     const QByteArray& entry);

// frm at 1024 x 700, shown with mod open, its one row entry selected and
// the Edit page current.
void ShowOnEditPage(TfrmMain& frm, const QString& mod, const QByteArray& entry);

}  // namespace bench
