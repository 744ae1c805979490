// The suite's components on the demo database: the query-by-example button (typed
// criteria narrow the rows, the framework's restriction stays, failures keep what the user
// saw) and what is kept about a record: its notes (on the server, refused when someone
// else changed them, shown by the notes button) and the change log that an applied
// insert, change and delete leave in GN_LOGCM.

#include "ChangeLogBuilder.h"
#include "Field.h"
#include "LocalAppServer.h"
#include "ModuleError.h"
#include "NotesDialog.h"
#include "NotesStore.h"
#include "QbeCriteriaDialog.h"
#include "SClientDataSet.h"
#include "SDCOMConnection.h"
#include "TVDatasetLog.h"
#include "TVNotas.h"
#include "TVSDBQbe.h"
#include "TestDatabase.h"
#include "TestHelpers.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>
#include <memory>

using namespace Qt::StringLiterals;
using tavrel::ChangeLogBuilder;
using tavrel::ModuleError;
using tavrel::Note;
using tavrel::NotesStore;
using tavrel::QbeOperator;

Q_DECLARE_METATYPE(QbeOperator)

// A fresh demo database, a connection to an in-process application server on it, and the
// messages the components report instead of showing them.
struct DemoServerFixture
{
    tavrel::test::TestDatabase db{tavrel::test::TestDatabase::Content::Demo};
    SDCOMConnection connection;
    ReportedErrors messages;
};

class TstDemoRecords : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { TAVREL_SKIP_WITHOUT_POSTGRES(); }
    void init();
    void cleanup();

    void criteriaNarrowTheRows_data();
    void criteriaNarrowTheRows();
    void restrictionCombinesWithCriteria();
    void aDayIncludesItsLastMinute();
    void aFailedQueryKeepsTheRowsShown();
    void criteriaWindowRunsTheQuery();
    void notesAreSharedAndChangesElsewhereAreRefused();
    void notesButtonOpensTheCurrentRecordsNotes();
    void appliedChangesAreLoggedWithOldAndNewValues();
    void aRefusedChangeLogsNothing();

private:
    std::unique_ptr<SClientDataSet> dataSet(const QString& sql);
    tavrel::IAppServer& server() { return *m_fx->connection.appServer(); }
    // Entries of one operation: "FIELD=old>new" sorted.
    QStringList entries(const QString& operation);

    std::unique_ptr<DemoServerFixture> m_fx;
    // The session of company 1 and user MGOMEZ.
    std::optional<tavrel::SessionServices::Scope> m_session;
    std::unique_ptr<SClientDataSet> m_relation; // one relation row, its changes logged
    std::unique_ptr<TVDatasetLog> m_log;
};

// The field's values of every row, sorted, joined with commas.
static QString values(SClientDataSet& ds, const char* field)
{
    QStringList list;
    for (int row = 0; row < ds.recordCount(); ++row)
        list.append(ds.valueAt(row, ds.fieldByName(QLatin1String(field))->index()).toString());
    std::sort(list.begin(), list.end(), [](const QString& a, const QString& b) {
        return a.size() != b.size() ? a.size() < b.size() : a < b;
    });
    return list.join(u',');
}

void TstDemoRecords::init()
{
    m_fx = std::make_unique<DemoServerFixture>();
    // In-process: the session is MGOMEZ in company 1, which the network server refuses her.
    m_fx->connection.setAppServer(tavrel::LocalAppServer::connect(m_fx->db.url()));
    m_session.emplace([](auto& s) {
        s.sessionValues = [] { return tavrel::SessionValues{u"1"_s, u"MGOMEZ"_s}; };
    });
    m_fx->db.exec(u"DELETE FROM GN_LOGCM"_s);
    const QString insert =
        u"INSERT INTO NM_NCMOV (COD_EMPR, COD_CCOS, COD_CONT, COD_CUEN, FEC_PROC, NAT_TRAN, "
        "VAL_CAUC, VAL_TRAN) VALUES (3, 999, 10, 'QBE', :FEC, 'D', 0, :VAL)"_s;
    m_fx->db.exec(insert, {QDateTime(QDate(2014, 2, 3), QTime(23, 59)), 1.0});
    m_fx->db.exec(insert, {QDateTime(QDate(2014, 2, 4), QTime(0, 0)), 2.0});
    m_relation = dataSet(u"SELECT * FROM NM_RPCOS WHERE COD_EMPR = 1 AND COD_CONT = 10 "
                         "AND COD_CUEN = '51010101'"_s);
    m_relation->setObjectName(u"QryVeZEZev"_s);
    m_relation->setProviderName(u"DtsPVeZEZev"_s);
    m_relation->setSMainTable(u"NM_RPCOS"_s);
    m_relation->open();
    m_log = std::make_unique<TVDatasetLog>();
    m_log->setDataSet(m_relation.get());
}

void TstDemoRecords::cleanup()
{
    m_log.reset();
    m_relation.reset();
    m_session.reset();
    m_fx.reset();
}

std::unique_ptr<SClientDataSet> TstDemoRecords::dataSet(const QString& sql)
{
    auto ds = std::make_unique<SClientDataSet>();
    ds->setObjectName(u"CdsTmp"_s);
    ds->setProviderName(u"DtsPTemporal"_s);
    ds->setRemoteServer(&m_fx->connection);
    ds->setCommandText(sql);
    return ds;
}

void TstDemoRecords::criteriaNarrowTheRows_data()
{
    QTest::addColumn<QString>("field");
    QTest::addColumn<QbeOperator>("op");
    QTest::addColumn<QString>("value");
    QTest::addColumn<QString>("codes");

    QTest::newRow("no criterion: every concept of the company in the parameter")
        << u"NOM_CONT"_s << QbeOperator::Equal << u""_s << u"10,11,20,30,40,50,60,70"_s;
    QTest::newRow("an underscore is no wildcard (C_D would match every COD_)")
        << u"CAM_RELA"_s << QbeOperator::Contains << u"C_D"_s << u""_s;
}

void TstDemoRecords::criteriaNarrowTheRows()
{
    QFETCH(QString, field);
    QFETCH(QbeOperator, op);
    QFETCH(QString, value);
    QFETCH(QString, codes);

    auto ds = dataSet(
        u"SELECT COD_CONT, NOM_CONT, CAM_RELA FROM NM_NCCON WHERE COD_EMPR = :P_COD_EMPR\n"_s);
    ds->paramByName(u"P_COD_EMPR"_s).value = 1;
    TVSDBQbe qbe;
    qbe.setTag(1);
    qbe.setSQLUpperCase(true);
    qbe.SetDataset(ds.get());
    qbe.Inicializar(true);
    qbe.applyCriteria({{field, field, ds->fieldByName(field)->dataType(), op, value}});
    QCOMPARE(values(*ds, "COD_CONT"), codes);
}

void TstDemoRecords::restrictionCombinesWithCriteria()
{
    auto ds = dataSet(u"SELECT * FROM NM_NCCON"_s);
    TVSDBQbe qbe;
    qbe.SetDataset(ds.get());
    qbe.setBaseCondition(u"COD_EMPR = 2"_s);
    qbe.setSQLUpperCase(true);
    qbe.Inicializar(true);
    QCOMPARE(values(*ds, "COD_CONT"), u"10,20,40,50"_s);

    qbe.applyCriteria({{u"NOM_CONT"_s, QString(), tavrel::FieldType::FixedChar,
                        QbeOperator::Contains, u"prima"_s}});
    QCOMPARE(values(*ds, "COD_CONT"), u"20"_s);
    qbe.Vquery(u" WHERE COD_CONT = 10"_s);
    QCOMPARE(values(*ds, "COD_EMPR"), u"2"_s);
}

void TstDemoRecords::aDayIncludesItsLastMinute()
{
    auto ds =
        dataSet(u"SELECT FEC_PROC, VAL_TRAN FROM NM_NCMOV WHERE COD_EMPR = 3 AND COD_CCOS = 999"_s);
    TVSDBQbe qbe;
    qbe.setTag(1);
    qbe.setDateFormat(u"dd/MM/yyyy"_s);
    qbe.SetDataset(ds.get());
    // Movement 1 is at 23:59 on 3 February 2014, movement 2 at midnight the next day.
    qbe.applyCriteria({{u"FEC_PROC"_s, QString(), tavrel::FieldType::DateTime, QbeOperator::Equal,
                        u"03/02/2014"_s}});
    QCOMPARE(values(*ds, "VAL_TRAN"), u"1"_s);
}

void TstDemoRecords::aFailedQueryKeepsTheRowsShown()
{
    auto ds = dataSet(u"SELECT * FROM NM_NCCON WHERE COD_EMPR = 1"_s);
    TVSDBQbe qbe;
    qbe.setTag(1); // the text has its WHERE already: the restriction follows with AND
    qbe.setBaseCondition(u"COD_CONT > 10"_s);
    qbe.SetDataset(ds.get());
    qbe.Vquery(u" AND COD_CONT < 30"_s);
    const QString shown = ds->commandText();

    QVERIFY_THROWS_EXCEPTION(ModuleError, qbe.Vquery(u" AND NO_EXISTE = 1"_s));
    QCOMPARE(ds->commandText(), shown);
    QCOMPARE(values(*ds, "COD_CONT"), u"11,20"_s);

    ds->edit();
    QVERIFY_THROWS_EXCEPTION(ModuleError, qbe.Vquery(QString()));
    QCOMPARE(ds->state(), tavrel::DataSetState::Edit);
}

void TstDemoRecords::criteriaWindowRunsTheQuery()
{
    auto ds = dataSet(u"SELECT COD_CONT, NOM_CONT, CAM_RELA FROM NM_NCCON"_s);
    ds->open();
    ds->fieldByName(u"COD_CONT"_s)->setDisplayLabel(u"Código"_s);
    ds->fieldByName(u"CAM_RELA"_s)->setVisible(false);
    TVSDBQbe qbe;
    qbe.setSQLUpperCase(true);
    qbe.SetDataset(ds.get());

    bool hiddenFieldOffered = true;
    bool refusedStaysOpen = false;
    whenModalShows<tavrel::QbeCriteriaDialog>([&](tavrel::QbeCriteriaDialog* dialog) {
        hiddenFieldOffered = dialog->valueEdit(u"CAM_RELA"_s) != nullptr;
        auto* ok = dialog->findChild<QPushButton*>(u"aceptar"_s);
        dialog->valueEdit(u"COD_CONT"_s)->setText(u"diez"_s);
        ok->click();
        refusedStaysOpen = dialog->isVisible();
        dialog->valueEdit(u"COD_CONT"_s)->clear();
        dialog->operatorBox(u"NOM_CONT"_s)->setCurrentText(u"contiene"_s);
        dialog->valueEdit(u"NOM_CONT"_s)->setText(u"sueldo"_s);
        ok->click();
    });
    qbe.click();

    QVERIFY(!hiddenFieldOffered);
    QVERIFY(refusedStaysOpen);
    QCOMPARE(m_fx->messages.size(), 1);
    QVERIFY(m_fx->messages.first().startsWith(u"«diez» no es un número válido para "
                                              "«Código»"_s));
    QCOMPARE(values(*ds, "NOM_CONT"),
             u"SUELDO BÁSICO,SUELDO BÁSICO,SUELDO BÁSICO PERSONAL DE PLANTA"_s);
}

void TstDemoRecords::notesAreSharedAndChangesElsewhereAreRefused()
{
    NotesStore mine(server(), u"FrmVeZezev"_s, u"COD_CONT"_s, 1);
    Note added = mine.add(u"10"_s, u"Revisar la fuente 'SGP'.\nLínea 2"_s, false, u"MGOMEZ"_s);
    mine.update(added, u"Revisada la fuente 'SGP'."_s, true);

    const auto other = m_fx->db.appServer();
    NotesStore theirs(*other, u"FrmVeZezev"_s, u"COD_CONT"_s, 1);
    QList<Note> notes = theirs.load(u"10"_s);
    QCOMPARE(notes.size(), 2);
    // Newest first: the one just written, then the demo note of 2014.
    QCOMPARE(notes[0].text, u"Revisada la fuente 'SGP'."_s);
    QCOMPARE(notes[0].user, u"MGOMEZ"_s);
    QVERIFY(notes[0].alert);
    QCOMPARE(notes[0].date, added.date);
    QCOMPARE(notes[1].user, u"JPEREZ"_s);
    QCOMPARE(notes[1].date, QDateTime(QDate(2014, 2, 3), QTime(10, 15)));
    // The same key of another company or form has notes of its own.
    QVERIFY(NotesStore(server(), u"FrmVeZezev"_s, u"COD_CONT"_s, 2).load(u"10"_s).isEmpty());
    QVERIFY(NotesStore(server(), u"FrmNmNccon"_s, u"COD_CONT"_s, 1).load(u"10"_s).isEmpty());

    // Changed on the other machine after it was read here: neither changed nor removed.
    theirs.update(notes[0], u"Cambiada en otro equipo"_s, false);
    const auto error = thrownBy([&] { mine.update(added, u"Cambiada aquí"_s, true); });
    QVERIFY(error && error->kind() == ModuleError::Kind::Conflict);
    QVERIFY_THROWS_EXCEPTION(ModuleError, mine.remove(added));
    QCOMPARE(mine.load(u"10"_s).first().text, u"Cambiada en otro equipo"_s);
    theirs.remove(notes[0]);
    QCOMPARE(mine.load(u"10"_s).size(), 1);
}

void TstDemoRecords::notesButtonOpensTheCurrentRecordsNotes()
{
    SClientDataSet relation;
    relation.setObjectName(u"QryVeZEZev"_s);
    relation.setProviderName(u"DtsPTemporal"_s);
    relation.setRemoteServer(&m_fx->connection);
    relation.setCommandText(u"SELECT COD_CONT, NOM_CONT FROM NM_NCCON "
                            "WHERE COD_EMPR = 1 AND COD_CONT = 10"_s);
    relation.open();
    relation.fieldByName(u"COD_CONT"_s)->setDisplayLabel(u"Contabilización"_s);

    TVNotas button;
    button.setDataSet(&relation);
    button.setTituloForma(u"Relación Rubros SIIF2"_s);
    button.setForma(u"FrmVeZezev"_s);
    button.setCampo(u"COD_CONT"_s);

    QString title;
    int listed = 0;
    whenModalShows<tavrel::NotesDialog>([&](tavrel::NotesDialog* dialog) {
        title = dialog->windowTitle();
        listed = dialog->list()->rowCount();
        dialog->findChild<QPushButton*>(u"nueva"_s)->click();
        dialog->editor()->setPlainText(u"Validar el rubro con presupuesto antes "
                                       "del cierre mensual."_s);
        dialog->alertBox()->setChecked(true);
        dialog->findChild<QPushButton*>(u"guardar"_s)->click();
        dialog->selectNote(1);
        dialog->ConfirmDelete = [](QWidget*) { return true; };
        dialog->findChild<QPushButton*>(u"eliminar"_s)->click();
        dialog->accept();
    });
    button.click();

    QVERIFY(m_fx->messages.isEmpty());
    QCOMPARE(title, u"Notas / Alertas - Relación Rubros SIIF2"_s);
    QCOMPARE(listed, 1);
    // The new note stays, the demo note (second in the list) is gone.
    const QList<Note> kept = NotesStore(server(), u"FrmVeZezev"_s, u"COD_CONT"_s, 1).load(u"10"_s);
    QCOMPARE(kept.size(), 1);
    QCOMPARE(kept[0].user, u"MGOMEZ"_s);
    QVERIFY(kept[0].alert);
}

QStringList TstDemoRecords::entries(const QString& operation)
{
    const QList<QVariantList> rows =
        m_fx->db.queryRows(u"SELECT CAM_CAMB, VAL_ANTE, VAL_NUEV, COD_EMPR, COD_USUA, TAB_CAMB, "
                           "FEC_CAMB FROM GN_LOGCM WHERE OPE_CAMB = :OPE"_s,
                           {operation});
    QStringList list;
    for (const QVariantList& r : rows) {
        if (r[3].toInt() != 1 || r[4].toString() != u"MGOMEZ" || r[5].toString() != u"NM_RPCOS"_s ||
            r[6].isNull())
            list.append(u"wrong session or table: "_s + r[3].toString() + r[4].toString());
        const auto text = [](const QVariant& v) { return v.isNull() ? u"null"_s : v.toString(); };
        list.append(r[0].toString() + u'=' + text(r[1]) + u'>' + text(r[2]));
    }
    list.sort();
    return list;
}

void TstDemoRecords::appliedChangesAreLoggedWithOldAndNewValues()
{
    // A change logs the fields whose value changed, old and new.
    const QString oldSource = m_relation->fieldByName(u"COD_FUEN"_s)->asString();
    const QString oldTotal =
        ChangeLogBuilder::valueText(m_relation->fieldByName(u"VAL_TOTA"_s)->value()).toString();
    m_relation->edit();
    m_relation->fieldByName(u"COD_FUEN"_s)->setValue(u"99"_s);
    m_relation->fieldByName(u"VAL_TOTA"_s)->setValue(123.25);
    m_relation->fieldByName(u"DEP_APAC"_s)
        ->setValue(m_relation->fieldByName(u"DEP_APAC"_s)->value()); // same value
    m_relation->post();
    m_relation->applyUpdates();
    QCOMPARE(entries(u"M"_s),
             QStringList({"COD_FUEN=" + oldSource + ">99", "VAL_TOTA=" + oldTotal + ">123.25"}));

    // A delete logs every value it removed.
    QStringList removed;
    for (tavrel::Field* f : m_relation->fields()) {
        if (!f->isNull())
            removed.append(f->fieldName() + u'=' +
                           ChangeLogBuilder::valueText(f->value()).toString() + u">null"_s);
    }
    removed.sort();
    m_relation->deleteRecord();
    m_relation->applyUpdates();
    QCOMPARE(entries(u"D"_s), removed);

    // An insert logs every value it stored.
    m_relation->append();
    m_relation->fieldByName(u"COD_EMPR"_s)->setValue(1);
    m_relation->fieldByName(u"COD_CONT"_s)->setValue(11);
    m_relation->fieldByName(u"COD_CUEN"_s)->setValue(u"51010301"_s);
    m_relation->fieldByName(u"VAL_TOTA"_s)->setValue(1500.5);
    m_relation->post();
    m_relation->applyUpdates();
    QCOMPARE(entries(u"I"_s), QStringList({"COD_CONT=null>11", "COD_CUEN=null>51010301",
                                           "COD_EMPR=null>1", "VAL_TOTA=null>1500.5"}));
}

void TstDemoRecords::aRefusedChangeLogsNothing()
{
    // Someone else changes the rows after they were read.
    m_fx->db.exec(u"UPDATE NM_RPCOS SET COD_FUEN = '77' WHERE COD_EMPR = 1 AND "
                  "COD_CONT = 10"_s);
    m_relation->edit();
    m_relation->fieldByName(u"COD_FUEN"_s)->setValue(u"99"_s);
    m_relation->post();
    QVERIFY_THROWS_EXCEPTION(ModuleError, m_relation->applyUpdates());
    QCOMPARE(m_fx->db.queryValue(u"SELECT COUNT(*) FROM GN_LOGCM"_s).toInt(), 0);
    QVERIFY(m_fx->messages.isEmpty());
}

QTEST_MAIN(TstDemoRecords)
#include "tst_demorecords.moc"
