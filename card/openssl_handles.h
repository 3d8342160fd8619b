// Owning handles for the OpenSSL objects of the card layer: each is freed by its
// destructor on every path, so no error path carries a release call.
#pragma once

#include <openssl/bio.h>
#include <openssl/bn.h>
#include <openssl/err.h>
#include <openssl/evp.h>
#include <openssl/param_build.h>
#include <openssl/pkcs7.h>
#include <openssl/x509.h>

#include <cstdint>
#include <memory>

namespace OpenSsl {

template <typename T, void (*Free)(T*)>
struct Deleter {
  void operator()(T* p) const noexcept { Free(p); }
};

template <typename T, void (*Free)(T*)>
using Handle = std::unique_ptr<T, Deleter<T, Free>>;

using Bio = Handle<BIO, BIO_free_all>;
using BigNum = Handle<BIGNUM, BN_free>;
using Md = Handle<EVP_MD, EVP_MD_free>;
using MdContext = Handle<EVP_MD_CTX, EVP_MD_CTX_free>;
using PKey = Handle<EVP_PKEY, EVP_PKEY_free>;
using PKeyContext = Handle<EVP_PKEY_CTX, EVP_PKEY_CTX_free>;
using ParamBuilder = Handle<OSSL_PARAM_BLD, OSSL_PARAM_BLD_free>;
using Params = Handle<OSSL_PARAM, OSSL_PARAM_free>;
using Pkcs7 = Handle<PKCS7, PKCS7_free>;
using X509Cert = Handle<X509, X509_free>;

// The oldest error of this thread's OpenSSL queue, as the signed number the
// messages print; the queue is emptied so that the next call starts clean.
inline std::int32_t TakeErrorCode() {
  const unsigned long code = ERR_get_error();
  ERR_clear_error();
  return static_cast<std::int32_t>(static_cast<std::uint32_t>(code));
}

}  // namespace OpenSsl
