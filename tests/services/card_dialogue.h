// A health card's bytes and APDU dialogues written out by hand for the scripted PC/SC, so
// that the tests of the services and of the command line share no encoder with the code.
#pragma once

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "fakes/fake_pcsc.h"
#include "model/block_bytes.h"
#include "support/types.h"

namespace CardDialogue {

using TAVQ::ByteArray;

inline ByteArray Cat(ByteArray out, const ByteArray& tail) {
  out.insert(out.end(), tail.begin(), tail.end());
  return out;
}

using ZKTest::Ascii;
using ZKTest::Block;
using ZKTest::Element;

// Header block 0x0D00: document ID "01" or "07", and every block declared present.
inline ByteArray HeaderBlock(std::uint16_t cardId) {
  const ByteArray present = {0x00, 0x0D, 0x01, 0x0D, 0x02, 0x0D, 0x03, 0x0D, 0x04, 0x0D, 0x05, 0x0D, 0x06, 0x0D, 0x09, 0x0D};
  return Block(0x0D00, {Element(0x0601, Ascii(cardId == 7 ? "07" : "01")), Element(0x0602, Ascii("01")),
                        Element(0x0603, present)});
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

}  // namespace CardDialogue
