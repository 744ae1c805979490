// The code pickers' query texts, without a window: the texts go to the server exactly
// as built here, blanks included.

#include "ConsultasSelectores.h"

#include <QTest>

class TstSelectores : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void consultaDeConceptos_data();
    void consultaDeConceptos();
    void consultaDeCuentas_data();
    void consultaDeCuentas();
    void consultaDeRelacionados_data();
    void consultaDeRelacionados();
};

void TstSelectores::consultaDeConceptos_data()
{
    QTest::addColumn<int>("empresa");
    QTest::addColumn<QString>("texto");

    QTest::newRow("company 1 in decimal, no quotes")
        << 1
        << " SELECT COD_CONT, NOM_CONT  FROM NM_NCCON              WHERE (COD_EMPR = 1 AND "
           "CAM_RELA IN ('COD_TNOM','COD_GAST','COD_CCOS','COD_GPRO')) ";
    QTest::newRow("a three-digit company keeps all digits")
        << 120
        << " SELECT COD_CONT, NOM_CONT  FROM NM_NCCON              WHERE (COD_EMPR = 120 AND "
           "CAM_RELA IN ('COD_TNOM','COD_GAST','COD_CCOS','COD_GPRO')) ";
}

void TstSelectores::consultaDeConceptos()
{
    QFETCH(int, empresa);
    QFETCH(QString, texto);
    QCOMPARE(ConsultasSelectores::conceptos(empresa), texto);
}

void TstSelectores::consultaDeCuentas_data()
{
    QTest::addColumn<int>("empresa");
    QTest::addColumn<QString>("codCont");
    QTest::addColumn<QString>("texto");

    QTest::newRow("concept as its text, two blanks before FROM and AND's own blanks")
        << 1 << "40"
        << " SELECT COD_CUEN, NOM_CUEN  FROM NM_NCMCO              WHERE (COD_EMPR = 1) AND  "
           "(COD_CONT = 40) ";
    QTest::newRow("company 3, concept 10")
        << 3 << "10"
        << " SELECT COD_CUEN, NOM_CUEN  FROM NM_NCMCO              WHERE (COD_EMPR = 3) AND  "
           "(COD_CONT = 10) ";
}

void TstSelectores::consultaDeCuentas()
{
    QFETCH(int, empresa);
    QFETCH(QString, codCont);
    QFETCH(QString, texto);
    QCOMPARE(ConsultasSelectores::cuentas(empresa, codCont), texto);
}

void TstSelectores::consultaDeRelacionados_data()
{
    QTest::addColumn<QStringList>("tipo");
    QTest::addColumn<int>("empresa");
    QTest::addColumn<QStringList>("lineas");

    QTest::newRow("cost centres of company 1")
        << QStringList{"gn_ccost", "cod_ccos", "nom_ccos"} << 1
        << QStringList{"select cod_ccos, nom_ccos", "from gn_ccost", "where cod_empr = 1"};
    QTest::newRow("expenses of company 2")
        << QStringList{"nm_gacon", "cod_gast", "nom_gast"} << 2
        << QStringList{"select cod_gast, nom_gast", "from nm_gacon", "where cod_empr = 2"};
    QTest::newRow("no kind configured yet: the fragments alone")
        << QStringList{"", "", ""} << 1 << QStringList{"select , ", "from ", "where cod_empr = 1"};
}

void TstSelectores::consultaDeRelacionados()
{
    QFETCH(QStringList, tipo);
    QFETCH(int, empresa);
    QFETCH(QStringList, lineas);
    QCOMPARE(ConsultasSelectores::relacionados(tipo[0], tipo[1], tipo[2], empresa), lineas);
}

QTEST_MAIN(TstSelectores)
#include "tst_selectores.moc"
