// The Mod Info page: six fields for the mod information record, each change
// marking the mod as changed; the record is read from and written to them.
#include <QGridLayout>
#include <QLabel>
#include <QTabWidget>

#include "forms/main/untMain.h"
#include "forms/widgets/AnsiLineEdit.h"
#include "forms/widgets/AnsiMemo.h"

void TfrmMain::BuildInfoPage() {
  tbsInfo = new QWidget(PageControl);
  tbsInfo->setObjectName(QStringLiteral("tbsInfo"));
  auto* grid = new QGridLayout(tbsInfo);
  auto label = [this](QLabel** out, const char* name, const QString& caption) {
    *out = new QLabel(caption, tbsInfo);
    (*out)->setObjectName(QString::fromLatin1(name));
    return *out;
  };
  auto line = [this](AnsiLineEdit** out, const char* name) {
    *out = new AnsiLineEdit(tbsInfo);
    (*out)->setObjectName(QString::fromLatin1(name));
    return *out;
  };
  line(&edtTitle, "edtTitle");
  line(&edtAuthor, "edtAuthor");
  line(&edtD2Version, "edtD2Version");
  line(&edtURL, "edtURL");
  line(&edtModVersion, "edtModVersion");
  memDescription = new AnsiMemo(tbsInfo);
  memDescription->setObjectName(QStringLiteral("memDescription"));
  memDescription->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);

  const struct {
    QLabel** label;
    const char* labelName;
    const char* caption;
    QWidget* field;
    const char* hint;
  } fields[] = {
      {&lblTitle, "lblTitle", "Title:", edtTitle, "Title of this Diablo II mod."},
      {&lblAuthor, "lblAuthor", "Author:", edtAuthor, "Author of this Diablo II mod."},
      {&lblD2Version, "lblD2Version", "Diablo II Version:", edtD2Version,
       "Diablo 2 version(s) this mod is meant for."},
      {&lblURL, "lblURL", "Website/download URL:", edtURL,
       "Website where new versions of this mod can be found."},
      {&lblModVersion, "lblModVersion", "Mod Version:", edtModVersion, "Version of the mod."},
      {&lblDescription, "lblDescription", "Description/Comments:", memDescription,
       "Description/Extra comments of the mod."},
  };
  int row = 0;
  for (const auto& f : fields) {
    QLabel* l = label(f.label, f.labelName, QString::fromLatin1(f.caption));
    l->setBuddy(f.field);
    f.field->setAccessibleName(PlainCaption(l->text()));
    f.field->setToolTip(ShortHint(QString::fromLatin1(f.hint)));
    f.field->setStatusTip(LongHint(QString::fromLatin1(f.hint)));
    if (f.field == memDescription) {
      grid->addWidget(l, row++, 0, 1, 2);
      grid->addWidget(f.field, row, 0, 1, 2);
      grid->setRowStretch(row, 1);
    } else {
      grid->addWidget(l, row, 0);
      grid->addWidget(f.field, row++, 1);
    }
  }
  // Tab visits the fields in the design's order, the description fourth; in
  // the description Tab moves on too, rather than typing a tab.
  memDescription->setTabChangesFocus(true);
  setTabOrder(edtD2Version, memDescription);
  setTabOrder(memDescription, edtURL);
  setTabOrder(edtURL, edtModVersion);
  for (AnsiLineEdit* e : {edtTitle, edtAuthor, edtD2Version, edtURL, edtModVersion})
    connect(e, &QLineEdit::textChanged, this,
            [this, e] { Run("edtTitleChange", &TfrmMain::edtTitleChange, e); });
  connect(memDescription, &QPlainTextEdit::textChanged, this,
          [this] { Run("edtTitleChange", &TfrmMain::edtTitleChange, memDescription); });
  PageControl->addTab(tbsInfo, QStringLiteral("Mod Info"));
}

void TfrmMain::edtTitleChange(QObject*) {
  CommandsChanged();
}

ModInfo TfrmMain::ModInfoFromFields() const {
  ModInfo info;
  info.texts[ModInfo::Title] = edtTitle->Bytes();
  info.texts[ModInfo::Author] = edtAuthor->Bytes();
  info.texts[ModInfo::D2Version] = edtD2Version->Bytes();
  info.texts[ModInfo::URL] = edtURL->Bytes();
  info.texts[ModInfo::ModVersion] = edtModVersion->Bytes();
  info.texts[ModInfo::Description] = memDescription->Bytes();
  return info;
}

void TfrmMain::ModInfoToFields(const ModInfo& info) {
  edtTitle->SetBytes(info.texts[ModInfo::Title]);
  edtAuthor->SetBytes(info.texts[ModInfo::Author]);
  edtD2Version->SetBytes(info.texts[ModInfo::D2Version]);
  edtURL->SetBytes(info.texts[ModInfo::URL]);
  edtModVersion->SetBytes(info.texts[ModInfo::ModVersion]);
  memDescription->SetBytes(info.texts[ModInfo::Description]);
}
