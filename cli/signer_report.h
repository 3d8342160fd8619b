// The signer of a verified block as the read report shows it, and its check against
// the trust anchors the user gave.
#pragma once

#include <string>

#include "card/trust_anchors.h"
#include "cli/block_json.h"
#include "support/types.h"

namespace Cli {

// The anchors of a PEM file of one or more certificates; CardException when the file
// cannot be read or holds no readable certificate.
TrustAnchors LoadTrustAnchors(const std::string& path);

// {"subject", "issuer", "notAfter", "trusted"} of the signer certificate (Base64 DER):
// trusted is true once the certificate passed the anchors' check, null when no anchors
// are given. A certificate that fails the check raises CardException "The SOD signer
// certificate is not trusted: ...".
Json SignerJson(const TAVQ::WString& certificateBase64, const TrustAnchors* anchors);

}  // namespace Cli
