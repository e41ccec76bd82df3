#pragma once
// An error that a command does not handle itself. It ends the command and
// travels to one place: the application error box.
#include <QString>
#include <exception>

class AppError : public std::exception {
 public:
  explicit AppError(QString message) : message_(std::move(message)) {}
  const QString& message() const noexcept { return message_; }
  const char* what() const noexcept override { return "AppError"; }

 private:
  QString message_;
};
