#include "card/trust_anchors.h"

#include <openssl/pem.h>
#include <openssl/x509_vfy.h>

#include <climits>
#include <new>
#include <string>
#include <utility>

#include "support/exception.h"
#include "support/text.h"

using TAVQ::ByteArray;

namespace {

using X509Store = OpenSsl::Handle<X509_STORE, X509_STORE_free>;
using X509StoreContext = OpenSsl::Handle<X509_STORE_CTX, X509_STORE_CTX_free>;

[[noreturn]] void ThrowNotTrusted(const std::string& reason) {
  throw CardException(u"The SOD signer certificate is not trusted: " + TAVQ::FromUtf8(reason));
}

// The reason text of the oldest queued library error; the queue is emptied.
std::string QueuedReason(const char* fallback) {
  const unsigned long code = ERR_peek_error();
  const char* reason = code != 0 ? ERR_reason_error_string(code) : nullptr;
  ERR_clear_error();
  return reason != nullptr ? reason : fallback;
}

OpenSsl::Bio MemoryBio(const ByteArray& bytes) {
  if (bytes.size() > INT_MAX) throw CardException(u"The trust anchors are too large");
  // The library refuses a null buffer even for no bytes.
  static const unsigned char kNothing = 0;
  OpenSsl::Bio bio(BIO_new_mem_buf(bytes.empty() ? &kNothing : bytes.data(), static_cast<int>(bytes.size())));
  if (!bio) throw std::bad_alloc();
  return bio;
}

}  // namespace

TrustAnchors TrustAnchors::FromPem(const ByteArray& pem) {
  ERR_clear_error();
  OpenSsl::Bio bio = MemoryBio(pem);
  TrustAnchors anchors;
  while (X509* cert = PEM_read_bio_X509(bio.get(), nullptr, nullptr, nullptr)) {
    OpenSsl::X509Cert owned(cert);
    anchors.anchors_.push_back(std::move(owned));
  }
  // The reader stops with "no start line" at the end of the text; anything else is
  // a certificate that could not be read.
  const unsigned long code = ERR_peek_last_error();
  const bool cleanEnd = code == 0 || ERR_GET_REASON(code) == PEM_R_NO_START_LINE;
  const std::string reason = QueuedReason("unknown error");
  if (!cleanEnd) throw CardException(u"A trust anchor certificate cannot be read: " + TAVQ::FromUtf8(reason));
  if (anchors.anchors_.empty()) throw CardException(u"The trust anchors hold no certificate");
  return anchors;
}

void TrustAnchors::Check(const ByteArray& signerDer) const {
  ERR_clear_error();
  const unsigned char* cursor = signerDer.data();
  // d2i reads at most the length given.
  OpenSsl::X509Cert signer(signerDer.size() > LONG_MAX
                               ? nullptr
                               : d2i_X509(nullptr, &cursor, static_cast<long>(signerDer.size())));
  if (!signer) ThrowNotTrusted(QueuedReason("the certificate cannot be read"));

  X509Store store(X509_STORE_new());
  X509StoreContext context(X509_STORE_CTX_new());
  if (!store || !context) throw std::bad_alloc();
  for (const OpenSsl::X509Cert& anchor : anchors_) {
    if (X509_STORE_add_cert(store.get(), anchor.get()) != 1) {
      // The same certificate twice in the file is no reason to fail.
      ERR_clear_error();
    }
  }
  // No untrusted intermediates: the chain is made of the anchors alone.
  if (X509_STORE_CTX_init(context.get(), store.get(), signer.get(), nullptr) != 1) throw std::bad_alloc();
  const int verified = X509_verify_cert(context.get());
  if (verified == 1) {
    ERR_clear_error();
    return;
  }
  const int error = X509_STORE_CTX_get_error(context.get());
  ERR_clear_error();
  ThrowNotTrusted(X509_verify_cert_error_string(error));
}
