// Tests the CryptoAPI backend of the SOD check under Wine, on messages made at test
// time by the openssl command line (so the check never shares code with what it tests).
// Usage: sod_signature_check <dir> with, in dir:
//   content.bin      the signed content
//   signer.der       the signer certificate
//   attached.der     SignedData with the content attached, signed attributes included
//   noattr.der       the same without signed attributes
//   detached.der     a detached signature of the content
// Prints one line per failed check and "N passed, N failed" at the end.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>

#include "card/sod_signature.h"
#include "support/exception.h"
#include "support/text.h"

using TAVQ::ByteArray;

namespace {

int passed = 0;
int failed = 0;

void Check(bool ok, const std::string& what) {
  if (ok) {
    ++passed;
  } else {
    ++failed;
    std::printf("FAILED: %s\n", what.c_str());
  }
}

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

void CheckInvalidSignature(const ByteArray& der, const std::string& what) {
  const std::string failure = FailureOf(der);
  Check(failure == "PKCS7 structure has invalid signature", what + ": " + failure);
}

void CheckParseError(const ByteArray& der, const std::string& what) {
  const std::string prefix = "Error parsing PKCS7 structure from SOD block, error code: ";
  const std::string failure = FailureOf(der);
  const bool hasCode = failure.size() > prefix.size() && failure.compare(0, prefix.size(), prefix) == 0 &&
                       failure.substr(prefix.size()) != "0";
  Check(hasCode, what + ": " + failure);
}

void TestValidMessage(const ByteArray& der, const ByteArray& content, const ByteArray& signer,
                      const std::string& what) {
  try {
    SignedMessage message = VerifySignedMessage(der);
    Check(message.signatureValid, what + ": signature valid");
    Check(message.content == content, what + ": content is the signed content");
    Check(!message.signer.IsEmpty() && message.signer.GetEncoded() == signer, what + ": signer certificate bytes");
    Certificate copy;
    {
      SignedMessage again = VerifySignedMessage(der);
      copy = again.signer;
    }
    Check(copy.GetEncoded() == signer, what + ": a copied certificate outlives its message");
  } catch (const TAVQ::Exception& e) {
    Check(false, what + ": " + TAVQ::ToNarrow(e.message));
  }
}

// Flips one bit of the signed content where it sits verbatim inside the DER.
ByteArray WithChangedContent(ByteArray der, const ByteArray& content) {
  auto at = std::search(der.begin(), der.end(), content.begin(), content.end());
  if (at == der.end()) return {};
  at[content.size() / 2] ^= 0x01;
  return der;
}

void TestSignatureFailures(const ByteArray& attached, const ByteArray& noattr, const ByteArray& content) {
  const ByteArray changedAttached = WithChangedContent(attached, content);
  const ByteArray changedNoattr = WithChangedContent(noattr, content);
  Check(!changedAttached.empty() && !changedNoattr.empty(), "content found inside the messages");
  if (!changedAttached.empty()) CheckInvalidSignature(changedAttached, "changed content, signed attributes");
  if (!changedNoattr.empty()) CheckInvalidSignature(changedNoattr, "changed content, no signed attributes");
  // Without unsigned attributes the signature value ends the message.
  ByteArray badSignature = noattr;
  badSignature.back() ^= 0x01;
  CheckInvalidSignature(badSignature, "changed signature value");
}

void TestParseErrors(const ByteArray& attached, const ByteArray& detached) {
  CheckParseError({0x01, 0x02, 0x03}, "bytes that are no DER");
  CheckParseError({}, "empty message");
  ByteArray truncated = attached;
  truncated.resize(truncated.size() / 2);
  CheckParseError(truncated, "truncated message");
  CheckParseError(detached, "detached signature");
}

void TestSha256() {
  Check(TAVQ::ToHexString(Sha256Hasher::Hash({})) ==
            u"E3B0C44298FC1C149AFBF4C8996FB92427AE41E4649B934CA495991B7852B855",
        "SHA-256 of nothing");
  Check(TAVQ::ToHexString(Sha256Hasher::Hash({'a', 'b', 'c'})) ==
            u"BA7816BF8F01CFEA414140DE5DAE2223B00361A396177A9CB410FF61F20015AD",
        "SHA-256 of abc");
  // Two blocks of the hash function and a length that is no multiple of it.
  const ByteArray million(1000000, 'a');
  Check(TAVQ::ToHexString(Sha256Hasher::Hash(million)) ==
            u"CDC76E5C9914FB9281A1C7E284D73E67F1809A48A497200E046D39CCC7112CD0",
        "SHA-256 of a million a");
}

// Runs one group; an exception it does not expect counts as a failure of the group.
template <class F>
void Run(const char* group, F&& test) {
  try {
    test();
  } catch (const TAVQ::Exception& e) {
    Check(false, std::string(group) + " raised: " + TAVQ::ToNarrow(e.message));
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
  const ByteArray detached = ReadFile(dir + "detached.der");

  Run("valid", [&] { TestValidMessage(attached, content, signer, "signed attributes"); });
  Run("valid", [&] { TestValidMessage(noattr, content, signer, "no signed attributes"); });
  Run("signature", [&] { TestSignatureFailures(attached, noattr, content); });
  Run("parse", [&] { TestParseErrors(attached, detached); });
  Run("sha256", TestSha256);

  std::printf("%d passed, %d failed\n", passed, failed);
  return failed == 0 ? 0 : 1;
}
