#include "forms/preferences/untPreferences.h"

#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

#include "forms/widgets/FolderEdit.h"
#include "platform/ConfigLocation.h"
#include "platform/Profile.h"
#include "platform/Ui.h"

namespace {

QString iniOverride;

constexpr char kSection[] = "Files";
constexpr char kInputKey[] = "Input";
constexpr char kOutputKey[] = "Output";

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
  layout->addStretch(1);
  layout->addWidget(btnOK, 0, Qt::AlignRight);
  setFixedSize(333, 118);

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
  // Folder paths are kept in the file system's own encoding, so any folder
  // name reads back as it was chosen.
  edtInputPath->setText(QFile::decodeName(ini.ReadString(kSection, kInputKey, QByteArray())));
  edtOutputPath->setText(QFile::decodeName(ini.ReadString(kSection, kOutputKey, QByteArray())));
}

void TfrmPreferences::StorePreferences() {
  const Profile ini(IniFileName());
  // The user's configuration folder may not exist yet.
  const bool stored = config::MakeConfigFolderFor(ini.path()) &&
                      ini.WriteString(kSection, kInputKey, QFile::encodeName(edtInputPath->text())) &&
                      ini.WriteString(kSection, kOutputKey, QFile::encodeName(edtOutputPath->text()));
  if (!stored) ui::ShowAppError(QStringLiteral("Unable to write to ") + ini.path());
}
