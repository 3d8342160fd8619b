#include "card/rsa_signature_verifier.h"

#include <gtest/gtest.h>

#include "card/random_challenge.h"
#include "support/exception.h"
#include "support/text.h"
#include "test_pki.h"

using TAVQ::ByteArray;

namespace {

class RsaSignatureVerifierTest : public testing::Test {
 protected:
  static void SetUpTestSuite() { pki_ = new TestPki(); }
  static void TearDownTestSuite() { delete pki_; }
  static TestPki* pki_;
  const ByteArray challenge_ = RandomChallenge(128);
};
TestPki* RsaSignatureVerifierTest::pki_ = nullptr;

TEST_F(RsaSignatureVerifierTest, SigningDataIsSha1DigestInfoOfTheChallenge) {
  RsaSignatureVerifier verifier(u"SHA1");
  const ByteArray data = verifier.SigningData(challenge_);
  ASSERT_EQ(data.size(), 35u);
  EXPECT_EQ(TAVQ::ToHexString(ByteArray(data.begin(), data.begin() + 15)), u"3021300906052B0E03021A05000414");
  EXPECT_EQ(ByteArray(data.begin() + 15, data.end()), Sha1Of(challenge_));
}

TEST_F(RsaSignatureVerifierTest, AcceptsTheCardSignatureOverTheDigestInfo) {
  RsaSignatureVerifier verifier(u"SHA1");
  // The card signs the 35 bytes it receives with PKCS#1 v1.5 padding.
  const ByteArray signature = pki_->SignRaw(verifier.SigningData(challenge_));
  EXPECT_TRUE(verifier.Verify(challenge_, signature, pki_->PublicKeyFile(2)));
  EXPECT_TRUE(RsaSignatureVerifier(u"SHA1").Verify(challenge_, signature, pki_->PublicKeyFile(5)));
}

TEST_F(RsaSignatureVerifierTest, RefusesASignatureOverOtherDataOrByAnotherKey) {
  RsaSignatureVerifier verifier(u"SHA1");
  ByteArray other = challenge_;
  other[0] ^= 1;
  EXPECT_FALSE(verifier.Verify(challenge_, pki_->SignSha1(other), pki_->PublicKeyFile()));
  TestPki stranger;
  EXPECT_FALSE(verifier.Verify(challenge_, stranger.SignSha1(challenge_), pki_->PublicKeyFile()));
  EXPECT_FALSE(verifier.Verify(challenge_, ByteArray{}, pki_->PublicKeyFile()));
  EXPECT_FALSE(verifier.Verify(challenge_, ByteArray(300, 0xFF), pki_->PublicKeyFile()));
  // The same verifier still accepts the right signature afterwards.
  EXPECT_TRUE(verifier.Verify(challenge_, pki_->SignSha1(challenge_), pki_->PublicKeyFile()));
}

TEST_F(RsaSignatureVerifierTest, KeyFileThatFormsNoRsaKeyIsAnInvalidPublicKey) {
  const ByteArray signature = pki_->SignSha1(challenge_);
  ByteArray wrongType = pki_->PublicKeyFile();
  wrongType[1] = 3;
  const ByteArray emptyModulus = {0, 2, 0, 0, 0, 0, 0, 0, 1, 3};
  const ByteArray emptyExponent = {0, 2, 0, 0, 0, 0, 1, 0xC5, 0, 0};
  for (const ByteArray& file : {wrongType, emptyModulus, emptyExponent}) {
    RsaSignatureVerifier verifier(u"SHA1");
    try {
      verifier.Verify(challenge_, signature, file);
      FAIL() << "no exception";
    } catch (const TAVQ::ArgumentException& e) {
      EXPECT_EQ(e.paramName, u"publicKeyDer");
      EXPECT_EQ(TAVQ::ToNarrow(e.message), "Invalid public key\r\nParameter Name: publicKeyDer");
    }
  }
}

TEST(MessageDigestTest, DigestsAfterInitAndRefusesOtherwise) {
  MessageDigest digest(u"SHA1");
  EXPECT_EQ(digest.Size(), 20);
  try {
    digest.Update({1, 2, 3});
    FAIL() << "no exception";
  } catch (const CardException& e) {
    EXPECT_EQ(TAVQ::ToNarrow(e.message), "Message digest not initialized");
  }
  digest.Init();
  digest.Update({'a', 'b'});
  digest.Update({'c'});
  EXPECT_EQ(TAVQ::ToHexString(digest.Final()), u"A9993E364706816ABA3E25717850C26C9CD0D89D");
  EXPECT_THROW(digest.Final(), CardException);
  auto clone = digest.Clone();
  EXPECT_EQ(clone->Name(), u"SHA1");
  EXPECT_FALSE(clone->IsInitialized());
}

TEST(MessageDigestTest, UnknownDigestNameIsRefused) {
  EXPECT_THROW(MessageDigest(u"NO-SUCH-DIGEST"), CardException);
}

TEST(RandomChallengeTest, HasTheRequestedLengthAndDiffersBetweenRuns) {
  const ByteArray first = RandomChallenge(128);
  const ByteArray second = RandomChallenge(128);
  EXPECT_EQ(first.size(), 128u);
  EXPECT_NE(first, second);
}

}  // namespace
