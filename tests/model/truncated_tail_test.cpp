// A truncated element after every declared one still fails the block: the decoder
// walks the whole body, not only as far as the elements it looks for.
#include <gtest/gtest.h>

#include "admin_block_bytes.h"
#include "block_bytes.h"
#include "model/document_data_block.h"
#include "model/variable_admin_data_block.h"

using namespace ZKTest;

namespace {

// The block with a fragment appended to its body, header length adjusted.
ByteArray WithTail(ByteArray block, const ByteArray& tail) {
  block.insert(block.end(), tail.begin(), tail.end());
  const std::size_t length = block.size() - 4;
  block[2] = static_cast<std::uint8_t>(length & 0xFF);
  block[3] = static_cast<std::uint8_t>(length >> 8);
  return block;
}

ByteArray CompleteDocumentBlock() {
  return Block(0x0D01, {Element(0x0611, Utf16(u"Insurer")), Element(0x0612, Ascii("INS01")),
                        Element(0x0613, Ascii("00012345678")), Element(0x0615, Ascii("15032021")),
                        Element(0x0616, Ascii("14032031")), Element(0x0617, Ascii("1234567890ABCDEF")),
                        Element(0x0618, Ascii("en"))});
}

template <class Block>
std::string DecodeError(const ByteArray& bytes) {
  Block block;
  return CardError([&] { block.Decode(bytes); });
}

struct TailCase {
  const char* name;
  ByteArray tail;
  std::string documentError;
  std::string adminError;
};

TEST(TruncatedTail, FailsTheDocumentAndTheAdministrativeBlock) {
  const ByteArray document = CompleteDocumentBlock();
  const ByteArray admin = AdminBlock(true);
  // Without a tail both decode cleanly, so the failures below come from the tail.
  ASSERT_EQ(DecodeError<ZK::DocumentDataBlock>(document), "no exception");
  ASSERT_EQ(DecodeError<ZK::VariableAdminDataBlock>(admin), "no exception");

  const std::string documentEnd = std::to_string(document.size() + 2);
  const std::string adminEnd = std::to_string(admin.size() + 2);
  const std::vector<TailCase> cases{
      {"value past the end", {0x33, 0x06, 0xFF, 0xFF},
       "Element with tag 0x633 has length 0, different from declared length 65535",
       "Element with tag 0x633 has length 0, different from declared length 65535"},
      {"value one byte short", {0x11, 0x06, 0x02, 0x00, 0x41},
       "Element with tag 0x611 has length 1, different from declared length 2",
       "Element with tag 0x611 has length 1, different from declared length 2"},
      {"half a header", {0x33, 0x06},
       "Element header at offset " + std::to_string(document.size()) + " runs past the end of the block of " +
           documentEnd + " bytes",
       "Element header at offset " + std::to_string(admin.size()) + " runs past the end of the block of " +
           adminEnd + " bytes"},
  };
  for (const TailCase& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(DecodeError<ZK::DocumentDataBlock>(WithTail(document, c.tail)), c.documentError);
    EXPECT_EQ(DecodeError<ZK::VariableAdminDataBlock>(WithTail(admin, c.tail)), c.adminError);
  }
}

TEST(TruncatedTail, ACompleteUndeclaredElementAfterTheLastOneIsSkipped) {
  EXPECT_EQ(DecodeError<ZK::DocumentDataBlock>(WithTail(CompleteDocumentBlock(), Element(0x0633, Ascii("x")))),
            "no exception");
  EXPECT_EQ(DecodeError<ZK::VariableAdminDataBlock>(WithTail(AdminBlock(true), Element(0x0633, {}))),
            "no exception");
}

}  // namespace
