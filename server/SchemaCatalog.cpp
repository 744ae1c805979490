#include "SchemaCatalog.h"

#include "Database.h"

namespace tavrel {

namespace {

ColumnDef smallint(const char* name)
{
    return {QLatin1String(name), FieldType::SmallInt, 0};
}
ColumnDef integer(const char* name)
{
    return {QLatin1String(name), FieldType::Integer, 0};
}
ColumnDef fixed(const char* name, int size)
{
    return {QLatin1String(name), FieldType::FixedChar, size};
}
ColumnDef varchar(const char* name, int size)
{
    return {QLatin1String(name), FieldType::String, size};
}
ColumnDef text(const char* name)
{
    return {QLatin1String(name), FieldType::String, 0};
}
ColumnDef money(const char* name)
{
    return {QLatin1String(name), FieldType::Float, 0};
}
ColumnDef datetime(const char* name)
{
    return {QLatin1String(name), FieldType::DateTime, 0};
}
ColumnDef blob(const char* name)
{
    return {QLatin1String(name), FieldType::Blob, 0};
}

IndexDef unique(const char* name, const QStringList& columns)
{
    return {QLatin1String(name), columns, true};
}
IndexDef index(const char* name, const QStringList& columns)
{
    return {QLatin1String(name), columns, false};
}

QStringList cols(std::initializer_list<const char*> names)
{
    QStringList list;
    for (const char* n : names)
        list.append(QLatin1String(n));
    return list;
}

QList<TableDef> defineTables()
{
    QList<TableDef> t;
    // Relation of payroll accounting to the SIIF2 budget classification. No natural key:
    // the module checks nothing for duplicates, rows are told apart by the technical key.
    // The caused-value update rewrites every row in one statement; pages filled to 45 %
    // hold the new version of each row beside the old one, so that PostgreSQL updates
    // them in place (heap-only) without touching the indexes. The window reads one
    // company's rows: its index holds the company alone, so that SQLite visits them in
    // the order of the table (the companies' rows interleave), each page once.
    t.append(
        {QStringLiteral("NM_RPCOS"),
         {fixed("ACT_USUA", 8), datetime("ACT_HORA"), fixed("ACT_ESTA", 1), smallint("COD_EMPR"),
          smallint("COD_CCOS"), smallint("COD_CONT"), fixed("COD_CUEN", 30), fixed("COD_FUEN", 2),
          smallint("COD_PRES"), fixed("COD_SITU", 2), fixed("DEP_APAC", 30), money("VAL_TOTA"),
          money("VAL_CAUS"), integer("CAS_CONT")},
         {index("NM_RPCOS_EMPR", cols({"COD_EMPR"}))},
         45});
    // The relation of a closed year as it stood when it was archived: per company and
    // year (ANO_ARCH) a copy of every relation row with its balance, and who archived it
    // (USU_ARCH, the session's user) and when (FEC_ARCH). Written once per company and year,
    // by the server, in one statement; never changed.
    t.append({QStringLiteral("NM_RPARC"),
              {smallint("ANO_ARCH"), smallint("COD_EMPR"), smallint("COD_CONT"),
               fixed("COD_CUEN", 30), smallint("COD_CCOS"), fixed("COD_FUEN", 2),
               smallint("COD_PRES"), fixed("COD_SITU", 2), fixed("DEP_APAC", 30), money("VAL_TOTA"),
               money("VAL_CAUS"), money("VAL_SALD"), fixed("ACT_USUA", 8), datetime("ACT_HORA"),
               fixed("ACT_ESTA", 1), varchar("USU_ARCH", 20), datetime("FEC_ARCH")},
              {index("NM_RPARC_ANO", cols({"COD_EMPR", "ANO_ARCH"}))}});
    // Payroll accounting concepts and their accounts.
    t.append(
        {QStringLiteral("NM_NCCON"),
         {smallint("COD_EMPR"), smallint("COD_CONT"), fixed("NOM_CONT", 40), fixed("CAM_RELA", 8)},
         {unique("NM_NCCON_PK", cols({"COD_EMPR", "COD_CONT"}))}});
    t.append(
        {QStringLiteral("NM_NCMCO"),
         {smallint("COD_EMPR"), smallint("COD_CONT"), fixed("COD_CUEN", 30), fixed("NOM_CUEN", 60)},
         {unique("NM_NCMCO_PK", cols({"COD_EMPR", "COD_CONT", "COD_CUEN"}))}});
    // The four lists a related code can come from.
    t.append({QStringLiteral("NM_TNOMI"),
              {smallint("COD_EMPR"), smallint("COD_TNOM"), fixed("NOM_TNOM", 60)},
              {unique("NM_TNOMI_PK", cols({"COD_EMPR", "COD_TNOM"}))}});
    t.append({QStringLiteral("NM_GPROT"),
              {smallint("COD_EMPR"), smallint("COD_GPRO"), fixed("NOM_GPRO", 60)},
              {unique("NM_GPROT_PK", cols({"COD_EMPR", "COD_GPRO"}))}});
    t.append({QStringLiteral("GN_CCOST"),
              {smallint("COD_EMPR"), smallint("COD_CCOS"), fixed("NOM_CCOS", 90)},
              {unique("GN_CCOST_PK", cols({"COD_EMPR", "COD_CCOS"}))}});
    t.append({QStringLiteral("NM_GACON"),
              {smallint("COD_EMPR"), smallint("COD_GAST"), fixed("NOM_GAST", 60)},
              {unique("NM_GACON_PK", cols({"COD_EMPR", "COD_GAST"}))}});
    // Configuration flags per country and company flag group.
    t.append({QStringLiteral("GN_DIGIF"),
              {varchar("COD_VARI", 20), smallint("PAI_VARI"), smallint("EMP_VARI"),
               varchar("VAL_VARI", 20), fixed("TIP_DATO", 1)},
              {index("GN_DIGIF_VARI", cols({"COD_VARI"}))}});
    t.append({QStringLiteral("GN_EMPRE"),
              {smallint("COD_EMPR"), varchar("NOM_EMPR", 80), varchar("NIT_EMPR", 20),
               blob("BMP_REPO"), smallint("PAI_EMPR"), smallint("COD_DIFL")},
              {unique("GN_EMPRE_PK", cols({"COD_EMPR"}))}});
    // Payroll variables (no company).
    t.append({QStringLiteral("NM_VARIG"),
              {varchar("COD_VARI", 20), varchar("NOM_VARI", 60), varchar("VAL_VARI", 20)},
              {unique("NM_VARIG_PK", cols({"COD_VARI"}))}});
    // Payroll accounting movements. The caused-value update sums them per relation row
    // with equality on the first five columns and a range on FEC_PROC; the two amounts
    // ride along in the index, so the sums never read the table. The update by one date
    // seeks the date index instead: led by the date, the movements of that date lie
    // together in a few pages, which stay in the cache for the seeks of every relation
    // row, where the seeks into NM_NCMOV_CAUS land all over the index.
    IndexDef caused =
        index("NM_NCMOV_CAUS",
              cols({"COD_EMPR", "COD_CCOS", "COD_CONT", "COD_CUEN", "NAT_TRAN", "FEC_PROC"}));
    caused.included = cols({"VAL_CAUC", "VAL_TRAN"});
    IndexDef byDate =
        index("NM_NCMOV_FECH",
              cols({"FEC_PROC", "NAT_TRAN", "COD_EMPR", "COD_CCOS", "COD_CONT", "COD_CUEN"}));
    byDate.included = cols({"VAL_CAUC", "VAL_TRAN"});
    t.append(
        {QStringLiteral("NM_NCMOV"),
         {smallint("COD_EMPR"), smallint("COD_CCOS"), smallint("COD_CONT"), fixed("COD_CUEN", 30),
          datetime("FEC_PROC"), fixed("NAT_TRAN", 1), money("VAL_CAUC"), money("VAL_TRAN")},
         {caused, byDate}});
    // Suite tables: users, their companies, programs, notes and the change log.
    t.append({QStringLiteral("GN_USUAR"),
              {varchar("COD_USUA", 20), varchar("NOM_USUA", 60), fixed("TIP_USUA", 1),
               varchar("CLA_USUA", 160)},
              {unique("GN_USUAR_PK", cols({"COD_USUA"}))}});
    t.append({QStringLiteral("GN_UEMPR"),
              {varchar("COD_USUA", 20), smallint("COD_EMPR")},
              {unique("GN_UEMPR_PK", cols({"COD_USUA", "COD_EMPR"}))}});
    // The network server's sessions (the SHA-256 of each token, never the token) and its
    // count of login attempts per typed user name and client address (an empty user name:
    // the address's own count).
    t.append({QStringLiteral("TVL_SESION"),
              {fixed("HSH_SESI", 64), varchar("COD_USUA", 20), datetime("FEC_CREA"),
               datetime("FEC_USO")},
              {unique("TVL_SESION_PK", cols({"HSH_SESI"}))}});
    t.append({QStringLiteral("TVL_INTENTO"),
              {varchar("COD_USUA", 20), varchar("DIR_CLIE", 64), integer("NUM_FALL"),
               datetime("FEC_FALL")},
              {unique("TVL_INTENTO_PK", cols({"COD_USUA", "DIR_CLIE"}))}});
    t.append({QStringLiteral("GN_PROGR"),
              {varchar("COD_PROG", 20), varchar("NOM_PROG", 60), varchar("PAT_PROG", 255)},
              {unique("GN_PROGR_PK", cols({"COD_PROG"}))}});
    t.append({QStringLiteral("GN_NOTAS"),
              {varchar("FOR_NOTA", 40), varchar("CAM_NOTA", 30), varchar("VAL_LLAV", 120),
               smallint("COD_EMPR"), varchar("COD_USUA", 20), datetime("FEC_NOTA"),
               text("TEX_NOTA"), fixed("ALE_NOTA", 1)},
              {index("GN_NOTAS_LLAV", cols({"FOR_NOTA", "CAM_NOTA", "VAL_LLAV"}))}});
    t.append({QStringLiteral("GN_LOGCM"),
              {smallint("COD_EMPR"), varchar("COD_USUA", 20), datetime("FEC_CAMB"),
               varchar("TAB_CAMB", 30), varchar("CAM_CAMB", 30), text("VAL_ANTE"), text("VAL_NUEV"),
               fixed("OPE_CAMB", 1)},
              {index("GN_LOGCM_FECH", cols({"TAB_CAMB", "FEC_CAMB"}))}});
    // The history of the relation's changes: one entry per inserted, modified or deleted
    // row, with the row's technical key, company and keys and each changed column's old
    // and new value (DET_HIST, JSON), and one entry per statement that rewrites many rows
    // (the caused-value update) with the number of rows. Written by the server in the
    // transaction of the change; desks' own SQL never reaches it.
    t.append({QStringLiteral("TVL_HISTORIA"),
              {datetime("FEC_HIST"),
               varchar("USU_HIST", 20),
               fixed("OPE_HIST", 1),
               {QStringLiteral("LLA_HIST"), FieldType::LargeInt, 0},
               smallint("EMP_HIST"),
               smallint("CON_HIST"),
               fixed("CUE_HIST", 30),
               smallint("CCO_HIST"),
               integer("FIL_HIST"),
               text("DET_HIST")},
              {index("TVL_HISTORIA_FILA", cols({"EMP_HIST", "CON_HIST", "CUE_HIST"})),
               index("TVL_HISTORIA_LLAV", cols({"LLA_HIST"}))}});
    // The schema's own version.
    t.append({SchemaCatalog::versionTable(), {integer("NUM_VERS"), datetime("FEC_CREA")}, {}});
    return t;
}

} // namespace

const ColumnDef* TableDef::column(const QString& columnName) const
{
    for (const ColumnDef& c : columns) {
        if (c.name.compare(columnName, Qt::CaseInsensitive) == 0)
            return &c;
    }
    return nullptr;
}

SchemaCatalog::SchemaCatalog() : m_tables(defineTables())
{
    for (const TableDef& table : m_tables) {
        for (const ColumnDef& c : table.columns) {
            const auto it = m_columns.constFind(c.name);
            if (it == m_columns.constEnd())
                m_columns.insert(c.name, c);
            else if (it->type != c.type || it->size != c.size)
                m_inconsistent.append(table.name + QLatin1Char('.') + c.name);
        }
    }
}

int SchemaCatalog::installedVersion(Database& db)
{
    if (!db.tableNames().contains(versionTable()))
        return -1;
    const QVariant version =
        db.queryValue(QStringLiteral("SELECT MAX(NUM_VERS) FROM %1").arg(versionTable()));
    return version.isNull() ? -1 : version.toInt();
}

const SchemaCatalog& SchemaCatalog::instance()
{
    static const SchemaCatalog catalog;
    return catalog;
}

const TableDef* SchemaCatalog::table(const QString& name) const
{
    for (const TableDef& t : m_tables) {
        if (t.name.compare(name, Qt::CaseInsensitive) == 0)
            return &t;
    }
    return nullptr;
}

std::optional<ColumnDef> SchemaCatalog::column(const QString& name) const
{
    const auto it = m_columns.constFind(name.toUpper());
    if (it == m_columns.constEnd())
        return std::nullopt;
    return *it;
}

} // namespace tavrel
