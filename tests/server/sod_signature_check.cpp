// The CryptoAPI backend of the SOD check under Wine, on messages that make-sod-messages
// makes with the openssl command line (its SHA-256 and signed attributes meet the virtual
// card's SODs in run-wine-card-tests). Usage: sod_signature_check <dir>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>

#include "card/sod_signature.h"
#include "checks.h"
#include "support/exception.h"
#include "support/text.h"

using Checks::Check;
using TAVQ::ByteArray;

namespace {

ByteArray ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    std::printf("cannot read %s\n", path.c_str());
    std::exit(2);
  }
  return ByteArray(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// The message of the CardException that verifying der raises, or "<none>".
std::string FailureOf(const ByteArray& der) {
  try {
    VerifySignedMessage(der);
    return "<none>";
  } catch (const CardException& e) {
    return TAVQ::ToNarrow(e.message);
  } catch (const TAVQ::Exception& e) {
    return "other exception: " + TAVQ::ToNarrow(e.message);
  }
}

// A failure to verify is counted by main as an unexpected exception.
void TestValidMessage(const ByteArray& der, const ByteArray& content, const ByteArray& signer, const std::string& what) {
  SignedMessage message = VerifySignedMessage(der);
  Check(message.signatureValid && message.content == content && !message.signer.IsEmpty() &&
            message.signer.GetEncoded() == signer,
        what + ": signature valid, the signed content and the signer's certificate");
  Certificate copy;
  {
    SignedMessage again = VerifySignedMessage(der);
    copy = again.signer;
  }
  Check(copy.GetEncoded() == signer, what + ": a copied certificate outlives its message");
}

// Flips one bit of the signed content where it sits verbatim inside the DER.
ByteArray WithChangedContent(ByteArray der, const ByteArray& content) {
  auto at = std::search(der.begin(), der.end(), content.begin(), content.end());
  if (at == der.end()) return {0x00};
  at[content.size() / 2] ^= 0x01;
  return der;
}

void TestFailures(const ByteArray& attached, const ByteArray& noattr, const ByteArray& detached,
                  const ByteArray& content) {
  const std::string invalid = "PKCS7 structure has invalid signature";
  const std::string parse = "Error parsing PKCS7 structure from SOD block, error code: ";
  // Without unsigned attributes the signature value ends the message.
  ByteArray badSignature = noattr;
  badSignature.back() ^= 0x01;
  const ByteArray truncated(attached.begin(), attached.begin() + static_cast<long>(attached.size() / 2));
  const struct {
    const char* what;
    ByteArray der;
    const std::string& failure;
  } cases[] = {
      {"changed content, signed attributes", WithChangedContent(attached, content), invalid},
      {"changed content, no signed attributes", WithChangedContent(noattr, content), invalid},
      {"changed signature value", badSignature, invalid},
      {"bytes that are no DER", {0x01, 0x02, 0x03}, parse},
      {"empty message", {}, parse},
      {"truncated message", truncated, parse},
      {"detached signature", detached, parse},
  };
  for (const auto& c : cases) {
    const std::string failure = FailureOf(c.der);
    // A parse error names a code, which is never 0.
    const bool ok = &c.failure == &invalid ? failure == invalid
                                           : failure.rfind(parse, 0) == 0 && failure.size() > parse.size() &&
                                                 failure.substr(parse.size()) != "0";
    Check(ok, std::string(c.what) + ": " + failure);
  }
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::printf("usage: sod_signature_check <dir>\n");
    return 2;
  }
  const std::string dir = std::string(argv[1]) + "/";
  const ByteArray content = ReadFile(dir + "content.bin");
  const ByteArray signer = ReadFile(dir + "signer.der");
  const ByteArray attached = ReadFile(dir + "attached.der");
  const ByteArray noattr = ReadFile(dir + "noattr.der");
  try {
    TestValidMessage(attached, content, signer, "signed attributes");
    TestValidMessage(noattr, content, signer, "no signed attributes");
    TestFailures(attached, noattr, ReadFile(dir + "detached.der"), content);
  } catch (const TAVQ::Exception& e) {
    Check(false, "unexpected: " + TAVQ::ToNarrow(e.message));
  }
  return Checks::Report();
}
