#include "sim/tls_certificate.hpp"

#include <openssl/bio.h>
#include <openssl/bn.h>
#include <openssl/err.h>
#include <openssl/evp.h>
#include <openssl/pem.h>
#include <openssl/x509.h>
#include <openssl/x509v3.h>

#include <fstream>

namespace orvulink::sim {
namespace {

constexpr long kValidBeforeNowSeconds = 60L * 60L;
constexpr long kValidAfterNowSeconds = 30L * 24L * 60L * 60L;

struct BioDeleter {
  void operator()(BIO* bio) const noexcept { BIO_free_all(bio); }
};
using BioPtr = std::unique_ptr<BIO, BioDeleter>;

struct BignumDeleter {
  void operator()(BIGNUM* number) const noexcept { BN_free(number); }
};

[[noreturn]] void Fail(const std::string& what) {
  const unsigned long code = ERR_get_error();
  std::string reason = what;
  if (code != 0) {
    char text[256] = {};
    ERR_error_string_n(code, text, sizeof text);
    reason += ": ";
    reason += text;
  }
  ERR_clear_error();
  throw TlsError(reason);
}

void Check(bool ok, const char* what) {
  if (!ok) Fail(what);
}

void SetRandomSerial(X509* certificate) {
  std::unique_ptr<BIGNUM, BignumDeleter> serial(BN_new());
  Check(serial && BN_rand(serial.get(), 63, BN_RAND_TOP_ANY, BN_RAND_BOTTOM_ANY) == 1,
        "cannot draw a serial number");
  Check(BN_to_ASN1_INTEGER(serial.get(), X509_get_serialNumber(certificate)) != nullptr,
        "cannot set the serial number");
}

void SetName(X509* certificate) {
  X509_NAME* name = X509_get_subject_name(certificate);
  const auto add = [name](const char* field, const char* value) {
    const auto* bytes = reinterpret_cast<const unsigned char*>(value);
    Check(X509_NAME_add_entry_by_txt(name, field, MBSTRING_ASC, bytes, -1, -1, 0) == 1,
          "cannot set the certificate name");
  };
  add("O", "OrvuLink gateway simulator");
  add("CN", "localhost");
  Check(X509_set_issuer_name(certificate, name) == 1, "cannot set the issuer");
}

void AddExtension(X509* certificate, int nid, const char* value) {
  X509V3_CTX context;
  X509V3_set_ctx(&context, certificate, certificate, nullptr, nullptr, 0);
  X509_EXTENSION* extension = X509V3_EXT_conf_nid(nullptr, &context, nid, value);
  Check(extension != nullptr, "cannot build a certificate extension");
  const int added = X509_add_ext(certificate, extension, -1);
  X509_EXTENSION_free(extension);
  Check(added == 1, "cannot add a certificate extension");
}

void AddExtensions(X509* certificate) {
  AddExtension(certificate, NID_basic_constraints, "critical,CA:TRUE");
  AddExtension(certificate, NID_key_usage, "critical,digitalSignature,keyCertSign");
  AddExtension(certificate, NID_ext_key_usage, "serverAuth");
  AddExtension(certificate, NID_subject_key_identifier, "hash");
  AddExtension(certificate, NID_authority_key_identifier, "keyid:always");
  AddExtension(certificate, NID_subject_alt_name, "IP:127.0.0.1,DNS:localhost");
}

void SetValidity(X509* certificate) {
  Check(X509_gmtime_adj(X509_getm_notBefore(certificate), -kValidBeforeNowSeconds) != nullptr &&
            X509_gmtime_adj(X509_getm_notAfter(certificate), kValidAfterNowSeconds) != nullptr,
        "cannot set the validity");
}

std::string ReadFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw TlsError("cannot open " + path.string());
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

BioPtr MemoryBio(const std::string& text) {
  BioPtr bio(BIO_new_mem_buf(text.data(), static_cast<int>(text.size())));
  Check(bio != nullptr, "cannot allocate a memory BIO");
  return bio;
}

}  // namespace

void X509Deleter::operator()(X509* certificate) const noexcept {
  X509_free(certificate);
}
void KeyDeleter::operator()(EVP_PKEY* key) const noexcept {
  EVP_PKEY_free(key);
}

TlsIdentity GenerateSelfSignedIdentity() {
  TlsIdentity identity;
  identity.key.reset(EVP_EC_gen("P-256"));
  Check(identity.key != nullptr, "cannot generate a P-256 key");
  identity.certificate.reset(X509_new());
  X509* certificate = identity.certificate.get();
  Check(certificate != nullptr, "cannot allocate a certificate");
  Check(X509_set_version(certificate, X509_VERSION_3) == 1, "cannot set the version");
  SetRandomSerial(certificate);
  SetValidity(certificate);
  Check(X509_set_pubkey(certificate, identity.key.get()) == 1, "cannot set the public key");
  SetName(certificate);
  AddExtensions(certificate);
  Check(X509_sign(certificate, identity.key.get(), EVP_sha256()) > 0, "cannot sign");
  return identity;
}

TlsIdentity LoadIdentity(const std::filesystem::path& certificate,
                         const std::filesystem::path& key) {
  const std::string certificate_pem = ReadFile(certificate);
  const std::string key_pem = ReadFile(key);
  TlsIdentity identity;
  identity.certificate.reset(
      PEM_read_bio_X509(MemoryBio(certificate_pem).get(), nullptr, nullptr, nullptr));
  if (!identity.certificate) Fail("no PEM certificate in " + certificate.string());
  identity.key.reset(PEM_read_bio_PrivateKey(MemoryBio(key_pem).get(), nullptr, nullptr, nullptr));
  if (!identity.key) Fail("no PEM private key in " + key.string());
  if (X509_check_private_key(identity.certificate.get(), identity.key.get()) != 1) {
    Fail("the key in " + key.string() + " does not belong to the certificate");
  }
  return identity;
}

std::string CertificatePem(const TlsIdentity& identity) {
  BioPtr bio(BIO_new(BIO_s_mem()));
  Check(bio != nullptr, "cannot allocate a memory BIO");
  Check(PEM_write_bio_X509(bio.get(), identity.certificate.get()) == 1,
        "cannot write the certificate");
  char* data = nullptr;
  const long size = BIO_get_mem_data(bio.get(), &data);
  return std::string(data, static_cast<std::size_t>(size));
}

void WriteCertificatePem(const TlsIdentity& identity, const std::filesystem::path& path) {
  const std::string pem = CertificatePem(identity);
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << pem;
  out.close();
  if (!out) throw TlsError("cannot write " + path.string());
}

}  // namespace orvulink::sim
