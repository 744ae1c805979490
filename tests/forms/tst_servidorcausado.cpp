// The caused-value run against the real application server: the statements the module
// composes, run by the database, give each relation row the sums computed here from the
// movements the test wrote.

#include "ActualizacionCausado.h"
#include "CausedMovements.h"
#include "DVeZezev.h"
#include "Database.h"
#include "IAppServer.h"
#include "ModuleError.h"
#include "SClientDataSet.h"
#include "SDCOMConnection.h"
#include "ServidorCausado.h"
#include "TestDatabase.h"
#include "Thrown.h"

#include <QTest>

using namespace Qt::StringLiterals;

using tavrel::DataPacket;
using tavrel::IAppServer;
using tavrel::ModuleError;
using namespace tavrel::test;

namespace {

QString texto(const QVariant& v)
{
    return tavrel::isNull(v) ? u"NULL"_s : QString::number(v.toDouble());
}

} // namespace

class TstServidorCausado : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void cleanupTestCase();
    void init();
    void cleanup();
    void rutaPorFecha_data();
    void rutaPorFecha();
    void rutaAnual_data();
    void rutaAnual();
    void nadaSeEscribe_data();
    void nadaSeEscribe();

private:
    void fijarFecRpco(const QVariant& valor);
    void ejecutar(const QString& usuario, const QString& digiDian,
                  const QString& formato = u"dd/MM/yyyy"_s,
                  const QDateTime& horaCliente = CausedClientTime);
    DataPacket relaciones();
    // VAL_CAUS of every row as expected, and the audit columns of this run.
    void verificar(const QVariantList& esperados, const QString& usuario);

    std::unique_ptr<TestDatabase> m_db;
    std::unique_ptr<IAppServer> m_real;
    std::unique_ptr<SDCOMConnection> m_conexion;
    QDateTime m_horaServidor;           // as the run read it
    int m_enviadas = 0;                 // EjecutarSQL calls
    std::unique_ptr<TDtmVeZezev> m_dtm; // owns the two datasets below
    SClientDataSet* m_qryNmVarig = nullptr;
    SClientDataSet* m_qryTemporal = nullptr;
};

void TstServidorCausado::initTestCase()
{
    TAVREL_SKIP_WITHOUT_POSTGRES();
    m_db = std::make_unique<TestDatabase>(TestDatabase::Content::Schema);
    m_real = m_db->appServer();
}

void TstServidorCausado::cleanupTestCase()
{
    m_real.reset();
    m_db.reset();
}

void TstServidorCausado::init()
{
    writeCausedData(*m_db);
    m_db->exec(u"DELETE FROM NM_VARIG"_s);
    m_db->exec(QStringLiteral("INSERT INTO NM_VARIG (COD_VARI, NOM_VARI, VAL_VARI) "
                              "VALUES ('FEC_RPCO', 'Año de la relación', '2013')"));

    m_horaServidor = QDateTime();
    m_enviadas = 0;
    m_conexion = std::make_unique<SDCOMConnection>();
    // The connection shares the test's server without owning it.
    m_conexion->setAppServer(std::shared_ptr<IAppServer>(m_real.get(), [](IAppServer*) {}));
    // The data module's own definitions of the two datasets, without its window.
    m_dtm = std::make_unique<TDtmVeZezev>();
    m_qryNmVarig = m_dtm->QryNmVarig;
    m_qryTemporal = m_dtm->QryTemporal;
    m_qryNmVarig->setRemoteServer(m_conexion.get());
    m_qryTemporal->setRemoteServer(m_conexion.get());
    // Open on the old setting: the run must read FEC_RPCO again.
    m_qryNmVarig->open();
}

void TstServidorCausado::cleanup()
{
    m_qryNmVarig = m_qryTemporal = nullptr;
    m_dtm.reset();
    m_conexion.reset();
}

void TstServidorCausado::fijarFecRpco(const QVariant& valor)
{
    if (valor.isValid())
        m_db->exec(u"UPDATE NM_VARIG SET VAL_VARI = :V"_s, {valor});
    else
        m_db->exec(u"DELETE FROM NM_VARIG"_s);
}

void TstServidorCausado::ejecutar(const QString& usuario, const QString& digiDian,
                                  const QString& formato, const QDateTime& horaCliente)
{
    ActualizacionCausado::Servidor s =
        ServidorCausado::puertos(*m_conexion, *m_qryNmVarig, *m_qryTemporal);
    s.fechaServidor = [this, leer = s.fechaServidor] { return m_horaServidor = leer(); };
    s.ejecutarSQL = [this, ejecutar = s.ejecutarSQL](QVariantList& arreglo, QString& error) {
        ++m_enviadas;
        return ejecutar(arreglo, error);
    };
    ActualizacionCausado::ejecutar(s, horaCliente, usuario, digiDian, formato);
}

DataPacket TstServidorCausado::relaciones()
{
    return m_real->open(u"DtsPTemporal"_s, u"SELECT * FROM NM_RPCOS ORDER BY TVL_ROWID"_s, {});
}

void TstServidorCausado::verificar(const QVariantList& esperados, const QString& usuario)
{
    const DataPacket p = relaciones();
    QCOMPARE(p.rows.size(), esperados.size());
    QVERIFY(m_horaServidor.isValid());
    const auto columna = [&p](int fila, const char* nombre) {
        return p.rows[fila][p.columnIndex(QLatin1String(nombre))];
    };
    for (int i = 0; i < p.rows.size(); ++i) {
        QCOMPARE(u"%1: %2"_s.arg(i).arg(texto(columna(i, "VAL_CAUS"))),
                 u"%1: %2"_s.arg(i).arg(texto(esperados[i])));
        // Every row is stamped, also where the caused value stays what it was.
        QCOMPARE(columna(i, "ACT_USUA").toString(), usuario);
        QCOMPARE(columna(i, "ACT_HORA").toDateTime(), m_horaServidor);
        QCOMPARE(columna(i, "ACT_ESTA").toString(), u"M"_s);
    }
}

void TstServidorCausado::rutaPorFecha_data()
{
    QTest::addColumn<QVariant>("fecRpco"); // invalid: no FEC_RPCO row
    QTest::addColumn<QString>("digiDian");
    QTest::addColumn<QString>("usuario");
    QTest::addColumn<QDateTime>("horaCliente");

    const QString n = u"N"_s;
    const QString jp = u"JPEREZ"_s;
    QTest::newRow("no FEC_RPCO row") << QVariant() << n << jp << CausedClientTime;
    QTest::newRow("null value reads as empty")
        << QVariant(QMetaType(QMetaType::QString)) << n << jp << CausedClientTime;
    QTest::newRow("zero; the flag S does not change the summed column")
        << QVariant(u"0"_s) << u"S"_s << jp << CausedClientTime;
    QTest::newRow("client time exactly on the latest movement")
        << QVariant(QString()) << n << jp << at(2014, 1, 31);
    QTest::newRow("nothing up to the client time: every value empty")
        << QVariant(u"0"_s) << n << jp << at(2012, 6, 1);
    QTest::newRow("a quote in the user code is stored as typed")
        << QVariant(QString()) << n << u"O'NEIL"_s << CausedClientTime;
}

void TstServidorCausado::rutaPorFecha()
{
    QFETCH(QVariant, fecRpco);
    QFETCH(QString, digiDian);
    QFETCH(QString, usuario);
    QFETCH(QDateTime, horaCliente);
    fijarFecRpco(fecRpco);

    ejecutar(usuario, digiDian, u"dd/MM/yyyy"_s, horaCliente);

    const QDateTime fechaContable = latestDate(horaCliente);
    QVariantList esperados;
    for (const auto& r : causedRelations())
        esperados << expectedCaused(
            r.first, [&](const QDateTime& f) { return f == fechaContable; }, false);
    verificar(esperados, usuario);
    QCOMPARE(m_enviadas, 1);
    QVERIFY(m_qryTemporal->active()); // left open with the accounting date
}

void TstServidorCausado::rutaAnual_data()
{
    QTest::addColumn<QString>("fecRpco");
    QTest::addColumn<QString>("digiDian");
    QTest::addColumn<bool>("valTran");

    const QString anio = u"2013"_s;
    QTest::newRow("S sums the transaction amount") << anio << u"S"_s << true;
    QTest::newRow("lower-case s sums the caused amount") << anio << u"s"_s << false;
    QTest::newRow("N sums the caused amount") << anio << u"N"_s << false;
    QTest::newRow("no flag read yet sums the caused amount") << anio << QString() << false;
    QTest::newRow("blanks before the year are skipped") << u"  2013"_s << u"N"_s << false;
}

void TstServidorCausado::rutaAnual()
{
    QFETCH(QString, fecRpco);
    QFETCH(QString, digiDian);
    QFETCH(bool, valTran);
    fijarFecRpco(fecRpco);

    ejecutar(u"JPEREZ"_s, digiDian);

    // From 1 January at 00:00 to 31 December at 00:00; rows without a debit get 0.
    const auto enElAnio = [](const QDateTime& f) {
        return f >= at(2013, 1, 1) && f <= at(2013, 12, 31);
    };
    QVariantList esperados;
    for (const auto& r : causedRelations()) {
        const QVariant suma = expectedCaused(r.first, enElAnio, valTran);
        esperados << (suma.isNull() ? QVariant(0.0) : suma);
    }
    verificar(esperados, u"JPEREZ"_s);
    QCOMPARE(m_enviadas, 2);
    QVERIFY(!m_qryTemporal->active());
}

void TstServidorCausado::nadaSeEscribe_data()
{
    QTest::addColumn<QString>("fecRpco");
    QTest::addColumn<QString>("formato");
    QTest::addColumn<QString>("usuario");
    QTest::addColumn<int>("enviadas");

    const QString dmy = u"dd/MM/yyyy"_s;
    const QString jp = u"JPEREZ"_s;
    QTest::newRow("a setting that is no integer") << u"abc"_s << dmy << jp << 0;
    QTest::newRow("month-first date format: 31/12 has no month 31")
        << u"2013"_s << u"MM/dd/yyyy"_s << jp << 0;
    // Ten characters do not fit ACT_USUA CHAR(8): the server refuses the statement.
    const QString largo = u"ANALISTA01"_s;
    QTest::newRow("yearly update refused: no clean-up follows") << u"2013"_s << dmy << largo << 1;
    QTest::newRow("date-path update refused") << QString() << dmy << largo << 1;
}

void TstServidorCausado::nadaSeEscribe()
{
    QFETCH(QString, fecRpco);
    QFETCH(QString, formato);
    QFETCH(QString, usuario);
    QFETCH(int, enviadas);
    fijarFecRpco(fecRpco);
    const DataPacket antes = relaciones();

    const auto error = thrownBy([&] { ejecutar(usuario, u"N"_s, formato); });
    QVERIFY(error);
    const QString prefijo = u"Error actualizando nm_rpcos.. "_s;
    if (enviadas == 0)
        QCOMPARE(error->kind(), ModuleError::Kind::Conversion);
    else
        QVERIFY2(error->message().startsWith(prefijo) && error->message().size() > prefijo.size(),
                 qPrintable(error->message()));
    QCOMPARE(m_enviadas, enviadas);
    // Also the NULL caused values are still there: no clean-up turned them into 0.
    QVERIFY(relaciones() == antes);
}

QTEST_GUILESS_MAIN(TstServidorCausado)
#include "tst_servidorcausado.moc"
