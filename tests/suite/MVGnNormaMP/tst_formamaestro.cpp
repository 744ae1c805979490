#include "DeskConnection.h"
#include "DtmGnLibre.h"
#include "Field.h"
#include "FrmPrueba.h"
#include "ModuleApplication.h"
#include "ModuleError.h"
#include "SClientDataSet.h"
#include "SessionGlobals.h"
#include "TTavrelDBgrid.h"
#include "TVNavegador.h"
#include "TVNotas.h"
#include "TVSDBQbe.h"
#include "TVsCmbCodigo.h"
#include "TestDatabase.h"

#include <QAction>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>

using tavrel::DataSetState;
using tavrel::ModuleError;
using tavrel::test::TestDatabase;

class TstFormaMaestro : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();
    void logsInAndOpensTheFirstCompanyOfTheUser_data();
    void logsInAndOpensTheFirstCompanyOfTheUser();
    void refusedLogin_data();
    void refusedLogin();
    void companyChangeShowsOnlyThatCompany_data();
    void companyChangeShowsOnlyThatCompany();
    void typedConditionsNarrowTheCompanyRows();
    void companyChangeWaitsForThePendingRecord();
    void deletedRowsLeaveTheDatabase();
    void exportsTheGridAsCsv();
    void printActionsRunTheReportHandler();
    void reConsultarReopensWithTheValuesInOrder();

private:
    void session(const QString& user, const QString& password, const QString& company);
    void createForm();

    std::unique_ptr<TestDatabase> db;
    const tavrel::SessionServices::Scope host{{.connectServer = tavrel::test::deskConnection()}};
    std::unique_ptr<tavrel::ModuleApplication> app;
    std::unique_ptr<FrmPrueba> form;
    QStringList messages;
};

void TstFormaMaestro::initTestCase()
{
    TAVREL_SKIP_WITHOUT_POSTGRES();
}

void TstFormaMaestro::init()
{
    db = std::make_unique<TestDatabase>(TestDatabase::Content::Demo);
    app = std::make_unique<tavrel::ModuleApplication>();
    app->setMessageSink([this](const QString& m, tavrel::MessageKind) { messages << m; });
    gStProtocolo = db->protocol();
    session(QStringLiteral("JPEREZ"), QStringLiteral("Tavrel2026"), QStringLiteral("1"));
    gStCodiUsua.clear();
    gStPassUsua.clear();
    gStTipoUsuario.clear();
    gStCodiEmpr.clear();
    form = std::make_unique<FrmPrueba>();
}

void TstFormaMaestro::cleanup()
{
    form.reset();
    app.reset();
    db.reset();
    messages.clear();
}

void TstFormaMaestro::session(const QString& user, const QString& password, const QString& company)
{
    gStParSrv = db->server();
    gStParUsu = user;
    gStParPas = password;
    gStParEmp = company;
}

void TstFormaMaestro::createForm()
{
    form->FormCreate(nullptr);
    form->show();
    form->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(form.get()));
}

void TstFormaMaestro::logsInAndOpensTheFirstCompanyOfTheUser_data()
{
    QTest::addColumn<QString>("user");
    QTest::addColumn<QString>("password");
    QTest::addColumn<QString>("type");
    QTest::addColumn<QStringList>("companies");
    QTest::addColumn<int>("rows");

    QTest::newRow("administrator: every company, the session's own opened")
        << "JPEREZ"
        << "Tavrel2026"
        << "A" << QStringList{"1", "2", "3"} << 8;
    // The session names company 1, which is not hers: the first of hers is taken.
    QTest::newRow("user codes in any case; only her companies") << "mgomez"
                                                                << "Nomina2026"
                                                                << "U" << QStringList{"2"} << 3;
}

void TstFormaMaestro::logsInAndOpensTheFirstCompanyOfTheUser()
{
    QFETCH(QString, user);
    QFETCH(QString, password);
    QFETCH(QString, type);
    QFETCH(QStringList, companies);
    QFETCH(int, rows);
    session(user, password, QStringLiteral("1"));
    createForm();
    QCOMPARE(gStCodiUsua, user.toUpper());
    QCOMPARE(gStPassUsua, password);
    QCOMPARE(gStTipoUsuario, type);
    QCOMPARE(form->cmbEmpresa->Codigos(), companies);
    QCOMPARE(form->log, (QStringList{"FormCreate", "empresa " + companies[0]}));
    QCOMPARE(app->tag(), companies[0].toInt());
    QCOMPARE(form->CdsGnEmpre->fieldByName(QStringLiteral("COD_EMPR"))->asString(), companies[0]);
    QCOMPARE(form->QryRelacion->recordCount(), rows);
    QCOMPARE(form->DBGFrm->model()->rowCount(), rows);
    QVERIFY(form->VNvgdrFrm->button(TVNavegador::Insert)->isEnabled());
}

void TstFormaMaestro::refusedLogin_data()
{
    QTest::addColumn<QString>("user");
    QTest::addColumn<QString>("password");
    QTest::addColumn<QString>("message");

    // A network server refuses both at its own login, before the window asks, and names
    // nobody.
    const bool remote = TestDatabase::isRemote();
    QTest::newRow("unknown user (over the network: the server's login refuses)")
        << "NADIE"
        << "x"
        << (remote ? "Usuario o contraseña incorrectos."
                   : "Usuario o contraseña incorrectos para «NADIE»");
    QTest::newRow("no user in the session (over the network: the server's login refuses)")
        << " "
        << "Tavrel2026" << (remote ? "Usuario o contraseña incorrectos." : "no indica el usuario");
}

void TstFormaMaestro::refusedLogin()
{
    QFETCH(QString, user);
    QFETCH(QString, password);
    QFETCH(QString, message);
    session(user, password, QStringLiteral("2"));
    try {
        form->FormCreate(nullptr);
        QFAIL("the login was accepted");
    } catch (const ModuleError& e) {
        QVERIFY2(e.message().contains(message), qPrintable(e.message()));
    }
    QVERIFY(!form->isVisible());
    QVERIFY(gStCodiUsua.isEmpty());
    QCOMPARE(form->cmbEmpresa->count(), 0);
    QVERIFY(!form->QryRelacion->active());
}

void TstFormaMaestro::companyChangeShowsOnlyThatCompany_data()
{
    QTest::addColumn<bool>("throughQbe");
    QTest::addColumn<QString>("opened");

    QTest::newRow("the company is the base condition of the query-by-example")
        << true << "SELECT * FROM NM_RPCOS\n WHERE (COD_EMPR = 3)";
    QTest::newRow("without it, the company is added to the command text")
        << false << "SELECT * FROM NM_RPCOS WHERE COD_EMPR = 3\n";
}

void TstFormaMaestro::companyChangeShowsOnlyThatCompany()
{
    QFETCH(bool, throughQbe);
    QFETCH(QString, opened);
    form->throughQbe = throughQbe;
    createForm();
    SClientDataSet* ds = form->QryRelacion;
    QVERIFY(form->cmbEmpresa->seleccionarCodigo(QStringLiteral("3")));
    emit form->cmbEmpresa->activated(form->cmbEmpresa->currentIndex());
    QCOMPARE(app->tag(), 3);
    QCOMPARE(form->log.last(), QStringLiteral("empresa 3"));
    QCOMPARE(ds->recordCount(), 3);
    for (int row = 0; row < ds->recordCount(); ++row)
        QCOMPARE(ds->valueAt(row, ds->fieldByName(QStringLiteral("COD_EMPR"))->index()).toInt(), 3);
    QCOMPARE(form->CdsGnEmpre->fieldByName(QStringLiteral("COD_EMPR"))->asInteger(), 3);
    // The derived form's text stays the base; the restriction is added to it each time.
    QCOMPARE(form->baseCommandText(), QStringLiteral("SELECT * FROM NM_RPCOS\n"));
    QCOMPARE(ds->commandText(), opened);
    QVERIFY(messages.isEmpty());
}

void TstFormaMaestro::typedConditionsNarrowTheCompanyRows()
{
    createForm();
    SClientDataSet* ds = form->QryRelacion;
    QCOMPARE(form->NotasTavrel->dataSet(), ds);
    // Concept 10 has rows in every company; only company 1's are shown.
    form->DBQbe1->Vquery(QStringLiteral(" WHERE COD_CONT = 10"));
    QCOMPARE(ds->recordCount(), 3);
    for (int row = 0; row < ds->recordCount(); ++row)
        QCOMPARE(ds->valueAt(row, ds->fieldByName(QStringLiteral("COD_EMPR"))->index()).toInt(), 1);
    // Another company starts without the criteria of the previous one.
    form->cmbEmpresa->seleccionarCodigo(QStringLiteral("2"));
    emit form->cmbEmpresa->activated(form->cmbEmpresa->currentIndex());
    QCOMPARE(ds->recordCount(), 3);
    QVERIFY(form->DBQbe1->condition().isEmpty());
}

void TstFormaMaestro::companyChangeWaitsForThePendingRecord()
{
    createForm();
    form->QryRelacion->edit();
    form->QryRelacion->fieldByName(QStringLiteral("DEP_APAC"))->setValue(QStringLiteral("CAMBIO"));
    form->cmbEmpresa->seleccionarCodigo(QStringLiteral("2"));
    emit form->cmbEmpresa->activated(form->cmbEmpresa->currentIndex());
    QCOMPARE(messages.size(), 1);
    QVERIFY2(messages.first().contains(QLatin1String("antes de cambiar de empresa")),
             qPrintable(messages.first()));
    QCOMPARE(form->cmbEmpresa->codigoActual(), QStringLiteral("1"));
    QCOMPARE(app->tag(), 1);
    QCOMPARE(form->QryRelacion->state(), DataSetState::Edit);
    QCOMPARE(form->QryRelacion->fieldByName(QStringLiteral("DEP_APAC"))->asString(),
             QStringLiteral("CAMBIO"));
}

void TstFormaMaestro::deletedRowsLeaveTheDatabase()
{
    createForm();
    const QString count =
        QStringLiteral("SELECT COUNT(*) FROM NM_RPCOS WHERE DEP_APAC = 'URGENCIAS'");
    const int before = db->queryValue(count).toInt();
    QVERIFY(form->QryRelacion->locate(QStringLiteral("DEP_APAC"), {QStringLiteral("URGENCIAS")}));
    form->VNvgdrFrm->setConfirmDelete(false);
    form->VNvgdrFrm->btnClick(TVNavegador::Delete);
    QVERIFY2(messages.isEmpty(), qPrintable(messages.join('\n')));
    QCOMPARE(form->QryRelacion->recordCount(), 7);
    QCOMPARE(db->queryValue(count).toInt(), before - 1);
}

void TstFormaMaestro::exportsTheGridAsCsv()
{
    session(QStringLiteral("MGOMEZ"), QStringLiteral("Nomina2026"), QStringLiteral("2"));
    createForm();
    form->DBGFrm->setColumnHidden(1, true);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("relación.csv"));
    form->exportarCsv(path);
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    QVERIFY(bytes.startsWith("\xEF\xBB\xBF"));
    const QStringList lines = QString::fromUtf8(bytes.mid(3)).split(QStringLiteral("\r\n"));
    QCOMPARE(lines.size(), 5); // header, three rows, and the empty rest after the last break
    QCOMPARE(lines[0],
             QStringLiteral("Contabilización;Dependencia de Afectación de PAC;Valor Total"));
    QVERIFY2(lines.contains(QStringLiteral("10;ESCUELAS DEPORTIVAS;310.000.000,00")),
             qPrintable(lines.join('\n')));

    QVERIFY_THROWS_EXCEPTION(ModuleError,
                             form->exportarCsv(dir.filePath(QStringLiteral("no/existe.csv"))));
}

void TstFormaMaestro::printActionsRunTheReportHandler()
{
    createForm();
    QVERIFY(!form->Imprimir1->isEnabled());
    QStringList senders;
    form->setReportHandler([&](QObject* sender) {
        senders << sender->objectName();
        if (sender == form->PrepararPgina1)
            throw ModuleError(QStringLiteral("No hay impresoras instaladas"));
    });
    form->Imprimir3->trigger();
    form->PrepararPgina1->trigger();
    form->Imprimir1->trigger();
    form->spbPreview->click();
    form->spbReporte->click();
    QCOMPARE(senders,
             (QStringList{"Imprimir3", "PrepararPgina1", "Imprimir1", "spbPreview", "spbReporte"}));
    QCOMPARE(messages, QStringList{QStringLiteral("No hay impresoras instaladas")});
}

void TstFormaMaestro::reConsultarReopensWithTheValuesInOrder()
{
    createForm();
    SClientDataSet query;
    query.setProviderName(QStringLiteral("DtsPTemporal"));
    query.setRemoteServer(form->DCOMCnction);
    query.setCommandText(QStringLiteral("SELECT COD_EMPR FROM GN_UEMPR WHERE COD_USUA = :U AND "
                                        "COD_EMPR >= :E ORDER BY COD_EMPR"));
    // A declared type stays; the value is converted to it.
    query.paramByName(QStringLiteral("E")).type = tavrel::FieldType::SmallInt;
    DtmGnLibre::ReConsultar(&query, {QStringLiteral("JPEREZ"), 2});
    QCOMPARE(query.recordCount(), 2);
    QCOMPARE(query.param(1).type, tavrel::FieldType::SmallInt);
    DtmGnLibre::ReConsultar(&query, {QStringLiteral("ANALISTA01"), 1});
    QCOMPARE(query.recordCount(), 1);
    QVERIFY_THROWS_EXCEPTION(ModuleError, DtmGnLibre::ReConsultar(&query, {1, 2, 3}));
    QVERIFY(query.active());
}

QTEST_MAIN(TstFormaMaestro)
#include "tst_formamaestro.moc"
