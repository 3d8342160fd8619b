#include "services_bench.h"

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <array>
#include <cstdio>
#include <memory>

namespace Bench {

Run Shell(const std::string& command) {
  Run run;
  FILE* pipe = popen(command.c_str(), "r");
  if (pipe == nullptr) {
    ADD_FAILURE() << "cannot run " << command;
    return run;
  }
  std::array<char, 4096> chunk{};
  std::size_t read = 0;
  while ((read = std::fread(chunk.data(), 1, chunk.size(), pipe)) > 0) run.output.append(chunk.data(), read);
  const int status = pclose(pipe);
  run.exitStatus = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return run;
}

std::string Card(const std::string& arguments) {
  const std::string command = std::string(KAVRIN_SOURCE_DIR) + "/tools/bench/card " + arguments;
  Run run = Shell(command);
  EXPECT_EQ(run.exitStatus, 0) << command;
  while (!run.output.empty() && run.output.back() == '\n') run.output.pop_back();
  return run.output;
}

void RemoveAllCards() {
  Card("remove --slot 0");
  Card("remove --slot 1");
}

std::vector<std::string> ApduLog() {
  std::vector<std::string> lines;
  const std::string log = Card("log");
  for (std::size_t start = 0; start < log.size();) {
    const std::size_t end = std::min(log.find('\n', start), log.size());
    lines.push_back(log.substr(start, end - start));
    start = end + 1;
  }
  return lines;
}

std::string Quoted(const std::string& text) {
  std::string quoted = "'";
  for (char c : text) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return quoted + "'";
}

}  // namespace Bench
