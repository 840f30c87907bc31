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
// 204 answer) gives the old document's state back. A page asked for that
// forwards itself to another one before it has loaded (by script or by a
// refresh) is followed: the state is that of the page it forwards to.
class LoadTracker {
 public:
  int32_t ReadyState() const;

  // The state of the document shown when the tracker starts.
  void SetInitial(int32_t state) { initial_ = state; }
  // Returns the request's ticket: answers of a request that a later one
  // replaced are not taken (see IsCurrent).
  uint64_t NavigationRequested();
  bool IsCurrent(uint64_t ticket) const { return ticket == ticket_; }
  uint64_t Ticket() const { return ticket_; }
  // The same navigation is asked for again after it was lost.
  void Retrying() { lost_ = false; }
  // Whether the answer to the last navigation asked for is awaited.
  bool Awaiting() const { return awaiting_answer_; }
  // The navigation asked for was cut off by another one of the page that
  // was already under way (aborted, or replaced before it committed): the
  // state stays below 4 until it is asked for again or given up.
  void NavigationLost() { lost_ = true; }
  bool Lost() const { return awaiting_answer_ && lost_; }
  // The state of the document the tab shows now, whatever was asked for.
  int32_t ShownState() const { return current_.empty() ? initial_ : StateOf(current_); }
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
  void Shown(const std::string& loader_id);
  int32_t StateOf(const std::string& loader_id) const;

  int32_t initial_ = 1;
  uint64_t ticket_ = 0;
  bool awaiting_answer_ = false;
  bool lost_ = false;
  bool in_flight_ = false;
  std::string expected_;
  std::string failure_;
  std::string current_;
  std::set<std::string> committed_;
  std::set<std::string> interactive_;
  std::set<std::string> loaded_;
};

}  // namespace ostrel
