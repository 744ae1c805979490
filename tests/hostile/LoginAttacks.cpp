#include "LoginAttacks.h"

#include "Database.h"
#include "PasswordHash.h"
#include "RawConnection.h"
#include "ServedDemo.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QTest>

#include <atomic>
#include <thread>
#include <vector>

using namespace Qt::StringLiterals;

using tavrel::test::RawConnection;
using tavrel::test::ServedDemo;

namespace {

QByteArray loginBody(const QString& user, const QString& password)
{
    return QJsonDocument(QJsonObject{{u"user"_s, user}, {u"password"_s, password}})
        .toJson(QJsonDocument::Compact);
}

// The status of a login sent from `source`; the whole answer into `answer` when given.
int loginFrom(ServedDemo& server, const char* source, const QString& user, const QString& password,
              QByteArray* answer = nullptr)
{
    RawConnection raw(server.daemon().port(), source);
    raw.send(RawConnection::post("/v1/login", loginBody(user, password)));
    const QByteArray received = raw.receive(30000, true);
    if (answer)
        *answer = received;
    return RawConnection::status(received);
}

} // namespace

void LoginAttacks::lockoutStaysWithTheGuessingAddress()
{
    const QString user = QString::fromLatin1(ServedDemo::JPerez);
    const QString password = QString::fromLatin1(ServedDemo::JPerezPassword);
    // Five failures are free; the sixth within two seconds waits, the user's name in any
    // case, and says so.
    for (int i = 0; i < 5; ++i)
        QCOMPARE(loginFrom(*m_server, "127.0.0.2", user, u"adivina"_s), 401);
    QByteArray held;
    QCOMPARE(loginFrom(*m_server, "127.0.0.2", user.toLower(), password, &held), 429);
    QVERIFY2(held.contains("Demasiados intentos fallidos"), held.constData());
    // Other users of that address are not held up, nor is the user at their own desk.
    QCOMPARE(loginFrom(*m_server, "127.0.0.2", QString::fromLatin1(ServedDemo::MGomez),
                       QString::fromLatin1(ServedDemo::MGomezPassword)),
             200);
    QCOMPARE(loginFrom(*m_server, "127.0.0.1", user, password), 200);
}

void LoginAttacks::parallelGuessesGetNoExtraChecks()
{
    // Twenty-four guesses at once: each must take its turn at the count, so only the five
    // free ones reach the password check, and none fails for the count itself.
    std::vector<int> statuses(24);
    std::vector<std::thread> guesses;
    std::atomic<bool> go = false;
    for (size_t i = 0; i < statuses.size(); ++i) {
        guesses.emplace_back([&, i] {
            while (!go)
                std::this_thread::yield();
            statuses[i] = loginFrom(*m_server, "127.0.0.7", u"ANALISTA01"_s, u"guess%1"_s.arg(i));
        });
    }
    go = true;
    for (std::thread& t : guesses)
        t.join();
    const auto count = [&](int status) {
        return int(std::count(statuses.begin(), statuses.end(), status));
    };
    QString seen;
    for (int status : statuses)
        seen += QString::number(status) + u' ';
    QVERIFY2(count(500) == 0, qPrintable(seen));
    QVERIFY2(count(401) == 5 && count(429) == 19, qPrintable(seen));
}

void LoginAttacks::parallelLoginsOfOneUserAllPass()
{
    // A user opening the host and a program on two desks behind one address: the right
    // password never waits for the count, however many logins are being checked at once.
    // The first login raises the demo's cheap hash to the full work factor, so the
    // checks after it overlap.
    const QString user = QString::fromLatin1(ServedDemo::MGomez);
    const QString password = QString::fromLatin1(ServedDemo::MGomezPassword);
    QCOMPARE(loginFrom(*m_server, "127.0.0.9", user, password), 200);
    std::vector<int> statuses(8);
    std::vector<std::thread> logins;
    for (size_t i = 0; i < statuses.size(); ++i)
        logins.emplace_back(
            [&, i] { statuses[i] = loginFrom(*m_server, "127.0.0.9", user, password); });
    for (std::thread& t : logins)
        t.join();
    QCOMPARE(statuses, std::vector<int>(statuses.size(), 200));
}

void LoginAttacks::oldPasswordHashIsUpgradedAtLogin()
{
    using tavrel::PasswordHash;
    tavrel::Database& db = m_server->database().database();
    const QString password = QString::fromLatin1(ServedDemo::MGomezPassword);
    const QString old = PasswordHash::make(password, QByteArray(16, 's'), 10000);
    db.exec(u"UPDATE GN_USUAR SET CLA_USUA = :H WHERE COD_USUA = 'MGOMEZ'"_s, {old});
    QVERIFY(!m_server->login(QString::fromLatin1(ServedDemo::MGomez), password).isEmpty());
    const QString stored =
        db.queryValue(u"SELECT CLA_USUA FROM GN_USUAR WHERE COD_USUA = 'MGOMEZ'"_s).toString();
    QVERIFY(stored.startsWith(u"pbkdf2-sha256$%1$"_s.arg(PasswordHash::defaultIterations)));
    QVERIFY(PasswordHash::verify(password, stored));
    QVERIFY(!m_server->login(QString::fromLatin1(ServedDemo::MGomez), password).isEmpty());
}
