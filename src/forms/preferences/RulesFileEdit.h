#pragma once
// The rules-file field of the preferences: the path of a user's rules file
// for Check Mod, typed (or emptied) in place, or chosen with the browse
// button at its right end.
#include "forms/widgets/PathEdit.h"

class RulesFileEdit : public PathEdit {
  Q_OBJECT
 public:
  explicit RulesFileEdit(QWidget* parent = nullptr);

  // The path typed, without spaces at its ends.
  QString text() const;
  // The open dialog, starting in the folder of the file shown.
  void Browse() override;
};
