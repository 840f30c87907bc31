#pragma once

#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace ostrel::scenario {

// Where a step acts: the top document when empty, else the frame reached
// through these positions in the frames of each document, outermost first.
using FramePath = std::vector<int>;

// What a person may do around the page: press the Ostrel button in the
// browser window's other tab, close the case's tab, close the Ostrel window.
// press Cancel in the Ostrel window.
enum class Action { kNone, kPressOtherTab, kCloseTab, kCloseWindow, kCancel, kNextStep };

// One thing the person does in the page while the login is recorded.
struct Step {
  enum class Kind { kClick, kType, kPress, kWait, kAction };
  Kind kind = Kind::kClick;
  FramePath frame;
  std::string selector;  // the element acted on; for kPress may be empty (the focused one)
  std::string text;      // kType: the text typed; kPress: the key
  Action action = Action::kNone;  // kAction
};

// One end-to-end case: a folder of pages and its case.json, an object of:
//   "start"            the page to record on, relative to the folder
//   "steps"            what the person does, in order; each one of
//                        {"click": SEL}, {"type": SEL, "text": T},
//                        {"press": KEY, "selector": SEL} (no selector: where
//                        the focus is), {"wait": SEL} (until it is shown),
//                        {"action": "press_other_tab" | "close_tab" |
//                        "close_window" | "cancel" | "next_step"},
//                      ("next_step" waits for the naming panel and presses
//                      its button for one more step)
//                      with an optional "frame": a position in the top
//                      document's frames, or a list of positions for frames
//                      of frames; absent or null for the top document
//   "type", "submit"   the older form of steps: [{"frame", "selector", "text"}]
//                      then {"frame", "click"} or {"frame", "press", "selector"}
//   "name", "expect_name"   the site name to save, the name to be proposed
//   "expect_recording": "refused"   the end of recording or Save shows a
//                      message and nothing is stored; the case ends there
//                      "ignored"   (the steps cancel the recording) the
//                      window stays where it is, shows nothing and stores
//                      nothing; the case ends there
//   "replay_serve"     {path: file} served in place of path at replay
//   "delay"            {path: ms} the answer to path waits, at replay
//   "redirect"         {path: target} answered with a redirect, always
//   "replay_redirect"  {path: target} answered with a redirect, at replay
//   "forbid"           [path, ...] no request may reach these, ever (on
//                      either server)
//   "browser_keeps"    [text, ...] typed texts the browser keeps of its own
//                      accord (the body of a post it cannot tell holds a
//                      password): left out of the run's look through the
//                      profile for what was typed
//   "expect_message"   text that the message ending a refused recording or
//                      a stopped replay must hold
//   "expect_responsive"  true: the window goes on running its events while
//                      Go To waits on the page (checked after 2 s)
//   "during_replay"    {"after": ms, "action": ...} done while Go To waits;
//                      the replay must then stop without sending ("expect":
//                      {"nothing_sent": true}), with one message, none for
//                      "close_window", and the next button press must work
//   "expect"           {"path": the form's action, "method" (POST),
//                       "fields": {name: value} sent at replay (from the
//                       query, a form-encoded or a JSON body; nested JSON
//                       members as "a.b"), "answer": the path where the
//                       answer loads (default: where "path" lands),
//                       "nothing_sent": true for a replay that must stop
//                       with a message before sending}
// Paths may be written with or without their leading '/'. A folder's
// address serves its index.html. The folder is also served on a second
// port: in its pages and redirects {{OTHER}} stands for that other origin
// (http://127.0.0.1:port) and {{OTHERSITE}} for it as another site
// (http://localhost:port).
struct ScenarioCase {
  std::string name;  // the folder's name
  std::filesystem::path folder;
  std::string start;
  // "steps", or the older "type" list followed by its "submit".
  std::vector<Step> steps;
  std::optional<std::string> siteName;      // "name"
  std::optional<std::string> expectName;    // "expect_name"
  bool recordingRefused = false;            // "expect_recording": "refused"
  bool recordingIgnored = false;            // "expect_recording": "ignored"
  // Paths below all start with '/'.
  std::map<std::string, std::string> replayServe;  // path -> file served in its place at replay
  std::map<std::string, std::string> redirects;    // path -> where it redirects, always
  std::map<std::string, std::string> replayRedirects;  // path -> where it redirects, at replay
  std::map<std::string, int> replayDelays;         // path -> ms its answer waits, at replay
  std::vector<std::string> forbid;                 // paths no request may reach
  // "expect": the recorded form's action and what replay sends to it.
  std::string expectMethod;
  std::string expectPath;
  std::string expectAnswer;  // where its answer loads; empty: where expectPath lands
  std::map<std::string, std::string> expectFields;
  bool nothingSent = false;  // replay must stop with a message before sending
  std::vector<std::string> browserKeeps;  // "browser_keeps"
  bool expectResponsive = false;        // "expect_responsive"
  std::string expectMessage;            // "expect_message"
  Action duringReplay = Action::kNone;  // "during_replay"
  int duringReplayAfterMs = 0;
};

// Reads folder/case.json; throws std::runtime_error naming what is wrong.
ScenarioCase LoadCase(const std::filesystem::path& folder);

// The case folders directly under dir (those holding a case.json), by name.
std::vector<std::filesystem::path> CaseFolders(const std::filesystem::path& dir);

// Where a request for path ends up on the case's server: through the case's
// redirects, then to a folder's address ending in '/'.
std::string Landing(const ScenarioCase& c, std::string path);

}  // namespace ostrel::scenario
