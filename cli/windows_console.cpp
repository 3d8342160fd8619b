#include "cli/windows_console.h"

#include <windows.h>

#include <iostream>
#include <streambuf>

#include "support/text.h"

namespace Cli {

namespace {

// Collects UTF-8 up to each flush; a console gets it as UTF-16, anything else as bytes.
class ConsoleBuffer : public std::streambuf {
 public:
  explicit ConsoleBuffer(DWORD handleId) : handle_(GetStdHandle(handleId)) {
    DWORD mode = 0;
    console_ = handle_ != INVALID_HANDLE_VALUE && handle_ != nullptr && GetConsoleMode(handle_, &mode) != 0;
  }
  ~ConsoleBuffer() override {
    try {
      Flush();
    } catch (...) {
      // Out of memory at exit: what is left cannot be shown.
    }
  }

 protected:
  int_type overflow(int_type c) override {
    if (traits_type::eq_int_type(c, traits_type::eof())) return traits_type::not_eof(c);
    pending_.push_back(traits_type::to_char_type(c));
    // A line at a time keeps multi-byte characters whole in practice; sync does the rest.
    if (c == '\n') Flush();
    return c;
  }
  std::streamsize xsputn(const char* text, std::streamsize count) override {
    pending_.append(text, static_cast<std::size_t>(count));
    if (pending_.find('\n') != std::string::npos) Flush();
    return count;
  }
  int sync() override { return Flush() ? 0 : -1; }

 private:
  bool Flush() {
    if (pending_.empty()) return true;
    bool ok = true;
    if (console_) {
      const std::u16string wide = TAVQ::FromUtf8(pending_);
      DWORD written = 0;
      ok = WriteConsoleW(handle_, wide.data(), static_cast<DWORD>(wide.size()), &written, nullptr) != 0;
    } else if (handle_ != INVALID_HANDLE_VALUE && handle_ != nullptr) {
      DWORD written = 0;
      ok = WriteFile(handle_, pending_.data(), static_cast<DWORD>(pending_.size()), &written, nullptr) != 0;
    }
    pending_.clear();
    return ok;
  }

  HANDLE handle_;
  bool console_ = false;
  std::string pending_;
};

}  // namespace

std::vector<std::string> Utf8Arguments(int argc, wchar_t** argv) {
  std::vector<std::string> arguments;
  for (int i = 1; i < argc; ++i) {
    const std::wstring argument(argv[i]);
    arguments.push_back(TAVQ::ToUtf8(std::u16string(argument.begin(), argument.end())));
  }
  return arguments;
}

struct WindowsConsoleOutput::Streams {
  ConsoleBuffer out{STD_OUTPUT_HANDLE};
  ConsoleBuffer err{STD_ERROR_HANDLE};
  std::streambuf* savedOut = nullptr;
  std::streambuf* savedErr = nullptr;
};

WindowsConsoleOutput::WindowsConsoleOutput() : streams_(new Streams) {
  streams_->savedOut = std::cout.rdbuf(&streams_->out);
  streams_->savedErr = std::cerr.rdbuf(&streams_->err);
}

WindowsConsoleOutput::~WindowsConsoleOutput() {
  std::cout.flush();
  std::cerr.flush();
  std::cout.rdbuf(streams_->savedOut);
  std::cerr.rdbuf(streams_->savedErr);
  delete streams_;
}

}  // namespace Cli
