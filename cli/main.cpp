// kavrin-hc: command-line reader of health insurance cards.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "support/exception.h"
#include "support/text.h"

namespace {

int Usage() {
  std::fprintf(stderr, "usage: kavrin-hc message CODE\n");
  return 2;
}

int Message(const char* text) {
  char* end = nullptr;
  const long long code = std::strtoll(text, &end, 0);
  if (end == text || *end != '\0') {
    std::fprintf(stderr, "kavrin-hc: not a number: %s\n", text);
    return 2;
  }
  std::printf("%s\n", TAVQ::ToNarrow(TAVQ::SystemMessage(static_cast<std::int32_t>(code))).c_str());
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 3 && std::strcmp(argv[1], "message") == 0) return Message(argv[2]);
  return Usage();
}
