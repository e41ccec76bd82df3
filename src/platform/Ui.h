#pragma once
// Every modal conversation with the user goes through one seam: file dialogs,
// message boxes, the internal-name prompt, the folder browser, the screen
// cursor and message pumping. The Qt backend is the default; tests install a
// scripted one that answers from a queue and logs what was asked.
#include <QByteArray>
#include <QString>
#include <QStringList>
#include <functional>

class FileDialog;
class QColor;

namespace ui {

// Message-box style words (buttons | icon) and the results they return.
inline constexpr int mbOk = 0x00;
inline constexpr int mbOkCancel = 0x01;
inline constexpr int mbAbortRetryIgnore = 0x02;
inline constexpr int mbYesNoCancel = 0x03;
inline constexpr int mbYesNo = 0x04;
inline constexpr int mbRetryCancel = 0x05;
inline constexpr int mbIconError = 0x10;
inline constexpr int mbIconQuestion = 0x20;
inline constexpr int mbIconExclamation = 0x30;
inline constexpr int mbIconInformation = 0x40;
inline constexpr int mbDefButton2 = 0x100;
inline constexpr int mbDefButton3 = 0x200;

inline constexpr int idOk = 1;
inline constexpr int idCancel = 2;
inline constexpr int idAbort = 3;
inline constexpr int idRetry = 4;
inline constexpr int idIgnore = 5;
inline constexpr int idYes = 6;
inline constexpr int idNo = 7;

// Screen cursor codes.
inline constexpr int crDefault = 0;
inline constexpr int crArrow = -2;
inline constexpr int crHourGlass = -11;

class UiBackend {
 public:
  virtual ~UiBackend() = default;
  // Shows dialog with its settings; true and the chosen paths (in the dialog's
  // order) when confirmed.
  virtual bool ExecuteFileDialog(const FileDialog& dialog, QStringList& chosen) = 0;
  // Returns one of the id* results.
  virtual int MessageBox(const QString& text, const QString& title, int flags) = 0;
  // A one-line prompt preset with value, all of it selected, at least 255
  // characters long. True and the edited value on OK.
  virtual bool InputQuery(const QString& caption, const QString& prompt, QByteArray& value) = 0;
  // True and the chosen folder when confirmed.
  virtual bool BrowseFolder(const QString& caption, const QString& startDir, QString& chosen) = 0;
  // A question answered by one of buttons (their texts, in order, with
  // Cancel after them): the chosen button's index, or kChoiceCancelled.
  virtual int Choose(const QString& caption, const QString& text, const QStringList& buttons,
                     int defaultButton) = 0;
  // A colour picked, preset with colour; true and the choice when confirmed.
  // A backend that cannot ask answers as if cancelled.
  virtual bool ChooseColour(const QString& caption, QColor& colour) {
    (void)caption;
    (void)colour;
    return false;
  }
  virtual void SetCursor(int code) = 0;
  virtual void ProcessMessages() = 0;
};

UiBackend& Backend();
// Installs backend (nullptr: the Qt one) and returns the one it replaces.
UiBackend* SetBackend(UiBackend* backend);

int MessageBox(const QString& text, const QString& title, int flags);

bool InputQuery(const QString& caption, const QString& prompt, QByteArray& value);
// The edited value on OK, defaultValue when cancelled.
QByteArray InputBox(const QString& caption, const QString& prompt, const QByteArray& defaultValue);

// The prompt for an internal name, in its two forms.
inline constexpr char kInternalNameCaption[] = "Internal Name";
inline constexpr char kInternalNamePrompt[] = "Enter the internal directory and name:";
bool InternalNameQuery(QByteArray& value);
QByteArray InternalNameBox(const QByteArray& defaultValue);

bool BrowseFolder(const QString& caption, const QString& startDir, QString& chosen);

// A question with buttons of its own: the index of the one chosen (button
// defaultButton is the default), or kChoiceCancelled for Cancel, Esc or the
// box closed.
inline constexpr int kChoiceCancelled = -1;
int Choose(const QString& caption, const QString& text, const QStringList& buttons, int defaultButton = 0);

bool ChooseColour(const QString& caption, QColor& colour);

// The screen cursor is a single setting, not a stack: the last code set wins.
void SetScreenCursor(int code);
int ScreenCursor();

// Sets a cursor and puts the default back on every way out of the scope.
class ScopedCursor {
 public:
  explicit ScopedCursor(int code) { SetScreenCursor(code); }
  ~ScopedCursor() { SetScreenCursor(crDefault); }
  ScopedCursor(const ScopedCursor&) = delete;
  ScopedCursor& operator=(const ScopedCursor&) = delete;
};

// Lets the application handle the events that are waiting, once.
void ProcessMessages();

// The application's own title: the error box's title. Kept apart from Qt's
// application name so that Qt never appends it to window captions.
QString ApplicationTitle();
void SetApplicationTitle(const QString& title);

// The text the error box shows for message: a full stop is appended when the
// message is not empty and its last character's byte sorts after ".".
QString ErrorBoxText(const QString& message);
// The application error box: OK, error icon, titled with the application title.
void ShowAppError(const QString& message);

// Runs a command; an error it does not handle (AppError, or any other
// exception) ends it and is shown in the application error box. False then.
bool RunCommand(const std::function<void()>& command);

}  // namespace ui
