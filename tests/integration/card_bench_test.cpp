#include "card_bench_test.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <sstream>

#include "support/text.h"

namespace Bench {

std::string Card(const std::string& arguments) {
  const std::string command = std::string(KAVRIN_SOURCE_DIR) + "/tools/bench/card " + arguments + " 2>&1";
  FILE* pipe = popen(command.c_str(), "r");
  if (pipe == nullptr) {
    ADD_FAILURE() << "cannot run " << command;
    return {};
  }
  std::string output;
  std::array<char, 512> buffer{};
  while (std::fgets(buffer.data(), static_cast<int>(buffer.size()), pipe) != nullptr) output += buffer.data();
  const int status = pclose(pipe);
  EXPECT_EQ(status, 0) << command << ": " << output;
  return output;
}

void Insert(const std::string& protocol, const std::string& cardId, const std::vector<std::string>& faults) {
  std::string arguments = "insert --protocol " + protocol + " --card-id " + cardId;
  for (const std::string& fault : faults) arguments += " --fault " + fault;
  Card(arguments);
}

void Remove() { Card("remove"); }

void Reset() { Card("reset"); }

TAVQ::WString Reader() {
  std::string name = Card("reader");
  while (!name.empty() && (name.back() == '\n' || name.back() == '\r')) name.pop_back();
  return TAVQ::FromNarrow(name);
}

std::vector<std::string> Commands() {
  std::istringstream log(Card("log"));
  std::vector<std::string> commands;
  for (std::string line; std::getline(log, line);) {
    if (line.rfind("> ", 0) == 0) commands.push_back(line.substr(2));
  }
  return commands;
}

}  // namespace Bench
