// Signer certificates checked against trust anchors, and the summary a report shows.
#include "card/trust_anchors.h"

#include <gtest/gtest.h>
#include <openssl/pem.h>
#include <openssl/x509v3.h>

#include <functional>
#include <stdexcept>
#include <string>

#include "card/certificate_summary.h"
#include "support/exception.h"
#include "support/text.h"

using TAVQ::ByteArray;

namespace {

constexpr long kDay = 24 * 3600;

struct Issued {
  OpenSsl::PKey key;
  OpenSsl::X509Cert cert;
};

// A certificate for a fresh RSA key, valid from notBefore to notAfter (seconds from
// now), signed by the issuer's key (itself when none) under the issuer's name.
Issued MakeCertificate(const std::string& commonName, const Issued* issuer, long notBefore, long notAfter,
                       bool ca, const Issued* signingKeyOf = nullptr) {
  Issued made{OpenSsl::PKey(EVP_RSA_gen(1024)), OpenSsl::X509Cert(X509_new())};
  X509* cert = made.cert.get();
  X509_set_version(cert, 2);
  ASN1_INTEGER_set(X509_get_serialNumber(cert), static_cast<long>(commonName.size()) + notAfter % 1000);
  X509_gmtime_adj(X509_getm_notBefore(cert), notBefore);
  X509_gmtime_adj(X509_getm_notAfter(cert), notAfter);
  X509_NAME_add_entry_by_txt(X509_get_subject_name(cert), "O", MBSTRING_UTF8,
                             reinterpret_cast<const unsigned char*>("Test issuer"), -1, -1, 0);
  X509_NAME_add_entry_by_txt(X509_get_subject_name(cert), "CN", MBSTRING_UTF8,
                             reinterpret_cast<const unsigned char*>(commonName.c_str()), -1, -1, 0);
  X509_set_issuer_name(cert,
                       issuer != nullptr ? X509_get_subject_name(issuer->cert.get()) : X509_get_subject_name(cert));
  X509_set_pubkey(cert, made.key.get());
  X509V3_CTX context;
  X509V3_set_ctx(&context, issuer != nullptr ? issuer->cert.get() : cert, cert, nullptr, nullptr, 0);
  X509_EXTENSION* constraints =
      X509V3_EXT_conf_nid(nullptr, &context, NID_basic_constraints, ca ? "critical,CA:TRUE" : "critical,CA:FALSE");
  X509_add_ext(cert, constraints, -1);
  X509_EXTENSION_free(constraints);
  const Issued* signer = signingKeyOf != nullptr ? signingKeyOf : issuer != nullptr ? issuer : &made;
  if (X509_sign(cert, signer->key.get(), EVP_sha256()) <= 0) throw std::runtime_error("X509_sign");
  return made;
}

ByteArray Der(const Issued& issued) {
  unsigned char* der = nullptr;
  const int length = i2d_X509(issued.cert.get(), &der);
  ByteArray bytes(der, der + length);
  OPENSSL_free(der);
  return bytes;
}

ByteArray Pem(std::initializer_list<const Issued*> certificates, const std::string& between = "") {
  std::string text;
  for (const Issued* issued : certificates) {
    OpenSsl::Bio bio(BIO_new(BIO_s_mem()));
    PEM_write_bio_X509(bio.get(), issued->cert.get());
    char* data = nullptr;
    const long length = BIO_get_mem_data(bio.get(), &data);
    text += between + std::string(data, static_cast<std::size_t>(length));
  }
  return ByteArray(text.begin(), text.end());
}

std::string MessageOf(const std::function<void()>& action) {
  try {
    action();
  } catch (const CardException& e) {
    return TAVQ::ToUtf8(e.message);
  }
  return "no exception";
}

class TrustAnchorsTest : public testing::Test {
 protected:
  static void SetUpTestSuite() {
    ca_ = new Issued(MakeCertificate("Test CA", nullptr, -kDay, 3650 * kDay, true));
    otherCa_ = new Issued(MakeCertificate("Other CA", nullptr, -kDay, 3650 * kDay, true));
    expiredCa_ = new Issued(MakeCertificate("Expired CA", nullptr, -30 * kDay, -kDay, true));
  }
  static void TearDownTestSuite() {
    delete ca_;
    delete otherCa_;
    delete expiredCa_;
  }
  static Issued* ca_;
  static Issued* otherCa_;
  static Issued* expiredCa_;
};
Issued* TrustAnchorsTest::ca_ = nullptr;
Issued* TrustAnchorsTest::otherCa_ = nullptr;
Issued* TrustAnchorsTest::expiredCa_ = nullptr;

TEST_F(TrustAnchorsTest, SignerIsTrustedOnlyWithAValidChainToAnAnchor) {
  const std::string untrusted = "The SOD signer certificate is not trusted: ";
  const Issued signer = MakeCertificate("Document signer", ca_, -kDay, 365 * kDay, false);
  const Issued otherSigner = MakeCertificate("Other signer", otherCa_, -kDay, 365 * kDay, false);
  const Issued expired = MakeCertificate("Expired signer", ca_, -30 * kDay, -kDay, false);
  const Issued notYetValid = MakeCertificate("Future signer", ca_, kDay, 365 * kDay, false);
  // Names the test CA as its issuer, but is signed with another key.
  const Issued forged = MakeCertificate("Forged signer", ca_, -kDay, 365 * kDay, false, otherCa_);
  const Issued selfMade = MakeCertificate("Self-made signer", nullptr, -kDay, 365 * kDay, false);
  const Issued underExpiredCa = MakeCertificate("Signer of an expired CA", expiredCa_, -kDay, 365 * kDay, false);

  struct Case {
    const char* what;
    const Issued& signer;
    ByteArray anchors;
    std::string message;
  };
  const Case cases[] = {
      {"issued by the anchor", signer, Pem({ca_}), "no exception"},
      {"issued by one of two anchors", signer, Pem({otherCa_, ca_}), "no exception"},
      {"issued by another CA", otherSigner, Pem({ca_}), untrusted + "unable to get local issuer certificate"},
      {"expired", expired, Pem({ca_}), untrusted + "certificate has expired"},
      {"not yet valid", notYetValid, Pem({ca_}), untrusted + "certificate is not yet valid"},
      {"signature by another key", forged, Pem({ca_}), untrusted + "certificate signature failure"},
      {"self-made", selfMade, Pem({ca_}), untrusted + "self-signed certificate"},
      {"anchor expired", underExpiredCa, Pem({expiredCa_}), untrusted + "certificate has expired"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const TrustAnchors anchors = TrustAnchors::FromPem(c.anchors);
    EXPECT_EQ(MessageOf([&] { anchors.Check(Der(c.signer)); }), c.message);
  }
}

TEST_F(TrustAnchorsTest, BytesThatAreNoCertificateAreNotTrusted) {
  const TrustAnchors anchors = TrustAnchors::FromPem(Pem({ca_}));
  for (const ByteArray& bytes : {ByteArray{}, ByteArray{0x30, 0x03, 0x02, 0x01, 0x01}, ByteArray(100, 0xFF)}) {
    SCOPED_TRACE(bytes.size());
    EXPECT_EQ(MessageOf([&] { anchors.Check(bytes); }).rfind("The SOD signer certificate is not trusted: ", 0), 0u);
  }
  // A valid certificate followed by bytes of its own is still read only as far as it goes.
  ByteArray truncated = Der(*ca_);
  truncated.resize(truncated.size() - 1);
  EXPECT_NE(MessageOf([&] { anchors.Check(truncated); }), "no exception");
}

TEST_F(TrustAnchorsTest, PemTextGivesEveryCertificateOrAClearError) {
  EXPECT_EQ(TrustAnchors::FromPem(Pem({ca_, otherCa_}, "Some comment line\n")).Count(), 2u);
  EXPECT_EQ(TrustAnchors::FromPem(Pem({ca_})).Count(), 1u);

  const std::string noCertificate = "no certificate here\n";
  EXPECT_EQ(MessageOf([&] { TrustAnchors::FromPem(ByteArray(noCertificate.begin(), noCertificate.end())); }),
            "The trust anchors hold no certificate");
  EXPECT_EQ(MessageOf([&] { TrustAnchors::FromPem({}); }), "The trust anchors hold no certificate");

  ByteArray broken = Pem({ca_});
  broken[40] = '*';  // inside the Base64 of the first certificate
  EXPECT_EQ(MessageOf([&] { TrustAnchors::FromPem(broken); }).rfind("A trust anchor certificate cannot be read: ", 0),
            0u);
}

TEST_F(TrustAnchorsTest, SummaryNamesSubjectIssuerAndEndOfValidity) {
  const Issued signer = MakeCertificate("Документ потписник", ca_, -kDay, 0, false);
  ASN1_TIME_set_string(X509_getm_notAfter(signer.cert.get()), "20360304050607Z");
  X509_sign(signer.cert.get(), ca_->key.get(), EVP_sha256());

  const CertificateSummary summary = SummarizeCertificate(Der(signer));
  EXPECT_EQ(TAVQ::ToUtf8(summary.subject), "CN=Документ потписник,O=Test issuer");
  EXPECT_EQ(TAVQ::ToUtf8(summary.issuer), "CN=Test CA,O=Test issuer");
  EXPECT_EQ(TAVQ::ToUtf8(summary.notAfter), "2036-03-04T05:06:07Z");

  EXPECT_EQ(MessageOf([&] { SummarizeCertificate({0x30, 0x00}); }), "The signer certificate cannot be read");
}

}  // namespace
