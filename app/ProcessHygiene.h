#pragma once

namespace ostrel {

// What the ostrel process does first, because it holds secrets in memory
// (the file key, login and site passwords): no core dump is ever written
// of it and other processes of the user may not read its memory
// (PR_SET_DUMPABLE 0, RLIMIT_CORE 0), and everything it creates is its
// owner's alone (umask 077: files 0600, folders 0700), the browser's
// profile included.
void HardenProcess();

}  // namespace ostrel
