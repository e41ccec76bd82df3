#pragma once
// The words after a command's name: options, declared by the command, and
// the rest in their order. An option with a value takes the next word or the
// part after "=" (--title=T); "--" ends the options, so that a name starting
// with "-" can still be given.
#include <QHash>
#include <QString>
#include <QStringList>

namespace cli {

class Options {
 public:
  // name is the long spelling ("--long"); alias an optional short one ("-o").
  void Flag(const QString& name, const QString& alias = {});
  void Value(const QString& name, const QString& alias = {});

  // False, with Error() naming the word, for an option not declared, a value
  // missing after its option, or a value given to a flag.
  bool Parse(const QStringList& words);

  bool Given(const QString& name) const { return values_.contains(name); }
  // The value given last for the option; empty when it was not given.
  QString ValueOf(const QString& name) const { return values_.value(name); }
  const QStringList& Positional() const { return positional_; }
  const QString& Error() const { return error_; }

  // words without each word that is one of spellings where it stands as an
  // option: never as the value of a declared option before it (which takes
  // the next word, whatever it is), never after "--". found tells whether
  // one was taken out.
  QStringList Without(const QStringList& words, const QStringList& spellings, bool& found) const;

 private:
  struct Declared {
    QString name;
    bool takesValue = false;
  };
  QHash<QString, Declared> declared_;  // by every spelling
  QHash<QString, QString> values_;     // by long spelling
  QStringList positional_;
  QString error_;
};

}  // namespace cli
