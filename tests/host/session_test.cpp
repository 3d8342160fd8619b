// The host's conversation: every request frame gets exactly one answer frame, a request
// that cannot be understood gets an error and the host goes on serving, and the input's
// end ends it.
#include "host/session.h"

#include <gtest/gtest.h>

#include <memory>
#include <sstream>
#include <streambuf>

#include "host/frame.h"
#include "tests/host/host_test_support.h"

namespace {

using HostTest::Answers;
using HostTest::Frame;
using HostTest::Json;
using HostTest::RecordingServices;

const std::string kVersion = Frame(R"({"request":"version"})");
const Json kVersionAnswer{{"host", "org.kavrin.hc"}, {"version", Host::kHostVersion}};

std::vector<Json> Serve(std::istream& in, RecordingServices& services) {
  std::ostringstream out;
  Host::Serve(in, out, services);
  return Answers(out.str());
}

std::vector<Json> Serve(const std::string& input, RecordingServices& services) {
  std::istringstream in(input);
  return Serve(in, services);
}

Json RequestError(const std::string& message) {
  return Json{{"error", {{"hresult", "0x80070057"}, {"message", message}}}};
}

std::string Padded(const std::string& json, std::size_t size) { return json + std::string(size - json.size(), ' '); }

TEST(HostSessionTest, EachBadRequestGetsAnErrorAndTheNextRequestIsServed) {
  const std::string json = "The request is not valid JSON.";
  const std::string utf8 = "The request is not valid UTF-8.";
  const std::string name = "\"request\" must name one of: version, listReaders, read, errorMessage.";
  const std::string cardId = "\"cardId\" must be 1, 7 or \"any\".";
  const std::string code = "\"code\" must be an error code: a 32-bit integer, or \"0x\" and eight hex digits.";
  const std::pair<std::string, std::string> cases[] = {
      {R"({"request":"version")", json},
      {"", json},
      {"{\"request\":\"version\",\"x\":\"\xFF\"}", utf8},
      {"{\"request\":\"\xED\xA0\x80\"}", utf8},  // surrogate
      {R"(["version"])", "The request must be a JSON object."},
      {R"({"request":"format"})", name},
      {R"({"request":7})", name},
      {R"({"reader":"x"})", name},
      {R"({"request":"read","checkorigin":true})", "The request has a field it does not know: \"checkorigin\"."},
      {R"({"request":"version","code":1})", "The request has a field it does not know: \"code\"."},
      {R"({"request":"read","cardId":2})", cardId},
      {R"({"request":"read","cardId":"1"})", cardId},
      {R"({"request":"read","cardId":1.0})", cardId},
      {R"({"request":"read","verify":"yes"})", "\"verify\" must be true or false."},
      {R"({"request":"read","checkOrigin":1})", "\"checkOrigin\" must be true or false."},
      {R"({"request":"read","reader":5})", "\"reader\" must be the name of a reader."},
      {R"({"request":"read","reader":""})", "\"reader\" must be the name of a reader."},
      {R"({"request":"read","verify":true,"trustAnchors":["x"]})",
       "\"trustAnchors\" must be PEM text of one or more certificates."},
      {R"({"request":"read","trustAnchors":"x"})",
       "\"trustAnchors\" needs \"verify\": the signers of verified blocks are checked."},
      {R"({"request":"read","verify":true,"trustAnchors":""})", "The trust anchors hold no certificate"},
      {R"({"request":"errorMessage"})", code},
      {R"({"request":"errorMessage","code":4294967296})", code},
      {R"({"request":"errorMessage","code":-2147483649})", code},
      {R"({"request":"errorMessage","code":1.5})", code},
      {R"({"request":"errorMessage","code":"0x8010069"})", code},
      {R"({"request":"errorMessage","code":"-0x0000001"})", code},
      {Padded(R"({"request":"version"})", Host::kMaxRequestBytes + 1),
       "The request is 1048577 bytes long; at most 1048576 are read."},
  };
  for (const auto& [request, message] : cases) {
    SCOPED_TRACE(request.substr(0, 80));
    RecordingServices services;
    EXPECT_EQ(Serve(Frame(request) + kVersion, services), (std::vector<Json>{RequestError(message), kVersionAnswer}));
    EXPECT_TRUE(services.reads.empty() && services.codes.empty());
  }
}

TEST(HostSessionTest, RequestsAreAnsweredInOrderAndTheirFieldsReachTheServices) {
  RecordingServices services;
  services.readers = Json{{"readers", {"Reader A", "Reader B"}}};
  const std::string input = Frame(R"({"request":"read","reader":"Reader B","cardId":7,"verify":true})") +
                            Frame(R"({"request":"read","cardId":"any","checkOrigin":true,"reader":null})") +
                            Frame(R"({"request":"listReaders"})") +
                            Frame(R"({"request":"errorMessage","code":2148532329})") +
                            Frame(R"({"request":"errorMessage","code":-2146435063})") +
                            Frame(R"({"request":"errorMessage","code":"0x8007139f"})") +
                            Frame(R"({"request":"errorMessage","code":"0XFFFFFFFF"})") +
                            Frame(R"({"request":"errorMessage","code":-2147483648})") +
                            Frame(R"({"request":"errorMessage","code":4294967295})") +
                            Frame(R"({"request":"read","verify":false,"checkOrigin":false})") +
                            Frame(Padded(R"({"request":"version"})", Host::kMaxRequestBytes));
  const std::vector<Json> answers = Serve(input, services);

  ASSERT_EQ(answers.size(), 11u);
  EXPECT_EQ(answers[0], (Json{{"reader", "Recorded"}}));
  EXPECT_EQ(answers[2], services.readers);
  EXPECT_EQ(answers[3], (Json{{"code", static_cast<std::int32_t>(0x80100069u)}}));
  EXPECT_EQ(answers[10], kVersionAnswer) << "a request of exactly the limit is read";

  ASSERT_EQ(services.reads.size(), 3u);
  EXPECT_EQ(services.reads[0].reader, TAVQ::WString(u"Reader B"));
  EXPECT_EQ(services.reads[0].cardId, 7);
  EXPECT_TRUE(services.reads[0].verify && !services.reads[0].checkOrigin);
  EXPECT_FALSE(services.reads[1].reader.has_value());
  EXPECT_EQ(services.reads[1].cardId, 0xFFFF);
  EXPECT_TRUE(!services.reads[1].verify && services.reads[1].checkOrigin);
  EXPECT_FALSE(services.reads[2].verify || services.reads[2].checkOrigin);
  EXPECT_EQ(services.codes, (std::vector<std::int32_t>{static_cast<std::int32_t>(0x80100069u),
                                                       static_cast<std::int32_t>(0x80100009u),
                                                       static_cast<std::int32_t>(0x8007139Fu), -1, INT32_MIN, -1}));
}

TEST(HostSessionTest, AFrameCutShortGetsOneErrorAndEndsTheHost) {
  const std::pair<std::string, std::string> cases[] = {
      {std::string("\x15\x00", 2), "The request ends inside its 4-byte length."},
      {kVersion.substr(0, 12), "The request ends before its declared length of 21 bytes."},
      {Frame(std::string(Host::kMaxRequestBytes + 10, ' ')).substr(0, 100),
       "The request ends before its declared length of 1048586 bytes."},
  };
  for (const auto& [input, message] : cases) {
    SCOPED_TRACE(message);
    RecordingServices services;
    EXPECT_EQ(Serve(kVersion + input, services), (std::vector<Json>{kVersionAnswer, RequestError(message)}));
  }
  RecordingServices services;
  EXPECT_TRUE(Serve("", services).empty()) << "a closed input ends the host without an answer";
}

// A header that declares 4 GiB - 1 bytes, that many filler bytes, and then what follows,
// without holding the gigabytes in memory.
class HugeFrameBuffer : public std::streambuf {
 public:
  HugeFrameBuffer(std::uint64_t fillerBytes, std::string after) : filler_(fillerBytes), after_(std::move(after)) {
    setg(header_, header_, header_ + sizeof header_);
  }

 protected:
  int_type underflow() override {
    if (filler_ > 0) {
      const std::size_t chunk = filler_ < sizeof chunk_ ? static_cast<std::size_t>(filler_) : sizeof chunk_;
      filler_ -= chunk;
      setg(chunk_, chunk_, chunk_ + chunk);
      return traits_type::to_int_type(*gptr());
    }
    if (afterServed_ || after_.empty()) return traits_type::eof();
    afterServed_ = true;
    setg(after_.data(), after_.data(), after_.data() + after_.size());
    return traits_type::to_int_type(*gptr());
  }

 private:
  char header_[4] = {'\xFF', '\xFF', '\xFF', '\xFF'};
  char chunk_[1 << 20] = {};
  std::uint64_t filler_;
  std::string after_;
  bool afterServed_ = false;
};

TEST(HostSessionTest, AFourGigabyteLengthIsReadPastOrEndsTheHostWhenItsBytesAreMissing) {
  const struct {
    std::uint64_t filler;
    std::string after;
    std::vector<Json> answers;
  } cases[] = {
      {0xFFFFFFFFull, kVersion,
       {RequestError("The request is 4294967295 bytes long; at most 1048576 are read."), kVersionAnswer}},
      {1000, "", {RequestError("The request ends before its declared length of 4294967295 bytes.")}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.filler);
    auto buffer = std::make_unique<HugeFrameBuffer>(c.filler, c.after);
    std::istream in(buffer.get());
    RecordingServices services;
    EXPECT_EQ(Serve(in, services), c.answers);
  }
}

TEST(HostSessionTest, AnAnswerOverTheBrowsersLimitBecomesAnError) {
  // A reader list whose answer is exactly the limit, then one byte longer.
  const std::size_t frame = std::string(R"({"readers":[""]})").size();
  RecordingServices services;
  services.readers = Json{{"readers", {std::string(Host::kMaxAnswerBytes - frame, 'r')}}};
  EXPECT_EQ(Serve(Frame(R"({"request":"listReaders"})"), services), std::vector<Json>{services.readers});

  services.readers = Json{{"readers", {std::string(Host::kMaxAnswerBytes + 1 - frame, 'r')}}};
  const Json tooLong{{"error",
                      {{"hresult", "0x80004005"},
                       {"message", "The answer is longer than the 1048576 bytes a browser accepts."}}}};
  EXPECT_EQ(Serve(Frame(R"({"request":"listReaders"})") + kVersion, services),
            (std::vector<Json>{tooLong, kVersionAnswer}));
}

}  // namespace
