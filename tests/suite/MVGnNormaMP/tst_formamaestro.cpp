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
#include "Thrown.h"

#include <QAction>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>

using namespace Qt::StringLiterals;
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
    void refusedLogin();
    void passwordOtherThanTheSessionsIsAskedOfTheServer();
    void companyChangeShowsOnlyThatCompany_data();
    void companyChangeShowsOnlyThatCompany();
    void typedConditionsNarrowTheCompanyRows();
    void companyChangeWaitsForThePendingRecord();
    void deletedRowsLeaveTheDatabase();
    void exportsTheGridAsCsv();
    void printActionsRunTheReportHandler();

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
    session(u"JPEREZ"_s, u"Tavrel2026"_s, u"1"_s);
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
        << u"JPEREZ"_s << u"Tavrel2026"_s << u"A"_s << QStringList{"1", "2", "3"} << 8;
    // The session names company 1, which is not hers: the first of hers is taken.
    QTest::newRow("user codes in any case; only her companies")
        << u"mgomez"_s << u"Nomina2026"_s << u"U"_s << QStringList{"2"} << 3;
}

void TstFormaMaestro::logsInAndOpensTheFirstCompanyOfTheUser()
{
    QFETCH(QString, user);
    QFETCH(QString, password);
    QFETCH(QString, type);
    QFETCH(QStringList, companies);
    QFETCH(int, rows);
    session(user, password, u"1"_s);
    createForm();
    QCOMPARE(gStCodiUsua, user.toUpper());
    QCOMPARE(gStPassUsua, password);
    QCOMPARE(gStTipoUsuario, type);
    QCOMPARE(form->cmbEmpresa->Codigos(), companies);
    QCOMPARE(form->log, (QStringList{"FormCreate", "empresa " + companies[0]}));
    QCOMPARE(app->tag(), companies[0].toInt());
    QCOMPARE(form->CdsGnEmpre->fieldByName(u"COD_EMPR"_s)->asString(), companies[0]);
    QCOMPARE(form->QryRelacion->recordCount(), rows);
    QCOMPARE(form->DBGFrm->model()->rowCount(), rows);
    QVERIFY(form->VNvgdrFrm->button(TVNavegador::Insert)->isEnabled());
}

void TstFormaMaestro::refusedLogin()
{
    // The server's refusals are pinned by the login's own tests. A session without user
    // never reaches the in-process server; a network server refuses it at its own login,
    // naming nobody.
    session(u" "_s, u"Tavrel2026"_s, u"2"_s);
    const QString expected = TestDatabase::isRemote() ? u"Usuario o contraseña incorrectos."_s
                                                      : u"no indica el usuario"_s;
    QVERIFY(mentions(thrownBy([&] { form->FormCreate(nullptr); }), {expected}));
    QVERIFY(!form->isVisible());
    QVERIFY(gStCodiUsua.isEmpty());
    QCOMPARE(form->cmbEmpresa->count(), 0);
    QVERIFY(!form->QryRelacion->active());
}

void TstFormaMaestro::passwordOtherThanTheSessionsIsAskedOfTheServer()
{
    // The session's connection logged in with her right password; the program was handed
    // another one. That one is checked by the server (a network session's login answers
    // only for the password it checked itself; the network server words the refusal as
    // its login does).
    const tavrel::SessionServices::Scope rightPassword([](tavrel::SessionServices& s) {
        s.connectServer = [](const QString& protocol, const QString& server) {
            return tavrel::AppServerFactory::connect(protocol, server,
                                                     {u"JPEREZ"_s, u"Tavrel2026"_s});
        };
    });
    session(u"jperez"_s, u"Tavrel2025"_s, u"1"_s);
    QVERIFY(mentions(thrownBy([&] { form->FormCreate(nullptr); }),
                     {u"Usuario o contraseña incorrectos"_s}));
    QVERIFY(gStCodiUsua.isEmpty());
}

void TstFormaMaestro::companyChangeShowsOnlyThatCompany_data()
{
    QTest::addColumn<bool>("throughQbe");
    QTest::addColumn<QString>("opened");

    QTest::newRow("the company is the base condition of the query-by-example")
        << true << u"SELECT * FROM NM_RPCOS\n WHERE (COD_EMPR = 3)"_s;
    QTest::newRow("without it, the company is added to the command text")
        << false << u"SELECT * FROM NM_RPCOS WHERE COD_EMPR = 3\n"_s;
}

void TstFormaMaestro::companyChangeShowsOnlyThatCompany()
{
    QFETCH(bool, throughQbe);
    QFETCH(QString, opened);
    form->throughQbe = throughQbe;
    createForm();
    SClientDataSet* ds = form->QryRelacion;
    QVERIFY(form->cmbEmpresa->seleccionarCodigo(u"3"_s));
    emit form->cmbEmpresa->activated(form->cmbEmpresa->currentIndex());
    QCOMPARE(app->tag(), 3);
    QCOMPARE(form->log.last(), u"empresa 3"_s);
    QCOMPARE(ds->recordCount(), 3);
    for (int row = 0; row < ds->recordCount(); ++row)
        QCOMPARE(ds->valueAt(row, ds->fieldByName(u"COD_EMPR"_s)->index()).toInt(), 3);
    QCOMPARE(form->CdsGnEmpre->fieldByName(u"COD_EMPR"_s)->asInteger(), 3);
    // The derived form's text stays the base; the restriction is added to it each time.
    QCOMPARE(form->baseCommandText(), u"SELECT * FROM NM_RPCOS\n"_s);
    QCOMPARE(ds->commandText(), opened);
    QVERIFY(messages.isEmpty());
}

void TstFormaMaestro::typedConditionsNarrowTheCompanyRows()
{
    createForm();
    SClientDataSet* ds = form->QryRelacion;
    QCOMPARE(form->NotasTavrel->dataSet(), ds);
    // Concept 10 has rows in every company; only company 1's are shown.
    form->DBQbe1->Vquery(u" WHERE COD_CONT = 10"_s);
    QCOMPARE(ds->recordCount(), 3);
    for (int row = 0; row < ds->recordCount(); ++row)
        QCOMPARE(ds->valueAt(row, ds->fieldByName(u"COD_EMPR"_s)->index()).toInt(), 1);
    // Another company starts without the criteria of the previous one.
    form->cmbEmpresa->seleccionarCodigo(u"2"_s);
    emit form->cmbEmpresa->activated(form->cmbEmpresa->currentIndex());
    QCOMPARE(ds->recordCount(), 3);
    QVERIFY(form->DBQbe1->condition().isEmpty());
}

void TstFormaMaestro::companyChangeWaitsForThePendingRecord()
{
    createForm();
    form->QryRelacion->edit();
    form->QryRelacion->fieldByName(u"DEP_APAC"_s)->setValue(u"CAMBIO"_s);
    form->cmbEmpresa->seleccionarCodigo(u"2"_s);
    emit form->cmbEmpresa->activated(form->cmbEmpresa->currentIndex());
    QCOMPARE(messages.size(), 1);
    QVERIFY2(messages.first().contains(QLatin1String("antes de cambiar de empresa")),
             qPrintable(messages.first()));
    QCOMPARE(form->cmbEmpresa->codigoActual(), u"1"_s);
    QCOMPARE(app->tag(), 1);
    QCOMPARE(form->QryRelacion->state(), DataSetState::Edit);
    QCOMPARE(form->QryRelacion->fieldByName(u"DEP_APAC"_s)->asString(), u"CAMBIO"_s);
}

void TstFormaMaestro::deletedRowsLeaveTheDatabase()
{
    createForm();
    const QString count = u"SELECT COUNT(*) FROM NM_RPCOS WHERE DEP_APAC = 'URGENCIAS'"_s;
    const int before = db->queryValue(count).toInt();
    QVERIFY(form->QryRelacion->locate(u"DEP_APAC"_s, {u"URGENCIAS"_s}));
    form->VNvgdrFrm->setConfirmDelete(false);
    form->VNvgdrFrm->btnClick(TVNavegador::Delete);
    QVERIFY2(messages.isEmpty(), qPrintable(messages.join('\n')));
    QCOMPARE(form->QryRelacion->recordCount(), 7);
    QCOMPARE(db->queryValue(count).toInt(), before - 1);
}

void TstFormaMaestro::exportsTheGridAsCsv()
{
    session(u"MGOMEZ"_s, u"Nomina2026"_s, u"2"_s);
    createForm();
    form->DBGFrm->setColumnHidden(1, true);
    QTemporaryDir dir;
    const QString path = dir.filePath(u"relación.csv"_s);
    form->exportarCsv(path);
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    QVERIFY(bytes.startsWith("\xEF\xBB\xBF"));
    const QStringList lines = QString::fromUtf8(bytes.mid(3)).split(u"\r\n"_s);
    QCOMPARE(lines.size(), 5); // header, three rows, and the empty rest after the last break
    QCOMPARE(lines[0], u"Contabilización;Dependencia de Afectación de PAC;Valor Total"_s);
    QVERIFY2(lines.contains(u"10;ESCUELAS DEPORTIVAS;310.000.000,00"_s),
             qPrintable(lines.join('\n')));

    QVERIFY_THROWS_EXCEPTION(ModuleError, form->exportarCsv(dir.filePath(u"no/existe.csv"_s)));
}

void TstFormaMaestro::printActionsRunTheReportHandler()
{
    createForm();
    QVERIFY(!form->Imprimir1->isEnabled());
    QStringList senders;
    form->setReportHandler([&](QObject* sender) {
        senders << sender->objectName();
        if (sender == form->PrepararPgina1)
            throw ModuleError(u"No hay impresoras instaladas"_s);
    });
    form->Imprimir3->trigger();
    form->PrepararPgina1->trigger();
    form->Imprimir1->trigger();
    form->spbPreview->click();
    form->spbReporte->click();
    QCOMPARE(senders,
             (QStringList{"Imprimir3", "PrepararPgina1", "Imprimir1", "spbPreview", "spbReporte"}));
    QCOMPARE(messages, QStringList{u"No hay impresoras instaladas"_s});
}

QTEST_MAIN(TstFormaMaestro)
#include "tst_formamaestro.moc"
