#pragma once
// A one-line field for single-byte text. Bytes set by a command come back
// exactly as long as the user has not edited the field, whatever the field
// does to them for display; edited text is taken back as Windows-1252.
#include <QByteArray>
#include <QLineEdit>

class AnsiLineEdit : public QLineEdit {
  Q_OBJECT
 public:
  explicit AnsiLineEdit(QWidget* parent = nullptr);

  QByteArray Bytes() const;
  void SetBytes(const QByteArray& bytes);

 private:
  QByteArray bytes_;
  QString shown_;
};
