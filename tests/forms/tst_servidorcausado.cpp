// The caused-value run against the real application server: the statements the module
// composes, run by the database, give each relation row the sums computed here from the
// movements the test wrote.

#include "ActualizacionCausado.h"
#include "Database.h"
#include "LocalAppServer.h"
#include "ModuleError.h"
#include "SClientDataSet.h"
#include "SDCOMConnection.h"
#include "ServidorCausado.h"
#include "TestDatabase.h"

#include <QTest>
#include <functional>
#include <optional>

using tavrel::DataPacket;
using tavrel::IAppServer;
using tavrel::ModuleError;
using tavrel::test::TestDatabase;

namespace {

QDateTime at(int y, int m, int d, int h = 0, int min = 0)
{
    return QDateTime(QDate(y, m, d), QTime(h, min));
}

struct Relacion
{
    int empr;
    QVariant ccos; // null: the row never matches
    int cont;
    QString cuen;
};

struct Movimiento
{
    int empr;
    QVariant ccos;
    int cont;
    QString cuen;
    QDateTime fecha;
    QString naturaleza;
    double cauc;
    double tran;
};

// Company 1's latest movement up to the client time is on 31 Jan 2014; company 2's last
// one is at 23:59 on 31 Dec 2013. One movement lies after the client time.
const QList<Relacion> kRelaciones = {
    {1, 10, 100, QStringLiteral("510101")},         // movements all around the year's edges
    {1, 11, 100, QStringLiteral("510101")},         // another related code
    {1, 10, 100, QStringLiteral("510102")},         // another account, nothing in 2014
    {1, QVariant(), 100, QStringLiteral("510101")}, // no related code
    {1, 12, 101, QStringLiteral("510101")},         // no movement at all
    {2, 10, 100, QStringLiteral("510101")},         // same keys as the first, company 2
    {2, 20, 200, QStringLiteral("520101")},         // no movement at all
};

const QList<Movimiento> kMovimientos = {
    {1, 10, 100, QStringLiteral("510101"), at(2012, 12, 31, 23, 59), QStringLiteral("D"), 1, 2},
    {1, 10, 100, QStringLiteral("510101"), at(2013, 1, 1), QStringLiteral("D"), 10, 11},
    {1, 10, 100, QStringLiteral("510101"), at(2013, 6, 30), QStringLiteral("D"), 100, 101},
    {1, 10, 100, QStringLiteral("510101"), at(2013, 6, 30), QStringLiteral("C"), 5000, 5001},
    {1, 10, 100, QStringLiteral("510101"), at(2013, 12, 31), QStringLiteral("D"), 1000, 1001},
    {1, 10, 100, QStringLiteral("510101"), at(2013, 12, 31, 23, 59), QStringLiteral("D"), 20000,
     20001},
    {1, 10, 100, QStringLiteral("510101"), at(2014, 1, 31), QStringLiteral("D"), 3, 4},
    {1, 10, 100, QStringLiteral("510101"), at(2014, 1, 31), QStringLiteral("D"), 30, 40},
    {1, 10, 100, QStringLiteral("510101"), at(2014, 1, 31), QStringLiteral("C"), 7, 8},
    {1, 10, 100, QStringLiteral("510101"), at(2014, 2, 28), QStringLiteral("D"), 90000, 90000},
    {1, 11, 100, QStringLiteral("510101"), at(2013, 6, 30), QStringLiteral("D"), 200, 201},
    {1, 11, 100, QStringLiteral("510101"), at(2014, 1, 31), QStringLiteral("D"), 5, 6},
    {1, 10, 100, QStringLiteral("510102"), at(2013, 12, 31), QStringLiteral("D"), 300, 301},
    {1, QVariant(), 100, QStringLiteral("510101"), at(2013, 6, 30), QStringLiteral("D"), 400, 401},
    {1, QVariant(), 100, QStringLiteral("510101"), at(2014, 1, 31), QStringLiteral("D"), 9, 9},
    {2, 10, 100, QStringLiteral("510101"), at(2013, 6, 30), QStringLiteral("D"), 600, 601},
    {2, 10, 100, QStringLiteral("510101"), at(2013, 12, 31, 23, 59), QStringLiteral("D"), 700, 701},
};

const QDateTime kHoraCliente = at(2014, 2, 10, 8, 0);

// The sum of the row's debit movements that `cuenta` accepts; null when none counts.
QVariant sumaEsperada(const Relacion& r, const std::function<bool(const QDateTime&)>& cuenta,
                      bool valTran)
{
    std::optional<double> suma;
    for (const Movimiento& m : kMovimientos) {
        if (m.empr == r.empr && !r.ccos.isNull() && !m.ccos.isNull() && m.ccos == r.ccos &&
            m.cont == r.cont && m.cuen == r.cuen && m.naturaleza == QLatin1String("D") &&
            cuenta(m.fecha))
            suma = suma.value_or(0) + (valTran ? m.tran : m.cauc);
    }
    return suma ? QVariant(*suma) : QVariant();
}

// The real server, with a record of what reaches it and, when told, another answer to
// BuscarFechaServidor.
class ServidorEspia : public IAppServer
{
public:
    explicit ServidorEspia(IAppServer& real) : m_real(real) {}

    DataPacket open(const QString& provider, const QString& commandText,
                    const tavrel::ParamList& params) override
    {
        return m_real.open(provider, commandText, params);
    }
    QList<qint64> applyUpdates(const QString& provider, const tavrel::Delta& delta) override
    {
        return m_real.applyUpdates(provider, delta);
    }
    QVariant invoke(const QString& method, QVariantList& args) override
    {
        if (method == QLatin1String("BuscarFechaServidor") && respuestaFecha.isValid())
            return respuestaFecha;
        if (method == QLatin1String("EjecutarSQL"))
            sentencias.append(args.value(0).toList().value(0).toString());
        const QVariant respuesta = m_real.invoke(method, args);
        if (method == QLatin1String("BuscarFechaServidor"))
            horaServidor = respuesta.toDateTime();
        return respuesta;
    }
    QString description() const override { return m_real.description(); }

    QVariant respuestaFecha;
    QDateTime horaServidor;
    QStringList sentencias;

private:
    IAppServer& m_real;
};

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
    void sinConversionNoSeEscribe_data();
    void sinConversionNoSeEscribe();
    void falloDelServidorNoCambiaNada_data();
    void falloDelServidorNoCambiaNada();

private:
    void fijarFecRpco(const QVariant& valor, bool conFila = true);
    void ejecutar(const QString& usuario, const QString& digiDian,
                  const QString& formato = QStringLiteral("dd/MM/yyyy"),
                  const QDateTime& horaCliente = kHoraCliente);
    DataPacket relaciones();
    // VAL_CAUS of every row as expected, and the audit columns of this run.
    void verificar(const QVariantList& esperados, const QString& usuario);

    std::unique_ptr<TestDatabase> m_db;
    std::unique_ptr<IAppServer> m_real;
    std::shared_ptr<ServidorEspia> m_espia;
    std::unique_ptr<SDCOMConnection> m_conexion;
    std::unique_ptr<SClientDataSet> m_qryNmVarig;
    std::unique_ptr<SClientDataSet> m_qryTemporal;
};

void TstServidorCausado::initTestCase()
{
    TAVREL_SKIP_WITHOUT_POSTGRES();
    m_db = std::make_unique<TestDatabase>(TestDatabase::Content::Schema);
    m_real = tavrel::LocalAppServer::connect(m_db->url());
}

void TstServidorCausado::cleanupTestCase()
{
    m_real.reset();
    m_db.reset();
}

void TstServidorCausado::init()
{
    // One transaction: a commit per row would make the SQLite run wait on the disk.
    m_db->database().transaction([this] {
        for (const char* tabla : {"NM_RPCOS", "NM_NCMOV", "NM_VARIG"})
            m_db->exec(QStringLiteral("DELETE FROM %1").arg(QLatin1String(tabla)));
        for (const Relacion& r : kRelaciones)
            m_db->exec(
                QStringLiteral("INSERT INTO NM_RPCOS (ACT_USUA, ACT_HORA, ACT_ESTA, COD_EMPR, "
                               "COD_CCOS, COD_CONT, COD_CUEN, VAL_TOTA, VAL_CAUS) VALUES "
                               "('ANTES', :H, 'A', :E, :C, :O, :U, 5000, NULL)"),
                {at(2010, 1, 1, 9, 30), r.empr, r.ccos, r.cont, r.cuen});
        for (const Movimiento& m : kMovimientos)
            m_db->exec(
                QStringLiteral("INSERT INTO NM_NCMOV (COD_EMPR, COD_CCOS, COD_CONT, COD_CUEN, "
                               "FEC_PROC, NAT_TRAN, VAL_CAUC, VAL_TRAN) VALUES "
                               "(:E, :C, :O, :U, :F, :N, :V, :T)"),
                {m.empr, m.ccos, m.cont, m.cuen, m.fecha, m.naturaleza, m.cauc, m.tran});
        m_db->exec(QStringLiteral("INSERT INTO NM_VARIG (COD_VARI, NOM_VARI, VAL_VARI) "
                                  "VALUES ('FEC_RPCO', 'Año de la relación', '2013')"));
    });

    m_espia = std::make_shared<ServidorEspia>(*m_real);
    m_conexion = std::make_unique<SDCOMConnection>();
    m_conexion->setAppServer(m_espia);
    m_qryNmVarig = std::make_unique<SClientDataSet>();
    m_qryTemporal = std::make_unique<SClientDataSet>();
    ServidorCausado::prepararQryNmVarig(*m_qryNmVarig);
    ServidorCausado::prepararQryTemporal(*m_qryTemporal);
    m_qryNmVarig->setRemoteServer(m_conexion.get());
    m_qryTemporal->setRemoteServer(m_conexion.get());
    // Open on the old setting: the run must read FEC_RPCO again.
    m_qryNmVarig->open();
}

void TstServidorCausado::cleanup()
{
    m_qryTemporal.reset();
    m_qryNmVarig.reset();
    m_conexion.reset();
    m_espia.reset();
}

void TstServidorCausado::fijarFecRpco(const QVariant& valor, bool conFila)
{
    if (conFila)
        m_db->exec(QStringLiteral("UPDATE NM_VARIG SET VAL_VARI = :V WHERE COD_VARI = 'FEC_RPCO'"),
                   {valor});
    else
        m_db->exec(QStringLiteral("DELETE FROM NM_VARIG"));
}

void TstServidorCausado::ejecutar(const QString& usuario, const QString& digiDian,
                                  const QString& formato, const QDateTime& horaCliente)
{
    ActualizacionCausado::ejecutar(
        ServidorCausado::puertos(*m_conexion, *m_qryNmVarig, *m_qryTemporal), horaCliente, usuario,
        digiDian, formato);
}

DataPacket TstServidorCausado::relaciones()
{
    return m_real->open(QStringLiteral("DtsPTemporal"),
                        QStringLiteral("SELECT * FROM NM_RPCOS ORDER BY TVL_ROWID"), {});
}

void TstServidorCausado::verificar(const QVariantList& esperados, const QString& usuario)
{
    const DataPacket p = relaciones();
    QCOMPARE(p.rows.size(), esperados.size());
    QVERIFY(m_espia->horaServidor.isValid());
    for (int i = 0; i < p.rows.size(); ++i) {
        const QVariantList& fila = p.rows[i];
        const QVariant valCaus = fila[p.columnIndex(QStringLiteral("VAL_CAUS"))];
        QVERIFY2(tavrel::isNull(valCaus) == tavrel::isNull(esperados[i]) &&
                     valCaus.toDouble() == esperados[i].toDouble(),
                 qPrintable(QStringLiteral("row %1: VAL_CAUS %2, expected %3")
                                .arg(i)
                                .arg(valCaus.isNull() ? QStringLiteral("NULL") : valCaus.toString(),
                                     esperados[i].isNull() ? QStringLiteral("NULL")
                                                           : esperados[i].toString())));
        // Every row is stamped, also where the caused value stays what it was.
        QCOMPARE(fila[p.columnIndex(QStringLiteral("ACT_USUA"))].toString(), usuario);
        QCOMPARE(fila[p.columnIndex(QStringLiteral("ACT_HORA"))].toDateTime(),
                 m_espia->horaServidor);
        QCOMPARE(fila[p.columnIndex(QStringLiteral("ACT_ESTA"))].toString(), QStringLiteral("M"));
    }
}

void TstServidorCausado::rutaPorFecha_data()
{
    QTest::addColumn<QVariant>("fecRpco"); // an invalid QVariant: no FEC_RPCO row
    QTest::addColumn<QString>("digiDian");
    QTest::addColumn<QString>("usuario");
    QTest::addColumn<QDateTime>("horaCliente");

    const QString jperez = QStringLiteral("JPEREZ");
    QTest::newRow("no FEC_RPCO row") << QVariant() << QStringLiteral("N") << jperez << kHoraCliente;
    QTest::newRow("empty value") << QVariant(QString()) << QStringLiteral("N") << jperez
                                 << kHoraCliente;
    QTest::newRow("null value reads as empty")
        << QVariant(QMetaType(QMetaType::QString)) << QStringLiteral("N") << jperez << kHoraCliente;
    QTest::newRow("zero; the flag S does not change the summed column")
        << QVariant(QStringLiteral("0")) << QStringLiteral("S") << jperez << kHoraCliente;
    QTest::newRow("negative") << QVariant(QStringLiteral("-1")) << QStringLiteral("N") << jperez
                              << kHoraCliente;
    QTest::newRow("client time exactly on the latest movement")
        << QVariant(QString()) << QStringLiteral("N") << jperez << at(2014, 1, 31);
    QTest::newRow("nothing up to the client time: every value empty")
        << QVariant(QStringLiteral("0")) << QStringLiteral("N") << jperez << at(2012, 6, 1);
    QTest::newRow("a quote in the user code is stored as typed")
        << QVariant(QString()) << QStringLiteral("N") << QStringLiteral("O'NEIL") << kHoraCliente;
}

void TstServidorCausado::rutaPorFecha()
{
    QFETCH(QVariant, fecRpco);
    QFETCH(QString, digiDian);
    QFETCH(QString, usuario);
    QFETCH(QDateTime, horaCliente);
    fijarFecRpco(fecRpco, fecRpco.isValid());

    ejecutar(usuario, digiDian, QStringLiteral("dd/MM/yyyy"), horaCliente);

    // The latest processing date not after the client time, over every company.
    QDateTime fechaContable;
    for (const Movimiento& m : kMovimientos) {
        if (m.fecha <= horaCliente && (!fechaContable.isValid() || m.fecha > fechaContable))
            fechaContable = m.fecha;
    }
    if (!fechaContable.isValid())
        fechaContable = horaCliente;
    QVariantList esperados;
    for (const Relacion& r : kRelaciones)
        esperados << sumaEsperada(
            r, [&](const QDateTime& f) { return f == fechaContable; }, false);
    verificar(esperados, usuario);
    QCOMPARE(m_espia->sentencias.size(), 1);
    QVERIFY(m_qryTemporal->active()); // left open with the accounting date
}

void TstServidorCausado::rutaAnual_data()
{
    QTest::addColumn<QString>("digiDian");
    QTest::addColumn<bool>("valTran");

    QTest::newRow("S sums the transaction amount") << QStringLiteral("S") << true;
    QTest::newRow("lower-case s sums the caused amount") << QStringLiteral("s") << false;
    QTest::newRow("N sums the caused amount") << QStringLiteral("N") << false;
    QTest::newRow("no flag read yet sums the caused amount") << QString() << false;
}

void TstServidorCausado::rutaAnual()
{
    QFETCH(QString, digiDian);
    QFETCH(bool, valTran);

    ejecutar(QStringLiteral("JPEREZ"), digiDian);

    // From 1 January at 00:00 to 31 December at 00:00; rows without a debit get 0.
    const auto enElAnio = [](const QDateTime& f) {
        return f >= at(2013, 1, 1) && f <= at(2013, 12, 31);
    };
    QVariantList esperados;
    for (const Relacion& r : kRelaciones) {
        const QVariant suma = sumaEsperada(r, enElAnio, valTran);
        esperados << (suma.isNull() ? QVariant(0.0) : suma);
    }
    verificar(esperados, QStringLiteral("JPEREZ"));
    QCOMPARE(m_espia->sentencias.size(), 2);
    QVERIFY(!m_qryTemporal->active());
}

void TstServidorCausado::sinConversionNoSeEscribe_data()
{
    QTest::addColumn<QString>("fecRpco");
    QTest::addColumn<QString>("formato");
    QTest::addColumn<QVariant>("respuestaFecha");

    QTest::newRow("a setting that is no integer")
        << QStringLiteral("abc") << QStringLiteral("dd/MM/yyyy") << QVariant();
    QTest::newRow("month-first date format: 31/12 has no month 31")
        << QStringLiteral("2013") << QStringLiteral("MM/dd/yyyy") << QVariant();
    QTest::newRow("a server time that is no date-time")
        << QStringLiteral("2013") << QStringLiteral("dd/MM/yyyy")
        << QVariant(QStringLiteral("pronto"));
}

void TstServidorCausado::sinConversionNoSeEscribe()
{
    QFETCH(QString, fecRpco);
    QFETCH(QString, formato);
    QFETCH(QVariant, respuestaFecha);
    fijarFecRpco(fecRpco);
    m_espia->respuestaFecha = respuestaFecha;
    const DataPacket antes = relaciones();

    try {
        ejecutar(QStringLiteral("JPEREZ"), QStringLiteral("S"), formato);
        QFAIL("the run went through");
    } catch (const ModuleError& e) {
        QCOMPARE(e.kind(), ModuleError::Kind::Conversion);
    }
    QVERIFY(m_espia->sentencias.isEmpty());
    QVERIFY(relaciones() == antes);
}

void TstServidorCausado::falloDelServidorNoCambiaNada_data()
{
    QTest::addColumn<QString>("fecRpco");

    QTest::newRow("yearly update: no clean-up follows") << QStringLiteral("2013");
    QTest::newRow("date-path update") << QString();
}

void TstServidorCausado::falloDelServidorNoCambiaNada()
{
    QFETCH(QString, fecRpco);
    fijarFecRpco(fecRpco);
    const DataPacket antes = relaciones();

    // Ten characters do not fit ACT_USUA CHAR(8); the server refuses the statement.
    try {
        ejecutar(QStringLiteral("ANALISTA01"), QStringLiteral("N"));
        QFAIL("the failure was not reported");
    } catch (const ModuleError& e) {
        const QString prefijo = QStringLiteral("Error actualizando nm_rpcos.. ");
        QVERIFY2(e.message().startsWith(prefijo) && e.message().size() > prefijo.size(),
                 qPrintable(e.message()));
    }
    QCOMPARE(m_espia->sentencias.size(), 1);
    // The NULL caused values are still there: no clean-up turned them into 0.
    QVERIFY(relaciones() == antes);
}

QTEST_GUILESS_MAIN(TstServidorCausado)
#include "tst_servidorcausado.moc"
