#pragma once
// The Qt backend of the dialog seam, and the mappings it uses, which tests
// check without showing anything.
#include <QMessageBox>
#include <QString>
#include <QStringList>

#include "platform/Ui.h"

class QFileDialog;
class QWidget;

namespace ui {

// "desc|pattern|desc|pattern" as Qt name filters ("desc (pattern)"); ";"
// between patterns becomes the space Qt expects, and "*.*" becomes "*", which
// matches every file here as "*.*" does in the classic dialogs.
QStringList QtNameFilters(const QString& filter);

// Applies every setting of dialog: kind, file mode, overwrite prompt, size grip,
// default suffix, name filters (the first one selected), folder and preset name.
void ConfigureFileDialog(QFileDialog& qt, const FileDialog& dialog);

// Buttons, icon, default button, title and plain text of a box from its flags.
void ConfigureMessageBox(QMessageBox& box, const QString& text, const QString& title, int flags);
int MessageBoxResult(int standardButton);

// The window a box or dialog should sit on: the active modal window, else the
// active window, when it is on screen.
QWidget* DialogParent();

class QtUiBackend : public UiBackend {
 public:
  bool ExecuteFileDialog(const FileDialog& dialog, QStringList& chosen) override;
  int MessageBox(const QString& text, const QString& title, int flags) override;
  bool InputQuery(const QString& caption, const QString& prompt, QByteArray& value) override;
  bool BrowseFolder(const QString& caption, const QString& startDir, QString& chosen) override;
  int Choose(const QString& caption, const QString& text, const QStringList& buttons, int defaultButton) override;
  bool ChooseColour(const QString& caption, QColor& colour) override;
  void SetCursor(int code) override;
  void ProcessMessages() override;

 private:
  bool overrideActive_ = false;
};

}  // namespace ui
