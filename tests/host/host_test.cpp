// The host's conversation: every request frame gets exactly one answer frame, a request
// that cannot be understood gets an error and the host goes on serving, and the input's
// end ends it.
#include "host/session.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>

#include "host/frame.h"
#include "host/host_services.h"
#include "support/text.h"

namespace {

using Host::Json;

std::string Frame(const std::string& body) {
  const auto length = static_cast<std::uint32_t>(body.size());
  return std::string(reinterpret_cast<const char*>(&length), sizeof length) + body;
}

// The host's output as parsed frame bodies; a stray or cut-short frame fails the test.
std::vector<Json> Answers(const std::string& output) {
  std::vector<Json> answers;
  std::uint32_t length = 0;
  for (std::size_t at = 0; at < output.size(); at += sizeof length + length) {
    std::memcpy(&length, output.data() + at, std::min(sizeof length, output.size() - at));
    EXPECT_LE(sizeof length + length, output.size() - at) << "a frame cut short";
    answers.push_back(Json::parse(output.substr(at + sizeof length, length)));
  }
  return answers;
}

// Answers each read and error message with what reached it, and keeps that too.
struct RecordingServices : Host::HostServices {
  Json ReaderList() override { return readers; }
  Json Read(const Cli::ReadRequest& r) override {
    return calls.emplace_back(Json{{"reader", r.reader ? Json(TAVQ::ToUtf8(*r.reader)) : Json()}, {"cardId", r.cardId},
                                   {"verify", r.verify}, {"checkOrigin", r.checkOrigin}});
  }
  Json ErrorMessage(std::int32_t code) override { return calls.emplace_back(Json{{"code", code}}); }

  Json readers = Json{{"readers", Json::array()}};
  std::vector<Json> calls;
};

const std::string kVersion = Frame(R"({"request":"version"})");
const Json kVersionAnswer{{"host", "org.kavrin.hc"}, {"version", Host::kHostVersion}};

std::vector<Json> Serve(const std::string& input, RecordingServices& services) {
  std::istringstream in(input);
  std::ostringstream out;
  Host::Serve(in, out, services);
  return Answers(out.str());
}

Json Error(const std::string& message, const char* hresult = "0x80070057") {
  return Json{{"error", {{"hresult", hresult}, {"message", message}}}};
}

std::string Padded(const std::string& json, std::size_t size) { return json + std::string(size - json.size(), ' '); }

TEST(HostSessionTest, EachBadRequestGetsAnErrorAndTheNextRequestIsServed) {
  const std::string name = "\"request\" must name one of: version, listReaders, read, errorMessage.";
  const std::string cardId = "\"cardId\" must be 1, 7 or \"any\".";
  const std::string code = "\"code\" must be an error code: a 32-bit integer, or \"0x\" and eight hex digits.";
  const std::pair<std::string, std::string> cases[] = {
      {R"({"request":"version")", "The request is not valid JSON."},
      {"{\"request\":\"version\",\"x\":\"\xFF\"}", "The request is not valid UTF-8."},
      {R"(["version"])", "The request must be a JSON object."},
      {R"({"request":"format"})", name},
      {R"({"reader":"x"})", name},
      {R"({"request":"read","checkorigin":true})", "The request has a field it does not know: \"checkorigin\"."},
      {R"({"request":"read","cardId":2})", cardId},
      {R"({"request":"read","cardId":1.0})", cardId},
      {R"({"request":"read","verify":"yes"})", "\"verify\" must be true or false."},
      {R"({"request":"read","reader":""})", "\"reader\" must be the name of a reader."},
      {R"({"request":"read","verify":true,"trustAnchors":["x"]})",
       "\"trustAnchors\" must be PEM text of one or more certificates."},
      {R"({"request":"read","trustAnchors":"x"})",
       "\"trustAnchors\" needs \"verify\": the signers of verified blocks are checked."},
      {R"({"request":"read","verify":true,"trustAnchors":""})", "The trust anchors hold no certificate"},
      {R"({"request":"errorMessage"})", code},
      {R"({"request":"errorMessage","code":4294967296})", code},
      {R"({"request":"errorMessage","code":1.5})", code},
      {R"({"request":"errorMessage","code":"0x8010069"})", code},
      {Padded(R"({"request":"version"})", Host::kMaxRequestBytes + 1),
       "The request is 1048577 bytes long; at most 1048576 are read."},
  };
  for (const auto& [request, message] : cases) {
    SCOPED_TRACE(request.substr(0, 80));
    RecordingServices services;
    EXPECT_EQ(Serve(Frame(request) + kVersion, services), (std::vector<Json>{Error(message), kVersionAnswer}));
    EXPECT_TRUE(services.calls.empty());
  }
}

TEST(HostSessionTest, RequestsAreAnsweredInOrderAndTheirFieldsReachTheServices) {
  RecordingServices services;
  services.readers = Json{{"readers", {"Reader A", "Reader B"}}};
  const auto read = [](Json reader, int cardId, bool verify, bool checkOrigin) {
    return Json{{"reader", reader}, {"cardId", cardId}, {"verify", verify}, {"checkOrigin", checkOrigin}};
  };
  const auto code = [](std::uint32_t code) { return Json{{"code", static_cast<std::int32_t>(code)}}; };
  const std::vector<Json> answers = {read("Reader B", 7, true, false), read(nullptr, 0xFFFF, false, true),
                                     read(nullptr, 0xFFFF, false, false), code(0x80100069u), code(0x8007139Fu),
                                     code(~0u), code(~0u), services.readers, kVersionAnswer};
  EXPECT_EQ(Serve(Frame(R"({"request":"read","reader":"Reader B","cardId":7,"verify":true})") +
                      Frame(R"({"request":"read","cardId":"any","checkOrigin":true,"reader":null})") +
                      Frame(R"({"request":"read","verify":false,"checkOrigin":false})") +
                      Frame(R"({"request":"errorMessage","code":2148532329})") +
                      Frame(R"({"request":"errorMessage","code":"0x8007139f"})") +
                      Frame(R"({"request":"errorMessage","code":"0XFFFFFFFF"})") +
                      Frame(R"({"request":"errorMessage","code":4294967295})") + Frame(R"({"request":"listReaders"})") +
                      Frame(Padded(R"({"request":"version"})", Host::kMaxRequestBytes)),  // exactly the limit
                  services),
            answers);
  EXPECT_EQ(services.calls, std::vector<Json>(answers.begin(), answers.end() - 2));
}

TEST(HostSessionTest, AFrameCutShortGetsOneErrorAndEndsTheHost) {
  const std::pair<std::string, std::string> cases[] = {
      {std::string("\x15\x00", 2), "The request ends inside its 4-byte length."},
      {kVersion.substr(0, 12), "The request ends before its declared length of 21 bytes."},
      {Frame(std::string(Host::kMaxRequestBytes + 10, ' ')).substr(0, 100),
       "The request ends before its declared length of 1048586 bytes."},
      {std::string(4, '\xFF') + "{}", "The request ends before its declared length of 4294967295 bytes."},
      {"", ""},  // a closed input ends the host without an answer
  };
  for (const auto& [input, message] : cases) {
    SCOPED_TRACE(message);
    RecordingServices services;
    std::vector<Json> expected = {kVersionAnswer};
    if (!message.empty()) expected.push_back(Error(message));
    EXPECT_EQ(Serve(kVersion + input, services), expected);
  }
}

TEST(HostSessionTest, AnAnswerOverTheBrowsersLimitBecomesAnError) {
  const std::size_t frame = std::string(R"({"readers":[""]})").size();
  RecordingServices services;
  for (std::size_t size : {Host::kMaxAnswerBytes, Host::kMaxAnswerBytes + 1}) {
    services.readers = Json{{"readers", {std::string(size - frame, 'r')}}};
    const Json answer = size == Host::kMaxAnswerBytes
                            ? services.readers
                            : Error("The answer is longer than the 1048576 bytes a browser accepts.", "0x80004005");
    EXPECT_EQ(Serve(Frame(R"({"request":"listReaders"})") + kVersion, services), (std::vector<Json>{answer, kVersionAnswer}));
  }
}

// The real program: binary frames on stdout and nothing else, and a clean exit at the end of stdin.
TEST(HostProcessTest, AnswersEveryFrameOnStdoutAndEndsWhenStdinCloses) {
  const std::string dir = ::testing::TempDir();
  // A length whose bytes include 0x0A and 0x0D: a text-mode stream would change them.
  std::ofstream(dir + "host-in", std::ios::binary)
      << Frame("{\"request\":\"version\"" + std::string(0x0A0D - 21, ' ') + "}") << Frame("\n\r\n")
      << Frame(R"({"request":"errorMessage","code":"0x80100069"})");
  const std::string command =
      std::string(KAVRIN_HC_HOST) + " <" + dir + "host-in >" + dir + "host-out 2>" + dir + "host-err";
  ASSERT_EQ(std::system(command.c_str()), 0);
  const auto readAll = [&](const char* name) {
    std::ostringstream text;
    text << std::ifstream(dir + name, std::ios::binary).rdbuf();
    return text.str();
  };
  EXPECT_EQ(Answers(readAll("host-out")), (std::vector<Json>{kVersionAnswer, Error("The request is not valid JSON."),
                                                             Json{{"code", "0x80100069"}, {"message", "Card was removed."}}}));
  EXPECT_EQ(readAll("host-err"), "");
}

}  // namespace
