// The HTTPS identity: a self-signed certificate made for this run, or one read from files.
#pragma once

#include <openssl/types.h>

#include <filesystem>
#include <memory>
#include <stdexcept>
#include <string>

namespace orvulink::sim {

struct X509Deleter {
  void operator()(X509* certificate) const noexcept;
};
struct KeyDeleter {
  void operator()(EVP_PKEY* key) const noexcept;
};

struct TlsIdentity {
  std::unique_ptr<X509, X509Deleter> certificate;
  std::unique_ptr<EVP_PKEY, KeyDeleter> key;
};

class TlsError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// A P-256 key and a certificate for IP 127.0.0.1 and DNS localhost, valid from an hour ago for
// 30 days. It is its own CA, so a client trusts it by taking its PEM as the CA bundle.
TlsIdentity GenerateSelfSignedIdentity();

// PEM files; the key must belong to the certificate.
TlsIdentity LoadIdentity(const std::filesystem::path& certificate,
                         const std::filesystem::path& key);

std::string CertificatePem(const TlsIdentity& identity);
void WriteCertificatePem(const TlsIdentity& identity, const std::filesystem::path& path);

}  // namespace orvulink::sim
