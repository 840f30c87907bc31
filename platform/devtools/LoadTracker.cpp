#include "platform/devtools/LoadTracker.h"

namespace ostrel {

int32_t LoadTracker::StateOf(const std::string& loader_id) const {
  if (loaded_.count(loader_id)) return 4;
  if (interactive_.count(loader_id)) return 3;
  return 1;
}

int32_t LoadTracker::ReadyState() const {
  if (awaiting_answer_) return 1;
  if (!expected_.empty()) return StateOf(expected_);
  if (in_flight_) return 1;
  if (current_.empty()) return initial_;
  return StateOf(current_);
}

uint64_t LoadTracker::NavigationRequested() {
  awaiting_answer_ = true;
  lost_ = false;
  expected_.clear();
  failure_.clear();
  return ++ticket_;
}

void LoadTracker::NavigationFailed(const std::string& why) {
  awaiting_answer_ = false;
  expected_.clear();
  failure_ = why.empty() ? "failed" : why;
}

void LoadTracker::NavigationAnswered(const std::string& loader_id) {
  awaiting_answer_ = false;
  expected_ = loader_id;
  // The answer came after its page had already forwarded itself.
  if (committed_.count(loader_id) && current_ != loader_id && !loaded_.count(loader_id)) expected_ = current_;
}

void LoadTracker::StartedLoading() { in_flight_ = true; }

void LoadTracker::StoppedLoading() { in_flight_ = false; }

void LoadTracker::Shown(const std::string& loader_id) {
  // The page asked for forwards itself (a script's location.replace, a
  // refresh) before it has loaded: the page it forwards to is followed.
  if (!expected_.empty() && loader_id != expected_ && current_ == expected_) expected_ = loader_id;
  current_ = loader_id;
  committed_.insert(loader_id);
  in_flight_ = false;
}

void LoadTracker::Committed(const std::string& loader_id) { Shown(loader_id); }

void LoadTracker::Lifecycle(const std::string& loader_id, const std::string& name) {
  if (name == "init") {
    Shown(loader_id);
  } else if (name == "DOMContentLoaded") {
    interactive_.insert(loader_id);
  } else if (name == "load") {
    interactive_.insert(loader_id);
    loaded_.insert(loader_id);
    if (loader_id == expected_) expected_.clear();
  }
}

}  // namespace ostrel
