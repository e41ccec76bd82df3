#pragma once
// The shared open and save dialogs. A command fills in every property it
// relies on, calls Execute and reads FileName and Files; the dialog itself is
// shown by the current dialog backend (Ui.h), so tests can answer it by script.
#include <QString>
#include <QStringList>
#include <QtGlobal>

// Option bits, in the classic common-dialog order.
enum FileDialogOption : quint32 {
  ofReadOnly = 1u << 0,
  ofOverwritePrompt = 1u << 1,
  ofHideReadOnly = 1u << 2,
  ofNoChangeDir = 1u << 3,
  ofShowHelp = 1u << 4,
  ofNoValidate = 1u << 5,
  ofAllowMultiSelect = 1u << 6,
  ofExtensionDifferent = 1u << 7,
  ofPathMustExist = 1u << 8,
  ofFileMustExist = 1u << 9,
  ofCreatePrompt = 1u << 10,
  ofShareAware = 1u << 11,
  ofNoReadOnlyReturn = 1u << 12,
  ofNoTestFileCreate = 1u << 13,
  ofNoNetworkButton = 1u << 14,
  ofNoLongNames = 1u << 15,
  ofOldStyleDialog = 1u << 16,
  ofNoDereferenceLinks = 1u << 17,
  ofEnableIncludeNotify = 1u << 18,
  ofEnableSizing = 1u << 19,
};

// The option sets the commands use.
inline constexpr quint32 kSaveOptions = 0x8000E;      // new mod, export, save sheet
inline constexpr quint32 kOpenOptions = 0x8030C;      // open mod, import sheet
inline constexpr quint32 kOpenManyOptions = 0x8034C;  // add files

class FileDialog {
 public:
  enum Kind { Open, Save };

  explicit FileDialog(Kind kind) : kind_(kind) {}
  Kind kind() const { return kind_; }

  // Settings, all set by the command before Execute.
  QString Filter;  // "description|pattern|description|pattern..."
  quint32 Options = 0;
  QString Title;
  QString DefaultExt;  // without the dot; empty for none
  QString FileName;    // the preset name; after a confirmed Execute, the first chosen path
  QString InitialDir;  // empty: see SetEmptyInitialDirIsCurrent

  // After a confirmed Execute: every chosen path, in the dialog's order.
  QStringList Files;

  // Shows the dialog. True when the user confirmed it; FileName and Files then
  // hold the choice. With ofNoChangeDir the process's current folder is the
  // same afterwards; without it a confirmed dialog makes the chosen file's
  // folder current, as the classic dialog does.
  bool Execute();

  // When on, a dialog given an empty InitialDir opens in the process's current
  // folder instead of wherever the toolkit last was.
  static void SetEmptyInitialDirIsCurrent(bool on);
  static bool EmptyInitialDirIsCurrent();

 private:
  Kind kind_;
};
