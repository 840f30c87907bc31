#include "app/ProcessHygiene.h"

#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/stat.h>

namespace ostrel {

void HardenProcess() {
  const rlimit none{0, 0};
  setrlimit(RLIMIT_CORE, &none);
  prctl(PR_SET_DUMPABLE, 0, 0, 0, 0);
  umask(077);
}

}  // namespace ostrel
