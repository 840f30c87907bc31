#pragma once

#include <cstdint>
#include <set>
#include <string>

namespace ostrel {

// The ready state of a tab's top-level page (1 loading, 3 interactive,
// 4 complete), followed from the page's events. After NavigationRequested()
// the state stays at 1 until the document of the loader that the navigation
// answered with has reached DOMContentLoaded (3) and load (4); the old
// page's state is never reported in between. A navigation that starts by
// itself (a link, a script) reads 1 from its start until its document has
// committed and loaded; one that stops without a new document (aborted, a
// 204 answer) gives the old document's state back.
class LoadTracker {
 public:
  int32_t ReadyState() const;

  // The state of the document shown when the tracker starts.
  void SetInitial(int32_t state) { initial_ = state; }
  void NavigationRequested();
  // loader_id is empty for a navigation inside the same document or one
  // that failed without a new document.
  void NavigationAnswered(const std::string& loader_id);
  // The navigation asked for could not be made (no such host, refused...);
  // Failure() tells why until the next NavigationRequested().
  void NavigationFailed(const std::string& why);
  const std::string& Failure() const { return failure_; }
  void StartedLoading();
  void StoppedLoading();
  void Committed(const std::string& loader_id);
  void Lifecycle(const std::string& loader_id, const std::string& name);

 private:
  int32_t StateOf(const std::string& loader_id) const;

  int32_t initial_ = 1;
  bool awaiting_answer_ = false;
  bool in_flight_ = false;
  std::string expected_;
  std::string failure_;
  std::string current_;
  std::set<std::string> interactive_;
  std::set<std::string> loaded_;
};

}  // namespace ostrel
