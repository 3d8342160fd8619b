// The bench's card tool and other processes, run from an integration test.
#pragma once

#include <string>
#include <vector>

namespace Bench {

struct Run {
  int exitStatus = -1;
  std::string output;  // standard output only
};

// Runs a shell command line; its exit status and standard output.
Run Shell(const std::string& command);

// tools/bench/card with the arguments; its output without the final line break, or a
// test failure when it fails.
std::string Card(const std::string& arguments);

// Every card out of both slots.
void RemoveAllCards();

// The APDU log of slot 0: "> HEX" commands and "< HEX" answers.
std::vector<std::string> ApduLog();

// Single-quoted for the shell.
std::string Quoted(const std::string& text);

}  // namespace Bench
