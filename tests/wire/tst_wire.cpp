#include "BodyCompression.h"
#include "Thrown.h"
#include "WireMessages.h"
#include "WireValue.h"

#include <QDateTime>
#include <QJsonDocument>
#include <QTest>
#include <cstring>
#include <limits>

using namespace Qt::StringLiterals;

using namespace tavrel;

namespace {

// Everything goes through JSON text, as on the wire.
QJsonValue overTheWire(const QJsonValue& value)
{
    const QByteArray text = QJsonDocument(QJsonArray{value}).toJson(QJsonDocument::Compact);
    return QJsonDocument::fromJson(text).array().at(0);
}

bool sameValue(const QVariant& a, const QVariant& b)
{
    if (a.typeId() != b.typeId())
        return false;
    if (a.typeId() == QMetaType::Double) {
        const double x = a.toDouble(), y = b.toDouble();
        return std::memcmp(&x, &y, sizeof x) == 0;
    }
    if (a.typeId() == QMetaType::QVariantList) {
        const QVariantList l = a.toList(), m = b.toList();
        return l.size() == m.size() && std::equal(l.begin(), l.end(), m.begin(), sameValue);
    }
    return a == b;
}

const QDateTime Noon(QDate(2026, 12, 6), QTime(12, 30, 45, 123));

} // namespace

class TstWire : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void taggedValuesComeBackExactly_data();
    void taggedValuesComeBackExactly();
    void packetsParamsAndDeltasRoundTrip();
    void malformedBodiesAreRefused_data();
    void malformedBodiesAreRefused();
    void errorsKeepKindAndMessage();
    void gzipOnlyWhereTheClientTakesIt_data();
    void gzipOnlyWhereTheClientTakesIt();
};

void TstWire::taggedValuesComeBackExactly_data()
{
    QTest::addColumn<QVariant>("value");
    QTest::newRow("null is not empty text") << QVariant();
    QTest::newRow("empty text is not null") << QVariant(QString(""));
    QTest::newRow("accents and quotes") << QVariant(u"Año \"fiscal\" ñ"_s);
    QTest::newRow("16-bit stays 16-bit") << QVariant::fromValue(short(-32768));
    QTest::newRow("32-bit stays 32-bit") << QVariant(2147483647);
    QTest::newRow("64-bit beyond what a double holds") << QVariant(qlonglong(9007199254740993LL));
    QTest::newRow("0.1 bit for bit") << QVariant(0.1);
    QTest::newRow("smallest denormal") << QVariant(4.9406564584124654e-324);
    QTest::newRow("minus zero keeps its sign") << QVariant(-0.0);
    QTest::newRow("NaN has no JSON number") << QVariant(std::numeric_limits<double>::quiet_NaN());
    QTest::newRow("date-time to the millisecond, local") << QVariant(Noon);
    QTest::newRow("date-time given in UTC arrives local") << QVariant(Noon.toUTC());
    QTest::newRow("date-time whose UTC date has five digits travels with its offset")
        << QVariant(QDateTime(QDate(9999, 12, 31), QTime(23, 59, 59, 999)));
    QTest::newRow("date only") << QVariant(QDate(2013, 12, 31));
    QTest::newRow("blob with zero and non-UTF-8 bytes")
        << QVariant(QByteArray("\x00\xff\xfe\x01", 4));
    QTest::newRow("boolean") << QVariant(false);
    QTest::newRow("nested list of mixed values, as EjecutarSQL sends")
        << QVariant(QVariantList{u"UPDATE"_s, 5, QVariantList{QVariant(), 2.5}});
}

void TstWire::taggedValuesComeBackExactly()
{
    QFETCH(QVariant, value);
    const QVariant back = WireValue::decodeTagged(overTheWire(WireValue::encodeTagged(value)));
    const QVariant expected =
        value.typeId() == QMetaType::QDateTime ? QVariant(value.toDateTime().toLocalTime()) : value;
    QVERIFY2(sameValue(back, expected), qPrintable(back.toString()));
    if (value.typeId() == QMetaType::QDateTime)
        QCOMPARE(back.toDateTime().timeSpec(), Qt::LocalTime);
}

void TstWire::packetsParamsAndDeltasRoundTrip()
{
    DataPacket packet;
    packet.columns = {{"COD_EMPR", FieldType::SmallInt, 0},  {"NOM_CONC", FieldType::String, 60},
                      {"VAL_TOTA", FieldType::Float, 0},     {"FEC_ACTU", FieldType::DateTime, 0},
                      {"LOGO", FieldType::Blob, 0},          {"ACTIVO", FieldType::Boolean, 0},
                      {"COD_SITU", FieldType::FixedChar, 2}, {"NUM_REGI", FieldType::LargeInt, 0}};
    packet.rows = {
        {2, u"Sueldo básico"_s, 1234567.89, Noon, QByteArray("\x89PNG", 4), true, u"1"_s,
         qlonglong(1) << 40},
        {3, QString(""), QVariant(), QVariant(), QVariant(), QVariant(), QVariant(), QVariant()},
        // What the packet writer must escape, and values at the edges of their types.
        {-32768, QString::fromUtf16(u"\"a\\b\"\n\t\x01 \u00f1 \U0001F600 \xD800"),
         std::numeric_limits<double>::infinity(), Noon, QByteArray("\0\xff", 2), false, u"\x7f"_s,
         std::numeric_limits<qlonglong>::max()}};
    packet.rowKeys = {7, 8, std::numeric_limits<qint64>::min()};
    const QJsonObject body = QJsonDocument::fromJson(WireMessages::writePacket(packet)).object();
    QCOMPARE(WireMessages::decodePacket(body), packet);
    QVERIFY(WireMessages::decodePacket(body).rows[1][1].toString().isEmpty());
    QVERIFY(!WireMessages::decodePacket(body).rows[1][1].isNull());

    const ParamList params{{"P_COD_EMPR", 2, FieldType::SmallInt},
                           {"P_FECHA", Noon, FieldType::DateTime},
                           {"P_NADA", QVariant(), FieldType::String}};
    const ParamList paramsBack =
        WireMessages::decodeParams(overTheWire(WireMessages::encodeParams(params)));
    QCOMPARE(paramsBack.size(), 3);
    for (int i = 0; i < 3; ++i) {
        QCOMPARE(paramsBack[i].name, params[i].name);
        QCOMPARE(paramsBack[i].type, params[i].type);
        QCOMPARE(paramsBack[i].value, params[i].value);
    }

    Delta delta;
    delta.rows = {{DeltaRow::Kind::Modify,
                   7,
                   {{"VAL_TOTA", 1.5}, {"NOM_CONC", QVariant()}},
                   {{"VAL_TOTA", 2.5}}},
                  {DeltaRow::Kind::Insert, -1, {}, {{"COD_EMPR", QVariant::fromValue(short(2))}}},
                  {DeltaRow::Kind::Delete, 8, {{"COD_EMPR", 3}}, {}}};
    const Delta deltaBack =
        WireMessages::decodeDelta(overTheWire(WireMessages::encodeDelta(delta)));
    QCOMPARE(deltaBack.rows.size(), 3);
    for (int i = 0; i < 3; ++i) {
        QCOMPARE(deltaBack.rows[i].kind, delta.rows[i].kind);
        QCOMPARE(deltaBack.rows[i].rowKey, delta.rows[i].rowKey);
        QCOMPARE(deltaBack.rows[i].original, delta.rows[i].original);
        QCOMPARE(deltaBack.rows[i].values, delta.rows[i].values);
    }
    QVERIFY(!deltaBack.rows[0].original.value("NOM_CONC").isValid());
}

void TstWire::malformedBodiesAreRefused_data()
{
    QTest::addColumn<QByteArray>("packet");
    QTest::addColumn<QString>("message");
    const QByteArray small = R"({"fields":[{"name":"A","type":"smallint"}],"rows":)";
    QTest::newRow("no rows") << QByteArray(R"({"fields":[]})") << "falta 'rows'";
    QTest::newRow("unknown column type")
        << QByteArray(R"({"fields":[{"name":"A","type":"money"}],"rows":[]})")
        << "tipo de campo desconocido 'money'";
    QTest::newRow("row shorter than the fields") << small + "[[]]}"
                                                 << "una fila tiene 0 valores y hay 1 campos";
    QTest::newRow("40000 does not fit 16 bits") << small + "[[40000]]}"
                                                << "40000 no es un entero entre -32768 y 32767";
    QTest::newRow("1.5 is not an integer") << small + "[[1.5]]}"
                                           << "1.5 no es un entero";
    QTest::newRow("text where a number goes") << small + R"([["7"]]})"
                                              << "\"7\" no es un entero";
    QTest::newRow("date-time without a zone is ambiguous")
        << QByteArray(
               R"({"fields":[{"name":"F","type":"datetime"}],"rows":[["2026-12-06T12:00:00"]]})")
        << "no es una fecha y hora con zona";
    QTest::newRow("date-time before year 1 here and in UTC")
        << QByteArray(
               R"({"fields":[{"name":"F","type":"datetime"}],"rows":[["0001-01-01T00:00:00.000+14:00"]]})")
        << "está fuera del rango de fechas";
    QTest::newRow("broken base 64")
        << QByteArray(R"({"fields":[{"name":"B","type":"blob"}],"rows":[["%%%"]]})")
        << "no es un binario en base 64";
    QTest::newRow("fewer keys than rows") << small + R"([[1],[2]],"keys":[5]})"
                                          << "hay 1 claves para 2 filas";
}

void TstWire::malformedBodiesAreRefused()
{
    QFETCH(QByteArray, packet);
    QFETCH(QString, message);
    const auto error =
        thrownBy([&] { WireMessages::decodePacket(QJsonDocument::fromJson(packet).object()); });
    QVERIFY(mentions(error, {message}));
    QCOMPARE(error->kind(), ModuleError::Kind::Conversion);
    QVERIFY(error->message().startsWith(u"Mensaje mal formado: "_s));
    // Untagged numbers and unknown tags in call arguments are refused the same way.
    for (const char* args : {"[5]", R"([{"money":5}])", R"([{"i32":1,"i64":2}])"})
        QVERIFY_THROWS_EXCEPTION(
            ModuleError, WireMessages::decodeArguments(QJsonDocument::fromJson(args).array()));
}

void TstWire::errorsKeepKindAndMessage()
{
    const ModuleError conflict(u"El registro fue cambiado por otro usuario"_s,
                               ModuleError::Kind::Conflict);
    const ModuleError back = WireMessages::decodeError(WireMessages::encodeError(conflict));
    QCOMPARE(back.kind(), ModuleError::Kind::Conflict);
    QCOMPARE(back.message(), conflict.message());
    QCOMPARE(WireMessages::httpStatus(ModuleError::Kind::Conflict), 409);
    QCOMPARE(WireMessages::httpStatus(ModuleError::Kind::Refusal), 422);
    QVERIFY(WireMessages::decodeError(WireMessages::encodeError(ModuleError::abort())).isSilent());
    const QJsonObject unknownKind{{"error", QJsonObject{{"kind", "odd"}, {"message", "x"}}}};
    QCOMPARE(WireMessages::decodeError(unknownKind).kind(), ModuleError::Kind::Server);
}

void TstWire::gzipOnlyWhereTheClientTakesIt_data()
{
    // An answer in gzip to a client that did not ask for it is unreadable to it.
    QTest::addColumn<QByteArray>("acceptEncoding");
    QTest::addColumn<bool>("takes");
    QTest::newRow("asked for nothing") << QByteArray() << false;
    QTest::newRow("identity only") << QByteArray("identity") << false;
    QTest::newRow("brotli only") << QByteArray("br") << false;
    QTest::newRow("among others") << QByteArray("br, gzip, deflate") << true;
    QTest::newRow("names are not case-sensitive") << QByteArray("GZip") << true;
    QTest::newRow("the old name") << QByteArray("x-gzip") << true;
    QTest::newRow("with a weight") << QByteArray("gzip;q=0.5, identity") << true;
    QTest::newRow("weight 0 refuses it") << QByteArray("gzip; q=0, identity") << false;
    QTest::newRow("weight 0.000 too") << QByteArray("gzip;q=0.000") << false;
    QTest::newRow("a longer name is another coding") << QByteArray("gzipped") << false;
}

void TstWire::gzipOnlyWhereTheClientTakesIt()
{
    QFETCH(QByteArray, acceptEncoding);
    QFETCH(bool, takes);
    QCOMPARE(BodyCompression::acceptsGzip(acceptEncoding.toStdString()), takes);
}

QTEST_GUILESS_MAIN(TstWire)
#include "tst_wire.moc"
