#include "DemoData.h"

#include "BulkInserter.h"
#include "Database.h"
#include "DemoGenerator.h"
#include "DemoLogo.h"
#include "PasswordHash.h"

#include <QCryptographicHash>
#include <QDateTime>

namespace tavrel {

namespace {

QVariant text(const char* utf8)
{
    return QString::fromUtf8(utf8);
}

QDateTime at(int year, int month, int day, int hour = 0, int minute = 0)
{
    return QDateTime(QDate(year, month, day), QTime(hour, minute));
}

void insertCompanies(Database& db)
{
    BulkInserter companies(db, QStringLiteral("GN_EMPRE"),
                           BulkInserter::columns({"COD_EMPR", "NOM_EMPR", "NIT_EMPR", "BMP_REPO",
                                                  "PAI_EMPR", "COD_DIFL"}));
    companies.add({1, text("E.S.E. Hospital San Rafael de Villa del Río"),
                   DemoData::nitWithCheckDigit(QStringLiteral("890680025")), DemoLogo::png(1), 169,
                   1});
    companies.add({2, text("Instituto Municipal de Deportes y Recreación de Santa Elena"),
                   DemoData::nitWithCheckDigit(QStringLiteral("800134562")), DemoLogo::png(2), 169,
                   2});
    companies.add({3, text("Corporación Autónoma Regional del Alto Guavio"),
                   DemoData::nitWithCheckDigit(QStringLiteral("832001457")), DemoLogo::png(3), 169,
                   3});
    companies.finish();

    // Flag V0000017 ("S": the yearly caused value sums VAL_TRAN) applies to flag group 1,
    // that is company 1 only; it is stored with blanks around the value. The row for
    // country 58 applies to none of the companies.
    BulkInserter flags(
        db, QStringLiteral("GN_DIGIF"),
        BulkInserter::columns({"COD_VARI", "PAI_VARI", "EMP_VARI", "VAL_VARI", "TIP_DATO"}));
    flags.add({text("V0000017"), 169, 1, text(" S "), text("C")});
    flags.add({text("V0000017"), 58, 0, text("S"), text("C")});
    flags.add({text("V0000001"), 0, 0, text("N"), text("C")});
    flags.add({text("V0000009"), 169, 0, text("30"), text("N")});
    flags.finish();

    BulkInserter variables(db, QStringLiteral("NM_VARIG"),
                           BulkInserter::columns({"COD_VARI", "NOM_VARI", "VAL_VARI"}));
    variables.add({text("FEC_RPCO"), text("Año del reporte de rubros SIIF2"), text("2013")});
    variables.add({text("SAL_MINI"), text("Salario mínimo mensual legal vigente"), text("589500")});
    variables.finish();
}

struct Concept
{
    int company;
    int code;
    const char* name;
    const char* kind;
};

// Concepts of every related-field kind, one of another kind, one without kind and one
// whose kind is written in lower case (which matches no kind).
const Concept concepts[] = {
    {1, 10, "SUELDO BÁSICO PERSONAL DE PLANTA", "COD_CCOS"},
    {1, 11, "HORAS EXTRAS Y RECARGOS", "COD_CCOS"},
    {1, 20, "PRIMA DE SERVICIOS", "COD_TNOM"},
    {1, 30, "BONIFICACIÓN POR SERVICIOS PRESTADOS", "COD_GPRO"},
    {1, 40, "APORTES PATRONALES A SALUD", "COD_GAST"},
    {1, 50, "PRIMA TÉCNICA POR CARGO", "COD_CARG"},
    {1, 60, "AUXILIO DE TRANSPORTE", ""},
    {1, 70, "DOTACIÓN DE PERSONAL", "cod_ccos"},
    {2, 10, "SUELDO BÁSICO", "COD_CCOS"},
    {2, 20, "PRIMA DE VACACIONES", "COD_TNOM"},
    {2, 40, "APORTES A CAJA DE COMPENSACIÓN", "COD_GAST"},
    {2, 50, "GASTOS DE REPRESENTACIÓN", "COD_CARG"},
    {3, 10, "SUELDO BÁSICO", "COD_CCOS"},
    {3, 30, "BONIFICACIÓN ESPECIAL DE RECREACIÓN", "COD_GPRO"},
    {3, 60, "AUXILIO DE ALIMENTACIÓN", ""},
};

struct Account
{
    int company;
    int payrollConcept;
    const char* code;
    const char* name;
};

// Account 51010501 exists only for payrollConcept 20, never for payrollConcept 10.
const Account accounts[] = {
    {1, 10, "51010101", "SUELDOS DEL PERSONAL DE PLANTA"},
    {1, 10, "51010102", "SUELDOS DEL PERSONAL SUPERNUMERARIO"},
    {1, 11, "51010301", "HORAS EXTRAS Y FESTIVOS"},
    {1, 20, "51010501", "PRIMA DE SERVICIOS"},
    {1, 30, "51011001", "BONIFICACIÓN POR SERVICIOS PRESTADOS"},
    {1, 40, "51030201", "APORTES A ENTIDADES PROMOTORAS DE SALUD"},
    {1, 40, "51030202", "APORTES A ADMINISTRADORAS DE RIESGOS LABORALES"},
    {1, 50, "51011501", "PRIMA TÉCNICA"},
    {1, 60, "51012301", "AUXILIO DE TRANSPORTE"},
    {1, 70, "51012801", "DOTACIÓN Y SUMINISTRO A TRABAJADORES"},
    {2, 10, "51010101", "SUELDOS DEL PERSONAL DE PLANTA"},
    {2, 20, "51010701", "PRIMA DE VACACIONES"},
    {2, 40, "51030401", "APORTES A CAJAS DE COMPENSACIÓN FAMILIAR"},
    {2, 50, "51011601", "GASTOS DE REPRESENTACIÓN"},
    {3, 10, "51010101", "SUELDOS DEL PERSONAL DE PLANTA"},
    {3, 30, "51011101", "BONIFICACIÓN ESPECIAL DE RECREACIÓN"},
    {3, 60, "51012401", "AUXILIO DE ALIMENTACIÓN"},
};

struct ListEntry
{
    int company;
    int code;
    const char* name;
};

const ListEntry payrollClasses[] = {
    {1, 1, "NÓMINA MENSUAL"},      {1, 2, "NÓMINA DE PRIMAS"}, {1, 3, "NÓMINA DE VACACIONES"},
    {1, 4, "NÓMINA DE CESANTÍAS"}, {2, 1, "NÓMINA MENSUAL"},   {2, 2, "NÓMINA DE VACACIONES"},
    {3, 1, "NÓMINA MENSUAL"},      {3, 2, "NÓMINA DE PRIMAS"},
};
const ListEntry prototypeGroups[] = {
    {1, 1, "DIRECTIVOS"},    {1, 2, "PROFESIONALES"}, {1, 3, "TÉCNICOS"},
    {1, 4, "ASISTENCIALES"}, {2, 1, "DIRECTIVOS"},    {2, 2, "INSTRUCTORES DEPORTIVOS"},
    {3, 1, "DIRECTIVOS"},    {3, 2, "PROFESIONALES"}, {3, 3, "GUARDABOSQUES"},
};
const ListEntry costCentres[] = {
    {1, 100, "DIRECCIÓN GENERAL"},
    {1, 200, "SUBDIRECCIÓN ADMINISTRATIVA Y FINANCIERA"},
    {1, 300, "URGENCIAS"},
    {1, 400, "CONSULTA EXTERNA"},
    {1, 500, "HOSPITALIZACIÓN"},
    {2, 100, "GERENCIA"},
    {2, 210, "ESCUELAS DEPORTIVAS"},
    {2, 220, "ESCENARIOS DEPORTIVOS"},
    {3, 100, "DIRECCIÓN GENERAL"},
    {3, 310, "GESTIÓN AMBIENTAL"},
    {3, 320, "CONTROL Y VIGILANCIA"},
};
const ListEntry expenses[] = {
    {1, 1, "GASTOS DE PERSONAL DE PLANTA"},
    {1, 2, "CONTRIBUCIONES INHERENTES A LA NÓMINA"},
    {1, 3, "SERVICIOS PERSONALES INDIRECTOS"},
    {2, 1, "GASTOS DE PERSONAL DE PLANTA"},
    {2, 2, "CONTRIBUCIONES INHERENTES A LA NÓMINA"},
    {3, 1, "GASTOS DE PERSONAL DE PLANTA"},
};

void insertList(Database& db, const char* table, const char* codeColumn, const char* nameColumn,
                const ListEntry* entries, size_t count)
{
    BulkInserter list(db, QLatin1String(table),
                      BulkInserter::columns({"COD_EMPR", codeColumn, nameColumn}));
    for (size_t i = 0; i < count; ++i)
        list.add({entries[i].company, entries[i].code, text(entries[i].name)});
    list.finish();
}

void insertCatalogues(Database& db)
{
    BulkInserter c(db, QStringLiteral("NM_NCCON"),
                   BulkInserter::columns({"COD_EMPR", "COD_CONT", "NOM_CONT", "CAM_RELA"}));
    for (const Concept& k : concepts)
        c.add({k.company, k.code, text(k.name), text(k.kind)});
    c.finish();
    BulkInserter a(db, QStringLiteral("NM_NCMCO"),
                   BulkInserter::columns({"COD_EMPR", "COD_CONT", "COD_CUEN", "NOM_CUEN"}));
    for (const Account& k : accounts)
        a.add({k.company, k.payrollConcept, text(k.code), text(k.name)});
    a.finish();
    insertList(db, "NM_TNOMI", "COD_TNOM", "NOM_TNOM", payrollClasses, std::size(payrollClasses));
    insertList(db, "NM_GPROT", "COD_GPRO", "NOM_GPRO", prototypeGroups, std::size(prototypeGroups));
    insertList(db, "GN_CCOST", "COD_CCOS", "NOM_CCOS", costCentres, std::size(costCentres));
    insertList(db, "NM_GACON", "COD_GAST", "NOM_GAST", expenses, std::size(expenses));
}

void insertUsersAndPrograms(Database& db, int passwordIterations)
{
    struct User
    {
        const char* code;
        const char* name;
        const char* type;
        const char* password;
        QList<int> companies;
    };
    const User users[] = {
        {"JPEREZ", "Juan Carlos Pérez Rojas", "A", "Tavrel2026", {1, 2, 3}},
        {"MGOMEZ", "María Fernanda Gómez Díaz", "U", "Nomina2026", {2}},
        {"ANALISTA01", "Analista de Nómina", "U", "Analista2026", {1}},
    };
    BulkInserter u(db, QStringLiteral("GN_USUAR"),
                   BulkInserter::columns({"COD_USUA", "NOM_USUA", "TIP_USUA", "CLA_USUA"}));
    BulkInserter uc(db, QStringLiteral("GN_UEMPR"),
                    BulkInserter::columns({"COD_USUA", "COD_EMPR"}));
    for (const User& user : users) {
        // A fixed salt per demo user keeps the demo reproducible.
        const QByteArray salt = QCryptographicHash::hash(QByteArray("tavrel-demo:") + user.code,
                                                         QCryptographicHash::Sha256)
                                    .left(16);
        u.add({text(user.code), text(user.name), text(user.type),
               PasswordHash::make(QString::fromUtf8(user.password), salt, passwordIterations)});
        for (int company : user.companies)
            uc.add({text(user.code), company});
    }
    u.finish();
    uc.finish();

    BulkInserter p(db, QStringLiteral("GN_PROGR"),
                   BulkInserter::columns({"COD_PROG", "NOM_PROG", "PAT_PROG"}));
    p.add({text("VNmNccon"), text("Contabilización de Nómina"), text("nomina/VNmNccon")});
    p.add(
        {text("VNmNcmco"), text("Cuentas de Contabilización de Nómina"), text("nomina/VNmNcmco")});
    p.add({text("VVeZezev"), text("Relación Rubros SIIF2"), text("VEdUvura")});
    p.finish();

    BulkInserter n(db, QStringLiteral("GN_NOTAS"),
                   BulkInserter::columns({"FOR_NOTA", "CAM_NOTA", "VAL_LLAV", "COD_EMPR",
                                          "COD_USUA", "FEC_NOTA", "TEX_NOTA", "ALE_NOTA"}));
    n.add({text("FrmVeZezev"), text("COD_CONT"), text("10"), 1, text("JPEREZ"),
           at(2014, 2, 3, 10, 15),
           text("Confirmar con presupuesto la fuente de financiación antes del cierre."),
           text("S")});
    n.finish();

    BulkInserter l(db, QStringLiteral("GN_LOGCM"),
                   BulkInserter::columns({"COD_EMPR", "COD_USUA", "FEC_CAMB", "TAB_CAMB",
                                          "CAM_CAMB", "VAL_ANTE", "VAL_NUEV", "OPE_CAMB"}));
    l.add({1, text("MGOMEZ"), at(2014, 3, 10, 16, 40), text("NM_RPCOS"), text("COD_FUEN"),
           text("01"), text("02"), text("M")});
    l.finish();
}

struct Relation
{
    int company;
    QVariant payrollConcept;
    QVariant account;
    QVariant related;
    const char* source;
    int resource;
    const char* situation;
    const char* dependency;
    double total;
    QVariant caused;
    qint64 movementBase; // cents of the first monthly debit; 0: no movements
};

const QVariant null;

QList<Relation> relations()
{
    return {
        // Company 1: every kind, a code absent from its list (99), resource 28 (no such
        // code), a null caused value and a null related code.
        {1, 10, text("51010101"), 100, "01", 10, "01", "DESPACHO GERENCIA", 850000000.0,
         412345678.9, 2500000000},
        {1, 10, text("51010102"), 300, "02", 20, "02", "URGENCIAS", 120000000.0, null, 310000000},
        {1, 11, text("51010301"), 99, "01", 28, "01", "URGENCIAS", 45000000.0, 1250000.5, 95000000},
        {1, 20, text("51010501"), 2, "01", 11, "01", "TALENTO HUMANO", 98000000.0, 0.0, 180000000},
        {1, 30, text("51011001"), 1, "02", 16, "02", "TALENTO HUMANO", 35500000.0, 12000000.0,
         64000000},
        {1, 40, text("51030201"), 2, "01", 50, "01", "TESORERÍA", 76000000.0, 30100000.0,
         130000000},
        {1, 10, text("51010101"), null, "01", 12, "01", "DESPACHO GERENCIA", 5000000.0, null, 0},
        // Company 2.
        {2, 10, text("51010101"), 210, "01", 20, "02", "ESCUELAS DEPORTIVAS", 310000000.0,
         150000000.0, 900000000},
        {2, 20, text("51010701"), 1, "02", 21, "01", "GERENCIA", 42000000.0, null, 70000000},
        {2, 40, text("51030401"), 1, "01", 25, "01", "GERENCIA", 26000000.0, 9000000.0, 45000000},
        // Company 3: movements only until 2014; a funding source "1" that is not "01".
        {3, 10, text("51010101"), 310, "01", 15, "01", "GESTIÓN AMBIENTAL", 510000000.0,
         220000000.0, 1500000000},
        {3, 30, text("51011101"), 3, "02", 53, "02", "CONTROL Y VIGILANCIA", 18000000.0, 4000000.0,
         30000000},
        {3, 10, text("51010101"), 320, "1", 10, "01", "CONTROL Y VIGILANCIA", 12000000.0, null, 0},
    };
}

qint64 insertRelationsAndMovements(Database& db, qint64& movementCount)
{
    BulkInserter r(
        db, QStringLiteral("NM_RPCOS"),
        BulkInserter::columns({"ACT_USUA", "ACT_HORA", "ACT_ESTA", "COD_EMPR", "COD_CCOS",
                               "COD_CONT", "COD_CUEN", "COD_FUEN", "COD_PRES", "COD_SITU",
                               "DEP_APAC", "VAL_TOTA", "VAL_CAUS", "CAS_CONT"}));
    BulkInserter m(db, QStringLiteral("NM_NCMOV"),
                   BulkInserter::columns({"COD_EMPR", "COD_CCOS", "COD_CONT", "COD_CUEN",
                                          "FEC_PROC", "NAT_TRAN", "VAL_CAUC", "VAL_TRAN"}));
    const auto money = [](qint64 cents) { return double(cents) / 100.0; };
    const QList<Relation> rows = relations();
    int sequence = 0;
    for (const Relation& rel : rows) {
        ++sequence;
        const bool modified = sequence % 4 == 0;
        r.add({modified ? text("MGOMEZ") : text("JPEREZ"),
               at(2014, 1, 15 + sequence % 10, 8 + sequence % 9, 30),
               modified ? text("M") : text("A"), rel.company, rel.related, rel.payrollConcept,
               rel.account, text(rel.source), rel.resource, text(rel.situation),
               text(rel.dependency), rel.total, rel.caused,
               sequence % 3 == 0 ? QVariant() : QVariant(1000 + sequence)});
        if (rel.movementBase == 0)
            continue;
        const int lastYear = rel.company == 3 ? 2014 : 2015;
        for (int year = 2012; year <= lastYear; ++year) {
            for (int month = 1; month <= 12; ++month) {
                const QDate day = QDate(year, month, 1).addMonths(1).addDays(-1);
                const qint64 cauc = rel.movementBase + (year - 2012) * 1200000 + month * 10000;
                const qint64 tran = cauc + month * 150000 + sequence * 100;
                m.add({rel.company, rel.related, rel.payrollConcept, rel.account,
                       QDateTime(day, QTime(0, 0)), text("D"), money(cauc), money(tran)});
                if (month % 4 == 0)
                    m.add({rel.company, rel.related, rel.payrollConcept, rel.account,
                           QDateTime(day, QTime(0, 0)), text("C"), money(cauc / 10),
                           money(tran / 10)});
            }
        }
    }
    // The boundaries of the yearly period 2013 for the first relation row: midnight of
    // 1 January is inside, the last minute of 2012 and of 31 December 2013 are outside.
    const Relation& first = rows.first();
    const QVariantList keys{first.company, first.related, first.payrollConcept, first.account};
    m.add(keys + QVariantList{at(2013, 1, 1), text("D"), 1111.11, 2222.22});
    m.add(keys + QVariantList{at(2012, 12, 31, 23, 59), text("D"), 3333.33, 4444.44});
    m.add(keys + QVariantList{at(2013, 12, 31, 23, 59), text("D"), 777777.77, 888888.88});
    // Movements of a cost centre no relation row names.
    m.add({1, 400, 10, text("51010101"), at(2013, 6, 30), text("D"), 5400000.0, 5400000.0});
    const qint64 relationCount = r.finish();
    movementCount = m.finish();
    return relationCount;
}

} // namespace

DemoSummary DemoData::create(Database& db, int passwordIterations)
{
    DemoSummary summary;
    db.transaction([&] {
        insertCompanies(db);
        insertCatalogues(db);
        insertUsersAndPrograms(db, passwordIterations);
        summary.relations = insertRelationsAndMovements(db, summary.movements);
    });
    summary.companies = 3;
    return summary;
}

DemoSummary DemoData::generate(Database& db, int scale, int movementsPerRelation)
{
    return DemoGenerator(db).run(scale, movementsPerRelation);
}

QString DemoData::nitWithCheckDigit(const QString& digits)
{
    static const int weights[] = {3, 7, 13, 17, 19, 23, 29, 37, 41, 43, 47, 53, 59, 67, 71};
    int sum = 0;
    for (qsizetype i = 0; i < digits.size() && i < qsizetype(std::size(weights)); ++i)
        sum += digits.at(digits.size() - 1 - i).digitValue() * weights[i];
    const int rest = sum % 11;
    const int check = rest > 1 ? 11 - rest : rest;
    QString dotted;
    for (qsizetype i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0)
            dotted += QLatin1Char('.');
        dotted += digits.at(i);
    }
    return dotted + QLatin1Char('-') + QString::number(check);
}

} // namespace tavrel
