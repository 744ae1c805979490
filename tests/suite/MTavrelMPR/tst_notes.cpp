// Notes of a record on the demo database: kept on the server, refused when someone else
// changed them, and the notes window of the notes button.

#include "DemoServerFixture.h"
#include "Field.h"
#include "LocalAppServer.h"
#include "ModalDriver.h"
#include "ModuleError.h"
#include "NotesDialog.h"
#include "NotesStore.h"
#include "SClientDataSet.h"
#include "SessionGlobals.h"
#include "TVNotas.h"

#include <QCheckBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>

using tavrel::ModuleError;
using tavrel::Note;
using tavrel::NotesStore;

class TstNotes : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void notesAreKeptAcrossConnections();
    void notesBelongToFormKeyAndCompany_data();
    void notesBelongToFormKeyAndCompany();
    void aNoteChangedElsewhereIsRefused();
    void notesButtonOpensTheCurrentRecordsNotes();
    void notesButtonNeedsARecordWithKey();

private:
    tavrel::IAppServer& server() { return *m_fx->connection.appServer(); }
    std::unique_ptr<DemoServerFixture> m_fx;
};

void TstNotes::initTestCase()
{
    TAVREL_SKIP_WITHOUT_POSTGRES();
}

void TstNotes::init()
{
    m_fx = std::make_unique<DemoServerFixture>();
    gStCodiEmpr = QStringLiteral("1");
    gStCodiUsua = QStringLiteral("MGOMEZ");
}

void TstNotes::cleanup()
{
    m_fx.reset();
    gStCodiEmpr.clear();
    gStCodiUsua.clear();
}

void TstNotes::notesAreKeptAcrossConnections()
{
    NotesStore store(server(), QStringLiteral("FrmVeZezev"), QStringLiteral("COD_CONT"), 1);
    Note added =
        store.add(QStringLiteral("10"), QStringLiteral("Revisar la fuente 'SGP'.\nLínea 2"), false,
                  QStringLiteral("MGOMEZ"));
    store.update(added, QStringLiteral("Revisada la fuente 'SGP'."), true);

    const auto other = tavrel::LocalAppServer::connect(m_fx->db.url());
    const QList<Note> notes =
        NotesStore(*other, QStringLiteral("FrmVeZezev"), QStringLiteral("COD_CONT"), 1)
            .load(QStringLiteral("10"));
    QCOMPARE(notes.size(), 2);
    // Newest first: the one just written, then the demo note of 2014.
    QCOMPARE(notes[0].text, QStringLiteral("Revisada la fuente 'SGP'."));
    QCOMPARE(notes[0].user, QStringLiteral("MGOMEZ"));
    QVERIFY(notes[0].alert);
    QCOMPARE(notes[0].date, added.date);
    QCOMPARE(notes[1].user, QStringLiteral("JPEREZ"));
    QCOMPARE(notes[1].date, QDateTime(QDate(2014, 2, 3), QTime(10, 15)));

    store.remove(notes[0]);
    QCOMPARE(store.load(QStringLiteral("10")).size(), 1);
}

void TstNotes::notesBelongToFormKeyAndCompany_data()
{
    QTest::addColumn<QString>("form");
    QTest::addColumn<QString>("key");
    QTest::addColumn<int>("company");
    QTest::addColumn<int>("count");

    QTest::newRow("the demo note's own record") << "FrmVeZezev"
                                                << "10" << 1 << 1;
    QTest::newRow("same key in another company") << "FrmVeZezev"
                                                 << "10" << 2 << 0;
    QTest::newRow("same key in another form") << "FrmNmNccon"
                                              << "10" << 1 << 0;
    QTest::newRow("a key that only starts like it") << "FrmVeZezev"
                                                    << "1" << 1 << 0;
}

void TstNotes::notesBelongToFormKeyAndCompany()
{
    QFETCH(QString, form);
    QFETCH(QString, key);
    QFETCH(int, company);
    QFETCH(int, count);
    QCOMPARE(NotesStore(server(), form, QStringLiteral("COD_CONT"), company).load(key).size(),
             count);
}

void TstNotes::aNoteChangedElsewhereIsRefused()
{
    NotesStore mine(server(), QStringLiteral("FrmVeZezev"), QStringLiteral("COD_CONT"), 1);
    const auto other = tavrel::LocalAppServer::connect(m_fx->db.url());
    NotesStore theirs(*other, QStringLiteral("FrmVeZezev"), QStringLiteral("COD_CONT"), 1);

    QList<Note> read = mine.load(QStringLiteral("10"));
    Note changedThere = theirs.load(QStringLiteral("10")).first();
    theirs.update(changedThere, QStringLiteral("Cambiada en otro equipo"), false);

    try {
        mine.update(read.first(), QStringLiteral("Cambiada aquí"), true);
        QFAIL("an outdated note was overwritten");
    } catch (const ModuleError& e) {
        QCOMPARE(e.kind(), ModuleError::Kind::Conflict);
    }
    QVERIFY_THROWS_EXCEPTION(ModuleError, mine.remove(read.first()));
    QCOMPARE(mine.load(QStringLiteral("10")).first().text,
             QStringLiteral("Cambiada en otro equipo"));
}

void TstNotes::notesButtonOpensTheCurrentRecordsNotes()
{
    SClientDataSet relation;
    relation.setObjectName(QStringLiteral("QryVeZEZev"));
    relation.setProviderName(QStringLiteral("DtsPTemporal"));
    relation.setRemoteServer(&m_fx->connection);
    relation.setCommandText(QStringLiteral("SELECT COD_CONT, NOM_CONT FROM NM_NCCON "
                                           "WHERE COD_EMPR = 1 AND COD_CONT = 10"));
    relation.open();
    relation.fieldByName(QStringLiteral("COD_CONT"))
        ->setDisplayLabel(QStringLiteral("Contabilización"));

    TVNotas button;
    button.setDataSet(&relation);
    button.setTituloForma(QStringLiteral("Relación Rubros SIIF2"));
    button.setForma(QStringLiteral("FrmVeZezev"));
    button.setCampo(QStringLiteral("COD_CONT"));

    QString title;
    int listed = 0;
    whenModalShows<tavrel::NotesDialog>([&](tavrel::NotesDialog* dialog) {
        title = dialog->windowTitle();
        listed = dialog->list()->rowCount();
        dialog->findChild<QPushButton*>(QStringLiteral("nueva"))->click();
        dialog->editor()->setPlainText(QStringLiteral("Validar el rubro con presupuesto antes "
                                                      "del cierre mensual."));
        dialog->alertBox()->setChecked(true);
        dialog->findChild<QPushButton*>(QStringLiteral("guardar"))->click();
        dialog->selectNote(1);
        if (!qEnvironmentVariableIsEmpty("TAVREL_SNAPSHOTS"))
            dialog->grab().save(qEnvironmentVariable("TAVREL_SNAPSHOTS") + "/notes.png");
        dialog->ConfirmDelete = [](QWidget*) { return true; };
        dialog->findChild<QPushButton*>(QStringLiteral("eliminar"))->click();
        dialog->accept();
    });
    button.click();

    QVERIFY(m_fx->messages.isEmpty());
    QCOMPARE(title, QStringLiteral("Notas / Alertas - Relación Rubros SIIF2"));
    QCOMPARE(listed, 1);
    // The new note stays, the demo note (second in the list) is gone.
    const QList<Note> kept =
        NotesStore(server(), QStringLiteral("FrmVeZezev"), QStringLiteral("COD_CONT"), 1)
            .load(QStringLiteral("10"));
    QCOMPARE(kept.size(), 1);
    QCOMPARE(kept[0].user, QStringLiteral("MGOMEZ"));
    QVERIFY(kept[0].alert);
}

void TstNotes::notesButtonNeedsARecordWithKey()
{
    SClientDataSet relation;
    relation.addField(QStringLiteral("COD_CONT"), tavrel::FieldType::SmallInt)
        ->setDisplayLabel(QStringLiteral("Contabilización"));
    relation.createDataSet();
    TVNotas button;
    button.setDataSet(&relation);
    button.setForma(QStringLiteral("FrmVeZezev"));
    button.setCampo(QStringLiteral("COD_CONT"));

    button.click();
    relation.append();
    button.click();
    QCOMPARE(m_fx->messages,
             QStringList({QStringLiteral("No hay un registro seleccionado para ver sus notas"),
                          QStringLiteral("El registro no tiene Contabilización; escríbalo antes "
                                         "de ver sus notas")}));
}

QTEST_MAIN(TstNotes)
#include "tst_notes.moc"
