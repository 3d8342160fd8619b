// Arbitrary bytes to the host, as a stream of frames (first byte even) or one frame's
// body (odd): every answer must be one frame of JSON within the browser's limit.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <sstream>
#include <string>

#include "host/frame.h"
#include "host/session.h"

namespace {

class NoCardServices : public Host::HostServices {
 public:
  Host::Json ReaderList() override { return Host::Json{{"readers", Host::Json::array()}}; }
  Host::Json Read(const Cli::ReadRequest& request) override {
    return Host::Json{{"reader", request.reader ? request.reader->size() : 0}, {"cardId", request.cardId}};
  }
  Host::Json ErrorMessage(std::int32_t code) override { return Host::Json{{"code", code}}; }
};

void CheckAnswer(const std::string& answer) {
  if (answer.size() > Host::kMaxAnswerBytes || !Host::Json::accept(answer)) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  NoCardServices services;
  const std::string bytes(reinterpret_cast<const char*>(data) + 1, size - 1);
  if (data[0] & 1) {
    CheckAnswer(Host::AnswerTo({Host::IncomingFrame::Kind::Message, bytes,
                                static_cast<std::uint32_t>(bytes.size())},
                               services));
    return 0;
  }
  std::istringstream in(bytes);
  std::ostringstream out;
  Host::Serve(in, out, services);
  const std::string output = out.str();
  std::size_t at = 0;
  while (at < output.size()) {
    std::uint32_t length = 0;
    if (output.size() - at < sizeof length) std::abort();
    std::memcpy(&length, output.data() + at, sizeof length);
    at += sizeof length;
    if (output.size() - at < length) std::abort();
    CheckAnswer(output.substr(at, length));
    at += length;
  }
  return 0;
}
