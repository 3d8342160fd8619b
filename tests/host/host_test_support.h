// Frames in and out of the host for its tests, and services that record what they
// are asked.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
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

// The host's output as frame bodies; a stray byte fails the test.
inline std::vector<std::string> Frames(const std::string& output) {
  std::vector<std::string> frames;
  std::uint32_t length = 0;
  for (std::size_t at = 0; at < output.size(); at += sizeof length + length) {
    if (output.size() - at < sizeof length) {
      ADD_FAILURE() << "stray bytes after the last frame";
      break;
    }
    std::memcpy(&length, output.data() + at, sizeof length);
    EXPECT_LE(length, output.size() - at - sizeof length) << "a frame cut short";
    frames.push_back(output.substr(at + sizeof length, length));
  }
  return frames;
}

inline std::vector<Json> Answers(const std::string& output) {
  std::vector<Json> answers;
  for (const std::string& frame : Frames(output)) answers.push_back(Json::parse(frame));
  return answers;
}

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
