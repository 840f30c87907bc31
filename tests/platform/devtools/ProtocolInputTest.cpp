#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/platform/devtools/ProtocolInput.h"

namespace ostrel::test {
namespace {

std::string Framed(const std::vector<std::string>& messages) {
  std::string bytes;
  for (const auto& m : messages) bytes += m + std::string(1, '\0');
  return bytes;
}

// Messages a browser (or something pretending to be one) may send that are
// not what the protocol promises. None may end the program: each run works
// a tab over them and must come back. (Built with the sanitizers, the
// same run also proves no byte is read out of bounds.)
TEST(ProtocolInputTest, MalformedMessagesNeverEndTheProgram) {
  const std::string deep = std::string(100000, '[') + std::string(100000, ']');
  const std::vector<std::string> inputs = {
      Framed({R"({"method":"Debugger.paused","params":{},"sessionId":"S"})"}),
      Framed({R"({"method":"Debugger.paused","params":{"callFrames":"x"},"sessionId":"S"})"}),
      Framed({R"({"method":"Debugger.paused","params":{"callFrames":[{"functionName":"ostrelBeforeNavigate",)"
              R"("location":5,"callFrameId":[]}]},"sessionId":"S"})"}),
      Framed({R"({"id":"1","result":{}})", R"({"id":1,"result":{},"sessionId":7})", R"({"id":-3,"result":{}})"}),
      Framed({R"({"id":2,"result":[1,2]})", R"({"id":3,"error":"no"})", R"({"id":4})"}),
      Framed({R"({"method":"Page.frameNavigated","params":{"frame":{"id":5,"parentId":[]}},"sessionId":"S"})",
              R"({"method":"Page.lifecycleEvent","params":{"frameId":{},"loaderId":1,"name":null},"sessionId":"S"})",
              R"({"method":"Runtime.executionContextCreated","params":{"context":{"id":"1","auxData":7}},"sessionId":"S"})",
              R"({"method":"Runtime.executionContextDestroyed","params":{"executionContextId":"x"},"sessionId":"S"})"}),
      Framed({R"({"method":"Target.detachedFromTarget","params":{"sessionId":5}})",
              R"({"method":5,"params":{}})", R"({"params":{}})", "[1,2]", "\"text\"", "null", "",
              R"({"method":"Page.javascriptDialogOpening","params":[1],"sessionId":"S"})"}),
      Framed({"{\"id\":5,\"result\":{\"title\":\"a\\ud800b\\udc00\"},\"sessionId\":\"S\"}",
              "{\"id\":6,\"result\":{\"value\":\"\\ud83d\"}}", "{\"id\":7,\"result\":{\"x\":tru"}),
      Framed({deep, "{\"a\":" + deep + "}"}),
      std::string("{\"id\":8,\"res"),                         // the pipe closes mid-message
      std::string("\xff\xfe\x00{\"id\":1}\x00\xc3(", 12),    // not UTF-8
  };
  for (const std::string& input : inputs) {
    EXPECT_TRUE(RunProtocolInput(reinterpret_cast<const uint8_t*>(input.data()), input.size()))
        << input.substr(0, 120);
  }
}

}  // namespace
}  // namespace ostrel::test
