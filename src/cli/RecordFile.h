#pragma once
// The temporary file of a mod information record, deleted when it goes.
#include <QString>

namespace cli {

class RecordFile {
 public:
  explicit RecordFile(QString path) : path_(std::move(path)) {}
  ~RecordFile();
  RecordFile(const RecordFile&) = delete;
  RecordFile& operator=(const RecordFile&) = delete;
  const QString& path() const { return path_; }

 private:
  QString path_;
};

}  // namespace cli
