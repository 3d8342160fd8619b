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
  std::string content(static_cast<std::size_t>(kMaxFileSize) + 1, '\0');
  file.read(&content[0], kMaxFileSize + 1);
  const std::streamsize size = file.gcount();
  if (size > kMaxFileSize) return std::nullopt;
  content.resize(static_cast<std::size_t>(size));
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
