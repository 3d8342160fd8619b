// Frames in and out of the host for its tests, and services that record what they
// are asked.
#pragma once

#include <cstdint>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "host/host_services.h"

namespace HostTest {

using Host::Json;

inline std::string Frame(const std::string& body) {
  const auto length = static_cast<std::uint32_t>(body.size());
  std::string header(sizeof length, '\0');
  std::memcpy(header.data(), &length, sizeof length);
  return header + body;
}

// Splits the host's output into frame bodies; fails the test on a stray byte.
std::vector<std::string> Frames(const std::string& output);

// The answers as JSON, parsed.
std::vector<Json> Answers(const std::string& output);

class RecordingServices : public Host::HostServices {
 public:
  Json ReaderList() override { return readers; }
  Json Read(const Cli::ReadRequest& request) override {
    reads.push_back(request);
    return Json{{"reader", "Recorded"}};
  }
  Json ErrorMessage(std::int32_t code) override {
    codes.push_back(code);
    return Json{{"code", code}};
  }

  Json readers = Json{{"readers", Json::array()}};
  std::vector<Cli::ReadRequest> reads;
  std::vector<std::int32_t> codes;
};

}  // namespace HostTest
