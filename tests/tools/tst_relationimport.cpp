// Importing a workbook into the relation through the session's server: the plan, its
// application in one transaction, and the headless command over a workbook the export
// wrote and another program edited.

#include "IAppServer.h"
#include "ModuleError.h"
#include "RelationImport.h"
#include "RelationImportDialog.h"
#include "TavrelRun.h"
#include "TestDatabase.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QPushButton>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

using tavrel::IAppServer;
using tavrel::ModuleError;
using tavrel::RelationImport;
using tavrel::RelationImportPlan;
using tavrel::test::Run;
using tavrel::test::runTavrel;
using tavrel::test::TestDatabase;

namespace {

const QJsonArray kTitles{
    "Contabilización",     "Cuenta Contable",      "Campo Relacionado",
    "Fuente Financiación", "Recurso Presupuestal", "Descripción Recurso Presupuestal",
    "Valor Total",         "Valor Causado",        "ACT_HORA"};

// A workbook whose first sheet holds `rows` under kTitles, written by openpyxl: numbers
// stay number cells, texts text cells, null an empty cell.
QString workbook(const QTemporaryDir& dir, const QJsonArray& rows)
{
    const QString path = dir.filePath(u"importar.xlsx"_s);
    QJsonArray sheet{kTitles};
    for (const QJsonValue& r : rows)
        sheet.append(r);
    QProcess python;
    python.start(u"/usr/bin/python3"_s, {u"-c"_s, uR"(
import json, sys, openpyxl
book = openpyxl.Workbook()
for row in json.loads(sys.argv[2]):
    book.active.append(row)
book.save(sys.argv[1])
)"_s,
                                         path, QString::fromUtf8(QJsonDocument(sheet).toJson())});
    if (!python.waitForFinished(60000) || python.exitCode() != 0)
        qFatal("openpyxl: %s", python.readAllStandardError().constData());
    return path;
}

QJsonArray row(const QVariantList& cells)
{
    return QJsonArray::fromVariantList(cells);
}

const QVariant blank;

} // namespace

class TstRelationImport : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();
    void planSaysWhatEachRowDoes_data();
    void planSaysWhatEachRowDoes();
    void appliedRowsAreStampedAndRecorded();
    void oneRefusedRowWritesNothing();
    void exportEditedElsewhereImportsBack();
    void deskOfOneCompanyCannotImportIntoAnother();
    void dialogShowsWhyAndAppliesWithOneButton();

private:
    QVariant stored(const char* column, int payrollConcept, const char* account, int related)
    {
        return m_db->queryValue(u"SELECT %1 FROM NM_RPCOS WHERE COD_EMPR = 1 AND COD_CONT = :C "
                                "AND COD_CUEN = :A AND COD_CCOS = :R"_s.arg(QLatin1String(column)),
                                {payrollConcept, QLatin1String(account), related});
    }
    QStringList login(const QString& user = u"JPEREZ"_s, const QString& password = u"Tavrel2026"_s)
    {
        return m_db->hostOptions() +
               QStringList{"--user", user, "--password", password, "--company", "1"};
    }
    std::unique_ptr<TestDatabase> m_db;
    std::unique_ptr<IAppServer> m_server;
};

void TstRelationImport::initTestCase()
{
    TAVREL_SKIP_WITHOUT_POSTGRES();
}

void TstRelationImport::init()
{
    m_db = std::make_unique<TestDatabase>(TestDatabase::Content::Demo);
    m_server = m_db->appServer();
}

void TstRelationImport::cleanup()
{
    m_server.reset();
    m_db.reset();
}

void TstRelationImport::planSaysWhatEachRowDoes_data()
{
    QTest::addColumn<int>("sheetRow");
    QTest::addColumn<QString>("action");
    QTest::addColumn<QString>("changes"); // the changed columns, comma-separated
    QTest::addColumn<QString>("message"); // a part of the row's message

    QTest::newRow("Colombian text and a resource by its name change the row") << 2 << "update"
                                                                              << "COD_PRES,VAL_TOTA"
                                                                              << "";
    QTest::newRow("a stale stamp counts only where the values differ") << 3 << "unchanged"
                                                                       << ""
                                                                       << "";
    QTest::newRow("a caused value is never written, and says why")
        << 4 << "ignored"
        << ""
        << "lo calcula la actualización del causado";
    QTest::newRow("a blank related code matches the null one") << 5 << "update"
                                                               << "VAL_TOTA"
                                                               << "";
    QTest::newRow("a new key of a registered concept and account") << 6 << "insert"
                                                                   << "COD_FUEN,COD_PRES,VAL_TOTA"
                                                                   << "";
    QTest::newRow("a concept without one of the four related fields, as the window says")
        << 7 << "refused"
        << "COD_PRES"
        << "La Contabilizción Seleccionada no se Encuentra Registrada...";
    QTest::newRow("an account of another concept, as the window says")
        << 8 << "refused"
        << "COD_PRES"
        << "La cuenta contable seleccionada no se encuentra registrada...";
    QTest::newRow("a resource outside the list")
        << 9 << "refused"
        << "COD_PRES"
        << "«28» de la columna Recurso Presupuestal no está en la lista";
    QTest::newRow("a name the list gives two codes") << 10 << "refused"
                                                     << ""
                                                     << "es el nombre de los códigos 15 y 25";
    QTest::newRow("a key twice in the sheet: the first") << 11 << "refused"
                                                         << "VAL_TOTA"
                                                         << "también en la fila 12 de la hoja";
    QTest::newRow("a key twice in the sheet: the second") << 12 << "refused"
                                                          << "VAL_TOTA"
                                                          << "también en la fila 11 de la hoja";
    QTest::newRow("a key the company holds twice")
        << 13 << "refused"
        << ""
        << "la empresa tiene 2 filas"; // no one row to compare with
    QTest::newRow("changed on the server after the export") << 14 << "refused"
                                                            << "VAL_TOTA"
                                                            << "cambió en el servidor";
    QTest::newRow("a total that is not a number")
        << 15 << "refused"
        << "COD_PRES"
        << "«1,234.5» no es un número (escríbalo como 1.234.567,89) en la columna Valor Total";
}

void TstRelationImport::planSaysWhatEachRowDoes()
{
    QFETCH(int, sheetRow);
    QFETCH(QString, action);
    QFETCH(QString, changes);
    QFETCH(QString, message);
    // A second row of concept 40's key, so the company holds it twice, and a row the sheet
    // does not name.
    m_db->exec(u"INSERT INTO NM_RPCOS (COD_EMPR, COD_CONT, COD_CUEN, COD_CCOS, VAL_TOTA) "
               "VALUES (1, 40, '51030201', 2, 1), (1, 40, '51030202', 9, 1)"_s);
    QTemporaryDir dir;
    const QString path = workbook(
        dir, {row({10, 51010101, 100, "01", blank, "Otros recursos del tesoro", "850.000.000,5",
                   blank, blank}),
              row({10, "51010102", 300, "02", 20, blank, 120000000, blank, "2001-01-01T00:00:00"}),
              row({20, "51010501", 2, "01", 11, blank, 98000000, 5, blank}),
              row({10, "51010101", blank, "01", 12, blank, 5000001, blank, blank}),
              row({40, "51030202", 8, "01", 10, blank, "2.500.000", blank, blank}),
              row({50, "51011501", 1, blank, 10, blank, blank, blank, blank}),
              row({10, "51030201", 1, blank, 10, blank, blank, blank, blank}),
              row({10, "51010102", 1, blank, 28, blank, blank, blank, blank}),
              row({10, "51010102", 2, blank, blank, "Donaciones", blank, blank, blank}),
              row({30, "51011001", 1, "02", 16, blank, 1, blank, blank}),
              row({30, "51011001", 1, "02", 16, blank, 2, blank, blank}),
              row({40, "51030201", 2, "01", 50, blank, 3, blank, blank}),
              row({11, "51010301", 99, "01", 28, blank, 1, blank, "2014-01-01T08:00:00"}),
              row({10, "51010102", 3, blank, 10, blank, "1,234.5", blank, blank})});

    const RelationImportPlan plan = RelationImport::plan(*m_server, 1, path);
    const QJsonObject json = plan.toJson();
    QJsonObject entry;
    for (const QJsonValue& e : json.value("rows").toArray()) {
        if (e.toObject().value("sheetRow").toInt() == sheetRow)
            entry = e.toObject();
    }
    QCOMPARE(entry.value("action").toString(), action);
    QCOMPARE(entry.value("changes").toObject().keys().join(u','), changes);
    QVERIFY2(entry.value("message").toString().contains(message),
             qPrintable(entry.value("message").toString()));
    QCOMPARE(json.value("summary").toObject(),
             (QJsonObject{
                 {"insert", 1}, {"update", 2}, {"unchanged", 1}, {"ignored", 1}, {"refused", 9}}));
    // The row the sheet leaves out, and the demo's row without any key.
    QCOMPARE(json.value("notInSheet").toArray(),
             (QJsonArray{QJsonObject{{"COD_CONT", 40}, {"COD_CUEN", "51030202"}, {"COD_CCOS", 9}},
                         QJsonObject{{"COD_CONT", QJsonValue::Null},
                                     {"COD_CUEN", QJsonValue::Null},
                                     {"COD_CCOS", QJsonValue::Null}}}));
    if (sheetRow == 2) // the number the Colombian text gives, the code the name gives
        QCOMPARE(entry.value("changes").toObject(),
                 (QJsonObject{{"COD_PRES", QJsonArray{10, 11}},
                              {"VAL_TOTA", QJsonArray{850000000.0, 850000000.5}}}));
}

void TstRelationImport::appliedRowsAreStampedAndRecorded()
{
    QTemporaryDir dir;
    const QString path =
        workbook(dir, {row({10, "51010101", 100, "01", 11, blank, 1, blank, blank}),
                       row({10, "51010101", blank, "01", 12, blank, 7000000, blank, blank}),
                       row({40, "51030202", 8, "02", 20, blank, "2.500.000,25", blank, blank})});
    const QDateTime before = QDateTime::currentDateTime().addSecs(-5);
    QCOMPARE(
        RelationImport::apply(*m_server, 1, u"JPEREZ"_s, RelationImport::plan(*m_server, 1, path)),
        3);

    QCOMPARE(stored("VAL_TOTA", 10, "51010101", 100).toDouble(), 1.0);
    QCOMPARE(stored("COD_PRES", 10, "51010101", 100).toInt(), 11);
    QCOMPARE(m_db->queryValue(u"SELECT VAL_TOTA FROM NM_RPCOS WHERE COD_EMPR = 1 AND "
                              "COD_CONT = 10 AND COD_CCOS IS NULL"_s)
                 .toDouble(),
             7000000.0);
    QCOMPARE(stored("VAL_TOTA", 40, "51030202", 8).toDouble(), 2500000.25);
    // Stamped as the window's post stamps: the server's time, the user, A or M.
    const QList<QVariantList> stamps = m_db->queryRows(
        u"SELECT COD_CONT, COD_CCOS, ACT_USUA, ACT_ESTA, ACT_HORA FROM NM_RPCOS WHERE "
        "COD_EMPR = 1 AND ACT_HORA >= :T ORDER BY COD_CONT, COD_CCOS"_s,
        {before});
    QCOMPARE(stamps.size(), 3);
    QStringList marks;
    for (const QVariantList& s : stamps) {
        QCOMPARE(s[2].toString().trimmed(), u"JPEREZ"_s);
        marks.append(s[3].toString());
    }
    QCOMPARE(marks.join(u','), u"M,M,A"_s);
    // One history entry per row in the server's history, and the change log per column.
    QCOMPARE(m_db->queryValue(u"SELECT COUNT(*) FROM TVL_HISTORIA WHERE FEC_HIST >= :T"_s, {before})
                 .toInt(),
             3);
    QCOMPARE(m_db->queryRows(
                 u"SELECT OPE_CAMB, CAM_CAMB, COALESCE(VAL_ANTE, '-'), VAL_NUEV FROM GN_LOGCM "
                 "WHERE TAB_CAMB = 'NM_RPCOS' AND FEC_CAMB >= :T AND "
                 "CAM_CAMB = 'VAL_TOTA' ORDER BY VAL_NUEV"_s,
                 {before}),
             (QList<QVariantList>{{u"M"_s, u"VAL_TOTA"_s, u"8.5e+08"_s, u"1"_s},
                                  {u"I"_s, u"VAL_TOTA"_s, u"-"_s, u"2500000.25"_s},
                                  {u"M"_s, u"VAL_TOTA"_s, u"5e+06"_s, u"7e+06"_s}}));
}

void TstRelationImport::oneRefusedRowWritesNothing()
{
    const auto snapshot = [this] {
        return m_db->queryRows(u"SELECT * FROM NM_RPCOS ORDER BY TVL_ROWID"_s);
    };
    const QList<QVariantList> before = snapshot();
    const int history = m_db->queryValue(u"SELECT COUNT(*) FROM TVL_HISTORIA"_s).toInt();
    QTemporaryDir dir;
    const QString path =
        workbook(dir, {row({10, "51010101", 100, "01", 10, blank, 1, blank, blank}),
                       row({40, "51030202", 8, "02", 20, blank, "2.500.000", blank, blank}),
                       row({99, "51010101", 100, "01", 10, blank, 1, blank, blank})});
    const RelationImportPlan plan = RelationImport::plan(*m_server, 1, path);
    QCOMPARE(plan.count(RelationImportPlan::Action::Refused), 1);
    try {
        RelationImport::apply(*m_server, 1, u"JPEREZ"_s, plan);
        QFAIL("applied");
    } catch (const ModuleError& e) {
        QVERIFY2(e.message().contains(u"no se grabó ninguna fila"_s), qPrintable(e.message()));
    }
    QCOMPARE(snapshot(), before);
    QCOMPARE(m_db->queryValue(u"SELECT COUNT(*) FROM TVL_HISTORIA"_s).toInt(), history);

    // The command prints the plan and fails; still nothing is written.
    const Run r = runTavrel(QStringList{"import"} + login() +
                            QStringList{"--xlsx", path, "--apply", "--json"});
    QCOMPARE(r.exitCode, 1);
    QVERIFY2(r.err.contains(u"no se grabó ninguna fila"_s), qPrintable(r.err));
    const QJsonObject printed = QJsonDocument::fromJson(r.out.toUtf8()).object();
    QCOMPARE(printed.value("summary").toObject().value("refused").toInt(), 1);
    QCOMPARE(snapshot(), before);
}

// Exported by the window's export, three totals and a resource edited by openpyxl,
// imported back by the command.
void TstRelationImport::exportEditedElsewhereImportsBack()
{
    QTemporaryDir dir;
    const QString xlsx = dir.filePath(u"relación.xlsx"_s);
    Run r = runTavrel(QStringList{"export"} + login() + QStringList{"--xlsx", xlsx});
    QVERIFY2(r.exitCode == 0, qPrintable(r.err));
    QProcess edit;
    edit.start(u"/usr/bin/python3"_s, {u"-c"_s, uR"(
import sys, openpyxl
book = openpyxl.load_workbook(sys.argv[1])
sheet = book.worksheets[0]
titles = [c.value for c in sheet[1]]
col = {t: titles.index(t) for t in titles}
assert titles[col["Descripción Recurso Presupuestal"] + 1] == "Recurso Presupuestal", titles
for r in sheet.iter_rows(min_row=2):
    key = (r[col["Contabilización"]].value, str(r[col["Cuenta Contable"]].value).strip(),
           r[col["Campo Relacionado"]].value)
    if key in [(10, "51010101", 100), (30, "51011001", 1), (40, "51030201", 2)]:
        r[col["Valor Total"]].value += 1000
    if key == (20, "51010501", 2):
        r[col["Recurso Presupuestal"]].value = 17
        r[col["Descripción Recurso Presupuestal"]].value = "Rentas parafiscales"
book.save(sys.argv[1])
)"_s,
                                       xlsx});
    QVERIFY(edit.waitForFinished(60000));
    QVERIFY2(edit.exitCode() == 0, edit.readAllStandardError().constData());

    r = runTavrel(QStringList{"import"} + login() + QStringList{"--xlsx", xlsx, "--json"});
    QVERIFY2(r.exitCode == 0, qPrintable(r.err));
    const QJsonObject plan = QJsonDocument::fromJson(r.out.toUtf8()).object();
    const int rows =
        m_db->queryValue(u"SELECT COUNT(*) FROM NM_RPCOS WHERE COD_EMPR = 1"_s).toInt();
    QCOMPARE(plan.value("summary").toObject(), (QJsonObject{{"insert", 0},
                                                            {"update", 4},
                                                            {"unchanged", rows - 4},
                                                            {"ignored", 0},
                                                            {"refused", 0}}));
    QCOMPARE(plan.value("notInSheet").toArray(), QJsonArray());

    r = runTavrel(QStringList{"import"} + login() + QStringList{"--xlsx", xlsx, "--apply"});
    QVERIFY2(r.exitCode == 0, qPrintable(r.err));
    QVERIFY2(r.out.contains(u"4 fila(s) grabada(s)"_s), qPrintable(r.out));
    QCOMPARE(stored("VAL_TOTA", 10, "51010101", 100).toDouble(), 850001000.0);
    QCOMPARE(stored("VAL_TOTA", 30, "51011001", 1).toDouble(), 35501000.0);
    QCOMPARE(stored("VAL_TOTA", 40, "51030201", 2).toDouble(), 76001000.0);
    QCOMPARE(stored("COD_PRES", 20, "51010501", 2).toInt(), 17);
    // The caused values the sheet carried stay the server's.
    QCOMPARE(stored("VAL_CAUS", 10, "51010101", 100).toDouble(), 412345678.9);

    // Imported again, the same workbook is stale now: its stamps are the export's.
    r = runTavrel(QStringList{"import"} + login() + QStringList{"--xlsx", xlsx, "--json"});
    const QJsonObject again = QJsonDocument::fromJson(r.out.toUtf8()).object();
    QCOMPARE(again.value("summary").toObject().value("unchanged").toInt(), rows);
}

void TstRelationImport::deskOfOneCompanyCannotImportIntoAnother()
{
    const auto snapshot = [this] {
        return m_db->queryRows(u"SELECT * FROM NM_RPCOS ORDER BY TVL_ROWID"_s);
    };
    const QList<QVariantList> before = snapshot();
    QTemporaryDir dir;
    const QString path =
        workbook(dir, {row({10, "51010101", 100, "01", 10, blank, 1, blank, blank}),
                       row({40, "51030202", 8, "02", 20, blank, 5, blank, blank})});
    // The host refuses the company before anything is read.
    const Run r = runTavrel(QStringList{"import"} + login(u"MGOMEZ"_s, u"Nomina2026"_s) +
                            QStringList{"--xlsx", path, "--apply"});
    QCOMPARE(r.exitCode, 1);
    QVERIFY2(r.err.contains(u"El usuario MGOMEZ no tiene acceso a la empresa 1"_s),
             qPrintable(r.err));
    if (TestDatabase::isRemote()) {
        // A desk that skips that check and sends another desk's plan for company 1: the
        // network server refuses the rows itself.
        const RelationImportPlan plan = RelationImport::plan(*m_server, 1, path);
        QCOMPARE(plan.count(RelationImportPlan::Action::Insert), 1);
        QCOMPARE(plan.count(RelationImportPlan::Action::Update), 1);
        const std::unique_ptr<IAppServer> desk = m_db->appServer(u"MGOMEZ"_s, u"Nomina2026"_s);
        try {
            RelationImport::apply(*desk, 1, u"MGOMEZ"_s, plan);
            QFAIL("applied");
        } catch (const ModuleError& e) {
            QVERIFY2(e.message().contains(u"MGOMEZ no tiene acceso a la empresa 1"_s),
                     qPrintable(e.message()));
        }
    }
    QCOMPARE(snapshot(), before);
}

void TstRelationImport::dialogShowsWhyAndAppliesWithOneButton()
{
    QTemporaryDir dir;
    const QJsonArray update = row({10, "51010101", 100, "01", 10, blank, 1, blank, blank});
    int refreshed = 0;
    tavrel::RelationImportDialog dialog(std::shared_ptr<IAppServer>(std::move(m_server)), 1,
                                        u"JPEREZ"_s, [&refreshed] { ++refreshed; });

    QVERIFY(dialog.load(
        workbook(dir, {update, row({50, "51011501", 1, blank, 10, blank, blank, blank, blank})})));
    QCOMPARE(dialog.table()->rowCount(), 2);
    QCOMPARE(dialog.table()->item(1, 1)->text(), u"Rechazada"_s);
    QCOMPARE(dialog.table()->item(1, 6)->text(),
             u"La Contabilizción Seleccionada no se Encuentra Registrada..."_s);
    QVERIFY(!dialog.applyButton()->isEnabled());
    QVERIFY2(dialog.summary().contains(u"no se graba nada"_s), qPrintable(dialog.summary()));

    QVERIFY(dialog.load(workbook(dir, QJsonArray() << update)));
    QVERIFY(dialog.applyButton()->isEnabled());
    dialog.applyButton()->click();
    QCOMPARE(refreshed, 1); // the window re-reads its rows
    QVERIFY(!dialog.applyButton()->isEnabled());
    QCOMPARE(stored("VAL_TOTA", 10, "51010101", 100).toDouble(), 1.0);
}

QTEST_MAIN(TstRelationImport)
#include "tst_relationimport.moc"
