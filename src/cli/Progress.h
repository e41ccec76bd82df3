#pragma once
// A count that moves on one line of the error stream ("Extracting 120/3000"),
// at most a few times a second, and is cleared when the work ends. Silent
// unless the command may show progress (a terminal, no -q).
#include <QElapsedTimer>
#include <QString>

#include "cli/CliIo.h"

namespace cli {

class Progress {
 public:
  Progress(Io& io, QString label);
  ~Progress();
  Progress(const Progress&) = delete;
  Progress& operator=(const Progress&) = delete;

  void Show(qint64 done, qint64 total);

 private:
  Io& io_;
  QString label_;
  QElapsedTimer shown_;
  bool anything_ = false;
};

}  // namespace cli
