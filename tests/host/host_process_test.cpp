// The host program itself: binary frames on stdout and nothing else, even when the
// requests are bad, and a clean exit when the browser closes stdin.
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>

#include <gtest/gtest.h>

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
  const std::string input = dir + "host-in", output = dir + "host-out", errors = dir + "host-err";
  {
    std::ofstream file(input, std::ios::binary);
    // A length whose bytes include 0x0A and 0x0D: a text-mode stream would change them.
    file << Frame(R"({"request":"version"})") << Frame("{\"request\":\"version\"" + std::string(0x0A0D - 21, ' ') + "}")
         << Frame("\n\r\n") << Frame(R"({"request":"errorMessage","code":"0x80100069"})");
  }
  const std::string command =
      std::string(KAVRIN_HC_HOST) + " <" + input + " >" + output + " 2>" + errors;
  ASSERT_EQ(std::system(command.c_str()), 0);

  const std::vector<Json> answers = HostTest::Answers(ReadAll(output));
  ASSERT_EQ(answers.size(), 4u);
  const Json version{{"host", "org.kavrin.hc"}, {"version", Host::kHostVersion}};
  EXPECT_EQ(answers[0], version);
  EXPECT_EQ(answers[1], version);
  EXPECT_EQ(answers[2]["error"]["message"], "The request is not valid JSON.");
  EXPECT_EQ(answers[3], (Json{{"code", "0x80100069"}, {"message", "Card was removed."}}));
  EXPECT_EQ(ReadAll(errors), "");
}

}  // namespace
