// The message-digest signed attribute of a PKCS#7 SignedData, checked against the
// content. CryptoAPI's message verification compares the two on Windows, but not every
// implementation of the API does; the SOD check must not depend on it.
#pragma once

#include <windows.h>
#include <wincrypt.h>

#include "support/types.h"

// False when the first signer carries signed attributes whose message digest differs
// from the digest of content (or is missing); true when they agree or when the signer
// has no signed attributes (its signature then covers the content itself). Raises
// CardException when der cannot be decoded.
bool SignedDigestMatchesContent(const TAVQ::ByteArray& der, const TAVQ::ByteArray& content, HCRYPTPROV provider);
