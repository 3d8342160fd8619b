// What a person needs to know of a signer certificate: who it names, who issued it
// and until when it is valid.
#pragma once

#include "support/types.h"

struct CertificateSummary {
  // Distinguished names in RFC 2253 form ("CN=...,O=...,C=..."), UTF-8 kept.
  TAVQ::WString subject;
  TAVQ::WString issuer;
  // The end of the validity period as universal time, "YYYY-MM-DDTHH:MM:SSZ".
  TAVQ::WString notAfter;
};

// The summary of a DER-encoded certificate; CardException "The signer certificate
// cannot be read" for bytes that are no certificate.
CertificateSummary SummarizeCertificate(const TAVQ::ByteArray& der);
