#include "platform/LibraryShare.h"

namespace storm {

// An open file never keeps another program from unlinking or replacing it.
void ShareLibraryReadOpens() {}

}  // namespace storm
