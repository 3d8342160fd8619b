// The bench's card tool and kavrin-hc, run from an integration test on the bench.
#pragma once

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <array>
#include <cstdio>
#include <sstream>
#include <string>
#include <vector>

namespace Bench {

struct Run {
  int exitStatus = -1;
  std::string output;  // standard output only
};

inline Run Shell(const std::string& command) {
  Run run;
  FILE* pipe = popen(command.c_str(), "r");
  if (pipe == nullptr) return run;  // exit status -1: the caller's check fails
  std::array<char, 4096> chunk{};
  std::size_t read = 0;
  while ((read = std::fread(chunk.data(), 1, chunk.size(), pipe)) > 0) run.output.append(chunk.data(), read);
  const int status = pclose(pipe);
  run.exitStatus = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return run;
}

inline Run Hc(const std::string& arguments) { return Shell(std::string(KAVRIN_HC) + " " + arguments); }

// tools/bench/card: its output without the final line break.
inline std::string Card(const std::string& arguments) {
  const std::string command = std::string(KAVRIN_SOURCE_DIR) + "/tools/bench/card " + arguments;
  Run run = Shell(command);
  EXPECT_EQ(run.exitStatus, 0) << command;
  while (!run.output.empty() && run.output.back() == '\n') run.output.pop_back();
  return run.output;
}

inline void RemoveAllCards() {
  Card("remove --slot 0");
  Card("remove --slot 1");
}

struct Exchange {
  std::string command;
  std::string answer;
};

// The APDU log of slot 0 ("> HEX" commands, "< HEX" answers) as exchanges, in order.
inline std::vector<Exchange> Exchanges() {
  std::istringstream log(Card("log"));
  std::vector<Exchange> exchanges;
  for (std::string line; std::getline(log, line);) {
    if (line.rfind("> ", 0) == 0) exchanges.push_back({line.substr(2), ""});
    if (line.rfind("< ", 0) == 0 && !exchanges.empty()) exchanges.back().answer = line.substr(2);
  }
  return exchanges;
}

inline std::vector<std::string> Commands(const std::vector<Exchange>& exchanges = Exchanges()) {
  std::vector<std::string> commands;
  for (const Exchange& exchange : exchanges) commands.push_back(exchange.command);
  return commands;
}

// Single-quoted for the shell (reader names and bench paths hold no quote).
inline std::string Quoted(const std::string& text) { return "'" + text + "'"; }

}  // namespace Bench
