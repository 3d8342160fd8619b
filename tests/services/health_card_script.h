// Card bytes and APDU dialogues of a health card, written out by hand from the card's
// formats so that the tests never share an encoder with the code under test.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "fakes/fake_pcsc.h"
#include "support/types.h"

namespace CardScript {

using TAVQ::ByteArray;

// One TLV element: tag and length least significant byte first, then the value.
ByteArray Element(std::uint16_t tag, const ByteArray& value);
// A whole block: its header (tag, body length) and the elements back to back.
ByteArray Block(std::uint16_t tag, const std::vector<ByteArray>& elements);
ByteArray Ascii(const std::string& text);
ByteArray Utf16(const std::u16string& text);

// Header block 0x0D00: document ID "01" or "07" and the blocks declared present.
ByteArray HeaderBlock(const std::string& documentId, const std::vector<std::uint16_t>& present);
// Block 0x0D01 with every element; issued 15.03.2021.
ByteArray DocumentBlock();
// Block 0x0D01 without InsurerName (0x0611).
ByteArray DocumentBlockWithoutInsurerName();

// Block 0x0D03: card number, issued 15.03.2021, no expiry, permanent.
ByteArray VariablePersoBlock();

// The AID of card application 1 or 7.
ByteArray Aid(std::uint16_t cardId);

// SELECT of the application, answered with the status word (hex).
void ExpectSelectApplication(Fakes::FakePCSC& pcsc, std::uint16_t cardId, const std::string& statusWord = "9000");
// The whole read of one block: SELECT application, SELECT EF, the 4-byte header, the
// block in READ BINARY chunks of at most 128 bytes.
void ExpectBlockRead(Fakes::FakePCSC& pcsc, std::uint16_t cardId, std::uint16_t blockId, const ByteArray& block);
// The card initialisation: the read of the header block.
void ExpectOpen(Fakes::FakePCSC& pcsc, std::uint16_t cardId, const ByteArray& header);

}  // namespace CardScript
