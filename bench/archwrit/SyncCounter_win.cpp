// On Windows each library's calls of FlushFileBuffers are bound to the system's
// own, so none is seen here.
#include "SyncCounter.h"

namespace bench {

bool syncsCounted() {
  return false;
}

long syncCount() {
  return 0;
}

}  // namespace bench
