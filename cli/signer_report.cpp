#include "cli/signer_report.h"

#include <cerrno>
#include <cstring>
#include <fstream>
#include <iterator>

#include "card/certificate_summary.h"
#include "support/exception.h"
#include "support/text.h"

namespace Cli {

TrustAnchors LoadTrustAnchors(const std::string& path) {
  errno = 0;
  std::ifstream file(path, std::ios::binary);
  if (!file.is_open()) {
    throw CardException(TAVQ::FromUtf8("Cannot read the trust anchors file " + path + ": " +
                                       (errno != 0 ? std::strerror(errno) : "cannot open it")));
  }
  const TAVQ::ByteArray pem((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
  try {
    return TrustAnchors::FromPem(pem);
  } catch (const CardException& e) {
    throw CardException(TAVQ::FromUtf8("Trust anchors file " + path + ": ") + e.message);
  }
}

Json SignerJson(const TAVQ::WString& certificateBase64, const TrustAnchors* anchors) {
  const std::optional<TAVQ::ByteArray> der = TAVQ::FromBase64(certificateBase64);
  if (!der) throw CardException(u"The signer certificate cannot be read");
  const CertificateSummary summary = SummarizeCertificate(*der);
  if (anchors != nullptr) anchors->Check(*der);
  return Json{{"subject", TAVQ::ToUtf8(summary.subject)},
              {"issuer", TAVQ::ToUtf8(summary.issuer)},
              {"notAfter", TAVQ::ToUtf8(summary.notAfter)},
              {"trusted", anchors != nullptr ? Json(true) : Json()}};
}

}  // namespace Cli
