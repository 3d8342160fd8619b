// A message digest of OpenSSL looked up by name ("SHA1"), fed in pieces.
#pragma once

#include <memory>

#include "card/openssl_handles.h"
#include "support/types.h"

class MessageDigest {
 public:
  // Raises CardException when the library knows no digest of that name.
  explicit MessageDigest(TAVQ::WString name);
  virtual ~MessageDigest() = default;

  // A fresh, uninitialised digest of the same name.
  virtual std::unique_ptr<MessageDigest> Clone() const;
  virtual void Init();
  virtual void Update(const TAVQ::ByteArray& data);
  // The digest of everything fed since Init; a digest that was never initialised
  // raises CardException "Message digest not initialized".
  virtual TAVQ::ByteArray Final();

  bool IsInitialized() const { return initialized_; }
  int Size() const { return size_; }
  const TAVQ::WString& Name() const { return name_; }

 private:
  void RequireInitialized() const;

  bool initialized_ = false;
  int size_ = 0;
  TAVQ::WString name_;
  OpenSsl::Md md_;
  OpenSsl::MdContext context_;
};

// The named digest of the library, owned by the caller; CardException when unknown.
OpenSsl::Md FetchDigest(const TAVQ::WString& name);
