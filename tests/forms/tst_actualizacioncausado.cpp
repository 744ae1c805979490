// The caused-value run without a window: which statements reach the server, with which
// values, in which order, and what stops a run before anything is sent.

#include "ActualizacionCausado.h"
#include "ModuleError.h"

#include <QTest>

namespace {

struct Llamada
{
    QVariantList arreglo;
};

// Records what the run asks of the server and answers as told.
struct ServidorFalso
{
    QString fecRpco;
    QVariant maxFecProc;
    QList<int> respuestas; // one per EjecutarSQL call; 0 when exhausted
    QString errorServidor = QStringLiteral("violación de restricción");
    QList<Llamada> llamadas;
    QStringList consultas;
    QList<bool> cierres;
    QDateTime horaServidor = QDateTime(QDate(2026, 12, 5), QTime(10, 30, 15, 250));

    ActualizacionCausado::Servidor puertos()
    {
        ActualizacionCausado::Servidor s;
        s.fechaServidor = [this] { return horaServidor; };
        s.leerFecRpco = [this] { return fecRpco; };
        s.fechaContable = [this](const QString& texto, const QDateTime&, bool cerrarSiempre) {
            consultas << texto;
            cierres << cerrarSiempre;
            return maxFecProc;
        };
        s.ejecutarSQL = [this](QVariantList& arreglo, QString& error) {
            llamadas << Llamada{arreglo};
            const int r = respuestas.isEmpty() ? 0 : respuestas.takeFirst();
            if (r == 1)
                error = errorServidor;
            return QVariant(r);
        };
        return s;
    }
};

const QDateTime kHoraCliente(QDate(2026, 12, 5), QTime(10, 30));

} // namespace

class TstActualizacionCausado : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void rutaPorFecha_data();
    void rutaPorFecha();
    void rutaAnual_data();
    void rutaAnual();
    void conversionDetieneAntesDeEnviar_data();
    void conversionDetieneAntesDeEnviar();
    void falloDelServidor_data();
    void falloDelServidor();
    void usuarioConComilla();
};

void TstActualizacionCausado::rutaPorFecha_data()
{
    QTest::addColumn<QString>("fecRpco");
    QTest::addColumn<QVariant>("maxFecProc");
    QTest::addColumn<bool>("cerrarSiempre");
    QTest::addColumn<QString>("inicioTexto");
    QTest::addColumn<QDateTime>("fechaContable");

    const QDateTime ultima(QDate(2015, 6, 30), QTime(0, 0));
    QTest::newRow("no setting: first set of texts, latest movement date")
        << QString() << QVariant(ultima) << false
        << QStringLiteral("UPDATE NM_Rpcos SET VAL_CAUS = ( SELECT") << ultima;
    QTest::newRow("zero: second set of texts, the query closed in any case")
        << QStringLiteral("0") << QVariant(ultima) << true
        << QStringLiteral(" UPDATE NM_Rpcos SET VAL_CAUS =  ( SELECT") << ultima;
    QTest::newRow("negative works like zero")
        << QStringLiteral("-1") << QVariant(ultima) << true
        << QStringLiteral(" UPDATE NM_Rpcos SET VAL_CAUS =  ( SELECT") << ultima;
    QTest::newRow("no movement up to now: the client time is the accounting date")
        << QString() << QVariant() << false
        << QStringLiteral("UPDATE NM_Rpcos SET VAL_CAUS = ( SELECT") << kHoraCliente;
}

void TstActualizacionCausado::rutaPorFecha()
{
    QFETCH(QString, fecRpco);
    QFETCH(QVariant, maxFecProc);
    QFETCH(bool, cerrarSiempre);
    QFETCH(QString, inicioTexto);
    QFETCH(QDateTime, fechaContable);

    ServidorFalso s;
    s.fecRpco = fecRpco;
    s.maxFecProc = maxFecProc;
    ActualizacionCausado::ejecutar(s.puertos(), kHoraCliente, QStringLiteral("JPEREZ"),
                                   QStringLiteral("S"), QStringLiteral("dd/MM/yyyy"));

    QCOMPARE(s.consultas.size(), 1);
    QVERIFY(s.consultas[0].contains(
        QLatin1String("MAX(FEC_PROC) FEC_PROC  FROM NM_NCMOV  WHERE FEC_PROC <= :PDTFECPROC ")));
    QCOMPARE(s.cierres, QList<bool>{cerrarSiempre});
    QCOMPARE(s.llamadas.size(), 1); // the date path sends no clean-up
    const QVariantList& a = s.llamadas[0].arreglo;
    QCOMPARE(a.size(), 3);
    const QString texto = a[0].toString();
    QVERIFY2(texto.startsWith(inicioTexto), qPrintable(texto));
    // The date path sums VAL_CAUC whatever the flag says.
    QVERIFY(texto.contains(QLatin1String("SUM(VAL_CAUC)")));
    QVERIFY(texto.indexOf(QLatin1String(":pFechaCont")) <
            texto.indexOf(QLatin1String(":pFechaSrv")));
    QCOMPARE(a[1].toDateTime(), fechaContable);
    QCOMPARE(a[2].toDateTime(), s.horaServidor);
    QVERIFY(texto.endsWith(
        QLatin1String(" ,ACT_USUA = 'JPEREZ' ,ACT_HORA = :pFechaSrv ,ACT_ESTA = 'M'")));
}

void TstActualizacionCausado::rutaAnual_data()
{
    QTest::addColumn<QString>("fecRpco");
    QTest::addColumn<QString>("digiDian");
    QTest::addColumn<QString>("suma");

    const QString anio = QStringLiteral("2013");
    QTest::newRow("flag S sums the transaction amount")
        << anio << QStringLiteral("S") << QStringLiteral(" SELECT SUM(VAL_TRAN) ");
    QTest::newRow("lower-case s is not S")
        << anio << QStringLiteral("s") << QStringLiteral(" SELECT SUM(VAL_CAUC) ");
    QTest::newRow("N sums the caused amount")
        << anio << QStringLiteral("N") << QStringLiteral(" SELECT SUM(VAL_CAUC) ");
    QTest::newRow("no company chosen yet")
        << anio << QString() << QStringLiteral(" SELECT SUM(VAL_CAUC) ");
    QTest::newRow("blanks before the year are skipped by both readings")
        << QStringLiteral("  2013") << QStringLiteral("N")
        << QStringLiteral(" SELECT SUM(VAL_CAUC) ");
}

void TstActualizacionCausado::rutaAnual()
{
    QFETCH(QString, fecRpco);
    QFETCH(QString, digiDian);
    QFETCH(QString, suma);

    ServidorFalso s;
    s.fecRpco = fecRpco;
    ActualizacionCausado::ejecutar(s.puertos(), kHoraCliente, QStringLiteral("JPEREZ"), digiDian,
                                   QStringLiteral("dd/MM/yyyy"));

    QVERIFY(s.consultas.isEmpty()); // no accounting-date query on the yearly path
    QCOMPARE(s.llamadas.size(), 2);
    const QVariantList& a = s.llamadas[0].arreglo;
    QCOMPARE(a.size(), 4);
    QVERIFY(
        a[0].toString().startsWith(QStringLiteral(" UPDATE NM_RPCOS SET VAL_CAUS = ( ") + suma));
    QVERIFY(a[0].toString().contains(QLatin1String(
        " NM_NCMOV.FEC_PROC BETWEEN :pFechaInic AND :pFechaFin AND NM_NCMOV.NAT_TRAN = 'D'  ) ")));
    QCOMPARE(a[1].toDateTime(), QDateTime(QDate(2013, 1, 1), QTime(0, 0)));
    QCOMPARE(a[2].toDateTime(), QDateTime(QDate(2013, 12, 31), QTime(0, 0)));
    QCOMPARE(a[3].toDateTime(), s.horaServidor);
    QCOMPARE(
        s.llamadas[1].arreglo,
        QVariantList{QStringLiteral("UPDATE NM_Rpcos SET VAL_CAUS = 0 WHERE VAL_CAUS IS NULL ")});
}

void TstActualizacionCausado::conversionDetieneAntesDeEnviar_data()
{
    QTest::addColumn<QString>("fecRpco");
    QTest::addColumn<QString>("formato");

    QTest::newRow("letters are no year") << QStringLiteral("abc") << QStringLiteral("dd/MM/yyyy");
    QTest::newRow("digits followed by letters")
        << QStringLiteral("2013x") << QStringLiteral("dd/MM/yyyy");
    QTest::newRow("month-first format: 31/12 has no month 31")
        << QStringLiteral("2013") << QStringLiteral("MM/dd/yyyy");
}

void TstActualizacionCausado::conversionDetieneAntesDeEnviar()
{
    QFETCH(QString, fecRpco);
    QFETCH(QString, formato);

    ServidorFalso s;
    s.fecRpco = fecRpco;
    try {
        ActualizacionCausado::ejecutar(s.puertos(), kHoraCliente, QStringLiteral("JPEREZ"),
                                       QStringLiteral("S"), formato);
        QFAIL("the run went through");
    } catch (const tavrel::ModuleError& e) {
        QCOMPARE(e.kind(), tavrel::ModuleError::Kind::Conversion);
    }
    QVERIFY(s.llamadas.isEmpty());
}

void TstActualizacionCausado::falloDelServidor_data()
{
    QTest::addColumn<QString>("fecRpco");
    QTest::addColumn<QList<int>>("respuestas");
    QTest::addColumn<int>("llamadas");

    QTest::newRow("yearly update refused: no clean-up follows")
        << QStringLiteral("2013") << QList<int>{1} << 1;
    QTest::newRow("clean-up refused after a good update")
        << QStringLiteral("2013") << QList<int>{0, 1} << 2;
    QTest::newRow("date-path update refused") << QString() << QList<int>{1} << 1;
}

void TstActualizacionCausado::falloDelServidor()
{
    QFETCH(QString, fecRpco);
    QFETCH(QList<int>, respuestas);
    QFETCH(int, llamadas);

    ServidorFalso s;
    s.fecRpco = fecRpco;
    s.respuestas = respuestas;
    try {
        ActualizacionCausado::ejecutar(s.puertos(), kHoraCliente, QStringLiteral("JPEREZ"),
                                       QStringLiteral("S"), QStringLiteral("dd/MM/yyyy"));
        QFAIL("the failure was not reported");
    } catch (const tavrel::ModuleError& e) {
        QCOMPARE(e.message(),
                 QStringLiteral("Error actualizando nm_rpcos.. violación de restricción"));
    }
    QCOMPARE(s.llamadas.size(), llamadas);
}

void TstActualizacionCausado::usuarioConComilla()
{
    // A quote inside the user code is doubled so the literal stays one literal.
    QVERIFY(ActualizacionCausado::colaAuditoria(QStringLiteral("O'NEIL"))
                .startsWith(QLatin1String(" ,ACT_USUA = 'O''NEIL'")));
}

QTEST_GUILESS_MAIN(TstActualizacionCausado)
#include "tst_actualizacioncausado.moc"
