#include "tests/common/TestServer.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <fstream>
#include <nlohmann/json.hpp>
#include <sstream>
#include <stdexcept>

namespace ostrel::test {

namespace {

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

std::string Decode(const std::string& text) {
  std::string out;
  for (size_t i = 0; i < text.size(); ++i) {
    char c = text[i];
    if (c == '+') {
      out += ' ';
    } else if (c == '%' && i + 2 < text.size() && HexValue(text[i + 1]) >= 0 && HexValue(text[i + 2]) >= 0) {
      out += static_cast<char>(HexValue(text[i + 1]) * 16 + HexValue(text[i + 2]));
      i += 2;
    } else {
      out += c;
    }
  }
  return out;
}

std::string ContentType(const std::filesystem::path& file) {
  std::string ext = file.extension().string();
  if (ext == ".html" || ext == ".htm") return "text/html; charset=utf-8";
  if (ext == ".xhtml") return "application/xhtml+xml; charset=utf-8";
  if (ext == ".js") return "text/javascript";
  if (ext == ".css") return "text/css";
  if (ext == ".png") return "image/png";
  if (ext == ".gif") return "image/gif";
  return "application/octet-stream";
}

bool WriteAll(int fd, const std::string& data) {
  size_t done = 0;
  while (done < data.size()) {
    ssize_t n = send(fd, data.data() + done, data.size() - done, MSG_NOSIGNAL);
    if (n <= 0) return false;
    done += static_cast<size_t>(n);
  }
  return true;
}

}  // namespace

std::map<std::string, std::string> ParseUrlEncoded(const std::string& text) {
  std::map<std::string, std::string> fields;
  std::stringstream stream(text);
  std::string pair;
  while (std::getline(stream, pair, '&')) {
    if (pair.empty()) continue;
    size_t eq = pair.find('=');
    if (eq == std::string::npos) {
      fields[Decode(pair)] = "";
    } else {
      fields[Decode(pair.substr(0, eq))] = Decode(pair.substr(eq + 1));
    }
  }
  return fields;
}

namespace {

void Flatten(const nlohmann::json& value, const std::string& name,
             std::map<std::string, std::string>& fields) {
  if (value.is_object() || value.is_array()) {
    const std::string prefix = name.empty() ? "" : name + ".";
    if (value.is_object()) {
      for (const auto& [key, item] : value.items()) Flatten(item, prefix + key, fields);
    } else {
      for (size_t i = 0; i < value.size(); ++i) Flatten(value[i], prefix + std::to_string(i), fields);
    }
  } else {
    fields[name] = value.is_string() ? value.get<std::string>() : value.dump();
  }
}

}  // namespace

std::map<std::string, std::string> ParseJsonFields(const std::string& text) {
  std::map<std::string, std::string> fields;
  const nlohmann::json value = nlohmann::json::parse(text, nullptr, false);
  if (!value.is_discarded()) Flatten(value, "", fields);
  return fields;
}

TestServer::TestServer(std::filesystem::path root) : root_(std::move(root)) {
  listen_fd_ = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (listen_fd_ < 0) throw std::runtime_error("TestServer: socket failed");
  int yes = 1;
  setsockopt(listen_fd_, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
  sockaddr_in addr{};
  addr.sin_family = AF_INET;
  addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  addr.sin_port = 0;
  if (bind(listen_fd_, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 ||
      listen(listen_fd_, 64) != 0) {
    close(listen_fd_);
    throw std::runtime_error("TestServer: bind/listen failed");
  }
  socklen_t len = sizeof addr;
  getsockname(listen_fd_, reinterpret_cast<sockaddr*>(&addr), &len);
  port_ = ntohs(addr.sin_port);
  if (pipe2(stop_pipe_, O_CLOEXEC) != 0) {
    close(listen_fd_);
    throw std::runtime_error("TestServer: pipe failed");
  }
  acceptor_ = std::thread([this] { AcceptLoop(); });
}

TestServer::~TestServer() { Stop(); }

void TestServer::Stop() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    if (stopped_) return;
    stopped_ = true;
  }
  char byte = 1;
  (void)!write(stop_pipe_[1], &byte, 1);
  acceptor_.join();
  std::vector<std::thread> workers;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    workers.swap(workers_);
  }
  for (auto& worker : workers) worker.join();
  close(listen_fd_);
  close(stop_pipe_[0]);
  close(stop_pipe_[1]);
}

std::string TestServer::Url(const std::string& path) const {
  return "http://127.0.0.1:" + std::to_string(port_) + path;
}

void TestServer::Alias(const std::string& path, const std::string& file) {
  std::lock_guard<std::mutex> lock(mutex_);
  aliases_[path] = file;
}

void TestServer::Redirect(const std::string& path, const std::string& target) {
  std::lock_guard<std::mutex> lock(mutex_);
  redirects_[path] = target;
}

void TestServer::Delay(const std::string& path, std::chrono::milliseconds delay) {
  std::lock_guard<std::mutex> lock(mutex_);
  delays_[path] = delay;
}

std::vector<ReceivedRequest> TestServer::Requests() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return requests_;
}

void TestServer::ClearRequests() {
  std::lock_guard<std::mutex> lock(mutex_);
  requests_.clear();
}

std::optional<ReceivedRequest> TestServer::WaitForRequest(
    const std::string& path, std::chrono::milliseconds timeout, size_t skip) const {
  std::unique_lock<std::mutex> lock(mutex_);
  std::optional<ReceivedRequest> found;
  arrived_.wait_for(lock, timeout, [&] {
    size_t seen = 0;
    for (const auto& request : requests_) {
      if (request.path == path && seen++ == skip) {
        found = request;
        return true;
      }
    }
    return false;
  });
  return found;
}

void TestServer::AcceptLoop() {
  for (;;) {
    pollfd fds[2] = {{listen_fd_, POLLIN, 0}, {stop_pipe_[0], POLLIN, 0}};
    if (poll(fds, 2, -1) < 0) continue;
    if (fds[1].revents) return;
    if (!(fds[0].revents & POLLIN)) continue;
    int fd = accept4(listen_fd_, nullptr, nullptr, SOCK_CLOEXEC);
    if (fd < 0) continue;
    std::lock_guard<std::mutex> lock(mutex_);
    workers_.emplace_back([this, fd] {
      Serve(fd);
      close(fd);
    });
  }
}

void TestServer::Serve(int fd) {
  std::string data;
  size_t header_end = std::string::npos;
  char buffer[8192];
  auto read_more = [&] {
    pollfd p{fd, POLLIN, 0};
    if (poll(&p, 1, 5000) <= 0) return false;
    ssize_t n = recv(fd, buffer, sizeof buffer, 0);
    if (n <= 0) return false;
    data.append(buffer, static_cast<size_t>(n));
    return true;
  };
  while ((header_end = data.find("\r\n\r\n")) == std::string::npos) {
    if (!read_more()) return;
  }
  std::string head = data.substr(0, header_end);
  std::string body = data.substr(header_end + 4);
  std::istringstream lines(head);
  std::string request_line;
  std::getline(lines, request_line);
  ReceivedRequest request;
  std::string target;
  std::istringstream(request_line) >> request.method >> target;
  size_t content_length = 0;
  bool url_encoded = false;
  bool json = false;
  for (std::string line; std::getline(lines, line);) {
    std::string lower = line;
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    if (lower.rfind("content-length:", 0) == 0) {
      content_length = std::stoul(line.substr(15));
    } else if (lower.rfind("content-type:", 0) == 0 &&
               lower.find("application/x-www-form-urlencoded") != std::string::npos) {
      url_encoded = true;
    } else if (lower.rfind("content-type:", 0) == 0 && lower.find("json") != std::string::npos) {
      json = true;
    }
  }
  while (body.size() < content_length) {
    if (!read_more()) return;
    body = data.substr(header_end + 4);
  }
  size_t q = target.find('?');
  request.path = target.substr(0, q);
  if (q != std::string::npos) {
    request.query = target.substr(q + 1);
    request.fields = ParseUrlEncoded(request.query);
  }
  if (url_encoded) {
    for (auto& [k, v] : ParseUrlEncoded(body.substr(0, content_length))) request.fields[k] = v;
  } else if (json) {
    for (auto& [k, v] : ParseJsonFields(body.substr(0, content_length))) request.fields[k] = v;
  }
  std::chrono::milliseconds delay{0};
  {
    std::lock_guard<std::mutex> lock(mutex_);
    requests_.push_back(request);
    if (auto it = delays_.find(request.path); it != delays_.end()) delay = it->second;
  }
  arrived_.notify_all();
  if (delay.count() > 0) {
    pollfd p{stop_pipe_[0], POLLIN, 0};
    poll(&p, 1, static_cast<int>(delay.count()));
  }
  WriteAll(fd, Respond(request));
}

void TestServer::Substitute(const std::string& placeholder, const std::string& replacement) {
  std::lock_guard<std::mutex> lock(mutex_);
  substitutes_[placeholder] = replacement;
}

std::string TestServer::Respond(const ReceivedRequest& request) {
  std::string file = request.path;
  std::string location;
  std::map<std::string, std::string> substitutes;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    if (auto it = aliases_.find(request.path); it != aliases_.end()) file = it->second;
    if (auto it = redirects_.find(request.path); it != redirects_.end()) location = it->second;
    substitutes = substitutes_;
  }
  auto substituted = [&](std::string text) {
    for (const auto& [from, to] : substitutes) {
      for (size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size())) {
        text.replace(at, from.size(), to);
      }
    }
    return text;
  };
  location = substituted(location);
  std::filesystem::path relative = std::filesystem::path(file).relative_path();
  const bool safe = relative.string().find("..") == std::string::npos;
  std::error_code ignored;
  if (location.empty() && safe && std::filesystem::is_directory(root_ / relative, ignored)) {
    if (file.empty() || file.back() != '/') {
      location = request.path + "/";
    } else {
      relative /= "index.html";
    }
  }
  if (!location.empty()) {
    return "HTTP/1.1 302 Found\r\nLocation: " + location +
           "\r\nContent-Length: 0\r\nCache-Control: no-store\r\nConnection: close\r\n\r\n";
  }
  std::string status = "200 OK";
  std::string type = "text/plain";
  std::string body;
  std::ifstream in(root_ / relative, std::ios::binary);
  if (!safe || relative.empty() || !in) {
    status = "404 Not Found";
    body = "not found";
  } else {
    std::ostringstream content;
    content << in.rdbuf();
    body = substituted(content.str());
    type = ContentType(relative);
  }
  return "HTTP/1.1 " + status + "\r\nContent-Type: " + type +
         "\r\nContent-Length: " + std::to_string(body.size()) +
         "\r\nCache-Control: no-store\r\nConnection: close\r\n\r\n" + body;
}

}  // namespace ostrel::test
