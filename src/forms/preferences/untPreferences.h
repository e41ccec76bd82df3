#pragma once
// The Preferences dialog: the input and output folders. The folder fields'
// texts are the folders the file dialogs open in. Every showing loads them
// from QUILL.INI, every hiding stores them there: beside the program in a
// portable copy, in the user's configuration folder in an installed one.
#include <QString>

#include "forms/widgets/ToolDialog.h"

class FolderEdit;
class QLabel;
class QPushButton;

class TfrmPreferences : public ToolDialog {
  Q_OBJECT
 public:
  // Loads the preferences (FormCreate).
  explicit TfrmPreferences(QWidget* parent = nullptr);

  QLabel* lblInputPath;
  FolderEdit* edtInputPath;
  QLabel* Label1;
  FolderEdit* edtOutputPath;
  QPushButton* btnOK;

  void FormCreate();
  void FormShow() override;
  void FormHide() override;

  // "QUILL.INI" where config::IniFile puts it, unless a test has put it elsewhere.
  static QString IniFileName();
  static void SetIniFileNameForTesting(const QString& path);

  void LoadPreferences();
  // Stops at the first write that fails and shows "Unable to write to <file>".
  void StorePreferences();
};
