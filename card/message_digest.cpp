#include "card/message_digest.h"

#include "support/exception.h"
#include "support/format.h"
#include "support/text.h"

using TAVQ::ByteArray;

OpenSsl::Md FetchDigest(const TAVQ::WString& name) {
  OpenSsl::Md md(EVP_MD_fetch(nullptr, TAVQ::ToNarrow(name).c_str(), nullptr));
  if (!md) {
    ERR_clear_error();
    throw CardException(TAVQ::FormatString(u"Unknown message digest %s", name.c_str()));
  }
  return md;
}

MessageDigest::MessageDigest(TAVQ::WString name)
    : name_(std::move(name)), md_(FetchDigest(name_)), context_(EVP_MD_CTX_new()) {
  if (!context_) throw std::bad_alloc();
  size_ = EVP_MD_get_size(md_.get());
}

std::unique_ptr<MessageDigest> MessageDigest::Clone() const { return std::make_unique<MessageDigest>(name_); }

void MessageDigest::Init() {
  if (EVP_DigestInit_ex(context_.get(), md_.get(), nullptr) != 1) {
    ERR_clear_error();
    throw CardException(u"Message digest not initialized");
  }
  initialized_ = true;
}

void MessageDigest::RequireInitialized() const {
  if (!initialized_) throw CardException(u"Message digest not initialized");
}

void MessageDigest::Update(const ByteArray& data) {
  RequireInitialized();
  if (EVP_DigestUpdate(context_.get(), data.data(), data.size()) != 1) {
    ERR_clear_error();
    throw CardException(u"Message digest update error");
  }
}

ByteArray MessageDigest::Final() {
  RequireInitialized();
  ByteArray digest(static_cast<std::size_t>(size_));
  unsigned int written = 0;
  if (EVP_DigestFinal_ex(context_.get(), digest.data(), &written) != 1) {
    ERR_clear_error();
    throw CardException(u"Message digest final error");
  }
  // The context must be initialised again before it digests anything else.
  initialized_ = false;
  digest.resize(written);
  return digest;
}
