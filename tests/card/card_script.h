// Card images and scripted dialogues for the card object's unit tests: blocks built
// byte by byte here, independent of the codec under test.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "fakes/fake_pcsc.h"
#include "support/types.h"

namespace CardScript {

using TAVQ::ByteArray;

constexpr const char* kAid1 = "F38100000253455256535A4B01";
constexpr const char* kAid7 = "F381000002534552534F564F5A4B01";
constexpr const char* kReader = "Virtual Reader 0";

ByteArray Element(std::uint16_t tag, const ByteArray& value);
// A block: tag and body length (least significant byte first), then the body.
ByteArray Block(std::uint16_t tag, const ByteArray& body);
ByteArray Concat(std::initializer_list<ByteArray> parts);

// The card header block: document ID "01"/"07", version "01", the present list;
// filler bytes in an undeclared element pad the body to bodySize when given.
ByteArray HeaderBlock(int documentId, const std::vector<std::uint16_t>& present, std::size_t bodySize = 0);
// A block of the given tag whose body is an undeclared element of filler bytes.
ByteArray FillerBlock(std::uint16_t tag, std::size_t bodySize);

std::string HexOf(const ByteArray& bytes);

// SOD 0x0D05 whose signed content is the given hashes (32 bytes each) in order: header,
// document, fixed personal block, key file.
ByteArray KeySod(const ByteArray& signedData);
// The four hashes of SOD 0x0D05 with zeros for the three blocks and SHA-256 of keyFile.
ByteArray KeySodContent(const ByteArray& keyFile);

// SELECT of the application by its AID, answered 9000.
void ExpectSelectApplication(Fakes::FakePCSC& pcsc, const char* aidHex = kAid1);
// SELECT of the EF, answered with a size of efSize (default: the block's own size).
void ExpectSelectFile(Fakes::FakePCSC& pcsc, std::uint16_t fileId, std::size_t efSize);
// READ BINARY of the header, then of the whole block in chunks of at most 128 bytes.
void ExpectReadBinary(Fakes::FakePCSC& pcsc, const ByteArray& file, std::size_t length);
// The whole read of one block: select application, select file, header, chunks.
void ExpectBlockRead(Fakes::FakePCSC& pcsc, const ByteArray& block, const char* aidHex = kAid1);

}  // namespace CardScript
