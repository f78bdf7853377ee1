#include "net/ssl_layer.h"

#include <atomic>

namespace xunda {

namespace {
std::atomic<SSLClass> sslClass{&MakeSSL<SSLNone>};
}  // namespace

SSLClass CurrentSSLClass() {
    return sslClass.load();
}

void SetSSLClass(SSLClass value) {
    sslClass.store(value ? value : &MakeSSL<SSLNone>);
}

void CustomSSL::Assign(const CustomSSL& source) {
    SSLType = source.SSLType;
    KeyPassword = source.KeyPassword;
    Ciphers = source.Ciphers;
    CertificateFile = source.CertificateFile;
    PrivateKeyFile = source.PrivateKeyFile;
    Certificate = source.Certificate;
    PrivateKey = source.PrivateKey;
    PFX = source.PFX;
    PFXfile = source.PFXfile;
    CertCA = source.CertCA;
    CertCAFile = source.CertCAFile;
    TrustCertificate = source.TrustCertificate;
    TrustCertificateFile = source.TrustCertificateFile;
    VerifyCert = source.VerifyCert;
    Username = source.Username;
    Password = source.Password;
}

}  // namespace xunda
