#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <filesystem>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace ostrel::test {

// One request the server received.
struct ReceivedRequest {
  std::string method;                         // "GET", "POST", ...
  std::string path;                           // without the query, e.g. "/login.html"
  std::string query;                          // the raw text after '?', may be empty
  // From the query and from an url-encoded or JSON body (the members of a
  // JSON object, nested ones as "outer.inner", array items as "list.0";
  // strings as they are, other values as JSON text).
  std::map<std::string, std::string> fields;
};

// A small HTTP/1.1 server for tests, on 127.0.0.1 and an ephemeral port.
// It serves the files of one folder (GET and POST alike; unknown paths get
// 404; a folder's address ending in '/' gets its index.html, one without the
// '/' a redirect to it), can serve a different file under a name, can
// redirect a path, can hold a path's answer back for a while, and records
// every request it receives. Each connection is
// answered on a thread of its own and closed after one response, so pages
// with frames load in parallel. Stop() (or the destructor) waits for every
// connection thread.
class TestServer {
 public:
  explicit TestServer(std::filesystem::path root);
  ~TestServer();
  TestServer(const TestServer&) = delete;
  TestServer& operator=(const TestServer&) = delete;

  uint16_t Port() const { return port_; }
  // "http://127.0.0.1:<port>" followed by path (which starts with '/').
  std::string Url(const std::string& path) const;

  // Serves file (relative to the root) when path is asked for.
  void Alias(const std::string& path, const std::string& file);
  // Answers path with "302 Found" pointing at target (a path or an address).
  void Redirect(const std::string& path, const std::string& target);
  // Answers path only after delay has passed.
  void Delay(const std::string& path, std::chrono::milliseconds delay);
  // Writes replacement for every placeholder in the files it serves (and in
  // redirect targets).
  void Substitute(const std::string& placeholder, const std::string& replacement);

  // Every request received so far, oldest first.
  std::vector<ReceivedRequest> Requests() const;
  // The first request for path received after the first `skip` ones for
  // that path, waiting up to timeout for it; nullopt on time-out.
  std::optional<ReceivedRequest> WaitForRequest(const std::string& path,
                                                std::chrono::milliseconds timeout,
                                                size_t skip = 0) const;
  void ClearRequests();

  void Stop();

 private:
  void AcceptLoop();
  void Serve(int fd);
  std::string Respond(const ReceivedRequest& request);

  std::filesystem::path root_;
  int listen_fd_ = -1;
  int stop_pipe_[2] = {-1, -1};
  uint16_t port_ = 0;
  std::thread acceptor_;
  mutable std::mutex mutex_;
  mutable std::condition_variable arrived_;
  std::vector<ReceivedRequest> requests_;
  std::map<std::string, std::string> aliases_;
  std::map<std::string, std::string> redirects_;
  std::map<std::string, std::chrono::milliseconds> delays_;
  std::map<std::string, std::string> substitutes_;
  std::vector<std::thread> workers_;
  bool stopped_ = false;
};

// Decodes application/x-www-form-urlencoded text into fields ('+' is a
// blank, %XX a byte); the last of repeated names wins.
std::map<std::string, std::string> ParseUrlEncoded(const std::string& text);

// The fields of a JSON body (see ReceivedRequest::fields); none when text
// is not JSON.
std::map<std::string, std::string> ParseJsonFields(const std::string& text);

}  // namespace ostrel::test
