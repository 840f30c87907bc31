#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>

#include "platform/browser/Browser.h"

namespace ostrel::bench {

// What the calls of one interface method cost in all.
struct CallCost {
  uint64_t calls = 0;
  uint64_t round_trips = 0;
  std::chrono::nanoseconds time{0};
};

// Per method ("IElement::value", ...), what its calls cost.
using CallCosts = std::map<std::string, CallCost>;

// Wraps a browser so that every call made through it, and through every
// object it hands out, is counted with the protocol round trips and the time
// it took. round_trips() reads the connection's round-trip counter.
std::unique_ptr<IBrowser> Profile(IBrowser& inner, std::function<uint64_t()> round_trips,
                                  CallCosts& costs);

}  // namespace ostrel::bench
