#pragma once

#include <string>
#include <vector>

namespace ostrel {

// The byte level of the DevTools pipe: each message is one JSON text followed
// by a NUL byte. Sending writes the message and its NUL; receiving buffers raw
// bytes, splits them on every NUL and keeps the unfinished rest, so a message
// is only handed out whole (one read may hold several messages, and a message
// may be split anywhere, even inside a multi-byte UTF-8 character).
//
// The transport owns both descriptors and closes them. Once the other end has
// gone (end of file, a read or write error, EPIPE) the transport is closed
// for good: Send() returns false and Receive() hands out nothing more. A
// write never raises SIGPIPE in the process.
class PipeTransport {
 public:
  // read_fd receives the browser's messages; write_fd carries ours.
  PipeTransport(int read_fd, int write_fd);
  ~PipeTransport();
  PipeTransport(const PipeTransport&) = delete;
  PipeTransport& operator=(const PipeTransport&) = delete;

  // Writes message + NUL completely; false when the pipe is closed.
  bool Send(const std::string& message);

  // Waits up to timeout_ms (0: not at all) for bytes, reads what is there
  // without blocking and appends every completed message to out. Returns
  // false once the pipe is closed (messages completed before the end are
  // still appended; an unfinished last message is dropped).
  bool Receive(int timeout_ms, std::vector<std::string>& out);

  bool Closed() const { return closed_; }
  void Close();
  // The descriptor to watch for readability (e.g. with a socket notifier);
  // -1 once closed.
  int ReadFd() const { return read_fd_; }

 private:
  void Split(std::vector<std::string>& out);

  int read_fd_;
  int write_fd_;
  bool closed_ = false;
  std::string buffer_;
};

}  // namespace ostrel
