#include "PasswordHash.h"

#include "ModuleError.h"

#include <QRandomGenerator>
#include <QStringList>

#include <openssl/evp.h>

namespace tavrel {

namespace {

const QLatin1String scheme("pbkdf2-sha256");

// Compares without stopping at the first difference.
bool sameBytes(const QByteArray& a, const QByteArray& b)
{
    if (a.size() != b.size())
        return false;
    unsigned char diff = 0;
    for (qsizetype i = 0; i < a.size(); ++i)
        diff |= static_cast<unsigned char>(a[i] ^ b[i]);
    return diff == 0;
}

} // namespace

QByteArray PasswordHash::pbkdf2(const QByteArray& password, const QByteArray& salt, int iterations,
                                int keyLength)
{
    // OpenSSL's, several times faster than HMAC rounds through QMessageAuthenticationCode:
    // the work an attacker must do per guess is the iteration count, not our speed.
    QByteArray key(keyLength, '\0');
    if (PKCS5_PBKDF2_HMAC(password.constData(), int(password.size()),
                          reinterpret_cast<const unsigned char*>(salt.constData()),
                          int(salt.size()), iterations, EVP_sha256(), keyLength,
                          reinterpret_cast<unsigned char*>(key.data())) != 1)
        throw ModuleError(QStringLiteral("No se pudo calcular la clave de la contraseña"));
    return key;
}

QString PasswordHash::make(const QString& password)
{
    quint32 words[4];
    QRandomGenerator::system()->fillRange(words);
    return make(password, QByteArray(reinterpret_cast<const char*>(words), sizeof(words)));
}

QString PasswordHash::make(const QString& password, const QByteArray& salt, int iterations)
{
    const QByteArray key = pbkdf2(password.toUtf8(), salt, iterations, 32);
    return QStringLiteral("%1$%2$%3$%4")
        .arg(scheme)
        .arg(iterations)
        .arg(QString::fromLatin1(salt.toBase64()), QString::fromLatin1(key.toBase64()));
}

namespace {

// The iteration count of a well-formed stored hash, 0 for anything else.
int iterationsOf(const QStringList& parts)
{
    if (parts.size() != 4 || parts[0] != scheme)
        return 0;
    bool ok = false;
    const int iterations = parts[1].toInt(&ok);
    return ok && iterations >= 1 && iterations <= 10000000 ? iterations : 0;
}

} // namespace

bool PasswordHash::needsUpgrade(const QString& stored)
{
    const int iterations = iterationsOf(stored.trimmed().split(QLatin1Char('$')));
    return iterations > 0 && iterations < defaultIterations;
}

bool PasswordHash::verify(const QString& password, const QString& stored)
{
    const QStringList parts = stored.trimmed().split(QLatin1Char('$'));
    const int iterations = iterationsOf(parts);
    if (iterations == 0)
        return false;
    const QByteArray salt = QByteArray::fromBase64(parts[2].toLatin1());
    const QByteArray expected = QByteArray::fromBase64(parts[3].toLatin1());
    if (salt.isEmpty() || expected.isEmpty())
        return false;
    return sameBytes(pbkdf2(password.toUtf8(), salt, iterations, int(expected.size())), expected);
}

} // namespace tavrel
