// The code pickers' guards and query texts, without a window: the texts go to the
// server exactly as built here, blanks included.

#include "ConsultasSelectores.h"

#include <QTest>

using Paso = ConsultasSelectores::Paso;
using tavrel::DataSetState;

Q_DECLARE_METATYPE(Paso)
Q_DECLARE_METATYPE(DataSetState)

class TstSelectores : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void guardas_data();
    void guardas();
    void consultaDeConceptos_data();
    void consultaDeConceptos();
    void consultaDeCuentas_data();
    void consultaDeCuentas();
    void consultaDeRelacionados_data();
    void consultaDeRelacionados();
};

void TstSelectores::guardas_data()
{
    QTest::addColumn<QString>("selector");
    QTest::addColumn<DataSetState>("estado");
    QTest::addColumn<bool>("codContNulo");
    QTest::addColumn<Paso>("paso");

    QTest::newRow("concept picker while browsing: nothing")
        << "concepto" << DataSetState::Browse << false << Paso::Nada;
    QTest::newRow("concept picker on an inserted row without concept: opens")
        << "concepto" << DataSetState::Insert << true << Paso::Abrir;
    QTest::newRow("account picker while browsing, even without concept: nothing")
        << "cuenta" << DataSetState::Browse << true << Paso::Nada;
    QTest::newRow("account picker on an inactive dataset: nothing")
        << "cuenta" << DataSetState::Inactive << true << Paso::Nada;
    QTest::newRow("account picker in edit without concept: refused")
        << "cuenta" << DataSetState::Edit << true << Paso::FaltaCuenta;
    QTest::newRow("account picker in insert with concept: opens")
        << "cuenta" << DataSetState::Insert << false << Paso::Abrir;
    QTest::newRow("related picker ignores the state: browsing without concept refuses")
        << "relacionado" << DataSetState::Browse << true << Paso::FaltaRelacionado;
    QTest::newRow("related picker with concept opens even while browsing")
        << "relacionado" << DataSetState::Browse << false << Paso::Abrir;
    QTest::newRow("account edit entered without concept while browsing: refused")
        << "entrada" << DataSetState::Browse << true << Paso::FaltaCuenta;
    QTest::newRow("account edit entered with a concept: nothing")
        << "entrada" << DataSetState::Edit << false << Paso::Nada;
}

void TstSelectores::guardas()
{
    QFETCH(QString, selector);
    QFETCH(DataSetState, estado);
    QFETCH(bool, codContNulo);
    QFETCH(Paso, paso);

    Paso obtenido = Paso::Nada;
    if (selector == QLatin1String("concepto"))
        obtenido = ConsultasSelectores::pasoConcepto(estado);
    else if (selector == QLatin1String("cuenta"))
        obtenido = ConsultasSelectores::pasoCuenta(estado, codContNulo);
    else if (selector == QLatin1String("relacionado"))
        obtenido = ConsultasSelectores::pasoRelacionado(codContNulo);
    else
        obtenido = ConsultasSelectores::pasoEntradaCuenta(codContNulo);
    QCOMPARE(obtenido, paso);
}

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
