#include "card/certificate.h"

#include <utility>

#include "support/exception.h"
#include "support/string_table.h"

Certificate::Certificate(std::unique_ptr<CertificateHandle> handle) : handle_(std::move(handle)) {}

Certificate::Certificate(const Certificate& other)
    : handle_(other.handle_ ? other.handle_->Duplicate() : nullptr) {}

Certificate& Certificate::operator=(const Certificate& other) {
  if (this != &other) handle_ = other.handle_ ? other.handle_->Duplicate() : nullptr;
  return *this;
}

TAVQ::ByteArray Certificate::GetEncoded() const {
  if (!handle_) {
    throw TAVQ::Security::Cryptography::X509::X509Exception(
        TAVQ::LoadResourceString(TAVQ::IDS_CERTIFICATE_NOT_INITIALIZED));
  }
  return handle_->Encoded();
}
