#include "cli/Progress.h"

#include "cli/OutputText.h"

namespace cli {

namespace {
constexpr qint64 kEveryMs = 100;
}

Progress::Progress(Io& io, QString label) : io_(io), label_(std::move(label)) {}

Progress::~Progress() {
  // The cursor goes back over the count and the line is emptied.
  if (anything_) Write(io_.err, "\r\033[K");
}

void Progress::Show(qint64 done, qint64 total) {
  if (!io_.progress) return;
  if (anything_ && shown_.elapsed() < kEveryMs && done < total) return;
  shown_.start();
  anything_ = true;
  Write(io_.err, QStringLiteral("\r%1 %2/%3").arg(label_).arg(done).arg(total).toUtf8());
  std::fflush(io_.err);
}

}  // namespace cli
