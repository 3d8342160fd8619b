// kavrin-hc on Windows: arguments arrive as UTF-16 (wmain), and what the commands
// write as UTF-8 reaches a console as UTF-16 through WriteConsoleW, whatever its code
// page; redirected output stays UTF-8 bytes.
#pragma once

#include <string>
#include <vector>

namespace Cli {

// The arguments after the program name, as UTF-8.
std::vector<std::string> Utf8Arguments(int argc, wchar_t** argv);

// Routes std::cout and std::cerr through the console for its lifetime.
class WindowsConsoleOutput {
 public:
  WindowsConsoleOutput();
  ~WindowsConsoleOutput();
  WindowsConsoleOutput(const WindowsConsoleOutput&) = delete;
  WindowsConsoleOutput& operator=(const WindowsConsoleOutput&) = delete;

 private:
  struct Streams;
  Streams* streams_;
};

}  // namespace Cli
