#include "tests/platform/devtools/ProtocolInput.h"

#include <fcntl.h>
#include <unistd.h>

#include <chrono>
#include <memory>
#include <string>

#include "platform/devtools/DevToolsBrowser.h"
#include "platform/devtools/DevToolsConnection.h"
#include "support/OstrelError.h"

namespace ostrel::test {

namespace {

// One answer that every command the tab sends is content with.
std::string Answer(int id, const std::string& session) {
  return R"({"id":)" + std::to_string(id) +
         R"(,"result":{"frameTree":{"frame":{"id":"F"}},"executionContextId":1,)"
         R"("result":{"type":"string","value":"complete"}},"sessionId":")" +
         session + "\"}" + std::string(1, '\0');
}

void WriteAll(int fd, const std::string& bytes) {
  size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n = write(fd, bytes.data() + done, bytes.size() - done);
    if (n <= 0) return;
    done += static_cast<size_t>(n);
  }
}

template <typename Step>
void Survive(Step&& step) {
  try {
    step();
  } catch (const OstrelError&) {
  }
}

}  // namespace

bool RunProtocolInput(const uint8_t* data, size_t size) {
  int to_us[2], to_browser[2];
  if (pipe(to_us) != 0) return false;
  if (pipe(to_browser) != 0) {
    close(to_us[0]);
    close(to_us[1]);
    return false;
  }
  bool made = false;
  fcntl(to_us[1], F_SETPIPE_SZ, 1 << 20);
  fcntl(to_browser[0], F_SETPIPE_SZ, 1 << 20);
  // What we send is never read: keep our writes from blocking.
  fcntl(to_browser[1], F_SETFL, O_NONBLOCK);
  const std::string session = "S";
  std::string answers;
  for (int id = 1; id <= 64; ++id) answers += Answer(id, session);
  WriteAll(to_us[1], answers);
  WriteAll(to_us[1], std::string(reinterpret_cast<const char*>(data), size));
  {
    DevToolsConnection connection(std::make_unique<PipeTransport>(to_us[0], to_browser[1]));
    connection.SetCallTimeout(std::chrono::milliseconds(20));
    std::shared_ptr<DevToolsBrowser> tab;
    Survive([&] { tab = std::make_shared<DevToolsBrowser>(std::make_shared<DevToolsSession>(connection, session)); });
    made = tab != nullptr;
    if (tab) {
      Survive([&] { tab->SetBeforeNavigate([&](const NavigationInfo&) { tab->Document()->title(); }); });
      Survive([&] { tab->Navigate("http://127.0.0.1/"); });
      Survive([&] { connection.ProcessPending(0); });
      Survive([&] { tab->ReadyState(); });
      Survive([&] { tab->Document()->forms()->length(); });
    }
    close(to_us[1]);
    Survive([&] { connection.ProcessPending(0); });
    tab.reset();
  }
  close(to_browser[0]);
  return made;
}

}  // namespace ostrel::test
