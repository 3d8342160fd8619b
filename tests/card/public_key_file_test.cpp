#include "card/public_key_file.h"

#include <gtest/gtest.h>

#include "support/exception.h"
#include "support/text.h"

using TAVQ::ByteArray;

namespace {

const std::string kInvalid = "Invalid public key\r\nParameter Name: publicKeyDer";

void ExpectInvalid(const ByteArray& file) {
  try {
    PublicKeyFile::Parse(file);
    FAIL() << "no exception";
  } catch (const TAVQ::ArgumentException& e) {
    EXPECT_EQ(TAVQ::ToNarrow(e.message), kInvalid);
    EXPECT_EQ(e.paramName, u"publicKeyDer");
  }
}

// Type 2, modulus 3 bytes, exponent 1 byte.
const ByteArray kFile = {0xEE, 0x02, 0xEE, 0xEE, 0xEE, 0x00, 0x03, 0xC1, 0xC2,
                         0xC3, 0x00, 0x01, 0x03};

TEST(PublicKeyFileTest, CutsModulusAndExponentByTheirDeclaredLengths) {
  const PublicKeyFile key = PublicKeyFile::Parse(kFile);
  EXPECT_EQ(key.modulus, (ByteArray{0xC1, 0xC2, 0xC3}));
  EXPECT_EQ(key.exponent, ByteArray{0x03});
}

TEST(PublicKeyFileTest, TypeFiveParsesLikeTypeTwoAndTrailingBytesAreIgnored) {
  ByteArray file = kFile;
  file[1] = 5;
  file.push_back(0x99);
  const PublicKeyFile key = PublicKeyFile::Parse(file);
  EXPECT_EQ(key.modulus, (ByteArray{0xC1, 0xC2, 0xC3}));
  EXPECT_EQ(key.exponent, ByteArray{0x03});
}

TEST(PublicKeyFileTest, LengthsAreMostSignificantByteFirst) {
  ByteArray file = {0, 2, 0, 0, 0, 0x01, 0x00};
  file.insert(file.end(), 256, 0xAB);
  file.insert(file.end(), {0x00, 0x03, 0x01, 0x00, 0x01});
  const PublicKeyFile key = PublicKeyFile::Parse(file);
  EXPECT_EQ(key.modulus.size(), 256u);
  EXPECT_EQ(key.exponent, (ByteArray{0x01, 0x00, 0x01}));
}

TEST(PublicKeyFileTest, WrongKeyTypeIsInvalid) {
  for (std::uint8_t type : {0, 1, 3, 4, 6, 0xFF}) {
    ByteArray file = kFile;
    file[1] = type;
    ExpectInvalid(file);
  }
}

TEST(PublicKeyFileTest, EveryTruncationIsInvalid) {
  for (std::size_t size = 0; size < kFile.size(); ++size) {
    ExpectInvalid(ByteArray(kFile.begin(), kFile.begin() + static_cast<std::ptrdiff_t>(size)));
  }
}

TEST(PublicKeyFileTest, DeclaredLengthsBeyondTheFileAreInvalid) {
  ByteArray longModulus = kFile;
  longModulus[6] = 0xFF;
  ExpectInvalid(longModulus);
  ByteArray longExponent = kFile;
  longExponent[11] = 0x02;
  ExpectInvalid(longExponent);
  ByteArray hugeExponent = kFile;
  hugeExponent[10] = 0xFF;
  hugeExponent[11] = 0xFF;
  ExpectInvalid(hugeExponent);
}

}  // namespace
