#include "card/certificate_summary.h"

#include <climits>
#include <cstdio>
#include <ctime>
#include <new>

#include "card/openssl_handles.h"
#include "support/exception.h"
#include "support/text.h"

using TAVQ::ByteArray;
using TAVQ::WString;

namespace {

WString NameText(const X509_NAME* name) {
  OpenSsl::Bio out(BIO_new(BIO_s_mem()));
  if (!out) throw std::bad_alloc();
  // RFC 2253, but UTF-8 stays text instead of becoming \XX escapes: issuers write
  // their names in their own scripts.
  const unsigned long flags = XN_FLAG_RFC2253 & ~ASN1_STRFLGS_ESC_MSB;
  if (X509_NAME_print_ex(out.get(), name, 0, flags) < 0) throw CardException(u"The signer certificate cannot be read");
  char* data = nullptr;
  const long length = BIO_get_mem_data(out.get(), &data);
  return TAVQ::FromUtf8(std::string(data, static_cast<std::size_t>(length)));
}

WString TimeText(const ASN1_TIME* time) {
  std::tm parts{};
  if (time == nullptr || ASN1_TIME_to_tm(time, &parts) != 1) {
    throw CardException(u"The signer certificate cannot be read");
  }
  char text[96];
  std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02dZ", parts.tm_year + 1900, parts.tm_mon + 1,
                parts.tm_mday, parts.tm_hour, parts.tm_min, parts.tm_sec);
  return TAVQ::FromUtf8(text);
}

}  // namespace

CertificateSummary SummarizeCertificate(const ByteArray& der) {
  ERR_clear_error();
  const unsigned char* cursor = der.data();
  OpenSsl::X509Cert cert(der.size() > LONG_MAX ? nullptr : d2i_X509(nullptr, &cursor, static_cast<long>(der.size())));
  ERR_clear_error();
  if (!cert) throw CardException(u"The signer certificate cannot be read");
  return CertificateSummary{NameText(X509_get_subject_name(cert.get())), NameText(X509_get_issuer_name(cert.get())),
                            TimeText(X509_get0_notAfter(cert.get()))};
}
