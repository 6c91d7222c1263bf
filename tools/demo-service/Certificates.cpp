#include "tools/demo-service/Certificates.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <openssl/err.h>
#include <openssl/pem.h>
#include <openssl/rand.h>
#include <sstream>
#include <sys/stat.h>
#include <unistd.h>

namespace trelvo::demo {
namespace {

using platform::foundation::Unexpected;
using ASN1IntegerPtr = std::unique_ptr<ASN1_INTEGER, FreeWith<ASN1_INTEGER_free>>;
using BignumPtr = std::unique_ptr<BIGNUM, FreeWith<BN_free>>;

Unexpected<std::string> failure(std::string_view what) {
    return Unexpected{std::string(what) + ": " + lastOpenSSLError()};
}

bool setRandomSerial(X509& certificate) {
    BignumPtr number{BN_new()};
    // 127 bits: positive, unique enough that browsers never see two certificates with one serial.
    if (!number || !BN_rand(number.get(), 127, BN_RAND_TOP_ANY, BN_RAND_BOTTOM_ANY)) {
        return false;
    }
    ASN1IntegerPtr serial{BN_to_ASN1_INTEGER(number.get(), nullptr)};
    return serial && X509_set_serialNumber(&certificate, serial.get());
}

bool setValidity(X509& certificate, Validity validity) {
    return X509_gmtime_adj(X509_getm_notBefore(&certificate), validity.notBefore.count()) &&
           X509_gmtime_adj(X509_getm_notAfter(&certificate), validity.notAfter.count());
}

bool setCommonName(X509& certificate, std::string_view commonName) {
    X509_NAME* name = X509_get_subject_name(&certificate);
    const std::string text(commonName);
    return X509_NAME_add_entry_by_txt(
        name, "CN", MBSTRING_UTF8, reinterpret_cast<const unsigned char*>(text.c_str()), -1, -1, 0);
}

bool addExtension(X509& certificate, const X509* issuer, int nid, const std::string& value) {
    X509V3_CTX context;
    X509V3_set_ctx_nodb(&context);
    X509V3_set_ctx(&context, const_cast<X509*>(issuer ? issuer : &certificate), &certificate,
                   nullptr, nullptr, 0);
    X509ExtensionPtr extension{X509V3_EXT_conf_nid(nullptr, &context, nid, value.c_str())};
    return extension && X509_add_ext(&certificate, extension.get(), -1);
}

std::string joined(const std::vector<std::string>& names) {
    std::string text;
    for (const auto& name : names) {
        text += text.empty() ? name : "," + name;
    }
    return text;
}

struct Extension {
    int nid;
    std::string value;
};

// Builds and signs one certificate; issuer == nullptr signs it with its own key.
Result<Identity> makeCertificate(const Identity* issuer, std::string_view commonName,
                                 Validity validity, const std::vector<Extension>& extensions) {
    auto key = generateKey();
    if (!key) {
        return Unexpected{key.error()};
    }
    X509Ptr certificate{X509_new()};
    if (!certificate || !X509_set_version(certificate.get(), X509_VERSION_3) ||
        !setRandomSerial(*certificate) || !setValidity(*certificate, validity) ||
        !setCommonName(*certificate, commonName) ||
        !X509_set_pubkey(certificate.get(), key->get())) {
        return failure("cannot fill in the certificate");
    }
    const X509* issuerCertificate = issuer ? issuer->certificate.get() : nullptr;
    if (!X509_set_issuer_name(
            certificate.get(),
            X509_get_subject_name(issuerCertificate ? issuerCertificate : certificate.get()))) {
        return failure("cannot set the issuer");
    }
    for (const auto& extension : extensions) {
        if (!addExtension(*certificate, issuerCertificate, extension.nid, extension.value)) {
            return failure("cannot add the certificate extension " + extension.value);
        }
    }
    EVP_PKEY* signingKey = issuer ? issuer->key.get() : key->get();
    if (!X509_sign(certificate.get(), signingKey, EVP_sha256())) {
        return failure("cannot sign the certificate");
    }
    return Identity{std::move(certificate), std::move(*key)};
}

std::vector<Extension> leafExtensions(const std::vector<std::string>& subjectAltNames,
                                      bool selfSigned) {
    std::vector<Extension> extensions{
        {NID_basic_constraints, "critical,CA:FALSE"},
        {NID_key_usage, "critical,digitalSignature"},
        {NID_ext_key_usage, "serverAuth"},
        {NID_subject_key_identifier, "hash"},
    };
    if (!selfSigned) {
        extensions.push_back({NID_authority_key_identifier, "keyid:always"});
    }
    if (!subjectAltNames.empty()) {
        extensions.push_back({NID_subject_alt_name, joined(subjectAltNames)});
    }
    return extensions;
}

} // namespace

std::string lastOpenSSLError() {
    std::string text;
    while (unsigned long code = ERR_get_error()) {
        char buffer[256];
        ERR_error_string_n(code, buffer, sizeof buffer);
        text += text.empty() ? buffer : std::string("; ") + buffer;
    }
    return text.empty() ? "no OpenSSL error recorded" : text;
}

Result<PKeyPtr> generateKey() {
    PKeyPtr key{EVP_EC_gen("P-256")};
    if (!key) {
        return failure("cannot generate a P-256 key");
    }
    return key;
}

Result<Identity> makeCertificateAuthority(std::string_view commonName, Validity validity) {
    return makeCertificate(nullptr, commonName, validity,
                           {
                               {NID_basic_constraints, "critical,CA:TRUE"},
                               {NID_key_usage, "critical,keyCertSign,cRLSign"},
                               {NID_subject_key_identifier, "hash"},
                           });
}

Result<Identity> issueCertificate(const Identity& issuer, std::string_view commonName,
                                  const std::vector<std::string>& subjectAltNames,
                                  Validity validity) {
    return makeCertificate(&issuer, commonName, validity, leafExtensions(subjectAltNames, false));
}

Result<Identity> makeSelfSigned(std::string_view commonName,
                                const std::vector<std::string>& subjectAltNames,
                                Validity validity) {
    return makeCertificate(nullptr, commonName, validity, leafExtensions(subjectAltNames, true));
}

namespace {

std::string drain(BIO& bio) {
    char* data = nullptr;
    const long size = BIO_get_mem_data(&bio, &data);
    return size > 0 ? std::string(data, static_cast<std::size_t>(size)) : std::string();
}

BIOPtr readOnlyBIO(std::string_view text) {
    return BIOPtr{BIO_new_mem_buf(text.data(), static_cast<int>(text.size()))};
}

} // namespace

std::string toPEM(const X509& certificate) {
    BIOPtr bio{BIO_new(BIO_s_mem())};
    if (!bio || !PEM_write_bio_X509(bio.get(), &certificate)) {
        return {};
    }
    return drain(*bio);
}

std::string toPEM(const EVP_PKEY& key) {
    BIOPtr bio{BIO_new(BIO_s_mem())};
    if (!bio || !PEM_write_bio_PrivateKey(bio.get(), &key, nullptr, nullptr, 0, nullptr, nullptr)) {
        return {};
    }
    return drain(*bio);
}

Result<X509Ptr> certificateFromPEM(std::string_view pem) {
    BIOPtr bio = readOnlyBIO(pem);
    X509Ptr certificate{bio ? PEM_read_bio_X509(bio.get(), nullptr, nullptr, nullptr) : nullptr};
    if (!certificate) {
        return failure("not a PEM certificate");
    }
    return certificate;
}

Result<PKeyPtr> keyFromPEM(std::string_view pem) {
    BIOPtr bio = readOnlyBIO(pem);
    PKeyPtr key{bio ? PEM_read_bio_PrivateKey(bio.get(), nullptr, nullptr, nullptr) : nullptr};
    if (!key) {
        return failure("not a PEM private key");
    }
    return key;
}

bool isCurrentlyValid(const X509& certificate) {
    return X509_cmp_current_time(X509_get0_notBefore(&certificate)) < 0 &&
           X509_cmp_current_time(X509_get0_notAfter(&certificate)) > 0;
}

bool isSignedBy(const X509& certificate, const X509& issuer) {
    EVP_PKEY* issuerKey = X509_get0_pubkey(&issuer);
    const bool signedByIssuer =
        issuerKey && X509_verify(const_cast<X509*>(&certificate), issuerKey) == 1;
    ERR_clear_error();
    return signedByIssuer;
}

bool keyMatches(const X509& certificate, const EVP_PKEY& key) {
    const bool matches = X509_check_private_key(&certificate, &key) == 1;
    ERR_clear_error();
    return matches;
}

Result<std::filesystem::path> writeFile(const std::filesystem::path& path, std::string_view text,
                                        FileMode mode) {
    const auto temporary = std::filesystem::path(path).concat(".tmp");
    const mode_t permissions = mode == FileMode::privateKey ? 0600 : 0644;
    const int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, permissions);
    if (fd < 0) {
        return Unexpected{"cannot create " + temporary.string() + ": " + std::strerror(errno)};
    }
    // An existing file keeps its old mode through O_CREAT; a key must never stay readable.
    bool written = ::fchmod(fd, permissions) == 0;
    for (std::size_t offset = 0; written && offset < text.size();) {
        const ssize_t count = ::write(fd, text.data() + offset, text.size() - offset);
        if (count < 0 && errno == EINTR) {
            continue;
        }
        written = count > 0;
        offset += written ? static_cast<std::size_t>(count) : 0;
    }
    const int savedErrno = errno;
    written = ::close(fd) == 0 && written;
    if (!written || ::rename(temporary.c_str(), path.c_str()) != 0) {
        const std::string reason = std::strerror(written ? errno : savedErrno);
        ::unlink(temporary.c_str());
        return Unexpected{"cannot write " + path.string() + ": " + reason};
    }
    return path;
}

Result<std::string> readFile(const std::filesystem::path& path) {
    std::error_code error;
    if (std::filesystem::is_directory(path, error)) {
        return Unexpected{"cannot read " + path.string() + ": it is a directory"};
    }
    std::ifstream stream(path, std::ios::binary);
    if (!stream) {
        return Unexpected{"cannot read " + path.string() + ": " + std::strerror(errno)};
    }
    std::ostringstream contents;
    contents << stream.rdbuf();
    if (stream.bad()) {
        return Unexpected{"cannot read " + path.string()};
    }
    return contents.str();
}

} // namespace trelvo::demo
