#include "platform/devtools/PipeTransport.h"

#include <errno.h>
#include <fcntl.h>
#include <poll.h>
#include <pthread.h>
#include <signal.h>
#include <time.h>
#include <unistd.h>

namespace ostrel {

namespace {

// Writes with SIGPIPE blocked for this thread; a SIGPIPE raised by the write
// is taken off the pending set before the old mask returns, so the process
// never sees it.
ssize_t WriteNoSigpipe(int fd, const char* data, size_t size) {
  sigset_t pipe_set, old_set;
  sigemptyset(&pipe_set);
  sigaddset(&pipe_set, SIGPIPE);
  sigset_t pending;
  sigpending(&pending);
  bool was_pending = sigismember(&pending, SIGPIPE);
  pthread_sigmask(SIG_BLOCK, &pipe_set, &old_set);
  ssize_t n = write(fd, data, size);
  int saved = errno;
  if (n < 0 && saved == EPIPE && !was_pending) {
    timespec zero{0, 0};
    while (sigtimedwait(&pipe_set, nullptr, &zero) < 0 && errno == EINTR) {
    }
  }
  pthread_sigmask(SIG_SETMASK, &old_set, nullptr);
  errno = saved;
  return n;
}

}  // namespace

PipeTransport::PipeTransport(int read_fd, int write_fd) : read_fd_(read_fd), write_fd_(write_fd) {
  int flags = fcntl(read_fd_, F_GETFL);
  fcntl(read_fd_, F_SETFL, flags | O_NONBLOCK);
}

PipeTransport::~PipeTransport() { Close(); }

void PipeTransport::Close() {
  closed_ = true;
  if (read_fd_ >= 0) close(read_fd_);
  if (write_fd_ >= 0) close(write_fd_);
  read_fd_ = write_fd_ = -1;
}

bool PipeTransport::Send(const std::string& message) {
  if (closed_) return false;
  std::string framed = message;
  framed.push_back('\0');
  size_t done = 0;
  while (done < framed.size()) {
    ssize_t n = WriteNoSigpipe(write_fd_, framed.data() + done, framed.size() - done);
    if (n < 0) {
      if (errno == EINTR) continue;
      if (errno == EAGAIN) {
        pollfd p{write_fd_, POLLOUT, 0};
        poll(&p, 1, 100);
        continue;
      }
      Close();
      return false;
    }
    done += static_cast<size_t>(n);
  }
  return true;
}

bool PipeTransport::Receive(int timeout_ms, std::vector<std::string>& out) {
  if (closed_) return false;
  if (timeout_ms > 0) {
    pollfd p{read_fd_, POLLIN, 0};
    int r = poll(&p, 1, timeout_ms);
    if (r <= 0) return true;
  }
  char chunk[65536];
  for (;;) {
    ssize_t n = read(read_fd_, chunk, sizeof chunk);
    if (n > 0) {
      buffer_.append(chunk, static_cast<size_t>(n));
      continue;
    }
    if (n < 0 && errno == EINTR) continue;
    if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) break;
    Split(out);
    buffer_.clear();
    Close();
    return false;
  }
  Split(out);
  return true;
}

void PipeTransport::Split(std::vector<std::string>& out) {
  size_t start = 0;
  for (size_t nul; (nul = buffer_.find('\0', start)) != std::string::npos; start = nul + 1) {
    out.emplace_back(buffer_, start, nul - start);
  }
  buffer_.erase(0, start);
}

}  // namespace ostrel
