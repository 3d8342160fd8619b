// The host's conversation: every request frame gets exactly one answer frame, a request
// that cannot be understood gets an error and the host goes on serving, and the input's
// end ends it.
#include <sstream>
#include <streambuf>

#include <gtest/gtest.h>

#include "host/frame.h"
#include "host/session.h"
#include "tests/host/host_test_support.h"

namespace {

using HostTest::Answers;
using HostTest::Frame;
using HostTest::Json;
using HostTest::RecordingServices;

const std::string kVersion = Frame(R"({"request":"version"})");

std::string Serve(const std::string& input, RecordingServices& services) {
  std::istringstream in(input);
  std::ostringstream out;
  Host::Serve(in, out, services);
  return out.str();
}

void ExpectVersion(const Json& answer) {
  EXPECT_EQ(answer, (Json{{"host", "org.kavrin.hc"}, {"version", Host::kHostVersion}}));
}

void ExpectRequestError(const Json& answer, const std::string& message) {
  EXPECT_EQ(answer, (Json{{"error", {{"hresult", "0x80070057"}, {"message", message}}}}));
}

struct BadFrame {
  const char* name;
  std::string input;
  std::string message;
};

std::string Padded(const std::string& json, std::size_t size) { return json + std::string(size - json.size(), ' '); }

TEST(HostSessionTest, EachBadRequestGetsAnErrorAndTheNextRequestIsServed) {
  const BadFrame cases[] = {
      {"invalid JSON", Frame(R"({"request":"version")"), "The request is not valid JSON."},
      {"empty frame", Frame(""), "The request is not valid JSON."},
      {"invalid UTF-8 in a string", Frame("{\"request\":\"version\",\"x\":\"\xFF\"}"), "The request is not valid UTF-8."},
      {"overlong UTF-8 slash", Frame("{\"request\":\"\xC0\xAF\"}"), "The request is not valid UTF-8."},
      {"UTF-8 surrogate", Frame("{\"request\":\"\xED\xA0\x80\"}"), "The request is not valid UTF-8."},
      {"UTF-8 cut short", Frame("{\"request\":\"\xE2\x82"), "The request is not valid UTF-8."},
      {"not an object", Frame(R"(["version"])"), "The request must be a JSON object."},
      {"unknown request", Frame(R"({"request":"format"})"),
       "\"request\" must name one of: version, listReaders, read, errorMessage."},
      {"request name of the wrong type", Frame(R"({"request":7})"),
       "\"request\" must name one of: version, listReaders, read, errorMessage."},
      {"no request name", Frame(R"({"reader":"x"})"),
       "\"request\" must name one of: version, listReaders, read, errorMessage."},
      {"unknown field", Frame(R"({"request":"read","checkorigin":true})"),
       "The request has a field it does not know: \"checkorigin\"."},
      {"field of another request", Frame(R"({"request":"version","code":1})"),
       "The request has a field it does not know: \"code\"."},
      {"card ID 2", Frame(R"({"request":"read","cardId":2})"), "\"cardId\" must be 1, 7 or \"any\"."},
      {"card ID as text", Frame(R"({"request":"read","cardId":"1"})"), "\"cardId\" must be 1, 7 or \"any\"."},
      {"card ID 1.0", Frame(R"({"request":"read","cardId":1.0})"), "\"cardId\" must be 1, 7 or \"any\"."},
      {"verify as text", Frame(R"({"request":"read","verify":"yes"})"), "\"verify\" must be true or false."},
      {"checkOrigin as number", Frame(R"({"request":"read","checkOrigin":1})"),
       "\"checkOrigin\" must be true or false."},
      {"reader as number", Frame(R"({"request":"read","reader":5})"), "\"reader\" must be the name of a reader."},
      {"empty reader", Frame(R"({"request":"read","reader":""})"), "\"reader\" must be the name of a reader."},
      {"trust anchors as a list", Frame(R"({"request":"read","verify":true,"trustAnchors":["x"]})"),
       "\"trustAnchors\" must be PEM text of one or more certificates."},
      {"trust anchors without verify", Frame(R"({"request":"read","trustAnchors":"x"})"),
       "\"trustAnchors\" needs \"verify\": the signers of verified blocks are checked."},
      {"trust anchors without a certificate", Frame(R"({"request":"read","verify":true,"trustAnchors":""})"),
       "The trust anchors hold no certificate"},
      {"no code", Frame(R"({"request":"errorMessage"})"),
       "\"code\" must be an error code: a 32-bit integer, or \"0x\" and eight hex digits."},
      {"code past 32 bits", Frame(R"({"request":"errorMessage","code":4294967296})"),
       "\"code\" must be an error code: a 32-bit integer, or \"0x\" and eight hex digits."},
      {"code below 32 bits", Frame(R"({"request":"errorMessage","code":-2147483649})"),
       "\"code\" must be an error code: a 32-bit integer, or \"0x\" and eight hex digits."},
      {"fractional code", Frame(R"({"request":"errorMessage","code":1.5})"),
       "\"code\" must be an error code: a 32-bit integer, or \"0x\" and eight hex digits."},
      {"short hex code", Frame(R"({"request":"errorMessage","code":"0x8010069"})"),
       "\"code\" must be an error code: a 32-bit integer, or \"0x\" and eight hex digits."},
      {"hex code with a sign", Frame(R"({"request":"errorMessage","code":"-0x0000001"})"),
       "\"code\" must be an error code: a 32-bit integer, or \"0x\" and eight hex digits."},
      {"one byte over the limit", Frame(Padded(R"({"request":"version"})", Host::kMaxRequestBytes + 1)),
       "The request is 1048577 bytes long; at most 1048576 are read."},
  };
  for (const BadFrame& bad : cases) {
    SCOPED_TRACE(bad.name);
    RecordingServices services;
    const std::vector<Json> answers = Answers(Serve(bad.input + kVersion, services));
    ASSERT_EQ(answers.size(), 2u);
    ExpectRequestError(answers[0], bad.message);
    ExpectVersion(answers[1]);
    EXPECT_TRUE(services.reads.empty());
    EXPECT_TRUE(services.codes.empty());
  }
}

TEST(HostSessionTest, ARequestOfExactlyTheLimitIsRead) {
  RecordingServices services;
  const std::vector<Json> answers =
      Answers(Serve(Frame(Padded(R"({"request":"version"})", Host::kMaxRequestBytes)), services));
  ASSERT_EQ(answers.size(), 1u);
  ExpectVersion(answers[0]);
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
                            Frame(R"({"request":"read","verify":false,"checkOrigin":false})") + kVersion;
  const std::vector<Json> answers = Answers(Serve(input, services));

  ASSERT_EQ(answers.size(), 11u);
  EXPECT_EQ(answers[0], (Json{{"reader", "Recorded"}}));
  EXPECT_EQ(answers[2], services.readers);
  EXPECT_EQ(answers[3], (Json{{"code", static_cast<std::int32_t>(0x80100069u)}}));
  ExpectVersion(answers[10]);

  ASSERT_EQ(services.reads.size(), 3u);
  EXPECT_EQ(services.reads[0].reader, TAVQ::WString(u"Reader B"));
  EXPECT_EQ(services.reads[0].cardId, 7);
  EXPECT_TRUE(services.reads[0].verify);
  EXPECT_FALSE(services.reads[0].checkOrigin);
  EXPECT_FALSE(services.reads[1].reader.has_value());
  EXPECT_EQ(services.reads[1].cardId, 0xFFFF);
  EXPECT_FALSE(services.reads[1].verify);
  EXPECT_TRUE(services.reads[1].checkOrigin);
  EXPECT_FALSE(services.reads[2].verify);
  EXPECT_FALSE(services.reads[2].checkOrigin);
  EXPECT_EQ(services.codes, (std::vector<std::int32_t>{static_cast<std::int32_t>(0x80100069u),
                                                       static_cast<std::int32_t>(0x80100009u),
                                                       static_cast<std::int32_t>(0x8007139Fu), -1, INT32_MIN, -1}));
}

TEST(HostSessionTest, AClosedInputEndsTheHostWithoutAnAnswer) {
  RecordingServices services;
  EXPECT_EQ(Serve("", services), "");
}

TEST(HostSessionTest, AFrameCutShortGetsOneErrorAndEndsTheHost) {
  const BadFrame cases[] = {
      {"header of two bytes", std::string("\x15\x00", 2), "The request ends inside its 4-byte length."},
      {"body shorter than declared", Frame(R"({"request":"version"})").substr(0, 12),
       "The request ends before its declared length of 21 bytes."},
      {"over-long frame cut short", Frame(std::string(Host::kMaxRequestBytes + 10, ' ')).substr(0, 100),
       "The request ends before its declared length of 1048586 bytes."},
  };
  for (const BadFrame& bad : cases) {
    SCOPED_TRACE(bad.name);
    RecordingServices services;
    const std::vector<Json> answers = Answers(Serve(kVersion + bad.input, services));
    ASSERT_EQ(answers.size(), 2u);
    ExpectVersion(answers[0]);
    ExpectRequestError(answers[1], bad.message);
  }
}

// Serves a header that declares 4 GiB - 1 bytes, that many filler bytes, and then what
// follows, without holding the gigabytes in memory.
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
    if (!afterServed_ && !after_.empty()) {
      afterServed_ = true;
      setg(after_.data(), after_.data(), after_.data() + after_.size());
      return traits_type::to_int_type(*gptr());
    }
    return traits_type::eof();
  }

 private:
  char header_[4] = {'\xFF', '\xFF', '\xFF', '\xFF'};
  char chunk_[1 << 20] = {};
  std::uint64_t filler_;
  std::string after_;
  bool afterServed_ = false;
};

// A 4 GiB length is read past when its bytes come (the next request is served), and
// ends the host with an error when they do not.
TEST(HostSessionTest, AFourGigabyteLengthIsReadPastOrEndsTheHostWhenItsBytesAreMissing) {
  struct Case {
    std::uint64_t filler;
    std::string after;
    const char* message;
    bool nextServed;
  };
  for (const Case& c : {Case{0xFFFFFFFFull, kVersion, "The request is 4294967295 bytes long; at most 1048576 are read.", true},
                        Case{1000, "", "The request ends before its declared length of 4294967295 bytes.", false}}) {
    SCOPED_TRACE(c.message);
    auto buffer = std::make_unique<HugeFrameBuffer>(c.filler, c.after);
    std::istream in(buffer.get());
    std::ostringstream out;
    RecordingServices services;
    Host::Serve(in, out, services);

    const std::vector<Json> answers = Answers(out.str());
    ASSERT_EQ(answers.size(), c.nextServed ? 2u : 1u);
    ExpectRequestError(answers[0], c.message);
    if (c.nextServed) ExpectVersion(answers[1]);
  }
}

// A reader list whose answer is exactly size bytes of JSON.
Json ReaderListOfSize(std::size_t size) {
  const std::size_t frame = std::string(R"({"readers":[""]})").size();
  return Json{{"readers", {std::string(size - frame, 'r')}}};
}

TEST(HostSessionTest, AnAnswerOverTheBrowsersLimitBecomesAnError) {
  RecordingServices services;
  services.readers = ReaderListOfSize(Host::kMaxAnswerBytes);
  const std::string atLimit = HostTest::Frames(Serve(Frame(R"({"request":"listReaders"})"), services)).at(0);
  EXPECT_EQ(atLimit.size(), Host::kMaxAnswerBytes);
  EXPECT_EQ(Json::parse(atLimit), services.readers);

  services.readers = ReaderListOfSize(Host::kMaxAnswerBytes + 1);
  const std::vector<Json> answers = Answers(Serve(Frame(R"({"request":"listReaders"})") + kVersion, services));
  ASSERT_EQ(answers.size(), 2u);
  EXPECT_EQ(answers[0], (Json{{"error",
                               {{"hresult", "0x80004005"},
                                {"message", "The answer is longer than the 1048576 bytes a browser accepts."}}}}));
  ExpectVersion(answers[1]);
}

TEST(HostFrameTest, TheLengthIsInTheMachinesByteOrder) {
  std::ostringstream out;
  Host::WriteFrame(out, std::string(0x0102, 'x'));
  const std::uint32_t expected = 0x0102;
  EXPECT_EQ(out.str().substr(0, 4), std::string(reinterpret_cast<const char*>(&expected), 4));
  EXPECT_EQ(out.str().size(), 4u + 0x0102);

  std::istringstream in(out.str());
  const Host::IncomingFrame frame = Host::ReadFrame(in);
  EXPECT_EQ(frame.kind, Host::IncomingFrame::Kind::Message);
  EXPECT_EQ(frame.body, std::string(0x0102, 'x'));
  EXPECT_EQ(Host::ReadFrame(in).kind, Host::IncomingFrame::Kind::End);
}

}  // namespace
