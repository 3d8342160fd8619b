// The card's key file, the active authentication signature, SOD messages, trust anchors.
#include <gtest/gtest.h>

#include <algorithm>

#include "card/certificate_summary.h"
#include "card/public_key_file.h"
#include "card/sod_signature.h"
#include "card/trust_anchors.h"
#include "card_script.h"
#include "test_pki.h"

using namespace CardScript;

namespace {

const std::string kInvalidSignature = "PKCS7 structure has invalid signature";
const std::string kParseError = "Error parsing PKCS7 structure from SOD block, error code: ";

TEST(PublicKeyFileTest, ModulusAndExponentAreCutByTheirBigEndianLengthsWithinTheFile) {
  const struct {
    const char* file;
    std::string outcome;  // modulus/exponent, or the failure
  } cases[] = {
      {"EE02EEEEEE 0003C1C2C3 000103", "C1C2C3/03"},  // type 2, bytes 0, 2 to 4 not interpreted
      {"0005000000 0003C1C2C3 00010399", "C1C2C3/03"},  // type 5, a trailing byte
      {"0002000000 0001C5 0000", "C5/"},  // an empty exponent ends the file
      {"0001000000 0003C1C2C3 000103", kInvalidKey},
      {"0003000000 0003C1C2C3 000103", kInvalidKey},
      {"0002000000 00FFC1C2C3 000103", kInvalidKey},
      {"0002000000 0003C1C2C3 000203", kInvalidKey},
      {"0002000000 0003C1C2C3 0001", kInvalidKey},
      {"0002", kInvalidKey},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.file);
    std::string parsed;
    const std::string failure = OutcomeOf([&] {
      const PublicKeyFile key = PublicKeyFile::Parse(Fakes::Hex(c.file));
      parsed = HexOf(key.modulus) + "/" + HexOf(key.exponent);
    });
    EXPECT_EQ(failure.empty() ? parsed : failure, c.outcome);
  }
}

TEST(SodSignatureTest, OnlyAMessageSignedByItsCertificatesKeyGivesItsContent) {
  const TestPki pki;
  const ByteArray content(64, 0x11);
  const ByteArray der = pki.SignAttached(content);
  ByteArray changedContent = der;
  std::search(changedContent.begin(), changedContent.end(), content.begin(), content.end())[10] ^= 0x01;
  // The SignerInfo's algorithm is the last rsaEncryption OID in the DER; its last byte is
  // the last arc, naming another member of the PKCS #1 family.
  const ByteArray rsaEncryption = Fakes::Hex("06092A864886F70D010101");
  const auto algorithm = [&](std::uint8_t lastArc) {
    ByteArray renamed = der;
    std::find_end(renamed.begin(), renamed.end(), rsaEncryption.begin(), rsaEncryption.end())[10] = lastArc;
    return renamed;
  };
  const struct {
    const char* name;
    ByteArray message;
    std::string outcome;  // a prefix of the message
  } cases[] = {
      {"sha256WithRSAEncryption", algorithm(0x0B), "no failure"},
      {"RSASSA-PSS, another scheme", algorithm(0x0A), kInvalidSignature},
      {"changed content", changedContent, kInvalidSignature},
      {"not DER", {0x01, 0x02, 0x03}, kParseError},
      {"detached", pki.SignDetached(content), kParseError},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string outcome = OutcomeOf([&] { EXPECT_EQ(VerifySignedMessage(c.message).content, content); });
    EXPECT_EQ(outcome.empty() ? "no failure" : outcome.substr(0, c.outcome.size()), c.outcome);
    EXPECT_NE(outcome, kParseError + "0");
  }
  const Certificate signer = VerifySignedMessage(der).signer;  // outlives its message
  EXPECT_EQ(signer.GetEncoded(), pki.CertificateDer());
}

const TestPki kCa("Test CA", nullptr, true);

TEST(TrustAnchorsTest, SignerIsTrustedOnlyWhenItChainsToAnAnchorOfTheFile) {
  const TestPki otherCa("Other CA", nullptr, true);
  const std::string untrusted = "The SOD signer certificate is not trusted: ";
  const auto pem = [](std::initializer_list<const TestPki*> anchors) {
    std::string text = "Some comment line\n";
    for (const TestPki* anchor : anchors) text += anchor->CertificatePem();
    return ByteArray(text.begin(), text.end());
  };
  const struct {
    const char* what;
    TestPki signer;
    ByteArray anchors;
    std::string outcome;
  } cases[] = {
      {"issued by the second anchor", TestPki("Signer", &kCa), pem({&otherCa, &kCa}), ""},
      {"issued by another CA", TestPki("Other signer", &otherCa), pem({&kCa}),
       untrusted + "unable to get local issuer certificate"},
      {"self-made", TestPki("Self-made signer"), pem({&kCa}), untrusted + "self-signed certificate"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(OutcomeOf([&] { TrustAnchors::FromPem(c.anchors).Check(c.signer.CertificateDer()); }), c.outcome);
  }
  // Anchors that hold no certificate, or one that cannot be read, are refused.
  EXPECT_EQ(OutcomeOf([&] { TrustAnchors::FromPem(Fakes::Hex("41")); }), "The trust anchors hold no certificate");
  ByteArray broken = pem({&kCa});
  broken[60] = '*';  // inside the Base64 of the certificate
  EXPECT_EQ(OutcomeOf([&] { TrustAnchors::FromPem(broken); }).substr(0, 43), "A trust anchor certificate cannot be read: ");
}

TEST(CertificateSummaryTest, NamesSubjectIssuerAndEndOfValidity) {
  const TestPki signer("Документ потписник", &kCa, false, "20360304050607Z");
  const CertificateSummary summary = SummarizeCertificate(signer.CertificateDer());
  EXPECT_EQ(TAVQ::ToUtf8(summary.subject + u" | " + summary.issuer + u" | " + summary.notAfter),
            "CN=Документ потписник,O=Test issuer | CN=Test CA,O=Test issuer | 2036-03-04T05:06:07Z");
  EXPECT_EQ(OutcomeOf([&] { SummarizeCertificate({0x30, 0x00}); }), "The signer certificate cannot be read");
}

}  // namespace
