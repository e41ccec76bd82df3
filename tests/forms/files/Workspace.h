#pragma once
// A main window with its preferences dialog in a scratch folder, driven
// through its buttons while the scripted dialogs answer, and the archives the
// tests open: written by ARCHWRIT (through Update itself) or by smpq.
#include <QAction>
#include <QByteArray>
#include <QList>
#include <QMap>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <QToolButton>
#include <QTreeView>
#include <optional>

#include "ScriptedUi.h"
#include "archive/ModInfo.h"
#include "forms/files/FilesView.h"
#include "forms/main/untMain.h"

namespace cmd {

class Workspace {
 public:
  // Input folder <scratch>/in, output folder <scratch>/out.
  Workspace();
  // Drops pending changes first, so no exit question is asked; see Destroy.
  ~Workspace();

  QString path(const QString& name) const { return scratch_.filePath(name); }
  QString inputDir() const { return path(QStringLiteral("in")); }
  QString outputDir() const { return path(QStringLiteral("out")); }

  // Each queues the answers its command needs, then clicks the command's button.
  void Open(const QString& archive);
  void New(const QString& archive);
  // One prompt per file, answered with its name (nullopt keeps the proposal).
  void Add(const QStringList& files, const QList<std::optional<QByteArray>>& names);
  void Update() { w->btnUpdate->click(); }
  // Add Folder of folder; its prompt answered with prefix (nullopt keeps the
  // proposal).
  void AddFolder(const QString& folder, std::optional<QByteArray> prefix = std::nullopt);
  // Export All into folder.
  void ExportAll(const QString& folder);
  // Destroys the window now: its save-changes question runs.
  void Destroy();

  QList<QByteArray> Captions() const;
  QStringList SizeTexts() const;
  // The first row with that caption; -1 when none has it.
  int RowOf(const QByteArray& caption) const { return int(Captions().indexOf(caption)); }
  // "on", "off", or "mixed" when the button and the menu item disagree.
  QString UpdateState() const;
  // Add, Remove, Export, Save (and Import) and their menu items, all on.
  bool EntryCommandsOn() const;
  void SetModInfo(const ModInfo& info) { w->ModInfoToFields(info); }

  ScriptedUi ui;
  TfrmMain* w = nullptr;

 private:
  QTemporaryDir scratch_;
};

// Six distinct texts, high bytes and a two-line description included.
ModInfo SampleModInfo();
bool SameModInfo(const ModInfo& a, const ModInfo& b);

// A new archive made by smpq (-c -C PKWARE -E -M 1, or the mpqVersion given)
// from files, each a path relative to a scratch folder ("data/x.txt", stored
// as "data\x.txt") and its bytes. False when smpq fails.
bool SmpqCreate(const QString& archive, const QMap<QString, QByteArray>& files, int mpqVersion = 1);
bool HaveSmpq();
// The fixture files below data/global/excel, by relative path, and all of them.
QMap<QString, QByteArray> FixtureTree(const QString& under = QStringLiteral("data"));
// Every file below folder by its path relative to it, '/' between levels.
QMap<QString, QByteArray> ReadTree(const QString& folder);

// Update's calls to the archive-update library, one line each, recorded by a
// library that passes every call on to the real ARCHWRIT:
//   "open <path>| 0x5 -> 1", "add <name>|<source> 0x10201 -> 1",
//   "delete <name>| 0 -> 1", "close | 0 -> 1".
// The record's temporary file shows as the source "<record>" (its paths are
// kept in records). Active while the object lives.
class ArchwritCalls {
 public:
  ArchwritCalls();
  ~ArchwritCalls();
  // The lines recorded since the last Take.
  QStringList Take();
  QStringList records;

 private:
  QString log_;
};

}  // namespace cmd
