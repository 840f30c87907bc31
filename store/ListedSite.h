#pragma once

#include <cstdint>
#include <string>

namespace ostrel {

// A site as a list showed it: its slot, its owner's user id and its name.
// An operation by slot number is given one to check, under the file's lock,
// that the slot still holds that site (another window or program may have
// added, deleted or moved records since the list was made).
struct ListedSite {
  int16_t Slot = 0;
  int16_t Owner = 0;
  std::string Name;
};

}  // namespace ostrel
