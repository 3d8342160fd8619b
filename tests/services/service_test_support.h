// The services' surroundings in their tests: a recording notifier and error record, and
// the card's bytes and APDU dialogues written out by hand from the card's formats, so
// that the tests never share an encoder with the code under test.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "fakes/fake_pcsc.h"
#include "services/error_record.h"
#include "services/user_notifier.h"
#include "support/types.h"

namespace TAVQ {

class RecordingNotifier : public UserNotifier {
 public:
  void Notify(const WString& description) noexcept override { shown.push_back(description); }
  std::vector<WString> shown;
};

// Installs a recording notifier and a clean per-thread error record for each test.
class ReportingTest : public ::testing::Test {
 protected:
  ReportingTest() : previousStore_(InstallErrorRecordStore(&store_)) { ThreadErrorRecordStore::Clear(); }
  ~ReportingTest() override {
    InstallErrorRecordStore(previousStore_);
    ThreadErrorRecordStore::Clear();
  }

  static std::optional<ErrorRecord> Record() { return ThreadErrorRecordStore::Current(); }

  RecordingNotifier notifier_;
  ScopedUserNotifier scopedNotifier_{notifier_};

 private:
  ThreadErrorRecordStore store_;
  ErrorRecordStore* previousStore_;
};

}  // namespace TAVQ

namespace CardScript {

using TAVQ::ByteArray;

inline ByteArray Cat(ByteArray out, const ByteArray& tail) {
  out.insert(out.end(), tail.begin(), tail.end());
  return out;
}

inline ByteArray Ascii(const std::string& text) { return ByteArray(text.begin(), text.end()); }

inline ByteArray Utf16(const std::u16string& text) {
  ByteArray out;
  for (char16_t unit : text) out = Cat(out, {std::uint8_t(unit & 0xFF), std::uint8_t(unit >> 8)});
  return out;
}

// One TLV element: tag and length least significant byte first, then the value.
inline ByteArray Element(std::uint16_t tag, const ByteArray& value) {
  return Cat({std::uint8_t(tag), std::uint8_t(tag >> 8), std::uint8_t(value.size()), std::uint8_t(value.size() >> 8)},
             value);
}

// A whole block: its header (tag, body length) and the elements back to back.
inline ByteArray Block(std::uint16_t tag, const std::vector<ByteArray>& elements) {
  ByteArray body;
  for (const ByteArray& element : elements) body = Cat(body, element);
  return Element(tag, body);
}

// Header block 0x0D00: document ID "01" or "07" and the blocks declared present.
inline ByteArray HeaderBlock(const std::string& documentId, const std::vector<std::uint16_t>& present) {
  ByteArray list;
  for (std::uint16_t id : present) list = Cat(list, {std::uint8_t(id), std::uint8_t(id >> 8)});
  return Block(0x0D00, {Element(0x0601, Ascii(documentId)), Element(0x0602, Ascii("01")), Element(0x0603, list)});
}

// Block 0x0D01, issued 15.03.2021: longer than one READ BINARY chunk.
inline ByteArray DocumentBlock() {
  return Block(0x0D01, {Element(0x0611, Utf16(u"Fond zdravstvenog osiguranja \u010Ca\u010Dak")),
                        Element(0x0612, Ascii("12345")),
                        Element(0x0613, Ascii("00012345678")), Element(0x0615, Ascii("15032021")),
                        Element(0x0616, Ascii("14032031")), Element(0x0617, Ascii("0123456789ABCDEF")),
                        Element(0x0618, Ascii("SR"))});
}

// SELECT of card application 1 or 7, answered with the status word (hex).
inline void ExpectSelectApplication(Fakes::FakePCSC& pcsc, std::uint16_t cardId, const std::string& statusWord = "9000") {
  pcsc.ExpectApdu(cardId == 7 ? "00A404000FF381000002534552534F564F5A4B0100" : "00A404000DF38100000253455256535A4B0100",
                  statusWord);
}

// The whole read of one block: SELECT application, SELECT EF, the 4-byte header, the
// block in READ BINARY chunks of at most 128 bytes.
inline void ExpectBlockRead(Fakes::FakePCSC& pcsc, std::uint16_t cardId, std::uint16_t blockId, const ByteArray& block) {
  const ByteArray ok = {0x90, 0x00};
  const auto size = static_cast<std::uint16_t>(block.size());
  ExpectSelectApplication(pcsc, cardId);
  pcsc.ExpectApdu({0x00, 0xA4, 0x00, 0x00, 0x02, std::uint8_t(blockId >> 8), std::uint8_t(blockId), 0x00},
                  {0x00, 0x00, std::uint8_t(size >> 8), std::uint8_t(size), 0x90, 0x00});
  pcsc.ExpectApdu({0x00, 0xB0, 0x00, 0x00, 0x04}, Cat(ByteArray(block.begin(), block.begin() + 4), ok));
  for (std::size_t offset = 0; offset < block.size(); offset += 128) {
    const std::size_t chunk = std::min<std::size_t>(128, block.size() - offset);
    pcsc.ExpectApdu({0x00, 0xB0, std::uint8_t(offset >> 8), std::uint8_t(offset), std::uint8_t(chunk)},
                    Cat(ByteArray(block.begin() + offset, block.begin() + offset + chunk), ok));
  }
}

}  // namespace CardScript
