#include "platform/Ui.h"

#include <exception>

#include "platform/Ansi.h"
#include "platform/AppError.h"
#include "platform/UiQt.h"

namespace ui {

namespace {
UiBackend* current = nullptr;
int screenCursor = crDefault;
QString applicationTitle;

QtUiBackend& qtBackend() {
  static QtUiBackend backend;
  return backend;
}
}  // namespace

UiBackend& Backend() {
  return current ? *current : qtBackend();
}

UiBackend* SetBackend(UiBackend* backend) {
  UiBackend* previous = current;
  current = backend;
  return previous;
}

int MessageBox(const QString& text, const QString& title, int flags) {
  return Backend().MessageBox(text, title, flags);
}

bool InputQuery(const QString& caption, const QString& prompt, QByteArray& value) {
  QByteArray edited = value;
  if (!Backend().InputQuery(caption, prompt, edited)) return false;
  value = edited;
  return true;
}

QByteArray InputBox(const QString& caption, const QString& prompt, const QByteArray& defaultValue) {
  QByteArray value = defaultValue;
  return InputQuery(caption, prompt, value) ? value : defaultValue;
}

bool InternalNameQuery(QByteArray& value) {
  return InputQuery(QString::fromLatin1(kInternalNameCaption), QString::fromLatin1(kInternalNamePrompt),
                    value);
}

QByteArray InternalNameBox(const QByteArray& defaultValue) {
  return InputBox(QString::fromLatin1(kInternalNameCaption), QString::fromLatin1(kInternalNamePrompt),
                  defaultValue);
}

int Choose(const QString& caption, const QString& text, const QStringList& buttons, int defaultButton) {
  return Backend().Choose(caption, text, buttons, defaultButton);
}

bool ChooseColour(const QString& caption, QColor& colour) {
  return Backend().ChooseColour(caption, colour);
}

bool BrowseFolder(const QString& caption, const QString& startDir, QString& chosen) {
  return Backend().BrowseFolder(caption, startDir, chosen);
}

void SetScreenCursor(int code) {
  screenCursor = code;
  Backend().SetCursor(code);
}

int ScreenCursor() {
  return screenCursor;
}

void ProcessMessages() {
  Backend().ProcessMessages();
}

QString ApplicationTitle() {
  return applicationTitle;
}
void SetApplicationTitle(const QString& title) {
  applicationTitle = title;
}

QString ErrorBoxText(const QString& message) {
  if (message.isEmpty()) return message;
  const QByteArray last = ansi::fromDisplay(message.right(1));
  return quint8(last.at(0)) > quint8('.') ? message + QLatin1Char('.') : message;
}

void ShowAppError(const QString& message) {
  MessageBox(ErrorBoxText(message), ApplicationTitle(), mbOk | mbIconError);
}

bool RunCommand(const std::function<void()>& command) {
  try {
    command();
    return true;
  } catch (const AppError& error) {
    ShowAppError(error.message());
  } catch (const std::exception& error) {
    ShowAppError(QString::fromLocal8Bit(error.what()));
  }
  return false;
}

}  // namespace ui
