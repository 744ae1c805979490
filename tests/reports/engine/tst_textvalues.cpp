#include "MemoryDataSource.h"
#include "ModuleError.h"
#include "Report.h"
#include "ValueResolver.h"

#include <QTest>

using namespace tavrel::report;

// Text templates evaluated against a small report: a data source, declared variables,
// a variables callback and fixed run settings.
class TstTextValues : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void evaluated_data();
    void evaluated();
    void refused_data();
    void refused();

private:
    std::unique_ptr<Report> m_report;
    std::unique_ptr<MemoryDataSource> m_company;
    std::unique_ptr<ValueResolver> m_resolver;
};

void TstTextValues::init()
{
    m_report = std::make_unique<Report>();
    m_report->addVariable(QStringLiteral("gStCamRela"), QString());
    m_report->addVariable(QStringLiteral("gStCodUsua"));
    m_company = std::make_unique<MemoryDataSource>(
        QStringLiteral("QryGnEmpre"),
        QStringList{QStringLiteral("NOM_EMPR"), QStringLiteral("NIT_EMPR")});
    m_company->addRow(
        {QStringLiteral("Alcaldía de Villavicencio"), QStringLiteral("892.099.324-3")});
    ReportSettings settings;
    settings.runTime = QDateTime(QDate(2024, 1, 5), QTime(7, 3, 9));
    const auto variables = [](const QString& name, QVariant& value) {
        if (name == u"gStCodUsua")
            value = QStringLiteral("JPEREZ");
        else if (name == u"fechaCorte")
            value = QDate(2023, 12, 31);
    };
    m_resolver = std::make_unique<ValueResolver>(
        *m_report, QList<ReportDataSource*>{m_company.get()}, variables, settings);
    m_resolver->setPage(2);
    m_resolver->setTotalPages(7);
    m_company->first();
}

void TstTextValues::evaluated_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("expected");

    QTest::newRow("literal keeps accents and its trailing blank")
        << QStringLiteral("Recurso Presupuestal ") << QStringLiteral("Recurso Presupuestal ");
    QTest::newRow("quoted field after a literal")
        << QStringLiteral("NIT: [QryGnEmpre.\"NIT_EMPR\"]") << QStringLiteral("NIT: 892.099.324-3");
    QTest::newRow("unquoted field, source and field in other case")
        << QStringLiteral("[qrygnempre.nom_empr]") << QStringLiteral("Alcaldía de Villavicencio");
    QTest::newRow("page of total pages")
        << QStringLiteral("Página [PAGE#] de [TOTALPAGES#]") << QStringLiteral("Página 2 de 7");
    QTest::newRow("date in the process short date format, day first")
        << QStringLiteral("Fecha: [DATE]") << QStringLiteral("Fecha: 05/01/2024");
    QTest::newRow("time with leading zeros")
        << QStringLiteral("[TIME]") << QStringLiteral("07:03:09");
    QTest::newRow("system names ignore case") << QStringLiteral("[page#]") << QStringLiteral("2");
    QTest::newRow("variable supplied by the callback")
        << QStringLiteral("Usuario: [gStCodUsua]") << QStringLiteral("Usuario: JPEREZ");
    QTest::newRow("declared variable the callback leaves keeps its design value")
        << QStringLiteral("<[gStCamRela]>") << QStringLiteral("<>");
    QTest::newRow("undeclared variable the callback knows, a date")
        << QStringLiteral("[fechaCorte]") << QStringLiteral("31/12/2023");
    QTest::newRow("bracket without its end is literal")
        << QStringLiteral("Saldo [inicial") << QStringLiteral("Saldo [inicial");
    QTest::newRow("empty brackets are literal") << QStringLiteral("a[]b") << QStringLiteral("a[]b");
}

void TstTextValues::evaluated()
{
    QFETCH(QString, text);
    QFETCH(QString, expected);
    QCOMPARE(m_resolver->evaluate(TextTemplate(text), QStringLiteral("Memo1")), expected);
}

void TstTextValues::refused_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("messageParts");

    QTest::newRow("unknown data source names object and source")
        << QStringLiteral("[QryEmpresa.\"NOM_EMPR\"]")
        << QStringList{QStringLiteral("«Memo1»"), QStringLiteral("«QryEmpresa»")};
    QTest::newRow("unknown field names the field and its source")
        << QStringLiteral("[QryGnEmpre.\"BMP_LOGO\"]")
        << QStringList{QStringLiteral("«BMP_LOGO»"), QStringLiteral("«QryGnEmpre»")};
    QTest::newRow("variable names compare exactly")
        << QStringLiteral("[gstcodusua]") << QStringList{QStringLiteral("[gstcodusua]")};
}

void TstTextValues::refused()
{
    QFETCH(QString, text);
    QFETCH(QStringList, messageParts);
    try {
        m_resolver->evaluate(TextTemplate(text), QStringLiteral("Memo1"));
        QFAIL("the text was accepted");
    } catch (const tavrel::ModuleError& error) {
        for (const QString& part : messageParts)
            QVERIFY2(error.message().contains(part), qPrintable(error.message()));
    }
}

QTEST_MAIN(TstTextValues)
#include "tst_textvalues.moc"
