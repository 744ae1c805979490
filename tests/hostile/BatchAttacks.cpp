#include "BatchAttacks.h"

#include "RowHistoryCall.h"
#include "ServedDemo.h"
#include "WireMessages.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QTest>

using namespace Qt::StringLiterals;

using tavrel::WireMessages;
using tavrel::test::ServedDemo;

namespace {

QJsonObject open(const QString& commandText)
{
    return {{u"call"_s, u"open"_s},
            {u"provider"_s, u"DtsPTemporal"_s},
            {u"commandText"_s, commandText},
            {u"params"_s, QJsonArray()}};
}

QJsonObject invoke(const QString& method, const QVariantList& args)
{
    return {{u"call"_s, u"invoke"_s},
            {u"method"_s, method},
            {u"args"_s, WireMessages::encodeArguments(args)}};
}

const QString Companies = u"SELECT DISTINCT COD_EMPR FROM NM_RPCOS ORDER BY 1"_s;
const QString Caused = u"SELECT SUM(VAL_CAUS) FROM NM_RPCOS"_s;

} // namespace

void BatchAttacks::eachCallCheckedAsAlone_data()
{
    QTest::addColumn<QJsonArray>("calls");
    // Per call: "[[2]]" for the rows of a read, otherwise what its error says.
    QTest::addColumn<QStringList>("answers");

    QTest::newRow("a read sees only the session's companies, next to a refused statement")
        << QJsonArray{open(Companies),
                      invoke(u"EjecutarSQL"_s, {QVariantList{u"UPDATE NM_RPCOS SET VAL_CAUS = 0"_s},
                                                QVariant(), QString()})}
        << QStringList{u"[[2]]"_s, u"no ejecuta por la red esta"_s};
    QTest::newRow("a method the network does not serve")
        << QJsonArray{invoke(u"BorrarTodo"_s, {}), open(Companies)}
        << QStringList{u"no atiende por la red el método «BorrarTodo»"_s, u"[[2]]"_s};
    QTest::newRow("another company's row history")
        << QJsonArray{invoke(tavrel::RowHistoryCall::method(),
                             tavrel::RowHistoryCall::encodeRequest({1, 10, u"51010101"_s, 100}))}
        << QStringList{u"no tiene acceso a la empresa 1"_s};
    QTest::newRow("a read that calls a refused function")
        << QJsonArray{open(u"SELECT pg_sleep(5)"_s)}
        << QStringList{u"no ejecuta por la red consultas que usan pg_sleep"_s};
}

void BatchAttacks::eachCallCheckedAsAlone()
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

void BatchAttacks::malformedBatchRunsNothing_data()
{
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<bool>("withToken");
    QTest::addColumn<int>("status");

    const auto calls = [](const QJsonArray& items) {
        return QJsonDocument(QJsonObject{{u"calls"_s, items}}).toJson(QJsonDocument::Compact);
    };
    QJsonArray tooMany;
    for (int i = 0; i <= 16; ++i)
        tooMany.append(open(Companies));

    QTest::newRow("no session") << calls({open(Companies)}) << false << 401;
    QTest::newRow("more calls than a batch may carry") << calls(tooMany) << true << 400;
    QTest::newRow("an empty batch") << calls({}) << true << 400;
    // Read whole first: the read before a call the batch does not take never runs.
    QTest::newRow("an apply inside a batch")
        << calls({open(Companies), QJsonObject{{u"call"_s, u"apply"_s},
                                               {u"provider"_s, u"DtsPVeZEZev"_s},
                                               {u"rows"_s, QJsonArray()}}})
        << true << 400;
    QTest::newRow("a batch inside a batch")
        << calls({open(Companies),
                  QJsonObject{{u"call"_s, u"batch"_s}, {u"calls"_s, QJsonArray{open(Companies)}}}})
        << true << 400;
    QTest::newRow("a call that is no object") << calls({open(Companies), u"open"_s}) << true << 400;
    QTest::newRow("calls that are no list")
        << QByteArray(R"({"calls":{"call":"open"}})") << true << 400;
}

void BatchAttacks::malformedBatchRunsNothing()
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
