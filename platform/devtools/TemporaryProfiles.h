#pragma once

#include <sys/types.h>

#include <string>

// The browsers a program has started and their temporary profile folders,
// remembered so that an interrupt does not leave them behind. While one is
// registered, SIGINT, SIGTERM and SIGHUP (unless the program handles them
// itself) end every registered browser's process group, remove every
// registered folder and then end the program as the signal would have.
// Everything the handler does is safe in a signal handler.
namespace ostrel::temporary_profiles {

// Registers a profile folder (empty: none to remove) before its browser
// starts; returns a key, or -1 when the table is full (at most 16).
int Register(const std::string& folder);
// The browser's process group, once it has started.
void SetGroup(int key, pid_t group);
// Forgets the entry: the program ends the browser and removes the folder
// itself.
void Unregister(int key);

}  // namespace ostrel::temporary_profiles
