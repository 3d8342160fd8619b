// The host program itself: binary frames on stdout and nothing else, even when the
// requests are bad, and a clean exit when the browser closes stdin.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

#include "host/session.h"
#include "tests/host/host_test_support.h"

namespace {

using HostTest::Frame;
using HostTest::Json;

std::string ReadAll(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  std::ostringstream text;
  text << file.rdbuf();
  return text.str();
}

TEST(HostProcessTest, AnswersEveryFrameOnStdoutAndEndsWhenStdinCloses) {
  const std::string dir = ::testing::TempDir();
  // A length whose bytes include 0x0A and 0x0D: a text-mode stream would change them.
  std::ofstream(dir + "host-in", std::ios::binary)
      << Frame("{\"request\":\"version\"" + std::string(0x0A0D - 21, ' ') + "}") << Frame("\n\r\n")
      << Frame(R"({"request":"errorMessage","code":"0x80100069"})");
  const std::string command =
      std::string(KAVRIN_HC_HOST) + " <" + dir + "host-in >" + dir + "host-out 2>" + dir + "host-err";
  ASSERT_EQ(std::system(command.c_str()), 0);

  EXPECT_EQ(HostTest::Answers(ReadAll(dir + "host-out")),
            (std::vector<Json>{Json{{"host", "org.kavrin.hc"}, {"version", Host::kHostVersion}},
                               Json{{"error", {{"hresult", "0x80070057"}, {"message", "The request is not valid JSON."}}}},
                               Json{{"code", "0x80100069"}, {"message", "Card was removed."}}}));
  EXPECT_EQ(ReadAll(dir + "host-err"), "");
}

}  // namespace
