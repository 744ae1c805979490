#include "TlsPolicy.h"

#include "ModuleError.h"

namespace tavrel {

const char* TlsPolicy::tls12Ciphers()
{
    return "ECDHE-ECDSA-AES128-GCM-SHA256:ECDHE-RSA-AES128-GCM-SHA256:"
           "ECDHE-ECDSA-AES256-GCM-SHA384:ECDHE-RSA-AES256-GCM-SHA384:"
           "ECDHE-ECDSA-CHACHA20-POLY1305:ECDHE-RSA-CHACHA20-POLY1305";
}

void TlsPolicy::apply(SSL_CTX* context)
{
    // TLS 1.3 suites are all AEAD with ephemeral keys; OpenSSL's defaults stay.
    if (!context || SSL_CTX_set_min_proto_version(context, TLS1_2_VERSION) != 1 ||
        SSL_CTX_set_max_proto_version(context, 0) != 1 ||
        SSL_CTX_set_cipher_list(context, tls12Ciphers()) != 1)
        throw ModuleError(QStringLiteral("No se pudo configurar TLS: OpenSSL no acepta las suites "
                                         "de cifrado del servidor"));
    SSL_CTX_set_options(context, SSL_OP_CIPHER_SERVER_PREFERENCE | SSL_OP_NO_RENEGOTIATION |
                                     SSL_OP_NO_COMPRESSION);
}

} // namespace tavrel
