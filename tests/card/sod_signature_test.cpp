#include "card/sod_signature.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "support/exception.h"
#include "support/text.h"
#include "test_pki.h"

using TAVQ::ByteArray;
using testing::StartsWith;

namespace {

std::string Narrow(const TAVQ::WString& text) { return TAVQ::ToNarrow(text); }

class SodSignatureTest : public testing::Test {
 protected:
  static void SetUpTestSuite() { pki_ = new TestPki(); }
  static void TearDownTestSuite() { delete pki_; }
  static TestPki* pki_;
};
TestPki* SodSignatureTest::pki_ = nullptr;

TEST_F(SodSignatureTest, ReturnsContentAndSignerOfAValidMessage) {
  const ByteArray content(96, 0xA5);
  SignedMessage message = VerifySignedMessage(pki_->SignAttached(content));
  EXPECT_TRUE(message.signatureValid);
  EXPECT_EQ(message.content, content);
  ASSERT_FALSE(message.signer.IsEmpty());
  EXPECT_EQ(message.signer.GetEncoded(), pki_->CertificateDer());
}

TEST_F(SodSignatureTest, CopiedCertificateOutlivesTheOriginal) {
  Certificate copy;
  {
    SignedMessage message = VerifySignedMessage(pki_->SignAttached(ByteArray(32, 1)));
    copy = message.signer;
  }
  EXPECT_EQ(copy.GetEncoded(), pki_->CertificateDer());
}

TEST_F(SodSignatureTest, ChangedSignedContentIsAnInvalidSignature) {
  const ByteArray content(64, 0x11);
  ByteArray der = pki_->SignAttached(content);
  // The content octets sit verbatim inside the DER; change one of them.
  auto at = std::search(der.begin(), der.end(), content.begin(), content.end());
  ASSERT_NE(at, der.end());
  at[10] ^= 0x01;
  try {
    VerifySignedMessage(der);
    FAIL() << "no exception";
  } catch (const CardException& e) {
    EXPECT_EQ(Narrow(e.message), "PKCS7 structure has invalid signature");
  }
}

TEST_F(SodSignatureTest, MessageSignedByAnotherKeyThanItsCertificateIsInvalid) {
  // The certificate of one key carried by a message whose signature is from another.
  TestPki other;
  const ByteArray content(32, 0x22);
  ByteArray der = pki_->SignAttached(content);
  const ByteArray otherDer = other.SignAttached(content);
  // Same key size, same layout: the signature value is the last 128 bytes of both.
  ASSERT_EQ(der.size(), otherDer.size());
  std::copy(otherDer.end() - 128, otherDer.end(), der.end() - 128);
  EXPECT_THROW(VerifySignedMessage(der), CardException);
  try {
    VerifySignedMessage(der);
  } catch (const CardException& e) {
    EXPECT_EQ(Narrow(e.message), "PKCS7 structure has invalid signature");
  }
}

TEST_F(SodSignatureTest, BytesThatAreNoSignedDataFailToParseWithTheLibraryCode) {
  const ByteArray notDer = {0x01, 0x02, 0x03};
  const ByteArray empty;
  const ByteArray truncated = [] {
    ByteArray der = pki_->SignAttached(ByteArray(32, 3));
    der.resize(der.size() / 2);
    return der;
  }();
  for (const ByteArray& bytes : {notDer, empty, truncated}) {
    try {
      VerifySignedMessage(bytes);
      FAIL() << "no exception";
    } catch (const CardException& e) {
      EXPECT_THAT(Narrow(e.message), StartsWith("Error parsing PKCS7 structure from SOD block, error code: "));
      EXPECT_NE(Narrow(e.message), "Error parsing PKCS7 structure from SOD block, error code: 0");
    }
  }
}

TEST_F(SodSignatureTest, DetachedSignatureIsRefusedAsUnparsable) {
  try {
    VerifySignedMessage(pki_->SignDetached(ByteArray(32, 4)));
    FAIL() << "no exception";
  } catch (const CardException& e) {
    EXPECT_THAT(Narrow(e.message), StartsWith("Error parsing PKCS7 structure from SOD block, error code: "));
  }
}

TEST(Sha256HasherTest, KnownDigests) {
  EXPECT_EQ(TAVQ::ToHexString(Sha256Hasher::Hash({})),
            u"E3B0C44298FC1C149AFBF4C8996FB92427AE41E4649B934CA495991B7852B855");
  const ByteArray abc = {'a', 'b', 'c'};
  EXPECT_EQ(TAVQ::ToHexString(Sha256Hasher::Hash(abc)),
            u"BA7816BF8F01CFEA414140DE5DAE2223B00361A396177A9CB410FF61F20015AD");
}

TEST(CertificateTest, EmptyHolderRaisesNotInitialized) {
  Certificate empty;
  EXPECT_TRUE(empty.IsEmpty());
  try {
    empty.GetEncoded();
    FAIL() << "no exception";
  } catch (const TAVQ::Security::Cryptography::X509::X509Exception& e) {
    EXPECT_EQ(Narrow(e.message), "Certificate is not initialized.");
  }
}

}  // namespace
