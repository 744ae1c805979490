#pragma once

#include <openssl/ssl.h>

namespace tavrel {

// What the server accepts of a TLS handshake: TLS 1.3, or TLS 1.2 with an ephemeral
// (ECDHE) key exchange and an AEAD cipher. Older protocols, static-RSA key exchange and
// CBC suites are refused, so a recorded session cannot be read later with the server's
// key and there is no padding oracle to probe.
class TlsPolicy
{
public:
    // Sets the policy on the server's context. Throws ModuleError when OpenSSL takes none
    // of the suites.
    static void apply(SSL_CTX* context);

    // The TLS 1.2 suites, in the server's order of preference.
    static const char* tls12Ciphers();
};

} // namespace tavrel
