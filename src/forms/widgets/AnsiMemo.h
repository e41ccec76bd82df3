#pragma once
// A multi-line field for single-byte text whose lines are joined by CR LF.
// Bytes set by a command come back exactly while the user has not edited the
// field (a lone CR or LF included); edited text comes back with CR LF between
// the lines the user typed, nothing added for lines wrapped on screen.
#include <QByteArray>
#include <QPlainTextEdit>

class AnsiMemo : public QPlainTextEdit {
  Q_OBJECT
 public:
  explicit AnsiMemo(QWidget* parent = nullptr);

  QByteArray Bytes() const;
  void SetBytes(const QByteArray& bytes);

 private:
  QString Shown() const;

  QByteArray bytes_;
  QString shown_;
};
