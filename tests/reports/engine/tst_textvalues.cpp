#include "MemoryDataSource.h"
#include "ModuleError.h"
#include "Report.h"
#include "ValueResolver.h"

#include <QTest>

using namespace Qt::StringLiterals;

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
    m_report->addVariable(u"gStCamRela"_s, QString());
    m_report->addVariable(u"gStCodUsua"_s);
    m_company = std::make_unique<MemoryDataSource>(u"QryGnEmpre"_s,
                                                   QStringList{u"NOM_EMPR"_s, u"NIT_EMPR"_s});
    m_company->addRow({u"Alcaldía de Villavicencio"_s, u"892.099.324-3"_s});
    ReportSettings settings;
    settings.runTime = QDateTime(QDate(2024, 1, 5), QTime(7, 3, 9));
    const auto variables = [](const QString& name, QVariant& value) {
        if (name == u"gStCodUsua")
            value = u"JPEREZ"_s;
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
        << u"Recurso Presupuestal "_s << u"Recurso Presupuestal "_s;
    QTest::newRow("quoted field after a literal")
        << u"NIT: [QryGnEmpre.\"NIT_EMPR\"]"_s << u"NIT: 892.099.324-3"_s;
    QTest::newRow("unquoted field, source and field in other case")
        << u"[qrygnempre.nom_empr]"_s << u"Alcaldía de Villavicencio"_s;
    QTest::newRow("page of total pages")
        << u"Página [PAGE#] de [TOTALPAGES#]"_s << u"Página 2 de 7"_s;
    QTest::newRow("date in the process short date format, day first")
        << u"Fecha: [DATE]"_s << u"Fecha: 05/01/2024"_s;
    QTest::newRow("time with leading zeros") << u"[TIME]"_s << u"07:03:09"_s;
    QTest::newRow("system names ignore case") << u"[page#]"_s << u"2"_s;
    QTest::newRow("variable supplied by the callback")
        << u"Usuario: [gStCodUsua]"_s << u"Usuario: JPEREZ"_s;
    QTest::newRow("declared variable the callback leaves keeps its design value")
        << u"<[gStCamRela]>"_s << u"<>"_s;
    QTest::newRow("undeclared variable the callback knows, a date")
        << u"[fechaCorte]"_s << u"31/12/2023"_s;
    QTest::newRow("bracket without its end is literal")
        << u"Saldo [inicial"_s << u"Saldo [inicial"_s;
    QTest::newRow("empty brackets are literal") << u"a[]b"_s << u"a[]b"_s;
}

void TstTextValues::evaluated()
{
    QFETCH(QString, text);
    QFETCH(QString, expected);
    QCOMPARE(m_resolver->evaluate(TextTemplate(text), u"Memo1"_s), expected);
}

void TstTextValues::refused_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("messageParts");

    QTest::newRow("unknown data source names object and source")
        << u"[QryEmpresa.\"NOM_EMPR\"]"_s << QStringList{u"«Memo1»"_s, u"«QryEmpresa»"_s};
    QTest::newRow("unknown field names the field and its source")
        << u"[QryGnEmpre.\"BMP_LOGO\"]"_s << QStringList{u"«BMP_LOGO»"_s, u"«QryGnEmpre»"_s};
    QTest::newRow("variable names compare exactly")
        << u"[gstcodusua]"_s << QStringList{u"[gstcodusua]"_s};
}

void TstTextValues::refused()
{
    QFETCH(QString, text);
    QFETCH(QStringList, messageParts);
    try {
        m_resolver->evaluate(TextTemplate(text), u"Memo1"_s);
        QFAIL("the text was accepted");
    } catch (const tavrel::ModuleError& error) {
        for (const QString& part : messageParts)
            QVERIFY2(error.message().contains(part), qPrintable(error.message()));
    }
}

QTEST_MAIN(TstTextValues)
#include "tst_textvalues.moc"
