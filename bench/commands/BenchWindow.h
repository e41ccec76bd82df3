#pragma once
// The pieces the command benchmarks share: dialogs answered without showing
// anything (while messages are still really pumped), running smpq, medians,
// and the one-line figure format.
#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>
#include <functional>

#include "platform/Ui.h"

namespace bench {

// Confirms every file dialog with the queued paths, every folder browser with
// the next queued folder, answers every prompt with the next queued name,
// every message box with OK (and counts them); pumps with the application's
// real event processing.
class QuietUi : public ui::UiBackend {
 public:
  QuietUi();
  ~QuietUi() override;
  QList<QStringList> dialogs;
  QList<QByteArray> names;
  QStringList folders;
  int messages = 0;

  bool ExecuteFileDialog(const FileDialog& dialog, QStringList& chosen) override;
  int MessageBox(const QString& text, const QString& title, int flags) override;
  bool InputQuery(const QString& caption, const QString& prompt, QByteArray& value) override;
  bool BrowseFolder(const QString& caption, const QString& startDir, QString& chosen) override;
  // No bench asks a question of its own: it is cancelled.
  int Choose(const QString&, const QString&, const QStringList&, int) override { return ui::kChoiceCancelled; }
  void SetCursor(int code) override;
  void ProcessMessages() override;

 private:
  ui::UiBackend* previous_;
};

QString FixturesDir();
// Runs /usr/bin/smpq in folder; false when it fails.
bool Smpq(const QStringList& args, const QString& folder);
// Milliseconds: the median of runs, each after setup (not timed).
double MedianMs(int runs, const std::function<void()>& setup, const std::function<void()>& work);
// BENCH <name> <value> <unit> vs <peer> <peer-value> ratio <value/peer-value> target <target>
void Report(const char* name, double value, const char* unit, const char* peer, double peerValue,
            const char* target);
// Ends the benchmark with a message when a step that must work did not.
void Require(bool ok, const char* what);

}  // namespace bench
