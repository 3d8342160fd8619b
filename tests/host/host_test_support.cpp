#include "tests/host/host_test_support.h"

#include <gtest/gtest.h>

namespace HostTest {

std::vector<std::string> Frames(const std::string& output) {
  std::vector<std::string> frames;
  std::size_t at = 0;
  while (at < output.size()) {
    std::uint32_t length = 0;
    if (output.size() - at < sizeof length) {
      ADD_FAILURE() << "stray bytes after the last frame";
      break;
    }
    std::memcpy(&length, output.data() + at, sizeof length);
    at += sizeof length;
    if (output.size() - at < length) {
      ADD_FAILURE() << "a frame of " << length << " bytes is cut short";
      break;
    }
    frames.push_back(output.substr(at, length));
    at += length;
  }
  return frames;
}

std::vector<Json> Answers(const std::string& output) {
  std::vector<Json> answers;
  for (const std::string& frame : Frames(output)) answers.push_back(Json::parse(frame));
  return answers;
}

}  // namespace HostTest
