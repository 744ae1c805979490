#include "PasswordHash.h"

#include <QCryptographicHash>
#include <QMessageAuthenticationCode>
#include <QRandomGenerator>
#include <QStringList>

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
    QMessageAuthenticationCode mac(QCryptographicHash::Sha256, password);
    QByteArray key;
    for (quint32 block = 1; key.size() < keyLength; ++block) {
        QByteArray blockIndex(4, '\0');
        blockIndex[0] = char(block >> 24);
        blockIndex[1] = char(block >> 16);
        blockIndex[2] = char(block >> 8);
        blockIndex[3] = char(block);
        mac.reset();
        mac.addData(salt);
        mac.addData(blockIndex);
        QByteArray u = mac.result();
        QByteArray t = u;
        for (int i = 1; i < iterations; ++i) {
            mac.reset();
            mac.addData(u);
            u = mac.result();
            for (qsizetype j = 0; j < t.size(); ++j)
                t[j] = char(t[j] ^ u[j]);
        }
        key += t;
    }
    return key.left(keyLength);
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

bool PasswordHash::verify(const QString& password, const QString& stored)
{
    const QStringList parts = stored.trimmed().split(QLatin1Char('$'));
    if (parts.size() != 4 || parts[0] != scheme)
        return false;
    bool ok = false;
    const int iterations = parts[1].toInt(&ok);
    if (!ok || iterations < 1 || iterations > 10000000)
        return false;
    const QByteArray salt = QByteArray::fromBase64(parts[2].toLatin1());
    const QByteArray expected = QByteArray::fromBase64(parts[3].toLatin1());
    if (salt.isEmpty() || expected.isEmpty())
        return false;
    return sameBytes(pbkdf2(password.toUtf8(), salt, iterations, int(expected.size())), expected);
}

} // namespace tavrel
