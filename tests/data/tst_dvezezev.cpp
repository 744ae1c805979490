#include "DataSource.h"
#include "Field.h"
#include "ModuleError.h"
#include "ModuloDemo.h"
#include "SClientDataSet.h"
#include "TVPField.h"
#include "Thrown.h"

#include <QDateTime>
#include <QLabel>
#include <QTest>

using namespace Qt::StringLiterals;

using tavrel::DataSetState;
using tavrel::ModuleError;

namespace {
const QVariant nulo;
const QString errConcepto = u"La Contabilizción Seleccionada no se Encuentra Registrada..."_s;
const QString errCuenta = u"La cuenta contable seleccionada no se encuentra registrada..."_s;
} // namespace

class TstDVeZezev : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { TAVREL_SKIP_WITHOUT_POSTGRES(); }
    void init() { f = std::make_unique<ModuloDemo>(); }
    void cleanup() { f.reset(); }

    void browsingShowsNamesAndBalances_data();
    void browsingShowsNamesAndBalances();
    void firstRowWithRelatedCodeConfiguresTheKind_data();
    void firstRowWithRelatedCodeConfiguresTheKind();
    void namesComeFromTheConfiguredKindAndCompany();
    void conceptChangeDuringEdit_data();
    void conceptChangeDuringEdit();
    void refusedCodesKeepTheFieldValue_data();
    void refusedCodesKeepTheFieldValue();
    void postingStampsAuditColumns_data();
    void postingStampsAuditColumns();
    void failingServerTimeAbortsThePost();
    void verDigiFlags_data();
    void verDigiFlags();

private:
    QString texto(const char* campo) const { return f->valor(campo).toString(); }
    std::unique_ptr<ModuloDemo> f;
};

void TstDVeZezev::browsingShowsNamesAndBalances_data()
{
    QTest::addColumn<QVariant>("concepto");
    QTest::addColumn<QVariant>("relacionado");
    QTest::addColumn<QStringList>("nombres"); // concept, account, related, source, resource
    QTest::addColumn<double>("saldo");

    QTest::newRow("cost centre 100 of a cost-centre concept; balance total minus caused")
        << QVariant(10) << QVariant(100)
        << QStringList{"SUELDO BÁSICO PERSONAL DE PLANTA", "SUELDOS DEL PERSONAL DE PLANTA",
                       "DIRECCIÓN GENERAL", "Nación", "Recursos corrientes"}
        << 437654321.1;
    QTest::newRow("null caused value: balance 0, not the total")
        << QVariant(10) << QVariant(300)
        << QStringList{"SUELDO BÁSICO PERSONAL DE PLANTA", "SUELDOS DEL PERSONAL SUPERNUMERARIO",
                       "URGENCIAS", "Propios", "Ingresos corrientes"}
        << 0.0;
    QTest::newRow("related code 99 in no list, resource 28 does not exist: empty names")
        << QVariant(11) << QVariant(99)
        << QStringList{"HORAS EXTRAS Y RECARGOS", "HORAS EXTRAS Y FESTIVOS", "", "Nación", ""}
        << 43749999.5;
    QTest::newRow("row without concept: no names, balance still computed")
        << nulo << nulo << QStringList{"", "", "", "Propios", "Donaciones"} << 750000.0;
}

void TstDVeZezev::browsingShowsNamesAndBalances()
{
    QFETCH(QVariant, concepto);
    QFETCH(QVariant, relacionado);
    QFETCH(QStringList, nombres);
    QFETCH(double, saldo);

    f->abrir();
    QCOMPARE(f->dtm->QryVeZEZev->recordCount(), 8);
    QVERIFY(f->ubicar(concepto, relacionado));
    const QStringList vistos{texto("DtfNmbCont"), texto("DtfNmbCuen"), texto("DtfNmbCamRela"),
                             texto("DtfNmbFuen"), texto("DtfNmbPres")};
    QCOMPARE(vistos, nombres);
    QCOMPARE(f->valor("DtfNmbValSald").toDouble(), saldo);
    // The company name of the window's list, cut to the lookup field's 20 characters.
    QCOMPARE(texto("DtfNmbEmpresa"), u"E.S.E. Hospital San "_s);
    QVERIFY2(f->mensajes.isEmpty(), qPrintable(f->mensajes.join('\n')));
}

void TstDVeZezev::firstRowWithRelatedCodeConfiguresTheKind_data()
{
    QTest::addColumn<QStringList>("caso"); // rows removed, kind configured, label

    QTest::newRow("first row names a cost centre")
        << QStringList{"", "cod_ccos", "Centro de Costos"};
    QTest::newRow("without cost-centre rows the payroll-class row is first")
        << QStringList{"COD_CONT IN (10, 11)", "cod_tnom", "Clase de Nómina"};
    QTest::newRow("rows without related code configure nothing; label keeps its design text")
        << QStringList{"COD_CCOS IS NOT NULL", "", "Campo Relacionado"};
}

void TstDVeZezev::firstRowWithRelatedCodeConfiguresTheKind()
{
    QFETCH(QStringList, caso);
    const QString quitar = caso[0], campo = caso[1], titulo = caso[2];

    if (!quitar.isEmpty())
        f->db->exec(u"DELETE FROM NM_RPCOS WHERE COD_EMPR = 1 AND "_s + quitar);
    f->abrir();
    // Each scroll calculates the row it reaches; rows of other kinds do not reconfigure.
    SClientDataSet* ds = f->dtm->QryVeZEZev;
    for (ds->first(); !ds->eof(); ds->next()) {
    }
    QCOMPARE(f->dtm->gStCamRela, campo);
    QCOMPARE(f->forma->LblCamRela->text(), titulo);
    QCOMPARE(f->dtm->QryCamRela->commandText().isEmpty(), campo.isEmpty());
}

void TstDVeZezev::namesComeFromTheConfiguredKindAndCompany()
{
    f->abrir();
    // Payroll classes now name every related code, whatever the row's own concept.
    f->dtm->ValidarCampoRelacionado(20);
    f->dtm->QryVeZEZev->invalidateCalculatedFields();
    const struct
    {
        int concepto, relacionado;
        const char* nombre;
    } filas[] = {{20, 2, "NÓMINA DE PRIMAS"}, // its own kind
                 {30, 1, "NÓMINA MENSUAL"},   // prototype group 1 named as payroll class 1
                 {10, 100, ""}};              // no payroll class 100
    for (const auto& fila : filas) {
        QVERIFY(f->ubicar(fila.concepto, fila.relacionado));
        QCOMPARE(texto("DtfNmbCamRela"), QString::fromUtf8(fila.nombre));
    }

    // Closing the relation keeps the kind; company 2 then fetches its own list.
    f->dtm->QryVeZEZev->close();
    QCOMPARE(f->dtm->gStCamRela, u"cod_tnom"_s);
    QCOMPARE(f->forma->VPFCamRela->titulo(), u"Lista de Clases de Nómina"_s);
    QCOMPARE(f->dtm->QryCamRela->commandText(),
             u"select cod_empr, cod_tnom, nom_tnom from nm_tnomi where cod_empr = "
             ":codempr"_s);
    f->cambiarEmpresa(2);
    QVERIFY2(f->mensajes.isEmpty(), qPrintable(f->mensajes.join('\n')));
    QVERIFY(f->ubicar(20, 1));
    QCOMPARE(f->dtm->gStCamRela, u"cod_tnom"_s);
    QCOMPARE(f->dtm->QryCamRela->fieldByName(u"cod_empr"_s)->asInteger(), 2);
    QVERIFY(f->ubicar(10, 210)); // there is no payroll class 210
    QCOMPARE(texto("DtfNmbCamRela"), QString());
    f->dtm->ValidarCampoRelacionado(10);
    f->dtm->QryVeZEZev->invalidateCalculatedFields();
    QCOMPARE(texto("DtfNmbCamRela"), u"ESCUELAS DEPORTIVAS"_s);
}

void TstDVeZezev::conceptChangeDuringEdit_data()
{
    QTest::addColumn<QVariant>("nuevo");
    QTest::addColumn<QVariant>("relacionado");
    QTest::addColumn<QStringList>("tipo"); // label, picker title, picker variable

    const QStringList nomina{"Clase de Nómina", "Lista de Clases de Nómina", "cod_tnom"};
    const QStringList centros{"Centro de Costos", "Lista de Centros de Costos", "cod_ccos"};
    QTest::newRow("cost centre to payroll class clears the related code")
        << QVariant(20) << nulo << nomina;
    QTest::newRow("another cost-centre concept keeps it")
        << QVariant(11) << QVariant(100) << centros;
    QTest::newRow("clearing the concept keeps kind and code") << nulo << QVariant(100) << centros;
}

void TstDVeZezev::conceptChangeDuringEdit()
{
    QFETCH(QVariant, nuevo);
    QFETCH(QVariant, relacionado);
    QFETCH(QStringList, tipo);
    const QString titulo = tipo[0], lista = tipo[1], codigo = tipo[2];

    f->abrir();
    QVERIFY(f->ubicar(10, 100));
    f->dtm->QryVeZEZev->edit();
    f->dtm->QryVeZEZev->fieldByName(u"COD_CONT"_s)->setValue(nuevo);
    QCOMPARE(f->valor("COD_CONT"), nuevo);
    QCOMPARE(f->valor("COD_CCOS"), relacionado);
    QCOMPARE(f->forma->LblCamRela->text(), titulo);
    // The caption is never cut: the label grows with it.
    QVERIFY(f->forma->LblCamRela->width() >=
            f->forma->LblCamRela->fontMetrics().horizontalAdvance(titulo));
    QCOMPARE(f->forma->VPFCamRela->titulo(), lista);
    QCOMPARE(f->forma->VPFCamRela->variables(), QStringList{codigo});
}

void TstDVeZezev::refusedCodesKeepTheFieldValue_data()
{
    QTest::addColumn<int>("empresa");
    QTest::addColumn<QString>("campo");
    QTest::addColumn<QVariant>("valor");
    QTest::addColumn<QString>("mensaje");

    QTest::newRow("concept unknown to every company")
        << 1 << "COD_CONT" << QVariant(99) << errConcepto;
    QTest::newRow("concept 30 belongs to companies 1 and 3 only")
        << 2 << "COD_CONT" << QVariant(30) << errConcepto;
    QTest::newRow("concept related to COD_CARG, not one of the four kinds")
        << 1 << "COD_CONT" << QVariant(50) << errConcepto;
    QTest::newRow("concept whose kind is written in lower case")
        << 1 << "COD_CONT" << QVariant(70) << errConcepto;
    QTest::newRow("account registered for concept 20 only, the row is concept 10")
        << 1 << "COD_CUEN" << QVariant("51010501") << errCuenta;
}

void TstDVeZezev::refusedCodesKeepTheFieldValue()
{
    QFETCH(int, empresa);
    QFETCH(QString, campo);
    QFETCH(QVariant, valor);
    QFETCH(QString, mensaje);

    f->abrir();
    if (empresa != 1)
        f->cambiarEmpresa(empresa);
    QVERIFY(f->ubicar(10, empresa == 1 ? 100 : 210));
    f->dtm->QryVeZEZev->edit();
    tavrel::Field* field = f->dtm->QryVeZEZev->fieldByName(campo);
    const QVariant antes = field->value();
    const auto error = thrownBy([&] { field->setValue(valor); });
    QVERIFY(error);
    QCOMPARE(error->message(), mensaje);
    QCOMPARE(field->value(), antes);
    QCOMPARE(f->dtm->QryVeZEZev->state(), DataSetState::Edit);
}

void TstDVeZezev::postingStampsAuditColumns_data()
{
    QTest::addColumn<bool>("alta");
    QTest::addColumn<int>("empresaActual");
    QTest::addColumn<QString>("estado");
    QTest::addColumn<int>("empresaGuardada");

    QTest::newRow("insert is marked A and takes the current company") << true << 1 << "A" << 1;
    QTest::newRow("edit of an A row is marked M") << false << 1 << "M" << 1;
    QTest::newRow("edit never moves the row to the current company") << false << 2 << "M" << 1;
}

void TstDVeZezev::postingStampsAuditColumns()
{
    QFETCH(bool, alta);
    QFETCH(int, empresaActual);
    QFETCH(QString, estado);
    QFETCH(int, empresaGuardada);

    // A ten-character user: stored cut to its first eight.
    f.reset(); // one session at a time
    f = std::make_unique<ModuloDemo>(u"ANALISTA01"_s, u"Analista2026"_s);
    f->abrir();
    SClientDataSet* ds = f->dtm->QryVeZEZev;
    if (alta) {
        ds->append();
        ds->fieldByName(u"COD_CONT"_s)->setValue(20);
        ds->fieldByName(u"COD_CCOS"_s)->setValue(3);
    } else {
        QVERIFY(f->ubicar(10, 100));
        ds->edit();
    }
    ds->fieldByName(u"DEP_APAC"_s)->setValue(u"AUDITADA"_s);
    f->app->setTag(empresaActual);
    const QDateTime antes = QDateTime::currentDateTime().addSecs(-60);
    ds->post();
    QCOMPARE(ds->changeCount(), 0);

    const QList<QVariantList> filas =
        f->db->queryRows(u"SELECT ACT_ESTA, COD_EMPR, ACT_USUA, ACT_HORA, CAS_CONT FROM NM_RPCOS "
                         "WHERE DEP_APAC = 'AUDITADA'"_s);
    QCOMPARE(filas.size(), 1);
    QCOMPARE(filas[0][0].toString().trimmed(), estado);
    QCOMPARE(filas[0][1].toInt(), empresaGuardada);
    QCOMPARE(filas[0][2].toString().trimmed(), u"ANALISTA"_s);
    const QDateTime hora = tavrel::coerce(filas[0][3], tavrel::FieldType::DateTime).toDateTime();
    QVERIFY2(hora >= antes && hora <= antes.addSecs(120), qPrintable(hora.toString(Qt::ISODate)));
    QCOMPARE(tavrel::isNull(filas[0][4]), alta); // the demo row carries a workflow sequence
}

void TstDVeZezev::failingServerTimeAbortsThePost()
{
    f->abrir();
    SClientDataSet* ds = f->dtm->QryVeZEZev;
    QVERIFY(f->ubicar(10, 100));
    const QVariantList audit{f->valor("ACT_HORA"), f->valor("ACT_USUA"), f->valor("ACT_ESTA")};
    ds->edit();
    ds->fieldByName(u"DEP_APAC"_s)->setValue(u"NO LLEGA"_s);
    f->servidor->metodoQueFalla = u"BuscarFechaServidor"_s;
    QVERIFY_THROWS_EXCEPTION(ModuleError, ds->post());
    QCOMPARE(ds->state(), DataSetState::Edit);
    QCOMPARE(texto("DEP_APAC"), u"NO LLEGA"_s);
    QCOMPARE((QVariantList{f->valor("ACT_HORA"), f->valor("ACT_USUA"), f->valor("ACT_ESTA")}),
             audit);
    const QString sql = u"SELECT COUNT(*) FROM NM_RPCOS WHERE DEP_APAC = 'NO LLEGA'"_s;
    QCOMPARE(f->db->queryValue(sql).toInt(), 0);
    // Once the server answers, the same edit posts.
    f->servidor->metodoQueFalla.clear();
    ds->post();
    QCOMPARE(f->db->queryValue(sql).toInt(), 1);
}

void TstDVeZezev::verDigiFlags_data()
{
    QTest::addColumn<int>("empresa");
    QTest::addColumn<QStringList>("caso"); // flag code, provider that fails, answer

    QTest::newRow("a row of the company's country for every company")
        << 3 << QStringList{"V0000009", "", "30"};
    QTest::newRow("failing flag query is wrapped")
        << 1
        << QStringList{"V0000017", "DtsPGnDigif",
                       "Error leyendo DIGIFLAG 'V0000017': el servidor no responde a DtsPGnDigif"};
    QTest::newRow("failing country read is wrapped; a quote in the code is doubled")
        << 3
        << QStringList{"V'17", "DtsPGnEmpr1",
                       "Error leyendo DIGIFLAG 'V''17': el servidor no responde a DtsPGnEmpr1"};
}

void TstDVeZezev::verDigiFlags()
{
    QFETCH(int, empresa);
    QFETCH(QStringList, caso);
    const QString codigo = caso[0], falla = caso[1], esperado = caso[2];

    f->abrir();
    // Read for another company first: the country must follow the company.
    f->app->setTag(empresa == 2 ? 1 : 2);
    f->dtm->VerDigiFlags(u"V0000017"_s);
    f->app->setTag(empresa);
    f->servidor->proveedorQueFalla = falla;
    try {
        const QVariant leido = f->dtm->VerDigiFlags(codigo);
        QCOMPARE(leido.typeId(), QMetaType::QString);
        QCOMPARE(leido.toString(), esperado);
        QVERIFY(!f->dtm->QryGnDigif->active());
    } catch (const ModuleError& e) {
        QCOMPARE(e.message(), esperado);
        QCOMPARE(e.kind(), ModuleError::Kind::Server);
    }
}

QTEST_MAIN(TstDVeZezev)
#include "tst_dvezezev.moc"
