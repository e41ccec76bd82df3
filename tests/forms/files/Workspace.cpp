#include "Workspace.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QtTest>

#include "Fixtures.h"
#include "archive/UpdateLibrary.h"
#include "forms/preferences/untPreferences.h"
#include "forms/widgets/FolderEdit.h"

namespace cmd {

namespace {
const QString kSmpq = QStringLiteral("/usr/bin/smpq");
}

Workspace::Workspace() {
  QDir(scratch_.path()).mkpath(QStringLiteral("in"));
  QDir(scratch_.path()).mkpath(QStringLiteral("out"));
  TfrmPreferences::SetIniFileNameForTesting(path(QStringLiteral("QUILL.INI")));
  w = new TfrmMain;
  auto* preferences = new TfrmPreferences(w);
  w->SetForms(nullptr, preferences);
  preferences->edtInputPath->setText(inputDir());
  preferences->edtOutputPath->setText(outputDir());
}

Workspace::~Workspace() {
  if (w) {
    w->CommandsUpdated();
    delete w;
  }
  TfrmPreferences::SetIniFileNameForTesting({});
}

void Workspace::Destroy() {
  delete w;
  w = nullptr;
}

void Workspace::Open(const QString& archive) {
  ui.ConfirmFileDialog({archive});
  w->btnOpen->click();
}

void Workspace::New(const QString& archive) {
  ui.ConfirmFileDialog({archive});
  w->btnNew->click();
}

void Workspace::Add(const QStringList& files, const QList<std::optional<QByteArray>>& names) {
  ui.ConfirmFileDialog(files);
  for (const auto& name : names) ui.ConfirmPrompt(name);
  w->btnAdd->click();
}

void Workspace::AddFolder(const QString& folder, std::optional<QByteArray> prefix) {
  ui.ConfirmFolder(folder);
  ui.ConfirmPrompt(std::move(prefix));
  w->mniAddFolder->trigger();
}

void Workspace::ExportAll(const QString& folder) {
  ui.ConfirmFolder(folder);
  w->mniExportAll->trigger();
}

QList<QByteArray> Workspace::Captions() const {
  QList<QByteArray> captions;
  for (const ModEntry& e : w->Rows->Rows()) captions << e.Caption;
  return captions;
}

QStringList Workspace::SizeTexts() const {
  QStringList sizes;
  for (const ModEntry& e : w->Rows->Rows()) sizes << e.SizeText;
  return sizes;
}

QString Workspace::UpdateState() const {
  const bool button = w->btnUpdate->isEnabled(), item = w->mniUpdateMod->isEnabled();
  return button != item ? QStringLiteral("mixed") : button ? QStringLiteral("on") : QStringLiteral("off");
}

bool Workspace::EntryCommandsOn() const {
  return w->btnAdd->isEnabled() && w->btnRemove->isEnabled() && w->btnExport->isEnabled() &&
         w->tbSheetSave->isEnabled() && w->tbSheetImport->isEnabled() && w->mniAddFile->isEnabled() &&
         w->mniRemoveFile->isEnabled();
}

ModInfo SampleModInfo() {
  ModInfo info;
  info.texts[ModInfo::Title] = "Caf\xE9 Mod";
  info.texts[ModInfo::Author] = "Quill \x80 Forge";
  info.texts[ModInfo::D2Version] = "1.10";
  info.texts[ModInfo::URL] = "http://example.org/mod?a=1&b=<2>";
  info.texts[ModInfo::ModVersion] = "0.4b";
  info.texts[ModInfo::Description] = "first line\r\nsecond \xFF line";
  return info;
}

bool SameModInfo(const ModInfo& a, const ModInfo& b) {
  return std::equal(std::begin(a.texts), std::end(a.texts), std::begin(b.texts));
}

bool HaveSmpq() {
  return QFileInfo(kSmpq).isExecutable();
}

bool SmpqCreate(const QString& archive, const QMap<QString, QByteArray>& files, int mpqVersion) {
  QTemporaryDir folder;
  QStringList args = {"-c", "-C", "PKWARE", "-E", "-M", QString::number(mpqVersion), archive};
  for (auto it = files.begin(); it != files.end(); ++it) {
    const QString file = folder.filePath(it.key());
    QDir().mkpath(QFileInfo(file).absolutePath());
    if (!fixtures::writeAll(file, it.value())) return false;
    args << it.key();
  }
  QFile::remove(archive);
  QProcess p;
  p.setWorkingDirectory(folder.path());
  p.start(kSmpq, args);
  return p.waitForFinished(60000) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
}

QMap<QString, QByteArray> FixtureTree(const QString& under) {
  QMap<QString, QByteArray> tree;
  const QDir root(fixtures::modDir());
  for (const QString& file : fixtures::allFiles()) {
    const QString relative = root.relativeFilePath(file);
    if (relative.startsWith(under)) tree.insert(relative, fixtures::readAll(file));
  }
  return tree;
}

QMap<QString, QByteArray> ReadTree(const QString& folder) {
  QMap<QString, QByteArray> tree;
  for (QDirIterator it(folder, QDir::Files | QDir::Hidden | QDir::System, QDirIterator::Subdirectories);
       it.hasNext();) {
    const QString file = it.next();
    tree.insert(QDir(folder).relativeFilePath(file), fixtures::readAll(file));
  }
  return tree;
}

ArchwritCalls::ArchwritCalls()
    : log_(QDir::temp().filePath(
          QStringLiteral("qf_archwrit_calls_%1.log").arg(QCoreApplication::applicationPid()))) {
  QFile::remove(log_);
  qputenv("QF_ARCHWRIT_LOG", QFile::encodeName(log_));
  UpdateLibrary::SetLibraryFileForTesting(QStringLiteral(QF_RECORDING_ARCHWRIT));
}

ArchwritCalls::~ArchwritCalls() {
  UpdateLibrary::SetLibraryFileForTesting({});
  qunsetenv("QF_ARCHWRIT_LOG");
  QFile::remove(log_);
}

QStringList ArchwritCalls::Take() {
  const QString text = QString::fromLocal8Bit(fixtures::readAll(log_));
  QFile::remove(log_);
  QStringList lines = text.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
  const QString record = QStringLiteral("add (modinfo)|");
  for (QString& line : lines) {
    if (!line.startsWith(record)) continue;
    const qsizetype end = line.indexOf(QLatin1Char(' '), record.size());
    records << line.mid(record.size(), end - record.size());
    line = record + QStringLiteral("<record>") + line.mid(end);
  }
  return lines;
}

}  // namespace cmd
