#include "ApplyAttacks.h"

#include "CausedValueStatements.h"
#include "Delta.h"
#include "RowHistoryCall.h"
#include "ServedDemo.h"
#include "WireMessages.h"
#include "WireValue.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QTest>
#include <QUrl>

using namespace Qt::StringLiterals;

using tavrel::Delta;
using tavrel::DeltaRow;
using tavrel::RowHistoryCall;
using tavrel::RowHistoryEntry;
using tavrel::RowHistoryReply;
using tavrel::WireMessages;
using tavrel::WireValue;
using tavrel::test::ServedDemo;

namespace {

const QString Relation = u"DtsPVeZEZev"_s;
const QString ChangeLog = u"DtsPGnLogcm"_s;
// What a desk sees of a failure of the database: the system's words and a number that
// the server's log repeats next to the details.
const QRegularExpression Reference(u"\\(referencia ([0-9A-F]{6})\\); consulte al "
                                   "administrador\\.$"_s);

QByteArray compact(const QJsonObject& body)
{
    return QJsonDocument(body).toJson(QJsonDocument::Compact);
}

QByteArray applied(const QString& provider, const QList<DeltaRow>& rows)
{
    Delta delta;
    delta.rows = rows;
    return compact({{u"provider"_s, provider}, {u"rows"_s, WireMessages::encodeDelta(delta)}});
}

QByteArray invoked(const QString& method, const QVariantList& args)
{
    return compact({{u"method"_s, method}, {u"args"_s, WireMessages::encodeArguments(args)}});
}

ServedDemo::Reply apply(const ServedDemo& server, const QString& token, const QString& provider,
                        const QList<DeltaRow>& rows)
{
    return server.post("/v1/apply", applied(provider, rows), token);
}

ServedDemo::Reply invoke(const ServedDemo& server, const QString& token, const QString& method,
                         const QVariantList& args)
{
    return server.post("/v1/invoke", invoked(method, args), token);
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

QJsonObject openCall(const QString& commandText)
{
    return {{u"call"_s, u"open"_s},
            {u"provider"_s, u"DtsPTemporal"_s},
            {u"commandText"_s, commandText},
            {u"params"_s, QJsonArray()}};
}

QJsonObject invokeCall(const QString& method, const QVariantList& args)
{
    return {{u"call"_s, u"invoke"_s},
            {u"method"_s, method},
            {u"args"_s, WireMessages::encodeArguments(args)}};
}

const QString Companies = u"SELECT DISTINCT COD_EMPR FROM NM_RPCOS ORDER BY 1"_s;
const QString Caused = u"SELECT SUM(VAL_CAUS) FROM NM_RPCOS"_s;

} // namespace

// A row of company 2 written by JPEREZ at a fixed time, as the demo data has them.
static qint64 seedRelationRow(tavrel::test::TestDatabase& db)
{
    db.exec(u"INSERT INTO NM_RPCOS (ACT_USUA, ACT_HORA, ACT_ESTA, COD_EMPR, COD_CCOS, "
            "COD_CONT, COD_CUEN, DEP_APAC, VAL_TOTA) VALUES ('JPEREZ', :H, 'A', 2, "
            "901, 10, '51010101', 'SEMILLA', 100)"_s,
            {at(2014, 1, 15)});
    return db.queryValue(u"SELECT MAX(TVL_ROWID) FROM NM_RPCOS"_s).toLongLong();
}

static QVariantMap seededOriginal()
{
    return {{u"ACT_USUA"_s, u"JPEREZ"_s},
            {u"ACT_HORA"_s, at(2014, 1, 15)},
            {u"ACT_ESTA"_s, u"A"_s},
            {u"COD_EMPR"_s, 2},
            {u"VAL_TOTA"_s, 100.0}};
}

// Requests of one shape, each refused with its status and words, after which the relation,
// the change log and the history are as they were. A key of -99 in a body stands for a
// row of company 2 made for the test.
void ApplyAttacks::refusalsChangeNothing_data()
{
    QTest::addColumn<QByteArray>("path");
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<bool>("withToken");
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("message");
    const QByteArray login = "/v1/login", open = "/v1/open", apply = "/v1/apply",
                     invoke = "/v1/invoke";
    const QString wrongLogin = u"Usuario o contraseña incorrectos."_s;
    const auto loginAs = [](const QString& user) {
        return compact({{u"user"_s, user}, {u"password"_s, u"Nomina2026"_s}});
    };
    const auto attack = [](QVariantMap values) {
        values.insert(u"DEP_APAC"_s, u"ATAQUE"_s);
        return values;
    };
    const QString notADateTime = u"no es una fecha y hora"_s;
    const QDateTime now = QDateTime::currentDateTime();

    QTest::newRow("no token") << open << QByteArray("{}") << false << 401
                              << "La sesión no es válida o expiró; ingrese de nuevo.";
    QTest::newRow("unknown user: the same message as a wrong password")
        << login << loginAs(u"NADIE"_s) << false << 401 << wrongLogin;
    // PostgreSQL takes no NUL in text; the others would reach the log and the counts.
    QTest::newRow("NUL in the user name")
        << login << loginAs(u"MGOMEZ"_s + QChar(0)) << false << 401 << wrongLogin;
    QTest::newRow("NUL inside the user name")
        << login << loginAs(u"MGO"_s + QChar(0) + u"MEZ"_s) << false << 401 << wrongLogin;
    QTest::newRow("escape in the user name")
        << login << loginAs(u"MGOMEZ\x1b[2K"_s) << false << 401 << wrongLogin;
    QTest::newRow("line feed in the user name")
        << login << loginAs(u"MGOMEZ\n"_s) << false << 401 << wrongLogin;
    QTest::newRow("DEL in the user name")
        << login << loginAs(u"MGOMEZ\x7f"_s) << false << 401 << wrongLogin;
    QTest::newRow("not JSON") << open << QByteArray("{\"provider\":") << true << 400
                              << "Mensaje mal formado: el cuerpo de la petición";
    QTest::newRow("unknown provider")
        << open << QByteArray(R"({"provider":"DtsPNada","commandText":"SELECT 1","params":[]})")
        << true << 422 << "El servidor de aplicaciones no tiene el proveedor «DtsPNada»";
    QTest::newRow("no such call") << QByteArray("/v1/drop") << QByteArray("{}") << true << 404
                                  << "El servidor no atiende POST /v1/drop";
    QTest::newRow("too large") << open << QByteArray(9 * 1024 * 1024, ' ') << true << 413
                               << "supera el tamaño máximo";
    QTest::newRow("a desk checks no other user's password")
        << invoke << QByteArray(R"({"method":"ValidarUsuario","args":["JPEREZ","x",""]})") << true
        << 422 << "solo valida por la red al usuario de la sesión";
    QTest::newRow("a method desks may not call over the network")
        << invoke << QByteArray(R"({"method":"BorrarTodo","args":[]})") << true << 422
        << "no atiende por la red el método «BorrarTodo»";
    QTest::newRow("a row of another company")
        << apply << applied(Relation, {inserted(attack({{u"COD_EMPR"_s, 1}}))}) << true << 422
        << "El usuario MGOMEZ no tiene acceso a la empresa 1";
    // The check must see a company however the desk spells its column; a key it does not
    // recognise reached the database, whose row-level security answered with its own text.
    QTest::newRow("lower-case company key on insert")
        << apply << applied(Relation, {inserted(attack({{u"cod_empr"_s, 3}}))}) << true << 422
        << "empresa 3";
    QTest::newRow("mixed-case company key on insert")
        << apply << applied(Relation, {inserted(attack({{u"Cod_Empr"_s, 3}}))}) << true << 422
        << "empresa 3";
    QTest::newRow("own row moved to company 3 by a lower-case key")
        << apply
        << applied(Relation, {modified(-99, seededOriginal(), attack({{u"cod_empr"_s, 3}}))})
        << true << 422 << "empresa 3";
    // Two spellings of one column: the check may read one, the database the other.
    QTest::newRow("both spellings of the company in one row")
        << apply << applied(Relation, {inserted(attack({{u"COD_EMPR"_s, 2}, {u"cod_empr"_s, 3}}))})
        << true << 422 << "COD_EMPR";
    // The original of a column is checked however the values spell it: the row holds a
    // total of 100, the desk read 150.
    QVariantMap stale = seededOriginal();
    stale.insert(u"VAL_TOTA"_s, 150.0);
    QTest::newRow("a total read as another, changed under a lower-case key")
        << apply << applied(Relation, {modified(-99, stale, {{u"val_tota"_s, 500.0}})}) << true
        << 409 << "modificado o borrado por otro usuario";
    // Statements the network never runs, whatever the values beside them.
    for (const QString& sql :
         {u"DELETE FROM NM_RPCOS"_s, tavrel::CausedValueStatements::yearUpdate(false, u"JPEREZ"_s),
          tavrel::CausedValueStatements::cleanUp() + u"; DELETE FROM NM_RPCOS"_s})
        QTest::addRow("statement %s", qPrintable(sql.simplified().left(40)))
            << invoke
            << invoked(u"EjecutarSQL"_s,
                       {QVariant(QVariantList{sql, 2013, now}), QVariant(), QString()})
            << true << 422 << "no ejecuta por la red";
    // The caused-value update's markers take date-times only.
    const QList<std::pair<const char*, QVariantList>> markers{
        {"year as a number", {2015, at(2015, 12, 31), now}},
        {"date as a text", {u"2015-01-01"_s, at(2015, 12, 31), now}},
        {"text that closes the literal", {at(2015, 1, 1), u"2015-12-31') OR (1=1"_s, now}},
        {"server time as a text", {at(2015, 1, 1), at(2015, 12, 31), u"ahora"_s}},
        {"a value missing", {at(2015, 1, 1), at(2015, 12, 31)}}};
    for (const auto& [name, values] : markers)
        QTest::newRow(name) << invoke
                            << invoked(u"EjecutarSQL"_s, causedUpdate(u"MGOMEZ"_s, values)) << true
                            << 422
                            << (values.size() < 3 ? u"espera 3 valores y recibió 2"_s
                                                  : notADateTime);
}

void ApplyAttacks::refusalsChangeNothing()
{
    QFETCH(QByteArray, path);
    QFETCH(QByteArray, body);
    QFETCH(bool, withToken);
    QFETCH(int, status);
    QFETCH(QString, message);
    auto& db = m_server->database();
    const QByteArray key = "\"key\":" + QByteArray::number(seedRelationRow(db));
    const auto state = [&db] {
        return db.queryRows(u"SELECT * FROM NM_RPCOS ORDER BY TVL_ROWID"_s) +
               db.queryRows(u"SELECT (SELECT COUNT(*) FROM GN_LOGCM), "
                            "(SELECT COUNT(*) FROM TVL_HISTORIA)"_s);
    };
    const QList<QVariantList> before = state();
    const ServedDemo::Reply reply = m_server->post(
        path.toStdString(), body.replace("\"key\":-99", key), withToken ? m_token : QString());
    QCOMPARE(reply.status, status);
    QVERIFY2(reply.message().contains(message), reply.raw.c_str());
    QCOMPARE(state(), before);
}

void ApplyAttacks::auditStampsAreTheServers_data()
{
    QTest::addColumn<bool>("insert");
    QTest::addColumn<QVariantMap>("stamps");
    const QVariantMap forged{
        {u"ACT_USUA"_s, u"JPEREZ"_s}, {u"ACT_HORA"_s, at(2001, 1, 1)}, {u"ACT_ESTA"_s, u"X"_s}};
    const QVariantMap forgedLower{
        {u"act_usua"_s, u"JPEREZ"_s}, {u"act_hora"_s, at(2001, 1, 1)}, {u"act_esta"_s, u"X"_s}};
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
    values.insert(u"VAL_TOTA"_s, 150.0);
    if (insert) {
        values.insert(u"COD_EMPR"_s, 2);
        values.insert(u"DEP_APAC"_s, u"ATAQUE"_s);
    }
    const ServedDemo::Reply reply =
        apply(*m_server, m_token, Relation,
              {insert ? inserted(values) : modified(key, seededOriginal(), values)});
    QVERIFY2(reply.status == 200, reply.raw.c_str());
    if (insert)
        key = qint64(reply.body.value(u"keys"_s).toArray().at(0).toDouble());
    const QList<QVariantList> row =
        db.queryRows(u"SELECT ACT_USUA, ACT_HORA, ACT_ESTA, "
                     "EXTRACT(EPOCH FROM (LOCALTIMESTAMP - ACT_HORA)) FROM NM_RPCOS "
                     "WHERE TVL_ROWID = :K"_s,
                     {key});
    QCOMPARE(row.size(), 1);
    QCOMPARE(row[0][0].toString().trimmed(), u"MGOMEZ"_s);
    QVERIFY2(std::abs(row[0][3].toDouble()) < 120, qPrintable(row[0][1].toString()));
    QCOMPARE(row[0][2].toString(), insert ? u"A"_s : u"M"_s);
    // The history records what was stored, not what the desk sent.
    const QList<QVariantList> entry =
        db.queryRows(u"SELECT USU_HIST, DET_HIST FROM TVL_HISTORIA WHERE LLA_HIST = :K"_s, {key});
    QCOMPARE(entry.size(), 1);
    QCOMPARE(entry[0][0].toString().trimmed(), u"MGOMEZ"_s);
    QHash<QString, QJsonValue> after;
    for (const QJsonValue& change : QJsonDocument::fromJson(entry[0][1].toByteArray()).array())
        after.insert(change[u"columna"_s].toString(), change[u"despues"_s]);
    QCOMPARE(after.value(u"ACT_USUA"_s).toString(), u"MGOMEZ"_s);
    QCOMPARE(after.value(u"ACT_ESTA"_s).toString(), row[0][2].toString());
    QVERIFY2(!after.value(u"ACT_HORA"_s).toString().startsWith(u"2001"_s),
             entry[0][1].toByteArray().constData());
}

void ApplyAttacks::changeLogOnlyGrows_data()
{
    QTest::addColumn<QString>("attack");
    QTest::addColumn<int>("status");
    QTest::newRow("insert in another user's name") << u"insert"_s << 200;
    QTest::newRow("insert naming the user under a lower-case key") << u"insert-lower"_s << 200;
    QTest::newRow("rewrite another user's entry") << u"modify"_s << 422;
    QTest::newRow("erase another user's entry") << u"delete"_s << 422;
}

void ApplyAttacks::changeLogOnlyGrows()
{
    QFETCH(QString, attack);
    QFETCH(int, status);
    auto& db = m_server->database();
    db.exec(u"INSERT INTO GN_LOGCM (COD_EMPR, COD_USUA, FEC_CAMB, TAB_CAMB, CAM_CAMB, "
            "VAL_ANTE, VAL_NUEV, OPE_CAMB) VALUES (2, 'JPEREZ', :F, 'NM_RPCOS', "
            "'VAL_TOTA', '1', '2', 'M')"_s,
            {at(2014, 3, 10)});
    const qint64 seeded = db.queryValue(u"SELECT MAX(TVL_ROWID) FROM GN_LOGCM"_s).toLongLong();
    const QVariantMap original{
        {u"COD_EMPR"_s, 2}, {u"COD_USUA"_s, u"JPEREZ"_s}, {u"VAL_NUEV"_s, u"2"_s}};
    const QString user = attack == u"insert-lower"_s ? u"cod_usua"_s : u"COD_USUA"_s;
    const DeltaRow row =
        attack.startsWith(u"insert"_s) ? inserted({{u"COD_EMPR"_s, 2},
                                                   {user, u"JPEREZ"_s},
                                                   {u"FEC_CAMB"_s, QDateTime::currentDateTime()},
                                                   {u"TAB_CAMB"_s, u"NM_RPCOS"_s},
                                                   {u"OPE_CAMB"_s, u"I"_s}})
        : attack == u"modify"_s        ? modified(seeded, original, {{u"VAL_NUEV"_s, u"9"_s}})
                                       : deleted(seeded, original);
    const ServedDemo::Reply reply = apply(*m_server, m_token, ChangeLog, {row});
    QVERIFY2(reply.status == status, reply.raw.c_str());
    const QList<QVariantList> seededNow =
        db.queryRows(u"SELECT COD_USUA, VAL_NUEV FROM GN_LOGCM WHERE TVL_ROWID = :K"_s, {seeded});
    QCOMPARE(seededNow, (QList<QVariantList>{{u"JPEREZ"_s, u"2"_s}}));
    if (status != 200) {
        QVERIFY2(reply.message().contains(u"GN_LOGCM"_s), reply.raw.c_str());
        return;
    }
    const qint64 key = qint64(reply.body.value(u"keys"_s).toArray().at(0).toDouble());
    QCOMPARE(
        db.queryValue(u"SELECT COD_USUA FROM GN_LOGCM WHERE TVL_ROWID = :K"_s, {key}).toString(),
        u"MGOMEZ"_s);
}

void ApplyAttacks::statementRunsAsTheSessionsUser_data()
{
    QTest::addColumn<QString>("typed");
    // The user code is compared without regard to case, so these pass the check; what is
    // stored must be the session's own code all the same.
    QTest::newRow("lower case") << u"mgomez"_s;
    QTest::newRow("mixed case") << u"MGomez"_s;
}

void ApplyAttacks::statementRunsAsTheSessionsUser()
{
    QFETCH(QString, typed);
    auto& db = m_server->database();
    db.exec(u"UPDATE NM_RPCOS SET ACT_USUA = 'JPEREZ'"_s);
    const ServedDemo::Reply reply =
        invoke(*m_server, m_token, u"EjecutarSQL"_s, causedUpdate(typed, causedValues()));
    QVERIFY2(reply.status == 200, reply.raw.c_str());
    QCOMPARE(db.queryRows(u"SELECT DISTINCT ACT_USUA FROM NM_RPCOS WHERE COD_EMPR = 2"_s),
             (QList<QVariantList>{{u"MGOMEZ  "_s}}));
    QCOMPARE(db.queryValue(u"SELECT USU_HIST FROM TVL_HISTORIA WHERE TVL_ROWID = "
                           "(SELECT MAX(TVL_ROWID) FROM TVL_HISTORIA)"_s)
                 .toString(),
             u"MGOMEZ"_s);
}

void ApplyAttacks::rowHistoryShowsOnlyItsCompanysShare()
{
    auto& db = m_server->database();
    const QString all = m_server->login(ServedDemo::JPerez, ServedDemo::JPerezPassword);
    QVariantList run = causedUpdate(u"JPEREZ"_s, causedValues());
    QVERIFY2(invoke(*m_server, all, u"EjecutarSQL"_s, run).status == 200, "");
    const int own = db.queryValue(u"SELECT COUNT(*) FROM NM_RPCOS WHERE COD_EMPR = 2"_s).toInt();
    QVERIFY(db.queryValue(u"SELECT COUNT(*) FROM NM_RPCOS"_s).toInt() > own);
    const QList<QVariantList> keys =
        db.queryRows(u"SELECT COD_CONT, TRIM(COD_CUEN), COD_CCOS FROM NM_RPCOS WHERE COD_EMPR = 2 "
                     "AND COD_CCOS IS NOT NULL ORDER BY TVL_ROWID LIMIT 1"_s);
    QCOMPARE(keys.size(), 1);
    const ServedDemo::Reply reply =
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
    const ServedDemo::Reply reply =
        apply(*m_server, m_token, u"DtsPGnEmpre"_s,
              {inserted({{u"COD_EMPR"_s, 2}, {u"NOM_EMPR"_s, u"X"_s}})});
    QCOMPARE(reply.status, 500);
    const QRegularExpressionMatch reference = Reference.match(reply.message());
    QVERIFY2(reference.hasMatch(), reply.raw.c_str());
    QVERIFY2(!reply.message().contains(u"gn_empre"_s, Qt::CaseInsensitive), reply.raw.c_str());
    const QString log = m_server->daemon().errors();
    const qsizetype at = log.indexOf(reference.captured(1));
    QVERIFY2(at >= 0, qPrintable(log));
    QVERIFY2(log.indexOf(u"gn_empre_pk"_s, at, Qt::CaseInsensitive) > at, qPrintable(log));
}

void ApplyAttacks::workerWithoutDatabaseShowsOnlyAReference()
{
    auto& db = m_server->database();
    const QUrl url(m_server->roleUrl("--database"));
    const QString role = url.userName();
    QVERIFY(!role.isEmpty());
    db.exec(u"ALTER ROLE \"%1\" NOLOGIN"_s.arg(role));
    const auto restore = qScopeGuard([&] {
        db.exec(u"ALTER ROLE \"%1\" LOGIN"_s.arg(role));
        m_server->daemon().renewConnections();
    });
    QVERIFY(m_server->daemon().renewConnections());
    const ServedDemo::Reply reply =
        m_server->post("/v1/login", compact({{u"user"_s, u"MGOMEZ"_s}, {u"password"_s, u"x"_s}}));
    QCOMPARE(reply.status, 503);
    const QRegularExpressionMatch reference = Reference.match(reply.message());
    QVERIFY2(reference.hasMatch(), reply.raw.c_str());
    for (const QString& secret : {url.host(), QString::number(url.port()), url.path().mid(1), role})
        QVERIFY2(!reply.message().contains(secret), reply.raw.c_str());
    const QString log = m_server->daemon().errors();
    QVERIFY2(log.contains(reference.captured(1)) && log.contains(role), qPrintable(log));
}

void ApplyAttacks::eachCallOfABatchCheckedAsAlone_data()
{
    QTest::addColumn<QJsonArray>("calls");
    // Per call: "[[2]]" for the rows of a read, otherwise what its error says.
    QTest::addColumn<QStringList>("answers");

    QTest::newRow("a read sees only the session's companies, next to a refused statement")
        << QJsonArray{openCall(Companies),
                      invokeCall(u"EjecutarSQL"_s,
                                 {QVariantList{u"UPDATE NM_RPCOS SET VAL_CAUS = 0"_s}, QVariant(),
                                  QString()})}
        << QStringList{u"[[2]]"_s, u"no ejecuta por la red esta"_s};
    QTest::newRow("a method the network does not serve")
        << QJsonArray{invokeCall(u"BorrarTodo"_s, {}), openCall(Companies)}
        << QStringList{u"no atiende por la red el método «BorrarTodo»"_s, u"[[2]]"_s};
    QTest::newRow("another company's row history")
        << QJsonArray{invokeCall(
               tavrel::RowHistoryCall::method(),
               tavrel::RowHistoryCall::encodeRequest({1, 10, u"51010101"_s, 100}))}
        << QStringList{u"no tiene acceso a la empresa 1"_s};
    QTest::newRow("a read that calls a refused function")
        << QJsonArray{openCall(u"SELECT pg_sleep(5)"_s)}
        << QStringList{u"no ejecuta por la red consultas que usan pg_sleep"_s};
}

void ApplyAttacks::eachCallOfABatchCheckedAsAlone()
{
    QFETCH(QJsonArray, calls);
    QFETCH(QStringList, answers);

    tavrel::test::TestDatabase& db = m_server->database();
    const QVariant caused = db.queryValue(Caused);
    const ServedDemo::Reply reply = m_server->post(
        "/v1/batch", QJsonDocument(QJsonObject{{u"calls"_s, calls}}).toJson(), m_token);
    QVERIFY2(reply.status == 200, reply.raw.c_str());
    const QJsonArray got = reply.body.value(u"answers"_s).toArray();
    QCOMPARE(got.size(), answers.size());
    for (qsizetype i = 0; i < got.size(); ++i) {
        const QJsonObject one = got[i].toObject();
        const QString seen =
            one.contains(u"error"_s)
                ? one.value(u"error"_s).toObject().value(u"message"_s).toString()
                : QString::fromUtf8(
                      QJsonDocument(one.value(u"rows"_s).toArray()).toJson(QJsonDocument::Compact));
        QVERIFY2(seen.contains(answers[i]), qPrintable(seen));
    }
    QCOMPARE(db.queryValue(Caused), caused);
}

void ApplyAttacks::malformedBatchRunsNothing_data()
{
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<bool>("withToken");
    QTest::addColumn<int>("status");

    const auto calls = [](const QJsonArray& items) {
        return QJsonDocument(QJsonObject{{u"calls"_s, items}}).toJson(QJsonDocument::Compact);
    };
    QJsonArray tooMany;
    for (int i = 0; i <= 16; ++i)
        tooMany.append(openCall(Companies));

    QTest::newRow("no session") << calls({openCall(Companies)}) << false << 401;
    QTest::newRow("more calls than a batch may carry") << calls(tooMany) << true << 400;
    QTest::newRow("an empty batch") << calls({}) << true << 400;
    // Read whole first: the read before a call the batch does not take never runs.
    QTest::newRow("an apply inside a batch")
        << calls({openCall(Companies), QJsonObject{{u"call"_s, u"apply"_s},
                                                   {u"provider"_s, u"DtsPVeZEZev"_s},
                                                   {u"rows"_s, QJsonArray()}}})
        << true << 400;
    QTest::newRow("a batch inside a batch")
        << calls({openCall(Companies), QJsonObject{{u"call"_s, u"batch"_s},
                                                   {u"calls"_s, QJsonArray{openCall(Companies)}}}})
        << true << 400;
    QTest::newRow("a call that is no object")
        << calls({openCall(Companies), u"open"_s}) << true << 400;
    QTest::newRow("calls that are no list")
        << QByteArray(R"({"calls":{"call":"open"}})") << true << 400;
}

void ApplyAttacks::malformedBatchRunsNothing()
{
    QFETCH(QByteArray, body);
    QFETCH(bool, withToken);
    QFETCH(int, status);

    const ServedDemo::Reply reply =
        m_server->post("/v1/batch", body, withToken ? m_token : QString());
    QVERIFY2(reply.status == status, reply.raw.c_str());
    QVERIFY(!reply.body.contains(u"answers"_s));
    // The access log's line of the batch (written once the answer is out) names no
    // provider: none of its reads ran.
    const auto last = [this] { return m_server->accessLog().trimmed().section(u'\n', -1); };
    QTRY_VERIFY2(last().contains(u" batch "_s), qPrintable(last()));
    QVERIFY2(!last().contains(u"DtsPTemporal"_s), qPrintable(last()));
}
