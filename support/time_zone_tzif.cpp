#include "support/time_zone_tzif.h"

#include <fstream>
#include <iterator>

namespace TAVQ {

namespace {
// Zone files are a few kilobytes; anything far larger is not one.
constexpr std::streamsize kMaxFileSize = 1 << 20;
}  // namespace

std::optional<std::string> ReadTzifFooter(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  if (!file) return std::nullopt;
  // Read as it comes: a buffer of the largest size would be a megabyte to clear for
  // a file of a few kilobytes.
  std::string content;
  char chunk[4096];
  while (file.read(chunk, sizeof chunk) || file.gcount() > 0) {
    content.append(chunk, static_cast<std::size_t>(file.gcount()));
    if (content.size() > static_cast<std::size_t>(kMaxFileSize)) return std::nullopt;
  }
  // Magic "TZif", then the version: '\0' for version 1, which has no footer.
  if (content.size() < 5 || content.compare(0, 4, "TZif") != 0 || content[4] < '2') return std::nullopt;
  // The footer is the last line: "\n" rule "\n".
  if (content.size() < 2 || content.back() != '\n') return std::nullopt;
  const std::size_t open = content.rfind('\n', content.size() - 2);
  if (open == std::string::npos) return std::nullopt;
  std::string footer = content.substr(open + 1, content.size() - open - 2);
  if (footer.empty()) return std::nullopt;
  return footer;
}

}  // namespace TAVQ
