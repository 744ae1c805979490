// The caused-value run against the real application server: the statements the module
// composes, run by the database, give each relation row the sums computed here from the
// movements the test wrote.

#include "ActualizacionCausado.h"
#include "DVeZezev.h"
#include "Database.h"
#include "IAppServer.h"
#include "ModuleError.h"
#include "SClientDataSet.h"
#include "SDCOMConnection.h"
#include "ServidorCausado.h"
#include "TestDatabase.h"

#include <QTest>
#include <functional>

using tavrel::DataPacket;
using tavrel::IAppServer;
using tavrel::ModuleError;
using tavrel::test::TestDatabase;

namespace {

QDateTime at(int y, int m, int d, int h = 0, int min = 0)
{
    return QDateTime(QDate(y, m, d), QTime(h, min));
}

struct Clave
{
    int empr;
    QVariant ccos; // null never matches
    int cont;
    QString cuen;
};

struct Movimiento
{
    Clave clave;
    QDateTime fecha;
    char naturaleza;
    double cauc, tran;
};

const Clave kBorde{1, 10, 100, QStringLiteral("510101")}; // movements around the year's edges
const Clave kOtroCodigo{1, 11, 100, QStringLiteral("510101")};
const Clave kOtraCuenta{1, 10, 100, QStringLiteral("510102")}; // nothing on the latest date
const Clave kSinCodigo{1, QVariant(), 100, QStringLiteral("510101")};
const Clave kSinMovimiento{1, 12, 101, QStringLiteral("510101")};
const Clave kEmpresa2{2, 10, 100, QStringLiteral("510101")}; // its last date is older
const Clave kEmpresa2Sin{2, 20, 200, QStringLiteral("520101")};

const QList<Clave> kRelaciones = {kBorde,         kOtroCodigo, kOtraCuenta, kSinCodigo,
                                  kSinMovimiento, kEmpresa2,   kEmpresa2Sin};

// The latest date up to the client time is 31 Jan 2014 (company 1 only); one movement
// lies after the client time.
const QList<Movimiento> kMovimientos = {
    {kBorde, at(2012, 12, 31, 23, 59), 'D', 1, 2},
    {kBorde, at(2013, 1, 1), 'D', 10, 11},
    {kBorde, at(2013, 6, 30), 'D', 100, 101},
    {kBorde, at(2013, 6, 30), 'C', 5000, 5001},
    {kBorde, at(2013, 12, 31), 'D', 1000, 1001},
    {kBorde, at(2013, 12, 31, 23, 59), 'D', 20000, 20001},
    {kBorde, at(2014, 1, 31), 'D', 3, 4},
    {kBorde, at(2014, 1, 31), 'D', 30, 40},
    {kBorde, at(2014, 1, 31), 'C', 7, 8},
    {kBorde, at(2014, 2, 28), 'D', 90000, 90000},
    {kOtroCodigo, at(2013, 6, 30), 'D', 200, 201},
    {kOtroCodigo, at(2014, 1, 31), 'D', 5, 6},
    {kOtraCuenta, at(2013, 12, 31), 'D', 300, 301},
    {kSinCodigo, at(2013, 6, 30), 'D', 400, 401},
    {kSinCodigo, at(2014, 1, 31), 'D', 9, 9},
    {kEmpresa2, at(2013, 6, 30), 'D', 600, 601},
    {kEmpresa2, at(2013, 12, 31, 23, 59), 'D', 700, 701},
};

const QDateTime kHoraCliente = at(2014, 2, 10, 8, 0);

bool coincide(const Clave& a, const Clave& b)
{
    return a.empr == b.empr && !a.ccos.isNull() && !b.ccos.isNull() && a.ccos == b.ccos &&
           a.cont == b.cont && a.cuen == b.cuen;
}

// The sum of the row's debit movements that `cuenta` accepts; null when none counts.
QVariant sumaEsperada(const Clave& r, const std::function<bool(const QDateTime&)>& cuenta,
                      bool valTran)
{
    QVariant suma;
    for (const Movimiento& m : kMovimientos) {
        if (coincide(m.clave, r) && m.naturaleza == 'D' && cuenta(m.fecha))
            suma = suma.toDouble() + (valTran ? m.tran : m.cauc);
    }
    return suma;
}

QString texto(const QVariant& v)
{
    return tavrel::isNull(v) ? QStringLiteral("NULL") : QString::number(v.toDouble());
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
                  const QString& formato = QStringLiteral("dd/MM/yyyy"),
                  const QDateTime& horaCliente = kHoraCliente);
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
    // One transaction: a commit per row would make the SQLite run wait on the disk.
    m_db->database().transaction([this] {
        for (const char* tabla : {"NM_RPCOS", "NM_NCMOV", "NM_VARIG"})
            m_db->exec(QStringLiteral("DELETE FROM %1").arg(QLatin1String(tabla)));
        for (const Clave& r : kRelaciones)
            m_db->exec(QStringLiteral("INSERT INTO NM_RPCOS (ACT_USUA, ACT_HORA, ACT_ESTA, "
                                      "COD_EMPR, COD_CCOS, COD_CONT, COD_CUEN, VAL_CAUS) "
                                      "VALUES ('ANTES', :H, 'A', :E, :C, :O, :U, NULL)"),
                       {at(2010, 1, 1, 9, 30), r.empr, r.ccos, r.cont, r.cuen});
        for (const Movimiento& m : kMovimientos)
            m_db->exec(QStringLiteral("INSERT INTO NM_NCMOV (COD_EMPR, COD_CCOS, COD_CONT, "
                                      "COD_CUEN, FEC_PROC, NAT_TRAN, VAL_CAUC, VAL_TRAN) "
                                      "VALUES (:E, :C, :O, :U, :F, :N, :V, :T)"),
                       {m.clave.empr, m.clave.ccos, m.clave.cont, m.clave.cuen, m.fecha,
                        QString(QLatin1Char(m.naturaleza)), m.cauc, m.tran});
        m_db->exec(QStringLiteral("INSERT INTO NM_VARIG (COD_VARI, NOM_VARI, VAL_VARI) "
                                  "VALUES ('FEC_RPCO', 'Año de la relación', '2013')"));
    });

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
        m_db->exec(QStringLiteral("UPDATE NM_VARIG SET VAL_VARI = :V"), {valor});
    else
        m_db->exec(QStringLiteral("DELETE FROM NM_VARIG"));
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
    return m_real->open(QStringLiteral("DtsPTemporal"),
                        QStringLiteral("SELECT * FROM NM_RPCOS ORDER BY TVL_ROWID"), {});
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
        QCOMPARE(QStringLiteral("%1: %2").arg(i).arg(texto(columna(i, "VAL_CAUS"))),
                 QStringLiteral("%1: %2").arg(i).arg(texto(esperados[i])));
        // Every row is stamped, also where the caused value stays what it was.
        QCOMPARE(columna(i, "ACT_USUA").toString(), usuario);
        QCOMPARE(columna(i, "ACT_HORA").toDateTime(), m_horaServidor);
        QCOMPARE(columna(i, "ACT_ESTA").toString(), QStringLiteral("M"));
    }
}

void TstServidorCausado::rutaPorFecha_data()
{
    QTest::addColumn<QVariant>("fecRpco"); // invalid: no FEC_RPCO row
    QTest::addColumn<QString>("digiDian");
    QTest::addColumn<QString>("usuario");
    QTest::addColumn<QDateTime>("horaCliente");

    const QString n = QStringLiteral("N");
    const QString jp = QStringLiteral("JPEREZ");
    QTest::newRow("no FEC_RPCO row") << QVariant() << n << jp << kHoraCliente;
    QTest::newRow("null value reads as empty")
        << QVariant(QMetaType(QMetaType::QString)) << n << jp << kHoraCliente;
    QTest::newRow("zero; the flag S does not change the summed column")
        << QVariant(QStringLiteral("0")) << QStringLiteral("S") << jp << kHoraCliente;
    QTest::newRow("client time exactly on the latest movement")
        << QVariant(QString()) << n << jp << at(2014, 1, 31);
    QTest::newRow("nothing up to the client time: every value empty")
        << QVariant(QStringLiteral("0")) << n << jp << at(2012, 6, 1);
    QTest::newRow("a quote in the user code is stored as typed")
        << QVariant(QString()) << n << QStringLiteral("O'NEIL") << kHoraCliente;
}

void TstServidorCausado::rutaPorFecha()
{
    QFETCH(QVariant, fecRpco);
    QFETCH(QString, digiDian);
    QFETCH(QString, usuario);
    QFETCH(QDateTime, horaCliente);
    fijarFecRpco(fecRpco);

    ejecutar(usuario, digiDian, QStringLiteral("dd/MM/yyyy"), horaCliente);

    // The latest processing date not after the client time, over every company.
    QDateTime fechaContable = horaCliente;
    QDateTime ultima;
    for (const Movimiento& m : kMovimientos) {
        if (m.fecha <= horaCliente && (!ultima.isValid() || m.fecha > ultima))
            fechaContable = ultima = m.fecha;
    }
    QVariantList esperados;
    for (const Clave& r : kRelaciones)
        esperados << sumaEsperada(
            r, [&](const QDateTime& f) { return f == fechaContable; }, false);
    verificar(esperados, usuario);
    QCOMPARE(m_enviadas, 1);
    QVERIFY(m_qryTemporal->active()); // left open with the accounting date
}

void TstServidorCausado::rutaAnual_data()
{
    QTest::addColumn<QString>("fecRpco");
    QTest::addColumn<QString>("digiDian");
    QTest::addColumn<bool>("valTran");

    const QString anio = QStringLiteral("2013");
    QTest::newRow("S sums the transaction amount") << anio << QStringLiteral("S") << true;
    QTest::newRow("lower-case s sums the caused amount") << anio << QStringLiteral("s") << false;
    QTest::newRow("N sums the caused amount") << anio << QStringLiteral("N") << false;
    QTest::newRow("no flag read yet sums the caused amount") << anio << QString() << false;
    QTest::newRow("blanks before the year are skipped")
        << QStringLiteral("  2013") << QStringLiteral("N") << false;
}

void TstServidorCausado::rutaAnual()
{
    QFETCH(QString, fecRpco);
    QFETCH(QString, digiDian);
    QFETCH(bool, valTran);
    fijarFecRpco(fecRpco);

    ejecutar(QStringLiteral("JPEREZ"), digiDian);

    // From 1 January at 00:00 to 31 December at 00:00; rows without a debit get 0.
    const auto enElAnio = [](const QDateTime& f) {
        return f >= at(2013, 1, 1) && f <= at(2013, 12, 31);
    };
    QVariantList esperados;
    for (const Clave& r : kRelaciones) {
        const QVariant suma = sumaEsperada(r, enElAnio, valTran);
        esperados << (suma.isNull() ? QVariant(0.0) : suma);
    }
    verificar(esperados, QStringLiteral("JPEREZ"));
    QCOMPARE(m_enviadas, 2);
    QVERIFY(!m_qryTemporal->active());
}

void TstServidorCausado::nadaSeEscribe_data()
{
    QTest::addColumn<QString>("fecRpco");
    QTest::addColumn<QString>("formato");
    QTest::addColumn<QString>("usuario");
    QTest::addColumn<int>("enviadas");

    const QString dmy = QStringLiteral("dd/MM/yyyy");
    const QString jp = QStringLiteral("JPEREZ");
    QTest::newRow("a setting that is no integer") << QStringLiteral("abc") << dmy << jp << 0;
    QTest::newRow("month-first date format: 31/12 has no month 31")
        << QStringLiteral("2013") << QStringLiteral("MM/dd/yyyy") << jp << 0;
    // Ten characters do not fit ACT_USUA CHAR(8): the server refuses the statement.
    const QString largo = QStringLiteral("ANALISTA01");
    QTest::newRow("yearly update refused: no clean-up follows")
        << QStringLiteral("2013") << dmy << largo << 1;
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

    try {
        ejecutar(usuario, QStringLiteral("N"), formato);
        QFAIL("the run went through");
    } catch (const ModuleError& e) {
        const QString prefijo = QStringLiteral("Error actualizando nm_rpcos.. ");
        if (enviadas == 0)
            QCOMPARE(e.kind(), ModuleError::Kind::Conversion);
        else
            QVERIFY2(e.message().startsWith(prefijo) && e.message().size() > prefijo.size(),
                     qPrintable(e.message()));
    }
    QCOMPARE(m_enviadas, enviadas);
    // Also the NULL caused values are still there: no clean-up turned them into 0.
    QVERIFY(relaciones() == antes);
}

QTEST_GUILESS_MAIN(TstServidorCausado)
#include "tst_servidorcausado.moc"
