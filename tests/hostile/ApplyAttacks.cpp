#include "ApplyAttacks.h"

#include "CausedValueStatements.h"
#include "Delta.h"
#include "HostileServer.h"
#include "RowHistoryCall.h"
#include "WireMessages.h"
#include "WireValue.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QTest>
#include <QUrl>

using tavrel::Delta;
using tavrel::DeltaRow;
using tavrel::RowHistoryCall;
using tavrel::RowHistoryEntry;
using tavrel::RowHistoryReply;
using tavrel::WireMessages;
using tavrel::WireValue;
using tavrel::test::HostileServer;

namespace {

const QString Relation = QStringLiteral("DtsPVeZEZev");
const QString ChangeLog = QStringLiteral("DtsPGnLogcm");
// What a desk sees of a failure of the database: the system's words and a number that
// the server's log repeats next to the details.
const QRegularExpression Reference(QStringLiteral("\\(referencia ([0-9A-F]{6})\\); consulte al "
                                                  "administrador\\.$"));

QByteArray compact(const QJsonObject& body)
{
    return QJsonDocument(body).toJson(QJsonDocument::Compact);
}

HostileServer::Reply apply(const HostileServer& server, const QString& token,
                           const QString& provider, const QList<DeltaRow>& rows)
{
    Delta delta;
    delta.rows = rows;
    return server.post("/v1/apply",
                       compact({{QStringLiteral("provider"), provider},
                                {QStringLiteral("rows"), WireMessages::encodeDelta(delta)}}),
                       token);
}

HostileServer::Reply invoke(const HostileServer& server, const QString& token,
                            const QString& method, const QVariantList& args)
{
    return server.post("/v1/invoke",
                       compact({{QStringLiteral("method"), method},
                                {QStringLiteral("args"), WireMessages::encodeArguments(args)}}),
                       token);
}

DeltaRow inserted(const QVariantMap& values)
{
    return {DeltaRow::Kind::Insert, -1, {}, values};
}

DeltaRow modified(qint64 key, const QVariantMap& original, const QVariantMap& values)
{
    return {DeltaRow::Kind::Modify, key, original, values};
}

DeltaRow deleted(qint64 key, const QVariantMap& original)
{
    return {DeltaRow::Kind::Delete, key, original, {}};
}

QDateTime at(int year, int month, int day)
{
    return QDateTime(QDate(year, month, day), QTime(0, 0));
}

// The module's yearly caused-value update of 2015 as `user` types it, with its values.
QVariantList causedUpdate(const QString& user, const QVariantList& values)
{
    return QVariantList{
        QVariant(QVariantList{tavrel::CausedValueStatements::yearUpdate(false, user)} + values),
        QVariant(), QString()};
}

QVariantList causedValues()
{
    return {at(2015, 1, 1), at(2015, 12, 31), QDateTime::currentDateTime()};
}

} // namespace

void ApplyAttacks::init()
{
    m_token = m_server->login(HostileServer::MGomez, HostileServer::MGomezPassword);
    QVERIFY(!m_token.isEmpty());
}

// A row of company 2 written by JPEREZ at a fixed time, as the demo data has them.
static qint64 seedRelationRow(tavrel::test::TestDatabase& db)
{
    db.exec(
        QStringLiteral("INSERT INTO NM_RPCOS (ACT_USUA, ACT_HORA, ACT_ESTA, COD_EMPR, COD_CCOS, "
                       "COD_CONT, COD_CUEN, DEP_APAC, VAL_TOTA) VALUES ('JPEREZ', :H, 'A', 2, "
                       "901, 10, '51010101', 'SEMILLA', 100)"),
        {at(2014, 1, 15)});
    return db.queryValue(QStringLiteral("SELECT MAX(TVL_ROWID) FROM NM_RPCOS")).toLongLong();
}

static QVariantMap seededOriginal()
{
    return {{QStringLiteral("ACT_USUA"), QStringLiteral("JPEREZ")},
            {QStringLiteral("ACT_HORA"), at(2014, 1, 15)},
            {QStringLiteral("ACT_ESTA"), QStringLiteral("A")},
            {QStringLiteral("COD_EMPR"), 2},
            {QStringLiteral("VAL_TOTA"), 100.0}};
}

void ApplyAttacks::companyKeyInAnySpelling_data()
{
    QTest::addColumn<bool>("insert");
    QTest::addColumn<QVariantMap>("values");
    QTest::addColumn<QString>("refusal");
    // The check must see a company however the desk spells its column; a key it does not
    // recognise reached the database, whose row-level security answered with its own text.
    QTest::newRow("lower-case key on insert")
        << true << QVariantMap{{QStringLiteral("cod_empr"), 3}} << QStringLiteral("empresa 3");
    QTest::newRow("mixed-case key on insert")
        << true << QVariantMap{{QStringLiteral("Cod_Empr"), 3}} << QStringLiteral("empresa 3");
    QTest::newRow("own row moved to company 3 by a lower-case key")
        << false << QVariantMap{{QStringLiteral("cod_empr"), 3}} << QStringLiteral("empresa 3");
    // Two spellings of one column: the check may read one, the database the other.
    QTest::newRow("both spellings in one row")
        << true << QVariantMap{{QStringLiteral("COD_EMPR"), 2}, {QStringLiteral("cod_empr"), 3}}
        << QStringLiteral("COD_EMPR");
}

void ApplyAttacks::companyKeyInAnySpelling()
{
    QFETCH(bool, insert);
    QFETCH(QVariantMap, values);
    QFETCH(QString, refusal);
    auto& db = m_server->database();
    const qint64 key = seedRelationRow(db);
    const auto companies = [&db] {
        return db.queryRows(QStringLiteral("SELECT COD_EMPR, COUNT(*) FROM NM_RPCOS GROUP BY "
                                           "COD_EMPR ORDER BY 1"));
    };
    const QList<QVariantList> before = companies();
    values.insert(QStringLiteral("DEP_APAC"), QStringLiteral("ATAQUE"));
    const HostileServer::Reply reply =
        apply(*m_server, m_token, Relation,
              {insert ? inserted(values) : modified(key, seededOriginal(), values)});
    QCOMPARE(reply.status, 422);
    QVERIFY2(reply.message().contains(refusal), reply.raw.c_str());
    QCOMPARE(companies(), before);
}

void ApplyAttacks::originalValueInAnotherSpellingStillChecked()
{
    auto& db = m_server->database();
    const qint64 key = seedRelationRow(db);
    // Another desk changes the total after this desk read 100.
    db.exec(QStringLiteral("UPDATE NM_RPCOS SET VAL_TOTA = 200 WHERE TVL_ROWID = :K"), {key});
    const HostileServer::Reply reply =
        apply(*m_server, m_token, Relation,
              {modified(key, seededOriginal(), {{QStringLiteral("val_tota"), 500.0}})});
    QCOMPARE(reply.status, 409);
    QCOMPARE(
        db.queryValue(QStringLiteral("SELECT VAL_TOTA FROM NM_RPCOS WHERE TVL_ROWID = :K"), {key})
            .toDouble(),
        200.0);
}

void ApplyAttacks::auditStampsAreTheServers_data()
{
    QTest::addColumn<bool>("insert");
    QTest::addColumn<QVariantMap>("stamps");
    const QVariantMap forged{{QStringLiteral("ACT_USUA"), QStringLiteral("JPEREZ")},
                             {QStringLiteral("ACT_HORA"), at(2001, 1, 1)},
                             {QStringLiteral("ACT_ESTA"), QStringLiteral("X")}};
    const QVariantMap forgedLower{{QStringLiteral("act_usua"), QStringLiteral("JPEREZ")},
                                  {QStringLiteral("act_hora"), at(2001, 1, 1)},
                                  {QStringLiteral("act_esta"), QStringLiteral("X")}};
    QTest::newRow("insert with another user's stamps") << true << forged;
    QTest::newRow("insert with stamps under lower-case keys") << true << forgedLower;
    QTest::newRow("insert without stamps") << true << QVariantMap();
    QTest::newRow("modify with another user's stamps") << false << forged;
    QTest::newRow("modify with stamps under lower-case keys") << false << forgedLower;
    // A modification that leaves the stamps out would keep the last writer's.
    QTest::newRow("modify without stamps") << false << QVariantMap();
}

void ApplyAttacks::auditStampsAreTheServers()
{
    QFETCH(bool, insert);
    QFETCH(QVariantMap, stamps);
    auto& db = m_server->database();
    qint64 key = seedRelationRow(db);
    QVariantMap values = stamps;
    values.insert(QStringLiteral("VAL_TOTA"), 150.0);
    if (insert) {
        values.insert(QStringLiteral("COD_EMPR"), 2);
        values.insert(QStringLiteral("DEP_APAC"), QStringLiteral("ATAQUE"));
    }
    const HostileServer::Reply reply =
        apply(*m_server, m_token, Relation,
              {insert ? inserted(values) : modified(key, seededOriginal(), values)});
    QVERIFY2(reply.status == 200, reply.raw.c_str());
    if (insert)
        key = qint64(reply.body.value(QStringLiteral("keys")).toArray().at(0).toDouble());
    const QList<QVariantList> row =
        db.queryRows(QStringLiteral("SELECT ACT_USUA, ACT_HORA, ACT_ESTA, "
                                    "EXTRACT(EPOCH FROM (LOCALTIMESTAMP - ACT_HORA)) FROM NM_RPCOS "
                                    "WHERE TVL_ROWID = :K"),
                     {key});
    QCOMPARE(row.size(), 1);
    QCOMPARE(row[0][0].toString().trimmed(), QStringLiteral("MGOMEZ"));
    QVERIFY2(std::abs(row[0][3].toDouble()) < 120, qPrintable(row[0][1].toString()));
    QCOMPARE(row[0][2].toString(), insert ? QStringLiteral("A") : QStringLiteral("M"));
    // The history records what was stored, not what the desk sent.
    const QList<QVariantList> entry = db.queryRows(
        QStringLiteral("SELECT USU_HIST, DET_HIST FROM TVL_HISTORIA WHERE LLA_HIST = :K"), {key});
    QCOMPARE(entry.size(), 1);
    QCOMPARE(entry[0][0].toString().trimmed(), QStringLiteral("MGOMEZ"));
    QHash<QString, QJsonValue> after;
    for (const QJsonValue& change : QJsonDocument::fromJson(entry[0][1].toByteArray()).array())
        after.insert(change[QStringLiteral("columna")].toString(),
                     change[QStringLiteral("despues")]);
    QCOMPARE(after.value(QStringLiteral("ACT_USUA")).toString(), QStringLiteral("MGOMEZ"));
    QCOMPARE(after.value(QStringLiteral("ACT_ESTA")).toString(), row[0][2].toString());
    QVERIFY2(!after.value(QStringLiteral("ACT_HORA")).toString().startsWith(QLatin1String("2001")),
             entry[0][1].toByteArray().constData());
}

void ApplyAttacks::changeLogOnlyGrows_data()
{
    QTest::addColumn<QString>("attack");
    QTest::addColumn<int>("status");
    QTest::newRow("insert in another user's name") << QStringLiteral("insert") << 200;
    QTest::newRow("insert naming the user under a lower-case key")
        << QStringLiteral("insert-lower") << 200;
    QTest::newRow("rewrite another user's entry") << QStringLiteral("modify") << 422;
    QTest::newRow("erase another user's entry") << QStringLiteral("delete") << 422;
}

void ApplyAttacks::changeLogOnlyGrows()
{
    QFETCH(QString, attack);
    QFETCH(int, status);
    auto& db = m_server->database();
    db.exec(
        QStringLiteral("INSERT INTO GN_LOGCM (COD_EMPR, COD_USUA, FEC_CAMB, TAB_CAMB, CAM_CAMB, "
                       "VAL_ANTE, VAL_NUEV, OPE_CAMB) VALUES (2, 'JPEREZ', :F, 'NM_RPCOS', "
                       "'VAL_TOTA', '1', '2', 'M')"),
        {at(2014, 3, 10)});
    const qint64 seeded =
        db.queryValue(QStringLiteral("SELECT MAX(TVL_ROWID) FROM GN_LOGCM")).toLongLong();
    const QVariantMap original{{QStringLiteral("COD_EMPR"), 2},
                               {QStringLiteral("COD_USUA"), QStringLiteral("JPEREZ")},
                               {QStringLiteral("VAL_NUEV"), QStringLiteral("2")}};
    const QString user = attack == QLatin1String("insert-lower") ? QStringLiteral("cod_usua")
                                                                 : QStringLiteral("COD_USUA");
    const DeltaRow row =
        attack.startsWith(QLatin1String("insert"))
            ? inserted({{QStringLiteral("COD_EMPR"), 2},
                        {user, QStringLiteral("JPEREZ")},
                        {QStringLiteral("FEC_CAMB"), QDateTime::currentDateTime()},
                        {QStringLiteral("TAB_CAMB"), QStringLiteral("NM_RPCOS")},
                        {QStringLiteral("OPE_CAMB"), QStringLiteral("I")}})
        : attack == QLatin1String("modify")
            ? modified(seeded, original, {{QStringLiteral("VAL_NUEV"), QStringLiteral("9")}})
            : deleted(seeded, original);
    const HostileServer::Reply reply = apply(*m_server, m_token, ChangeLog, {row});
    QVERIFY2(reply.status == status, reply.raw.c_str());
    const QList<QVariantList> seededNow = db.queryRows(
        QStringLiteral("SELECT COD_USUA, VAL_NUEV FROM GN_LOGCM WHERE TVL_ROWID = :K"), {seeded});
    QCOMPARE(seededNow, (QList<QVariantList>{{QStringLiteral("JPEREZ"), QStringLiteral("2")}}));
    if (status != 200) {
        QVERIFY2(reply.message().contains(QLatin1String("GN_LOGCM")), reply.raw.c_str());
        return;
    }
    const qint64 key = qint64(reply.body.value(QStringLiteral("keys")).toArray().at(0).toDouble());
    QCOMPARE(
        db.queryValue(QStringLiteral("SELECT COD_USUA FROM GN_LOGCM WHERE TVL_ROWID = :K"), {key})
            .toString(),
        QStringLiteral("MGOMEZ"));
}

void ApplyAttacks::statementRunsAsTheSessionsUser_data()
{
    QTest::addColumn<QString>("typed");
    // The user code is compared without regard to case, so these pass the check; what is
    // stored must be the session's own code all the same.
    QTest::newRow("lower case") << QStringLiteral("mgomez");
    QTest::newRow("mixed case") << QStringLiteral("MGomez");
}

void ApplyAttacks::statementRunsAsTheSessionsUser()
{
    QFETCH(QString, typed);
    auto& db = m_server->database();
    db.exec(QStringLiteral("UPDATE NM_RPCOS SET ACT_USUA = 'JPEREZ'"));
    const HostileServer::Reply reply = invoke(*m_server, m_token, QStringLiteral("EjecutarSQL"),
                                              causedUpdate(typed, causedValues()));
    QVERIFY2(reply.status == 200, reply.raw.c_str());
    QCOMPARE(
        db.queryRows(QStringLiteral("SELECT DISTINCT ACT_USUA FROM NM_RPCOS WHERE COD_EMPR = 2")),
        (QList<QVariantList>{{QStringLiteral("MGOMEZ  ")}}));
    QCOMPARE(db.queryValue(QStringLiteral("SELECT USU_HIST FROM TVL_HISTORIA WHERE TVL_ROWID = "
                                          "(SELECT MAX(TVL_ROWID) FROM TVL_HISTORIA)"))
                 .toString(),
             QStringLiteral("MGOMEZ"));
}

void ApplyAttacks::statementMarkersMustBeDateTimes_data()
{
    QTest::addColumn<QVariantList>("values");
    const QDateTime now = QDateTime::currentDateTime();
    QTest::newRow("year as a number") << QVariantList{2015, at(2015, 12, 31), now};
    QTest::newRow("date as a text")
        << QVariantList{QStringLiteral("2015-01-01"), at(2015, 12, 31), now};
    QTest::newRow("text that closes the literal")
        << QVariantList{at(2015, 1, 1), QStringLiteral("2015-12-31') OR (1=1"), now};
    QTest::newRow("server time as a text")
        << QVariantList{at(2015, 1, 1), at(2015, 12, 31), QStringLiteral("ahora")};
    QTest::newRow("a value missing") << QVariantList{at(2015, 1, 1), at(2015, 12, 31)};
}

void ApplyAttacks::statementMarkersMustBeDateTimes()
{
    QFETCH(QVariantList, values);
    auto& db = m_server->database();
    db.exec(QStringLiteral("UPDATE NM_RPCOS SET ACT_USUA = 'JPEREZ'"));
    const HostileServer::Reply reply = invoke(*m_server, m_token, QStringLiteral("EjecutarSQL"),
                                              causedUpdate(QStringLiteral("MGOMEZ"), values));
    QVERIFY2(reply.status == 422, reply.raw.c_str());
    QCOMPARE(db.queryValue(QStringLiteral("SELECT COUNT(*) FROM NM_RPCOS WHERE ACT_USUA <> "
                                          "'JPEREZ'"))
                 .toInt(),
             0);
}

void ApplyAttacks::rowHistoryShowsOnlyItsCompanysShare()
{
    auto& db = m_server->database();
    const QString all = m_server->login(HostileServer::JPerez, HostileServer::JPerezPassword);
    QVariantList run = causedUpdate(QStringLiteral("JPEREZ"), causedValues());
    QVERIFY2(invoke(*m_server, all, QStringLiteral("EjecutarSQL"), run).status == 200, "");
    const int own =
        db.queryValue(QStringLiteral("SELECT COUNT(*) FROM NM_RPCOS WHERE COD_EMPR = 2")).toInt();
    QVERIFY(db.queryValue(QStringLiteral("SELECT COUNT(*) FROM NM_RPCOS")).toInt() > own);
    const QList<QVariantList> keys = db.queryRows(
        QStringLiteral("SELECT COD_CONT, TRIM(COD_CUEN), COD_CCOS FROM NM_RPCOS WHERE COD_EMPR = 2 "
                       "AND COD_CCOS IS NOT NULL ORDER BY TVL_ROWID LIMIT 1"));
    QCOMPARE(keys.size(), 1);
    const HostileServer::Reply reply =
        invoke(*m_server, m_token, RowHistoryCall::method(),
               RowHistoryCall::encodeRequest(
                   {2, keys[0][0].toInt(), keys[0][1].toString(), keys[0][2].toInt()}));
    QVERIFY2(reply.status == 200, reply.raw.c_str());
    const RowHistoryReply history = RowHistoryCall::decodeReply(
        WireValue::decodeTagged(reply.body.value(QStringLiteral("result"))),
        WireMessages::decodeArguments(reply.body.value(QStringLiteral("args"))));
    int fromJPerez = 0;
    for (const RowHistoryEntry& e : history.entries) {
        if (e.rowKey >= 0)
            continue;
        // Every count a company-2 user sees is of company 2's rows.
        QVERIFY2(e.rows <= own && e.emptiedToZero <= own, qPrintable(e.statement));
        if (e.user == QLatin1String("JPEREZ")) {
            ++fromJPerez;
            QCOMPARE(e.rows, own);
        }
    }
    QCOMPARE(fromJPerez, 1);
}

void ApplyAttacks::databaseFailureShowsOnlyAReference()
{
    // Company 2 exists: its key is taken, and the database says so in its own words.
    const HostileServer::Reply reply =
        apply(*m_server, m_token, QStringLiteral("DtsPGnEmpre"),
              {inserted({{QStringLiteral("COD_EMPR"), 2},
                         {QStringLiteral("NOM_EMPR"), QStringLiteral("X")}})});
    QCOMPARE(reply.status, 500);
    const QRegularExpressionMatch reference = Reference.match(reply.message());
    QVERIFY2(reference.hasMatch(), reply.raw.c_str());
    QVERIFY2(!reply.message().contains(QLatin1String("gn_empre"), Qt::CaseInsensitive),
             reply.raw.c_str());
    const QString log = m_server->daemon().errors();
    const qsizetype at = log.indexOf(reference.captured(1));
    QVERIFY2(at >= 0, qPrintable(log));
    QVERIFY2(log.indexOf(QLatin1String("gn_empre_pk"), at, Qt::CaseInsensitive) > at,
             qPrintable(log));
}

void ApplyAttacks::workerWithoutDatabaseShowsOnlyAReference()
{
    auto& db = m_server->database();
    const QUrl url(m_server->roleUrl("--database"));
    const QString role = url.userName();
    QVERIFY(!role.isEmpty());
    db.exec(QStringLiteral("ALTER ROLE \"%1\" NOLOGIN").arg(role));
    const auto restore = qScopeGuard([&] {
        db.exec(QStringLiteral("ALTER ROLE \"%1\" LOGIN").arg(role));
        m_server->daemon().renewConnections();
    });
    QVERIFY(m_server->daemon().renewConnections());
    const HostileServer::Reply reply =
        m_server->post("/v1/login", compact({{QStringLiteral("user"), QStringLiteral("MGOMEZ")},
                                             {QStringLiteral("password"), QStringLiteral("x")}}));
    QCOMPARE(reply.status, 503);
    const QRegularExpressionMatch reference = Reference.match(reply.message());
    QVERIFY2(reference.hasMatch(), reply.raw.c_str());
    for (const QString& secret : {url.host(), QString::number(url.port()), url.path().mid(1), role})
        QVERIFY2(!reply.message().contains(secret), reply.raw.c_str());
    const QString log = m_server->daemon().errors();
    QVERIFY2(log.contains(reference.captured(1)) && log.contains(role), qPrintable(log));
}
