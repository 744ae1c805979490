#include "TlsCredentials.h"

#include "ModuleError.h"
#include "TlsPolicy.h"

#include <QFileInfo>

#include <openssl/err.h>
#include <openssl/pem.h>
#include <openssl/x509.h>

namespace tavrel {

namespace {

// OpenSSL's reason for the last failure, and its queue emptied.
QString openSslReason()
{
    const unsigned long code = ERR_peek_last_error();
    ERR_clear_error();
    if (code == 0)
        return QStringLiteral("formato no reconocido");
    char text[256];
    ERR_error_string_n(code, text, sizeof text);
    return QString::fromLatin1(text);
}

void requireReadable(const QString& file)
{
    if (!QFileInfo(file).isReadable())
        throw ModuleError(QStringLiteral("No se puede leer el archivo TLS %1").arg(file));
}

} // namespace

std::shared_ptr<SSL_CTX> TlsCredentials::serverContext(const QString& certificate,
                                                       const QString& key)
{
    requireReadable(certificate);
    requireReadable(key);
    ERR_clear_error();
    std::shared_ptr<SSL_CTX> context(SSL_CTX_new(TLS_server_method()), SSL_CTX_free);
    if (!context)
        throw ModuleError(
            QStringLiteral("No se pudo crear el contexto TLS: %1").arg(openSslReason()));
    TlsPolicy::apply(context.get());
    if (SSL_CTX_use_certificate_chain_file(context.get(), certificate.toLocal8Bit().constData()) !=
        1)
        throw ModuleError(
            QStringLiteral("El certificado %1 no es válido: %2").arg(certificate, openSslReason()));
    if (SSL_CTX_use_PrivateKey_file(context.get(), key.toLocal8Bit().constData(),
                                    SSL_FILETYPE_PEM) != 1)
        throw ModuleError(QStringLiteral("La clave %1 no es válida: %2").arg(key, openSslReason()));
    if (SSL_CTX_check_private_key(context.get()) != 1)
        throw ModuleError(
            QStringLiteral("La clave %1 no corresponde al certificado %2").arg(key, certificate));
    ERR_clear_error();
    return context;
}

QDateTime TlsCredentials::expiry(const QString& certificate)
{
    requireReadable(certificate);
    ERR_clear_error();
    const std::unique_ptr<BIO, decltype(&BIO_free)> file(
        BIO_new_file(certificate.toLocal8Bit().constData(), "r"), BIO_free);
    const std::unique_ptr<X509, decltype(&X509_free)> x509(
        file ? PEM_read_bio_X509(file.get(), nullptr, nullptr, nullptr) : nullptr, X509_free);
    if (!x509)
        throw ModuleError(
            QStringLiteral("El certificado %1 no es válido: %2").arg(certificate, openSslReason()));
    struct tm end = {};
    if (ASN1_TIME_to_tm(X509_get0_notAfter(x509.get()), &end) != 1)
        throw ModuleError(
            QStringLiteral("El certificado %1 no tiene una fecha de vencimiento legible")
                .arg(certificate));
    return QDateTime(QDate(end.tm_year + 1900, end.tm_mon + 1, end.tm_mday),
                     QTime(end.tm_hour, end.tm_min, end.tm_sec), Qt::UTC);
}

} // namespace tavrel
