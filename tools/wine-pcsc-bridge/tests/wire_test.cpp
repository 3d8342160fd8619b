#include "common/wire.h"

#include <gtest/gtest.h>

namespace WinePcscBridge {
namespace {

MessageReader BodyOf(const MessageWriter& writer) { return MessageReader(writer.Body()); }

TEST(Wire, NumbersAndBytesRoundTripInOrder) {
  MessageWriter writer;
  writer.U32(0x80100069u).Text("Virtual PCD 00 00").Bytes({0x00, 0xA4, 0x04}).U32(0).Bytes(nullptr, 0).Text("");
  MessageReader reader = BodyOf(writer);
  EXPECT_EQ(reader.U32(), 0x80100069u);
  EXPECT_EQ(reader.Text(), "Virtual PCD 00 00");
  EXPECT_EQ(reader.Bytes(), (std::vector<std::uint8_t>{0x00, 0xA4, 0x04}));
  EXPECT_EQ(reader.U32(), 0u);
  EXPECT_TRUE(reader.Bytes().empty());
  EXPECT_EQ(reader.Text(), "");
  EXPECT_NO_THROW(reader.ExpectEnd());
}

// The length prefix and every number are little-endian whatever the host.
TEST(Wire, FrameCarriesTheBodyLength) {
  const std::vector<std::uint8_t> frame = MessageWriter().Text("ab").Frame();
  EXPECT_EQ(frame, (std::vector<std::uint8_t>{6, 0, 0, 0, 2, 0, 0, 0, 'a', 'b'}));
  EXPECT_EQ(FrameBodyLength(frame.data()), 6u);
}

TEST(WireErrors, ShortGarbledAndTrailingMessagesAreRefused) {
  EXPECT_THROW(MessageReader({1, 2, 3}).U32(), WireError);
  // A byte string claiming more bytes than the message holds, and one whose length
  // 0xFFFFFFFF must not wrap around the bounds check.
  EXPECT_THROW(MessageReader({5, 0, 0, 0, 'a', 'b'}).Bytes(), WireError);
  EXPECT_THROW(MessageReader({0xFF, 0xFF, 0xFF, 0xFF, 'a'}).Bytes(), WireError);
  MessageReader trailing({1, 0, 0, 0, 9});
  trailing.U32();
  EXPECT_THROW(
      try { trailing.ExpectEnd(); } catch (const WireError& error) {
        EXPECT_STREQ(error.what(), "message has 1 unexpected trailing bytes");
        throw;
      },
      WireError);
}

TEST(WireErrors, FrameLengthsAboveTheLimitAreRefused) {
  const std::uint8_t atLimit[4] = {0x00, 0x00, 0x10, 0x00};
  const std::uint8_t aboveLimit[4] = {0x01, 0x00, 0x10, 0x00};
  EXPECT_EQ(FrameBodyLength(atLimit), kMaxBodyLength);
  EXPECT_THROW(FrameBodyLength(aboveLimit), WireError);
  const std::vector<std::uint8_t> tooLong(kMaxBodyLength + 1);
  EXPECT_THROW(MessageWriter().Bytes(tooLong), WireError);
}

}  // namespace
}  // namespace WinePcscBridge
