#include "forms/preferences/untPreferences.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

#include "forms/preferences/RulesFileEdit.h"
#include "forms/widgets/FolderEdit.h"
#include "platform/CheckPreferences.h"
#include "platform/ConfigLocation.h"
#include "platform/Profile.h"
#include "platform/Ui.h"

namespace {

QString iniOverride;

constexpr char kSection[] = "Files";
constexpr char kInputKey[] = "Input";
constexpr char kOutputKey[] = "Output";
// Room for the two folders and, below them, Check Mod's two fields.
constexpr int kHeight = 206;
// A key that is missing reads as this, which no stored value can be.
constexpr char kMissing[] = "\n";

// Check Mod's keys are written once set, so a first start's file holds only
// the two folders; a key once there is kept up to date, emptied included.
bool StoreOptional(const Profile& ini, const char* key, const QString& value) {
  if (value.isEmpty() && ini.ReadString(kSection, key, kMissing) == kMissing) return true;
  return ini.WriteString(kSection, key, prefs::PathForFile(value));
}

}  // namespace

TfrmPreferences::TfrmPreferences(QWidget* parent) : ToolDialog(parent) {
  setObjectName(QStringLiteral("frmPreferences"));
  setWindowTitle(QStringLiteral("Preferences"));

  lblInputPath = new QLabel(QStringLiteral("Input Path:"), this);
  lblInputPath->setObjectName(QStringLiteral("lblInputPath"));
  edtInputPath = new FolderEdit(this);
  edtInputPath->setObjectName(QStringLiteral("edtInputPath"));
  edtInputPath->Edit()->setAccessibleName(QStringLiteral("Input Path"));
  lblInputPath->setBuddy(edtInputPath);
  Label1 = new QLabel(QStringLiteral("Output Path:"), this);
  Label1->setObjectName(QStringLiteral("Label1"));
  edtOutputPath = new FolderEdit(this);
  edtOutputPath->setObjectName(QStringLiteral("edtOutputPath"));
  edtOutputPath->Edit()->setAccessibleName(QStringLiteral("Output Path"));
  Label1->setBuddy(edtOutputPath);
  lblGameFolder = new QLabel(QStringLiteral("Game folder:"), this);
  lblGameFolder->setObjectName(QStringLiteral("lblGameFolder"));
  edtGameFolder = new FolderEdit(this);
  edtGameFolder->setObjectName(QStringLiteral("edtGameFolder"));
  edtGameFolder->setAccessibleName(QStringLiteral("Game folder"));
  edtGameFolder->Edit()->setAccessibleName(QStringLiteral("Game folder"));
  edtGameFolder->setToolTip(
      QStringLiteral("The game's folder: its archives or its extracted sheets, which Check "
                     "Mod checks the mod's references against."));
  lblGameFolder->setBuddy(edtGameFolder);
  lblRulesFile = new QLabel(QStringLiteral("Rules file:"), this);
  lblRulesFile->setObjectName(QStringLiteral("lblRulesFile"));
  edtRulesFile = new RulesFileEdit(this);
  edtRulesFile->setObjectName(QStringLiteral("edtRulesFile"));
  edtRulesFile->setAccessibleName(QStringLiteral("Rules file"));
  edtRulesFile->Edit()->setAccessibleName(QStringLiteral("Rules file"));
  edtRulesFile->setToolTip(QStringLiteral("Your own rules for Check Mod, added to the program's."));
  lblRulesFile->setBuddy(edtRulesFile);
  btnOK = new QPushButton(style()->standardIcon(QStyle::SP_DialogOkButton), QStringLiteral("OK"), this);
  btnOK->setObjectName(QStringLiteral("btnOK"));
  btnOK->setDefault(true);
  btnOK->setAutoDefault(true);
  btnOK->setFixedSize(75, 25);
  connect(btnOK, &QPushButton::clicked, this, &QDialog::accept);

  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(8, 6, 8, 6);
  layout->setSpacing(2);
  layout->addWidget(lblInputPath);
  layout->addWidget(edtInputPath);
  layout->addSpacing(4);
  layout->addWidget(Label1);
  layout->addWidget(edtOutputPath);
  layout->addSpacing(4);
  layout->addWidget(lblGameFolder);
  layout->addWidget(edtGameFolder);
  layout->addSpacing(4);
  layout->addWidget(lblRulesFile);
  layout->addWidget(edtRulesFile);
  layout->addStretch(1);
  layout->addWidget(btnOK, 0, Qt::AlignRight);
  setFixedSize(333, kHeight);

  FormCreate();
}

QString TfrmPreferences::IniFileName() {
  if (!iniOverride.isEmpty()) return iniOverride;
  return config::IniFile();
}

void TfrmPreferences::SetIniFileNameForTesting(const QString& path) {
  iniOverride = path;
}

void TfrmPreferences::FormCreate() {
  LoadPreferences();
}

void TfrmPreferences::FormShow() {
  LoadPreferences();
}

void TfrmPreferences::FormHide() {
  StorePreferences();
}

void TfrmPreferences::LoadPreferences() {
  const Profile ini(IniFileName());
  edtInputPath->setText(prefs::PathFromFile(ini.ReadString(kSection, kInputKey, QByteArray())));
  edtOutputPath->setText(prefs::PathFromFile(ini.ReadString(kSection, kOutputKey, QByteArray())));
  edtGameFolder->setText(prefs::PathFromFile(ini.ReadString(kSection, prefs::kGameKey, QByteArray())));
  edtRulesFile->setText(prefs::PathFromFile(ini.ReadString(kSection, prefs::kRulesKey, QByteArray())));
}

QString TfrmPreferences::RulesFile() const {
  return edtRulesFile->text();
}

void TfrmPreferences::StorePreferences() {
  const Profile ini(IniFileName());
  // The user's configuration folder may not exist yet.
  const bool stored = config::MakeConfigFolderFor(ini.path()) &&
                      ini.WriteString(kSection, kInputKey, prefs::PathForFile(edtInputPath->text())) &&
                      ini.WriteString(kSection, kOutputKey, prefs::PathForFile(edtOutputPath->text())) &&
                      StoreOptional(ini, prefs::kGameKey, edtGameFolder->text()) &&
                      StoreOptional(ini, prefs::kRulesKey, edtRulesFile->text());
  if (!stored) ui::ShowAppError(QStringLiteral("Unable to write to ") + ini.path());
}
