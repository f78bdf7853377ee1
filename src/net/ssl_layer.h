// The SSL plug-in interface of the TCP socket. The system carries no cryptography: the only
// layer is SSLNone, whose every operation fails with "SLL is not implemented!", so an https
// request fails at the SSL connect step. A real layer must keep the contract: a failing call
// sets its LastError, which the socket turns into 10091. It is plugged in for the whole process:
//     SetSSLClass(&MakeSSL<MyLayer>);   // every TCP socket made from then on uses MyLayer
#pragma once

#include <memory>
#include <string>

namespace xunda {

class TcpSocket;

enum class SSLVersion { LT_all, LT_SSLv2, LT_SSLv3, LT_TLSv1, LT_TLSv1_1, LT_SSHv2 };

class CustomSSL {
  public:
    explicit CustomSSL(TcpSocket& owner) : owner_(owner) {}
    virtual ~CustomSSL() = default;
    CustomSSL(const CustomSSL&) = delete;
    CustomSSL& operator=(const CustomSSL&) = delete;

    // Copies every setting except the SSH channel fields.
    virtual void Assign(const CustomSSL& source);
    virtual std::string LibVersion() { return {}; }
    virtual std::string LibName() { return {}; }
    virtual bool Connect() { return NotImplemented(false); }
    virtual bool Accept() { return NotImplemented(false); }
    virtual bool Shutdown() { return NotImplemented(false); }
    virtual bool BiShutdown() { return NotImplemented(false); }
    virtual int SendBuffer(const char*, int) { return NotImplemented(-1); }
    virtual int ReceiveBuffer(char*, int) { return NotImplemented(-1); }
    virtual int PendingBytes() { return NotImplemented(0); }
    // What the layer tells about the SSL connection: without one, empty texts, no bits, and 1 for
    // the certificate check (0 would say the peer's certificate was verified).
    virtual std::string GetSSLVersion() { return {}; }
    virtual std::string GetPeerSubject() { return {}; }
    virtual std::string GetPeerIssuer() { return {}; }
    virtual std::string GetPeerName() { return {}; }
    virtual std::string GetPeerFingerprint() { return {}; }
    virtual std::string GetCertInfo() { return {}; }
    virtual std::string GetCipherName() { return {}; }
    virtual int GetCipherBits() { return 0; }
    virtual int GetCipherAlgBits() { return 0; }
    virtual int GetVerifyCert() { return 1; }

    TcpSocket& Owner() { return owner_; }
    bool SslConnected = false;
    int LastError = 0;
    std::string LastErrorDesc;
    SSLVersion SSLType = SSLVersion::LT_all;
    std::string KeyPassword, Ciphers, CertificateFile, PrivateKeyFile, Certificate, PrivateKey, PFX, PFXfile,
        CertCA, CertCAFile, TrustCertificate, TrustCertificateFile;
    bool VerifyCert = false;
    std::string Username, Password;
    std::string SSHChannelType, SSHChannelArg1, SSHChannelArg2;

  private:
    template <class T>
    T NotImplemented(T result) {
        LastError = -1;
        LastErrorDesc = "SLL is not implemented!";
        return result;
    }
    TcpSocket& owner_;
};

class SSLNone : public CustomSSL {
  public:
    using CustomSSL::CustomSSL;
    std::string LibVersion() override { return "Without SSL support"; }
    std::string LibName() override { return "ssl_none"; }
};

// The SSL class: makes the layer of a new TCP socket.
using SSLClass = std::unique_ptr<CustomSSL> (*)(TcpSocket& owner);
template <class Layer>
std::unique_ptr<CustomSSL> MakeSSL(TcpSocket& owner) {
    return std::make_unique<Layer>(owner);
}
// The process-wide SSL class, &MakeSSL<SSLNone> until another is set (nullptr sets that one
// back). Safe from any thread; a socket keeps the layer it was made with.
SSLClass CurrentSSLClass();
void SetSSLClass(SSLClass sslClass);

}  // namespace xunda
