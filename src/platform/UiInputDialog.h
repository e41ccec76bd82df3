#pragma once
// The one-line prompt: a caption, one prompt line, an edit field preset with
// a single-byte value (all of it selected), OK and Cancel.
#include <QByteArray>
#include <QDialog>

class QLabel;
class QLineEdit;

class UiInputDialog : public QDialog {
  Q_OBJECT
 public:
  // Typing stops at 255 characters; a longer preset is kept whole.
  static constexpr int kMaxTyped = 255;

  UiInputDialog(const QString& caption, const QString& prompt, const QByteArray& value,
                QWidget* parent = nullptr);

  QByteArray value() const;
  QLineEdit* edit() const { return edit_; }

 private:
  QLabel* prompt_;
  QLineEdit* edit_;
};
