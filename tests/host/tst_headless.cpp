// The host's headless sub-commands, run as a user's script would run them.

#include "TavrelRun.h"
#include "TestDatabase.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <cmath>

using namespace Qt::StringLiterals;

using tavrel::test::Run;
using tavrel::test::runTavrel;
using tavrel::test::TestDatabase;

class TstHeadless : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void sessionReportsWhatTheModuleHolds();
    void answersAndFailures_data();
    void answersAndFailures();
    void callRunsTheOperationOfEveryCompany();
    void reportWritesThePdf();
    void exportWritesTheGridToExcel();
    void causedReportsWithoutTheModule();
    void closedYearWithoutTheModule();
    void screenshotPrintsAFirstCompanyError();

private:
    QStringList login() const
    {
        return m_db->hostOptions() +
               QStringList{"--user", "JPEREZ", "--password", "Tavrel2026", "--company", "1"};
    }
    std::unique_ptr<TestDatabase> m_db;
};

void TstHeadless::initTestCase()
{
    TAVREL_SKIP_WITHOUT_POSTGRES();
    m_db = std::make_unique<TestDatabase>(TestDatabase::Content::Demo);
}

void TstHeadless::sessionReportsWhatTheModuleHolds()
{
    const Run r =
        runTavrel(QStringList{"session"} + login() +
                  QStringList{"--alias", "DBTavrel", "--hpv", "abc \"AND COD_EMPR = 1\" def",
                              "--client-version", "3.1.0;20/03/2018", "--json"});
    QVERIFY2(r.exitCode == 0, qPrintable(r.err));
    QJsonParseError error;
    const QJsonObject o = QJsonDocument::fromJson(r.out.toUtf8(), &error).object();
    QVERIFY2(error.error == QJsonParseError::NoError, qPrintable(r.out));
    const QJsonObject expected{{"gStParHpv", "AND COD_EMPR = 1"},
                               {"gSlParams", QJsonArray{"abc", "AND COD_EMPR = 1", "def"}},
                               {"gStVersionCliente", "3.1.0"},
                               {"gStFechaCliente", "20/03/2018"},
                               {"gStProtocolo", m_db->protocol()},
                               {"gStAliasCnx", "DBTavrel"},
                               {"gStParSrv", m_db->server()},
                               // The module's identity; its .NET names are the entry points'.
                               {"gStServerGUID", "{DBE9EBA5-64BD-47FE-86EA-5A4B472636EB}"},
                               {"gStServerName", "VVeZezev.VVeZezevDmr"}};
    for (auto it = expected.begin(); it != expected.end(); ++it)
        QCOMPARE(o.value(it.key()), it.value());
}

void TstHeadless::answersAndFailures_data()
{
    QTest::addColumn<QStringList>("args"); // after the login, or before it for the host itself
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("message"); // once on stdout for exit 0, on stderr otherwise

    const QString version = QStringLiteral("tavrel " TAVREL_VERSION "\n");
    QTest::newRow("the host's --help lists its options, with no window")
        << QStringList{"--help"} << 0 << "--screenshot <ARCHIVO.png>";
    QTest::newRow("session's --help: the client version is an option of its own")
        << QStringList{"session", "--help"} << 0 << "--client-version <V;F>";
    QTest::newRow("call's --version, before looking at the program")
        << QStringList{"call", "--version", "VNoExiste"} << 0 << version;
    QTest::newRow("an operation the window does not publish is named")
        << QStringList{"call", "VEdUvura", "NoExiste"} << 1 << "no tiene la operación NoExiste";
    QTest::newRow("an unknown program is refused before loading anything")
        << QStringList{"call", "VNoExiste", "X"} << 2 << "programa desconocido VNoExiste";
    QTest::newRow("program and operation are both needed")
        << QStringList{"call", "VEdUvura"} << 2 << "indique el programa y la operación";
    QTest::newRow("the report's file belongs to report, not to call")
        << QStringList{"call", "--pdf", "r.pdf"} << 2 << "tavrel call: Opción desconocida: --pdf";
    QTest::newRow("a wrong password stops the load with the login's message; a network "
                  "server's login names nobody, to tell no one which users exist")
        << QStringList{"call", "--password", "otra", "VEdUvura", "ActualizarCausado"} << 1
        << (TestDatabase::isRemote()
                ? "tavrel call: Usuario o contraseña incorrectos.\n"
                : "tavrel call: Usuario o contraseña incorrectos para «JPEREZ»");
    QTest::newRow("the file is required") << QStringList{"report"} << 2 << "Falta --pdf";
    QTest::newRow("export writes one file, of one kind")
        << QStringList{"export", "--xlsx", "a.xlsx", "--csv", "a.csv"} << 2
        << "tavrel export: Indique --xlsx ARCHIVO o --csv ARCHIVO";
    QTest::newRow("the preview writes one thing, JSON or a workbook")
        << QStringList{"causado-preview", "--json", "--xlsx", "a.xlsx"} << 2
        << "tavrel causado-preview: Indique --json o --xlsx ARCHIVO";
    QTest::newRow("a refusal names the option as the user typed it")
        << QStringList{"history", "--concept", "x", "--account", "51"} << 2
        << "tavrel history: --concept espera el código numérico de la contabilización";
    QTest::newRow("a comparison needs both years")
        << QStringList{"archive", "--compare", "2013", "--json"} << 2
        << "tavrel archive: --compare espera dos años: --compare A1 A2";
    QTest::newRow("the monthly figures are of a year given")
        << QStringList{"causado-mensual", "--json"} << 2 << "tavrel causado-mensual: Falta --year";
    QTest::newRow("a folder that does not exist: the module's message, no file")
        << QStringList{"report", "--pdf", "/no/existe/r.pdf"} << 1 << "tavrel report: ";
}

void TstHeadless::answersAndFailures()
{
    QFETCH(QStringList, args);
    QFETCH(int, exitCode);
    QFETCH(QString, message);

    const bool subcommand = !args.first().startsWith(u'-');
    const Run r = runTavrel(args.mid(0, subcommand) + login() + args.mid(subcommand));
    QCOMPARE(r.exitCode, exitCode);
    QVERIFY2((exitCode == 0 ? r.out : r.err).count(message) == 1, qPrintable(r.out + r.err));
    QVERIFY(!QFile::exists(u"/no/existe/r.pdf"_s));
}

void TstHeadless::callRunsTheOperationOfEveryCompany()
{
    m_db->exec(u"UPDATE NM_RPCOS SET ACT_USUA = 'MGOMEZ', ACT_ESTA = 'A'"_s);
    m_db->exec(u"UPDATE NM_VARIG SET VAL_VARI = '2013' WHERE COD_VARI = 'FEC_RPCO'"_s);
    // The server's preview for company 1 gives what its update writes, from the movements
    // (pinned by the server's tests).
    const Run preview = runTavrel(QStringList{"causado-preview"} + login() + QStringList{"--json"});
    QVERIFY2(preview.exitCode == 0, qPrintable(preview.err));

    const Run r =
        runTavrel(QStringList{"call"} + login() + QStringList{"VEdUvura", "ActualizarCausado"});

    QVERIFY2(r.exitCode == 0, qPrintable(r.err));
    // The run is logged in to company 1, whose flag V0000017 is "S" (sums of VAL_TRAN), but
    // rewrites the rows of every company.
    const auto key = [](const QVariantList& values) {
        QStringList parts;
        for (const QVariant& v : values)
            parts << (v.isNull() ? QString() : v.toString().trimmed());
        return parts.join(u'/');
    };
    QHash<QString, double> expected;
    for (const QJsonValue& row : QJsonDocument::fromJson(preview.out.toUtf8()).array()) {
        QVariantList codes;
        for (const char* column : {"COD_EMPR", "COD_CCOS", "COD_CONT", "COD_CUEN"})
            codes << row[QLatin1String(column)].toVariant();
        expected.insert(key(codes), row[u"VAL_CAUS_NUEVO"_s].toDouble());
    }
    const auto rows =
        m_db->queryRows(QStringLiteral("SELECT COD_EMPR, COD_CCOS, COD_CONT, COD_CUEN, VAL_CAUS, "
                                       "ACT_USUA, ACT_ESTA FROM NM_RPCOS"));
    for (const QVariantList& row : rows) {
        const QString codes = key(row.mid(0, 4));
        QVERIFY2(expected.contains(codes) &&
                     std::fabs(row[4].toDouble() - expected.value(codes)) < 0.005,
                 qPrintable(codes + u' ' + row[4].toString()));
        // The raw reading of PostgreSQL keeps the CHAR padding.
        QCOMPARE(row[5].toString().trimmed(), u"JPEREZ"_s);
        QCOMPARE(row[6].toString().trimmed(), u"M"_s);
    }
}

void TstHeadless::reportWritesThePdf()
{
    QTemporaryDir dir;
    const QString pdf = dir.filePath(u"relación.pdf"_s);

    const Run r = runTavrel(QStringList{"report"} + login() + QStringList{"--pdf", pdf});

    QVERIFY2(r.exitCode == 0, qPrintable(r.err));
    QProcess text;
    text.start(u"pdftotext"_s, {pdf, u"-"_s});
    QVERIFY(text.waitForFinished(60000));
    const QString content = QString::fromUtf8(text.readAllStandardOutput());
    QVERIFY2(content.contains(u"Contabilización"_s), qPrintable(content));
    // No window painted the grid: the related-field kind is configured while the report
    // walks the rows, and the blocks after that carry its caption (company 1's concepts
    // relate cost centres).
    QVERIFY2(content.contains(u"Centro de Costo"_s), qPrintable(content));
}

void TstHeadless::exportWritesTheGridToExcel()
{
    QTemporaryDir dir;
    const QString xlsx = dir.filePath(u"relación.xlsx"_s);
    const Run r = runTavrel(QStringList{"export"} + login() + QStringList{"--xlsx", xlsx});
    QVERIFY2(r.exitCode == 0, qPrintable(r.err));
    // Written through a private temporary file, but the workbook is for others to open.
    QVERIFY(QFileInfo(xlsx).permissions().testFlag(QFile::ReadOther));

    // Read back by a reader that is not ours: per column its title, the types of its
    // filled cells, the format of the first row's cell and the sum of the number cells;
    // of the figures sheet its cells and per chart its title and the ranges of its series.
    // Debian's interpreter is the one that has Debian's openpyxl.
    QProcess reader;
    reader.start(u"/usr/bin/python3"_s, {u"-c"_s, QStringLiteral(R"(
import json, sys, openpyxl
book = openpyxl.load_workbook(sys.argv[1])
rows = list(book.worksheets[0].iter_rows())
print(json.dumps({"sheets": book.sheetnames, "rows": len(rows) - 1, "columns": [
    {"title": t.value, "format": c.number_format,
     "types": sorted({type(r[i].value).__name__ for r in rows[1:] if r[i].value is not None}),
     "sum": round(sum(r[i].value for r in rows[1:] if type(r[i].value) in (int, float)), 2)}
    for i, (t, c) in enumerate(zip(rows[0], rows[1]))],
    "figures": [[c.value for c in r] for r in book.worksheets[-1].iter_rows()],
    "charts": [["".join(r.t for p in ch.title.tx.rich.p for r in p.r)] +
               [[s.tx.strRef.f, (s.cat.strRef or s.cat.numRef).f, s.val.numRef.f]
                for s in ch.series] for ch in book.worksheets[-1]._charts]}))
)"),
                                         xlsx});
    QVERIFY(reader.waitForFinished(60000));
    const QJsonObject book = QJsonDocument::fromJson(reader.readAllStandardOutput()).object();
    QVERIFY2(!book.isEmpty(), reader.readAllStandardError().constData());
    QCOMPARE(book.value("sheets").toArray(), (QJsonArray{"Relación Rubros SIIF2", "Ejecución"}));
    const auto company = [this](const char* expression) {
        return m_db
            ->queryValue(
                u"SELECT %1 FROM NM_RPCOS WHERE COD_EMPR = 1"_s.arg(QLatin1String(expression)))
            .toDouble();
    };
    const auto cents = [](double value) { return std::round(value * 100) / 100; };
    QCOMPARE(book.value("rows").toInt(), int(company("COUNT(*)")));
    QHash<QString, QJsonObject> column;
    for (const QJsonValue& c : book.value("columns").toArray())
        column.insert(c.toObject().value("title").toString(), c.toObject());
    // Codes stay numbers, names text, money numbers in the grid's format.
    QCOMPARE(column["Contabilización"].value("types"), QJsonArray{"int"});
    QCOMPARE(column["Descripción Contabilización"].value("types"), QJsonArray{"str"});
    QCOMPARE(column["Valor Total"].value("format"), QJsonValue("#,##.00"));
    QCOMPARE(column["Valor Total"].value("sum").toDouble(), cents(company("SUM(VAL_TOTA)")));
    QCOMPARE(column["Valor Causado"].value("sum").toDouble(), cents(company("SUM(VAL_CAUS)")));

    // The figures: code, total and caused value per resource (the demo's seven and the
    // fixture's 15, from A1) and per source (from A12), as numbers.
    QHash<QString, QJsonArray> figure;
    for (const QJsonValue& row : book.value("figures").toArray())
        figure.insert(row.toArray().first().toString(), row.toArray());
    // Resource 10 is one row of company 1; source "01" sums five of its rows, 850 + 45 +
    // 98 + 76 + 5 millions. The caused values are the call test's.
    QCOMPARE(figure["10"][1].toDouble(), 850000000.0);
    QCOMPARE(figure["01"][1].toDouble(), 1074000000.0);
    QCOMPARE(figure["10"][2].toDouble(),
             m_db->queryValue(QStringLiteral("SELECT VAL_CAUS FROM NM_RPCOS "
                                             "WHERE COD_EMPR = 1 AND COD_PRES = 10"))
                 .toDouble());
    const QString sheet = u"'Ejecución'!"_s;
    const auto series = [&sheet](const char* column, int title, int first, int last) {
        const QString range = sheet + u"$%1$%2:$%1$%3"_s;
        return QJsonArray{sheet + u"$%1$%2"_s.arg(column).arg(title),
                          range.arg(u"A"_s).arg(first).arg(last),
                          range.arg(QLatin1String(column)).arg(first).arg(last)};
    };
    QCOMPARE(book.value("charts").toArray(),
             (QJsonArray{
                 QJsonArray{"Por recurso presupuestal", series("B", 1, 2, 9), series("C", 1, 2, 9)},
                 QJsonArray{"Por fuente de financiación", series("B", 12, 13, 14),
                            series("C", 12, 13, 14)}}));
}

// The coverage reaches the server's report (the preview is read by the call's test); what
// it computes is pinned by the server's own tests.
void TstHeadless::causedReportsWithoutTheModule()
{
    QTemporaryDir dir;
    const QString xlsx = dir.filePath(u"sin-relación.xlsx"_s);
    const Run coverage = runTavrel(QStringList{"coverage"} + login() +
                                   QStringList{"--year", "2013", "--xlsx", xlsx});
    QVERIFY2(coverage.exitCode == 0, qPrintable(coverage.err));
    QVERIFY(QFile::exists(xlsx));
}

// A year archived from the command line, once, read back by a reader that is not ours;
// the monthly figures as a script reads them (what they add up to is the server's tests').
void TstHeadless::closedYearWithoutTheModule()
{
    const QStringList year{"--year", "2015"};
    const auto archiveYear = [&](const QStringList& more) {
        return runTavrel(QStringList{"archive-year"} + login() + year + more);
    };
    const Run plan = archiveYear({"--json"});
    QVERIFY2(plan.exitCode == 0, qPrintable(plan.err));
    const QJsonObject planned = QJsonDocument::fromJson(plan.out.toUtf8()).object();
    const int rows =
        m_db->queryValue(u"SELECT COUNT(*) FROM NM_RPCOS WHERE COD_EMPR = 1"_s).toInt();
    QCOMPARE(planned.value("archivada"), QJsonValue(false));
    QCOMPARE(planned.value("filas").toInt(), rows);
    QCOMPARE(archiveYear({"--apply"}).exitCode, 0);
    const Run again = archiveYear({"--apply"});
    QCOMPARE(again.exitCode, 1);
    QVERIFY2(again.err.contains(u"ya está archivada"_s), qPrintable(again.err));

    QTemporaryDir dir;
    const QString xlsx = dir.filePath(u"vigencia.xlsx"_s);
    const Run written =
        runTavrel(QStringList{"archive"} + login() + year + QStringList{"--xlsx", xlsx});
    QVERIFY2(written.exitCode == 0, qPrintable(written.err));
    QProcess reader;
    reader.start(u"/usr/bin/python3"_s, {u"-c"_s, QStringLiteral(R"(
import json, sys, openpyxl
rows = list(openpyxl.load_workbook(sys.argv[1]).worksheets[0].iter_rows(values_only=True))
print(json.dumps({"titles": rows[0], "rows": len(rows) - 1,
                  "total": round(sum(r[rows[0].index("Valor total")] or 0 for r in rows[1:]), 2)}))
)"),
                                         xlsx});
    QVERIFY(reader.waitForFinished(60000));
    const QJsonObject book = QJsonDocument::fromJson(reader.readAllStandardOutput()).object();
    QVERIFY2(!book.isEmpty(), reader.readAllStandardError().constData());
    QCOMPARE(book.value("rows").toInt(), rows);
    QVERIFY(book.value("titles").toArray().contains(u"Saldo"_s));
    QCOMPARE(book.value("total").toDouble(),
             std::round(m_db->queryValue(u"SELECT SUM(VAL_TOTA) FROM NM_RPCOS WHERE COD_EMPR = 1"_s)
                            .toDouble() *
                        100) /
                 100);

    const Run monthly = runTavrel(QStringList{"causado-mensual"} + login() +
                                  QStringList{"--year", "2013", "--json"});
    QVERIFY2(monthly.exitCode == 0, qPrintable(monthly.err));
    const QJsonObject figures = QJsonDocument::fromJson(monthly.out.toUtf8()).object();
    QCOMPARE(figures.value("rows").toArray().size(), rows);
    // The fields a script reads, and no others.
    const QHash<QString, QStringList> fields{
        {u"rows"_s, {"COD_CCOS", "COD_CONT", "COD_CUEN", "COD_EMPR", "months"}},
        {u"classifications"_s, {"COD_FUEN", "COD_PRES", "COD_SITU", "DEP_APAC", "months"}}};
    for (auto list = fields.begin(); list != fields.end(); ++list) {
        for (const QJsonValue& entry : figures.value(list.key()).toArray()) {
            QCOMPARE(entry.toObject().keys(), list.value());
            QCOMPARE(entry[u"months"_s].toArray().size(), 12);
        }
    }
}

void TstHeadless::screenshotPrintsAFirstCompanyError()
{
    // Without the paths of the linked programs the window still opens; nobody is there to
    // close a box, so the server's message is printed once.
    m_db.reset(); // a fresh demo database, served in its place in a remote run
    m_db = std::make_unique<TestDatabase>(TestDatabase::Content::Demo);
    m_db->exec(u"DROP TABLE GN_PROGR"_s);
    QTemporaryDir dir;
    const QString png = dir.filePath(u"f.png"_s);
    const Run r = runTavrel(login() + QStringList{"--open", "VEdUvura", "--screenshot", png});
    QVERIFY2(r.exitCode == 0, qPrintable(r.err));
    QVERIFY(QFile::exists(png));
    // The network server keeps the database's text in its log and gives a reference.
    const QString reason = TestDatabase::isRemote() ? u"(referencia "_s : u"gn_progr"_s;
    QVERIFY2(r.err.count(reason, Qt::CaseInsensitive) == 1, qPrintable(r.err));
}

QTEST_GUILESS_MAIN(TstHeadless)
#include "tst_headless.moc"
