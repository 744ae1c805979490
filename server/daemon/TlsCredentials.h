#pragma once

#include <QDateTime>
#include <QString>

#include <openssl/ssl.h>

#include <memory>

namespace tavrel {

// The server's certificate and key, read from their PEM files into a TLS context under
// TlsPolicy: at start, on SIGHUP (a renewed certificate without a restart) and for
// tavrel-server --check.
class TlsCredentials
{
public:
    // A server context with the certificate chain of `certificate` and the key of `key`.
    // Throws ModuleError saying which file could not be used and why, or that the key is
    // not the certificate's.
    static std::shared_ptr<SSL_CTX> serverContext(const QString& certificate, const QString& key);

    // The end of the certificate's validity (its first one, the server's own). Throws
    // ModuleError when the file holds no certificate.
    static QDateTime expiry(const QString& certificate);
};

} // namespace tavrel
