#pragma once

// Owning handles for the OpenSSL objects the demo service and the test servers create.
//   PKeyPtr key{EVP_EC_gen("P-256")};   X509Ptr cert{X509_new()};
// Each frees its object with the matching OpenSSL call when it goes out of scope.

#include <memory>
#include <openssl/bio.h>
#include <openssl/evp.h>
#include <openssl/ssl.h>
#include <openssl/x509.h>
#include <openssl/x509v3.h>

namespace trelvo::demo {

template <auto Free> struct FreeWith {
    template <class T> void operator()(T* handle) const { Free(handle); }
};

using PKeyPtr = std::unique_ptr<EVP_PKEY, FreeWith<EVP_PKEY_free>>;
using X509Ptr = std::unique_ptr<X509, FreeWith<X509_free>>;
using X509ExtensionPtr = std::unique_ptr<X509_EXTENSION, FreeWith<X509_EXTENSION_free>>;
using BIOPtr = std::unique_ptr<BIO, FreeWith<BIO_free_all>>;
using SSLContextPtr = std::unique_ptr<SSL_CTX, FreeWith<SSL_CTX_free>>;
using SSLPtr = std::unique_ptr<SSL, FreeWith<SSL_free>>;
using X509StorePtr = std::unique_ptr<X509_STORE, FreeWith<X509_STORE_free>>;

} // namespace trelvo::demo
