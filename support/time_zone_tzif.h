// The POSIX TZ rule stored as the footer of a TZif (version 2 or later) zone file.
#pragma once

#include <optional>
#include <string>

namespace TAVQ {

// The footer rule of the zone file at path; nothing when the file cannot be read, is
// not a TZif file of version 2 or later, or has an empty footer.
std::optional<std::string> ReadTzifFooter(const std::string& path);

}  // namespace TAVQ
