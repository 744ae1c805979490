#include "RelationImportPlan.h"

#include "BudgetCodes.h"
#include "FieldType.h"
#include "ModuleError.h"

#include <QHash>
#include <QJsonArray>
#include <QRegularExpression>

#include <cmath>
#include <optional>

namespace tavrel {

namespace {

enum class Kind
{
    Integer,
    Text,
    Money,
    Code,
    Stamp
};

struct Column
{
    const char* name;
    const char* title;     // as the window's grid titles it
    const char* nameTitle; // a code's name column, or nullptr
    Kind kind;
};

// The import's columns; COD_EMPR is the company's and the audit columns the post's.
const Column kColumns[] = {
    {"COD_CONT", "Contabilización", nullptr, Kind::Integer},
    {"COD_CUEN", "Cuenta Contable", nullptr, Kind::Text},
    {"COD_CCOS", "Campo Relacionado", nullptr, Kind::Integer},
    {"COD_FUEN", "Fuente Financiación", "Descripción Nombre Fuente", Kind::Code},
    {"COD_PRES", "Recurso Presupuestal", "Descripción Recurso Presupuestal", Kind::Code},
    {"COD_SITU", "Situación de Fondos", "Descripción Situación de Fondos", Kind::Code},
    {"DEP_APAC", "Dependencia de Afectación de PAC", nullptr, Kind::Text},
    {"VAL_TOTA", "Valor Total", nullptr, Kind::Money},
    {"VAL_CAUS", "Valor Causado", nullptr, Kind::Money},
    {"ACT_HORA", "ACT_HORA", nullptr, Kind::Stamp},
};
const QStringList kKey{QStringLiteral("COD_CONT"), QStringLiteral("COD_CUEN"),
                       QStringLiteral("COD_CCOS")};
const QString kCaused = QStringLiteral("VAL_CAUS");
const QString kStamp = QStringLiteral("ACT_HORA");

const QList<BudgetCodes::Entry>& listOf(const QString& column)
{
    if (column == QLatin1String("COD_FUEN"))
        return BudgetCodes::fundingSources();
    if (column == QLatin1String("COD_PRES"))
        return BudgetCodes::budgetResources();
    return BudgetCodes::fundsSituations();
}

QString cellText(const QVariant& cell)
{
    if (cell.typeId() == QMetaType::Double) {
        const double d = cell.toDouble();
        return d == std::floor(d) && std::abs(d) < 1e15 ? QString::number(qint64(d))
                                                        : QString::number(d, 'g', 15);
    }
    return cell.toString().trimmed();
}

// A number in the Colombian form ("1.234.567,89", "-45,5", "1234"), or nothing.
std::optional<double> colombian(const QString& text)
{
    static const QRegularExpression form(QStringLiteral("^-?(\\d{1,3}(\\.\\d{3})+|\\d+)(,\\d+)?$"));
    QString t = text;
    t.remove(QLatin1Char(' '));
    if (!form.match(t).hasMatch())
        return std::nullopt;
    t.remove(QLatin1Char('.'));
    t.replace(QLatin1Char(','), QLatin1Char('.'));
    return t.toDouble();
}

// An Excel date serial as the wall-clock time it shows (days since 30 December 1899).
QDateTime fromSerial(double serial)
{
    constexpr qint64 day = 86400000;
    const qint64 ms = qRound64(serial * double(day));
    const qint64 days = ms >= 0 ? ms / day : (ms - day + 1) / day;
    return QDateTime(QDate(1899, 12, 30).addDays(days),
                     QTime::fromMSecsSinceStartOfDay(int(ms - days * day)));
}

bool same(const QVariant& a, const QVariant& b)
{
    // A blank cell is null, and so is a text the server keeps empty.
    const auto blank = [](const QVariant& v) {
        return isNull(v) || (v.typeId() == QMetaType::QString && v.toString().trimmed().isEmpty());
    };
    if (blank(a) || blank(b))
        return blank(a) && blank(b);
    if (a.typeId() == QMetaType::QDateTime || b.typeId() == QMetaType::QDateTime)
        return std::abs(a.toDateTime().msecsTo(b.toDateTime())) <= 1;
    if (a.typeId() == QMetaType::Double || b.typeId() == QMetaType::Double) {
        const double x = a.toDouble();
        const double y = b.toDouble();
        return std::abs(x - y) < 1e-6; // money has cents; a sheet keeps doubles exactly
    }
    return a.toString().trimmed() == b.toString().trimmed();
}

QString keyString(const QVariantMap& key)
{
    QStringList parts;
    for (const QString& c : kKey)
        parts.append(isNull(key.value(c)) ? QString() : key.value(c).toString().trimmed());
    return parts.join(QLatin1Char('|'));
}

QString shown(const QVariant& v)
{
    return isNull(v) ? QStringLiteral("vacío") : v.toString().trimmed();
}

// One sheet row read into the columns' values.
struct SheetRow
{
    int number = 0;
    QVariantMap values;              // the columns the sheet has, null for blanks
    QStringList problems;            // refuse the row whatever it changes
    QHash<QString, QString> unknown; // a code outside its list: refuses it only when written
};

class SheetColumns
{
public:
    explicit SheetColumns(const XlsxReader::Row& titles)
    {
        for (qsizetype i = 0; i < titles.cells.size(); ++i) {
            const QString title = cellText(titles.cells[i]);
            if (title.isEmpty())
                continue;
            if (m_at.contains(title.toLower()))
                throw ModuleError(
                    QStringLiteral("La hoja tiene dos columnas «%1»; deje una sola.").arg(title));
            m_at.insert(title.toLower(), int(i));
        }
        for (const QString& key : kKey) {
            if (index(RelationImportPlan::title(key)) < 0)
                throw ModuleError(QStringLiteral("La hoja no tiene la columna «%1»; la primera "
                                                 "fila debe tener los títulos que escribe la "
                                                 "exportación a Excel de la relación.")
                                      .arg(RelationImportPlan::title(key)));
        }
    }

    int index(const QString& title) const { return m_at.value(title.toLower(), -1); }

    SheetRow read(const XlsxReader::Row& row) const
    {
        SheetRow r{row.number, {}, {}, {}};
        for (const Column& c : kColumns) {
            const QString name = QLatin1String(c.name);
            const int at = index(QString::fromUtf8(c.title));
            const int nameAt = c.nameTitle ? index(QString::fromUtf8(c.nameTitle)) : -1;
            if (at < 0 && nameAt < 0)
                continue;
            const QVariant cell = at >= 0 ? row.cells.value(at) : QVariant();
            if (c.kind == Kind::Code) {
                readCode(r, name, cellText(cell), cellText(row.cells.value(nameAt)), c);
                continue;
            }
            if (isNull(cell) || cellText(cell).isEmpty()) {
                r.values.insert(name, QVariant());
                continue;
            }
            r.values.insert(name, value(r, c, cell));
        }
        return r;
    }

private:
    static QVariant value(SheetRow& r, const Column& c, const QVariant& cell)
    {
        const QString title = QString::fromUtf8(c.title);
        const QString text = cellText(cell);
        const auto notA = [&](const char* what) {
            r.problems.append(QStringLiteral("«%1» no es %2 en la columna %3")
                                  .arg(text, QString::fromUtf8(what), title));
            return QVariant();
        };
        switch (c.kind) {
        case Kind::Integer: {
            bool ok = false;
            const int n = text.toInt(&ok);
            return ok && n >= -32768 && n <= 32767 ? QVariant(n) : notA("un código numérico");
        }
        case Kind::Money: {
            if (cell.typeId() == QMetaType::Double)
                return cell.toDouble();
            const std::optional<double> n = colombian(text);
            return n ? QVariant(*n) : notA("un número (escríbalo como 1.234.567,89)");
        }
        case Kind::Stamp: {
            if (cell.typeId() == QMetaType::Double)
                return fromSerial(cell.toDouble());
            const QDateTime when = QDateTime::fromString(text, Qt::ISODateWithMs);
            return when.isValid() ? QVariant(when) : notA("una fecha y hora");
        }
        case Kind::Text:
        case Kind::Code:
            break;
        }
        return text;
    }

    static void readCode(SheetRow& r, const QString& column, const QString& code,
                         const QString& name, const Column& c)
    {
        const QList<BudgetCodes::Entry>& list = listOf(column);
        const bool integer = column == QLatin1String("COD_PRES");
        if (code.isEmpty() && name.isEmpty()) {
            r.values.insert(column, QVariant());
            return;
        }
        const QString given = code.isEmpty() ? name : code;
        const QString title = QString::fromUtf8(code.isEmpty() ? c.nameTitle : c.title);
        const QList<QVariant> codes = BudgetCodes::named(list, given);
        if (codes.size() > 1) {
            QStringList listed;
            for (const QVariant& v : codes)
                listed.append(v.toString());
            r.problems.append(QStringLiteral("«%1» de la columna %2 es el nombre de los códigos "
                                             "%3; escriba el código")
                                  .arg(given, title, listed.join(QStringLiteral(" y "))));
            r.values.insert(column, QVariant());
            return;
        }
        if (codes.isEmpty()) {
            // Kept as typed: refused only when the import would write it.
            bool ok = false;
            const int n = given.toInt(&ok);
            r.values.insert(column, integer && ok ? QVariant(n) : QVariant(given));
            r.unknown.insert(column, QStringLiteral("«%1» de la columna %2 no está en la lista "
                                                    "de códigos; elija uno de la lista")
                                         .arg(given, title));
            return;
        }
        r.values.insert(column, codes.first());
        if (!code.isEmpty() && !name.isEmpty() &&
            !BudgetCodes::named(list, name).contains(codes.first()))
            r.problems.append(
                QStringLiteral("el código «%1» de la columna %2 no es el de «%3» "
                               "de la columna %4; corrija uno de los dos")
                    .arg(code, QString::fromUtf8(c.title), name, QString::fromUtf8(c.nameTitle)));
    }

    QHash<QString, int> m_at;
};

QVariantMap keyOf(const QVariantMap& values)
{
    QVariantMap key;
    for (const QString& c : kKey)
        key.insert(c, values.value(c));
    return key;
}

bool written(const QString& column)
{
    return column != kCaused && column != kStamp && !kKey.contains(column);
}

QJsonValue json(const QVariant& v)
{
    if (isNull(v))
        return QJsonValue::Null;
    if (v.typeId() == QMetaType::QDateTime)
        return v.toDateTime().toString(Qt::ISODateWithMs);
    if (v.typeId() == QMetaType::QString)
        return v.toString().trimmed();
    return QJsonValue::fromVariant(v);
}

} // namespace

QString RelationImportPlan::title(const QString& column)
{
    for (const Column& c : kColumns) {
        if (column == QLatin1String(c.name))
            return QString::fromUtf8(c.title);
    }
    return column;
}

QString RelationImportPlan::keyText(const QVariantMap& key)
{
    return QStringLiteral("contabilización %1, cuenta %2, campo relacionado %3")
        .arg(shown(key.value(kKey[0])), shown(key.value(kKey[1])), shown(key.value(kKey[2])));
}

QString RelationImportPlan::actionName(Action action)
{
    switch (action) {
    case Action::Insert:
        return QStringLiteral("insert");
    case Action::Update:
        return QStringLiteral("update");
    case Action::Unchanged:
        return QStringLiteral("unchanged");
    case Action::Refused:
        return QStringLiteral("refused");
    case Action::Ignored:
        return QStringLiteral("ignored");
    }
    return QString();
}

RelationImportPlan RelationImportPlan::make(const XlsxReader::Sheet& sheet, int company,
                                            const DataPacket& serverRows,
                                            const RelationFieldChecks::Finds& finds)
{
    if (sheet.rows.isEmpty())
        throw ModuleError(QStringLiteral("La primera hoja del libro está vacía: no tiene la fila "
                                         "de títulos de la relación."));
    const SheetColumns columns(sheet.rows.first());

    QList<QVariantMap> server;
    QHash<QString, QList<int>> serverAt;
    for (const QVariantList& values : serverRows.rows) {
        QVariantMap row;
        for (qsizetype i = 0; i < serverRows.columns.size(); ++i)
            row.insert(serverRows.columns[i].name.toUpper(), values.value(i));
        serverAt[keyString(keyOf(row))].append(int(server.size()));
        server.append(row);
    }

    QList<SheetRow> rows;
    QHash<QString, QList<int>> sheetAt;
    for (qsizetype i = 1; i < sheet.rows.size(); ++i) {
        rows.append(columns.read(sheet.rows[i]));
        sheetAt[keyString(keyOf(rows.last().values))].append(rows.last().number);
    }

    RelationImportPlan plan;
    for (const SheetRow& r : rows) {
        Entry e;
        e.sheetRow = r.number;
        e.key = keyOf(r.values);
        QStringList problems = r.problems;
        QStringList notes;
        const QString key = keyString(e.key);
        QStringList others;
        for (int n : sheetAt.value(key)) {
            if (n != r.number)
                others.append(QString::number(n));
        }
        if (!others.isEmpty())
            problems.append(QStringLiteral("la misma contabilización, cuenta y campo relacionado "
                                           "están también en la fila %1 de la hoja")
                                .arg(others.join(QStringLiteral(", "))));
        const QList<int> matches = serverAt.value(key);
        if (matches.size() > 1)
            problems.append(QStringLiteral("la empresa tiene %1 filas con esta contabilización, "
                                           "cuenta y campo relacionado; no se sabe cuál "
                                           "actualizar. Deje una sola en la relación.")
                                .arg(matches.size()));
        const QVariantMap stored = matches.size() == 1 ? server[matches.first()] : QVariantMap();
        const bool insert = matches.isEmpty();
        for (auto it = r.values.constBegin(); it != r.values.constEnd(); ++it) {
            if (!written(it.key()) || matches.size() > 1)
                continue;
            const QVariant before = insert ? QVariant() : stored.value(it.key());
            if (same(before, it.value()))
                continue;
            e.changes.insert(it.key(), {before, it.value()});
            if (r.unknown.contains(it.key()))
                problems.append(r.unknown.value(it.key()));
        }
        if (r.values.contains(kCaused) && !isNull(r.values.value(kCaused)) &&
            !same(stored.value(kCaused), r.values.value(kCaused)))
            notes.append(QStringLiteral("el Valor Causado %1 de la hoja no se importa: lo "
                                        "calcula la actualización del causado")
                             .arg(r.values.value(kCaused).toDouble(), 0, 'f', 2));
        if (insert && r.problems.isEmpty()) {
            // Checked as the window checks a concept and an account assigned to a new row.
            for (const QString& refusal :
                 {RelationFieldChecks::checkConcept(company, e.key.value(kKey[0]), finds),
                  RelationFieldChecks::checkAccount(company, e.key.value(kKey[0]),
                                                    e.key.value(kKey[1]), finds)}) {
                if (!refusal.isEmpty())
                    problems.append(refusal);
            }
        }
        if (!insert && matches.size() == 1 && !e.changes.isEmpty() &&
            !isNull(r.values.value(kStamp)) && !same(r.values.value(kStamp), stored.value(kStamp)))
            problems.append(QStringLiteral("la fila cambió en el servidor (%1, %2) después de "
                                           "exportar la hoja (%3); exporte de nuevo y repita "
                                           "sus cambios")
                                .arg(stored.value(kStamp).toDateTime().toString(
                                         QStringLiteral("dd/MM/yyyy HH:mm:ss")),
                                     shown(stored.value(QStringLiteral("ACT_USUA"))),
                                     r.values.value(kStamp).toDateTime().toString(
                                         QStringLiteral("dd/MM/yyyy HH:mm:ss"))));
        if (!problems.isEmpty())
            e.action = Action::Refused;
        else if (insert)
            e.action = Action::Insert;
        else if (!e.changes.isEmpty())
            e.action = Action::Update;
        else
            e.action = notes.isEmpty() ? Action::Unchanged : Action::Ignored;
        e.message = (problems + notes).join(QStringLiteral("; "));
        if (matches.size() == 1) {
            e.rowKey = serverRows.rowKeys.value(matches.first(), -1);
            e.original = stored;
        }
        plan.entries.append(e);
    }
    for (auto it = serverAt.constBegin(); it != serverAt.constEnd(); ++it) {
        if (!sheetAt.contains(it.key()))
            plan.notInSheet.append(keyOf(server[it.value().first()]));
    }
    std::sort(
        plan.notInSheet.begin(), plan.notInSheet.end(),
        [](const QVariantMap& a, const QVariantMap& b) { return keyString(a) < keyString(b); });
    return plan;
}

bool RelationImportPlan::refused() const
{
    return count(Action::Refused) > 0;
}

int RelationImportPlan::count(Action action) const
{
    return int(std::count_if(entries.cbegin(), entries.cend(),
                             [action](const Entry& e) { return e.action == action; }));
}

Delta RelationImportPlan::delta(int company, const QString& user, const QDateTime& serverTime) const
{
    Delta delta;
    for (const Entry& e : entries) {
        if (e.action != Action::Insert && e.action != Action::Update)
            continue;
        DeltaRow row;
        for (auto it = e.changes.constBegin(); it != e.changes.constEnd(); ++it)
            row.values.insert(it.key(), it.value().second);
        row.values.insert(QStringLiteral("ACT_USUA"), user.left(8));
        row.values.insert(kStamp, serverTime);
        if (e.action == Action::Insert) {
            row.kind = DeltaRow::Kind::Insert;
            for (const QString& c : kKey) {
                if (!isNull(e.key.value(c)))
                    row.values.insert(c, e.key.value(c));
            }
            row.values.insert(QStringLiteral("ACT_ESTA"), QStringLiteral("A"));
            row.values.insert(QStringLiteral("COD_EMPR"), company);
        } else {
            row.kind = DeltaRow::Kind::Modify;
            row.rowKey = e.rowKey;
            row.original = e.original;
            row.values.insert(QStringLiteral("ACT_ESTA"), QStringLiteral("M"));
        }
        delta.rows.append(row);
    }
    return delta;
}

QJsonObject RelationImportPlan::toJson() const
{
    const auto keyJson = [](const QVariantMap& key) {
        QJsonObject o;
        for (const QString& c : kKey)
            o.insert(c, json(key.value(c)));
        return o;
    };
    QJsonArray rows;
    for (const Entry& e : entries) {
        QJsonObject changes;
        for (auto it = e.changes.constBegin(); it != e.changes.constEnd(); ++it)
            changes.insert(it.key(), QJsonArray{json(it.value().first), json(it.value().second)});
        rows.append(QJsonObject{{QStringLiteral("sheetRow"), e.sheetRow},
                                {QStringLiteral("key"), keyJson(e.key)},
                                {QStringLiteral("action"), actionName(e.action)},
                                {QStringLiteral("changes"), changes},
                                {QStringLiteral("message"), e.message}});
    }
    QJsonArray missing;
    for (const QVariantMap& key : notInSheet)
        missing.append(keyJson(key));
    QJsonObject summary;
    for (Action a :
         {Action::Insert, Action::Update, Action::Unchanged, Action::Refused, Action::Ignored})
        summary.insert(actionName(a), count(a));
    return {{QStringLiteral("rows"), rows},
            {QStringLiteral("notInSheet"), missing},
            {QStringLiteral("summary"), summary}};
}

} // namespace tavrel
