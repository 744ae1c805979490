#pragma once

#include "TavrelServerExport.h"

#include <QByteArray>
#include <QString>

namespace tavrel {

// Salted password hashes as stored in GN_USUAR.CLA_USUA:
// "pbkdf2-sha256$<iterations>$<salt base64>$<key base64>" (PBKDF2 with HMAC-SHA-256,
// a 16-byte salt and a 32-byte key). Plain passwords are never stored.
//
// Each hash carries its own iteration count, so hashes of different work factors live
// side by side: verify() reads the count from the hash, and a login that succeeds with a
// hash of fewer than defaultIterations stores it again at defaultIterations
// (needsUpgrade()). Every password set or upgraded gets the full count; only demo data
// made for tests is hashed with fewer, and it is raised at its first login.
class TAVREL_SERVER_EXPORT PasswordHash
{
public:
    // OWASP's work factor for PBKDF2-HMAC-SHA-256 (2023).
    static constexpr int defaultIterations = 600000;

    // Hash with a fresh random salt and the full work factor.
    static QString make(const QString& password);
    // Hash with a given salt (deterministic demo data).
    static QString make(const QString& password, const QByteArray& salt,
                        int iterations = defaultIterations);
    // True when `password` gives `stored`; false for any malformed stored value.
    static bool verify(const QString& password, const QString& stored);
    // True when `stored` is a well-formed hash of fewer than defaultIterations.
    static bool needsUpgrade(const QString& stored);

    // PBKDF2-HMAC-SHA-256 (RFC 8018), exposed for its test vectors.
    static QByteArray pbkdf2(const QByteArray& password, const QByteArray& salt, int iterations,
                             int keyLength);
};

} // namespace tavrel
