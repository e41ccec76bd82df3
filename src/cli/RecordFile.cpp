#include "cli/RecordFile.h"

#include "platform/Files.h"

namespace cli {

RecordFile::~RecordFile() {
  files::DeleteFile(path_);
}

}  // namespace cli
