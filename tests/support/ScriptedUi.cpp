#include "ScriptedUi.h"

#include <QtTest>

ScriptedUi::ScriptedUi() : previous_(ui::SetBackend(this)) {}

ScriptedUi::~ScriptedUi() {
  ui::SetBackend(previous_);
  if (PendingAnswers() > 0 && failOnUnanswered_ && QTest::runningTest() && !QTest::currentTestFailed())
    QTest::qFail(qPrintable(QStringLiteral("%1 scripted answer(s) never used").arg(PendingAnswers())),
                 __FILE__, __LINE__);
}

int ScriptedUi::PendingAnswers() const {
  return int(fileAnswers_.size() + messageAnswers_.size() + promptAnswers_.size() + folderAnswers_.size() +
             choiceAnswers_.size() + colourAnswers_.size());
}

void ScriptedUi::ConfirmFileDialog(const QStringList& paths, Hook whileShown) {
  fileAnswers_ << Answer{true, 0, paths, {}, std::move(whileShown)};
}
void ScriptedUi::CancelFileDialog(Hook whileShown) {
  fileAnswers_ << Answer{false, 0, {}, {}, std::move(whileShown)};
}
void ScriptedUi::AnswerMessage(int result, Hook whileShown) {
  messageAnswers_ << Answer{true, result, {}, {}, std::move(whileShown)};
}
void ScriptedUi::ConfirmPrompt(std::optional<QByteArray> text, Hook whileShown) {
  promptAnswers_ << Answer{true, 0, {}, std::move(text), std::move(whileShown)};
}
void ScriptedUi::CancelPrompt(Hook whileShown) {
  promptAnswers_ << Answer{false, 0, {}, {}, std::move(whileShown)};
}
void ScriptedUi::ConfirmFolder(const QString& folder, Hook whileShown) {
  folderAnswers_ << Answer{true, 0, {folder}, {}, std::move(whileShown)};
}
void ScriptedUi::CancelFolder(Hook whileShown) {
  folderAnswers_ << Answer{false, 0, {}, {}, std::move(whileShown)};
}
void ScriptedUi::Choose(const QString& button, Hook whileShown) {
  choiceAnswers_ << Answer{true, 0, {button}, {}, std::move(whileShown)};
}
void ScriptedUi::CancelChoice(Hook whileShown) {
  choiceAnswers_ << Answer{false, 0, {}, {}, std::move(whileShown)};
}

void ScriptedUi::ConfirmColour(const QColor& colour, Hook whileShown) {
  colourAnswers_ << Answer{true, 0, {}, {}, std::move(whileShown), colour};
}
void ScriptedUi::CancelColour(Hook whileShown) {
  colourAnswers_ << Answer{false, 0, {}, {}, std::move(whileShown)};
}

bool ScriptedUi::Take(QList<Answer>& queue, const QString& what, Answer& answer) {
  if (queue.isEmpty()) {
    const QString error = QStringLiteral("no scripted answer for ") + what;
    errors << error;
    if (failOnUnanswered_ && QTest::runningTest()) QTest::qFail(qPrintable(error), __FILE__, __LINE__);
    return false;
  }
  answer = queue.takeFirst();
  if (answer.whileShown) answer.whileShown();
  return true;
}

bool ScriptedUi::ExecuteFileDialog(const FileDialog& dialog, QStringList& chosen) {
  fileDialogs << FileDialogCall{dialog};
  order << QStringLiteral("file");
  Answer a;
  if (!Take(fileAnswers_, QStringLiteral("file dialog \"%1\"").arg(dialog.Title), a) || !a.confirm)
    return false;
  chosen = a.paths;
  return true;
}

int ScriptedUi::MessageBox(const QString& text, const QString& title, int flags) {
  messages << MessageCall{text, title, flags};
  order << QStringLiteral("message");
  Answer a;
  if (!Take(messageAnswers_, QStringLiteral("message \"%1\": \"%2\"").arg(title, text), a))
    return (flags & 0x0F) == ui::mbOk ? ui::idOk : (flags & 0x0F) == ui::mbYesNo ? ui::idNo : ui::idCancel;
  return a.result;
}

bool ScriptedUi::InputQuery(const QString& caption, const QString& prompt, QByteArray& value) {
  prompts << PromptCall{caption, prompt, value};
  order << QStringLiteral("prompt");
  Answer a;
  if (!Take(promptAnswers_, QStringLiteral("prompt \"%1\"").arg(caption), a) || !a.confirm) return false;
  if (a.text) value = *a.text;
  return true;
}

bool ScriptedUi::BrowseFolder(const QString& caption, const QString& startDir, QString& chosen) {
  folders << FolderCall{caption, startDir};
  order << QStringLiteral("folder");
  Answer a;
  if (!Take(folderAnswers_, QStringLiteral("folder browser"), a) || !a.confirm) return false;
  chosen = a.paths.value(0);
  return true;
}

int ScriptedUi::Choose(const QString& caption, const QString& text, const QStringList& buttons,
                       int defaultButton) {
  choices << ChoiceCall{caption, text, buttons, defaultButton};
  order << QStringLiteral("choice");
  Answer a;
  if (!Take(choiceAnswers_, QStringLiteral("choice \"%1\": \"%2\"").arg(caption, text), a) || !a.confirm)
    return ui::kChoiceCancelled;
  const qsizetype index = buttons.indexOf(a.paths.value(0));
  if (index < 0) {
    const QString error = QStringLiteral("scripted choice \"%1\" is not among %2")
                              .arg(a.paths.value(0), buttons.join(QStringLiteral(", ")));
    errors << error;
    if (QTest::runningTest()) QTest::qFail(qPrintable(error), __FILE__, __LINE__);
    return ui::kChoiceCancelled;
  }
  return int(index);
}

bool ScriptedUi::ChooseColour(const QString& caption, QColor& colour) {
  colourCaptions << caption;
  order << QStringLiteral("colour");
  Answer a;
  if (!Take(colourAnswers_, QStringLiteral("colour \"%1\"").arg(caption), a) || !a.confirm) return false;
  colour = a.colour;
  return true;
}

void ScriptedUi::SetCursor(int code) {
  cursors << code;
}

void ScriptedUi::ProcessMessages() {
  ++pumps;
  if (onPump_) onPump_();
}
