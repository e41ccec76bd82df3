#pragma once
// A dialog backend for tests: every dialog, box and prompt takes the next
// queued answer and is logged. A dialog shown with no answer queued fails
// the running test (and answers "cancel"/"No"), so a flow can never hang
// waiting offscreen. Constructing one installs it; destroying it puts the
// previous backend back and fails the test if queued answers were never used.
#include <QByteArray>
#include <QColor>
#include <QList>
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

#include "platform/Ui.h"
#include "platform/UiFileDialog.h"

class ScriptedUi : public ui::UiBackend {
 public:
  using Hook = std::function<void()>;

  struct MessageCall {
    QString text;
    QString title;
    int flags;
  };
  struct FileDialogCall {
    FileDialog dialog;  // as it was set up when shown
  };
  struct PromptCall {
    QString caption;
    QString prompt;
    QByteArray preset;
  };
  struct FolderCall {
    QString caption;
    QString startDir;
  };
  struct ChoiceCall {
    QString caption;
    QString text;
    QStringList buttons;
    int defaultButton;
  };

  ScriptedUi();
  ~ScriptedUi() override;
  ScriptedUi(const ScriptedUi&) = delete;
  ScriptedUi& operator=(const ScriptedUi&) = delete;

  // ---- Answers, each used once, in order. whileShown runs while the dialog
  // "is on screen", before it returns.
  void ConfirmFileDialog(const QStringList& paths, Hook whileShown = {});
  void CancelFileDialog(Hook whileShown = {});
  void AnswerMessage(int result, Hook whileShown = {});
  // OK with text typed over the preset; nullopt keeps the preset.
  void ConfirmPrompt(std::optional<QByteArray> text = std::nullopt, Hook whileShown = {});
  void CancelPrompt(Hook whileShown = {});
  void ConfirmFolder(const QString& folder, Hook whileShown = {});
  void CancelFolder(Hook whileShown = {});
  // The button of that text (it must be one of those shown), or Cancel.
  void Choose(const QString& button, Hook whileShown = {});
  void CancelChoice(Hook whileShown = {});
  void ConfirmColour(const QColor& colour, Hook whileShown = {});
  void CancelColour(Hook whileShown = {});
  // Runs on every message pump (to test re-entry while a loop pumps).
  void OnPump(Hook hook) { onPump_ = std::move(hook); }

  // Record unanswered dialogs in errors instead of failing the test.
  void SetFailOnUnanswered(bool fail) { failOnUnanswered_ = fail; }
  int PendingAnswers() const;

  // ---- What was asked.
  QList<MessageCall> messages;
  QList<FileDialogCall> fileDialogs;
  QList<PromptCall> prompts;
  QList<FolderCall> folders;
  QList<ChoiceCall> choices;
  QStringList colourCaptions;
  QList<int> cursors;
  int pumps = 0;
  QStringList order;   // "message", "file", "prompt", "folder", "choice", "colour", in the order asked
  QStringList errors;  // dialogs shown with no answer queued

  // ---- The backend.
  bool ExecuteFileDialog(const FileDialog& dialog, QStringList& chosen) override;
  int MessageBox(const QString& text, const QString& title, int flags) override;
  bool InputQuery(const QString& caption, const QString& prompt, QByteArray& value) override;
  bool BrowseFolder(const QString& caption, const QString& startDir, QString& chosen) override;
  int Choose(const QString& caption, const QString& text, const QStringList& buttons, int defaultButton) override;
  bool ChooseColour(const QString& caption, QColor& colour) override;
  void SetCursor(int code) override;
  void ProcessMessages() override;

 private:
  struct Answer {
    bool confirm = false;
    int result = 0;
    QStringList paths;
    std::optional<QByteArray> text;
    Hook whileShown;
    QColor colour = {};
  };
  bool Take(QList<Answer>& queue, const QString& what, Answer& answer);

  QList<Answer> fileAnswers_, messageAnswers_, promptAnswers_, folderAnswers_, choiceAnswers_, colourAnswers_;
  Hook onPump_;
  bool failOnUnanswered_ = true;
  ui::UiBackend* previous_;
};
