#include "QbeConditionBuilder.h"

#include "ModuleError.h"

#include <QDate>
#include <QLocale>
#include <QRegularExpression>

namespace tavrel {

namespace {

const QString kIsoDay = QStringLiteral("yyyy-MM-dd'T'00:00:00.000");

[[noreturn]] void refuse(const QString& message)
{
    throw ModuleError(message, ModuleError::Kind::Conversion);
}

bool isText(FieldType type)
{
    return type == FieldType::String || type == FieldType::FixedChar;
}

bool isInteger(FieldType type)
{
    return type == FieldType::SmallInt || type == FieldType::Integer || type == FieldType::LargeInt;
}

// A column name as the query-by-example may write it: a plain or qualified identifier.
void checkColumn(const QbeCriterion& c)
{
    static const QRegularExpression identifier(
        QStringLiteral("^[A-Za-z_][A-Za-z0-9_]*(\\.[A-Za-z_][A-Za-z0-9_]*)?$"));
    if (!identifier.match(c.fieldName).hasMatch())
        refuse(QStringLiteral("«%1» no es un nombre de columna válido para consultar")
                   .arg(c.fieldName));
}

QString comparison(QbeOperator op)
{
    return QbeConditionBuilder::operatorName(op);
}

// % and _ stand for themselves in a LIKE pattern with ESCAPE '!'.
QString likeEscaped(const QString& value)
{
    QString out;
    out.reserve(value.size());
    for (const QChar ch : value) {
        if (ch == QLatin1Char('!') || ch == QLatin1Char('%') || ch == QLatin1Char('_'))
            out += QLatin1Char('!');
        out += ch;
    }
    return out;
}

QString numberLiteral(const QVariant& number, FieldType type)
{
    if (isInteger(type))
        return QString::number(number.toLongLong());
    return QString::number(number.toDouble(), 'g', QLocale::FloatingPointShortest);
}

} // namespace

void QbeConditionBuilder::setDateFormat(const QString& format)
{
    m_dateFormat = format.trimmed().isEmpty() ? QStringLiteral("dd/MM/yyyy") : format.trimmed();
}

QString QbeConditionBuilder::quoteText(const QString& text)
{
    QString doubled = text;
    doubled.replace(QLatin1Char('\''), QLatin1String("''"));
    return QLatin1Char('\'') + doubled + QLatin1Char('\'');
}

QString QbeConditionBuilder::operatorName(QbeOperator op)
{
    switch (op) {
    case QbeOperator::Equal:
        return QStringLiteral("=");
    case QbeOperator::NotEqual:
        return QStringLiteral("<>");
    case QbeOperator::Greater:
        return QStringLiteral(">");
    case QbeOperator::Less:
        return QStringLiteral("<");
    case QbeOperator::GreaterOrEqual:
        return QStringLiteral(">=");
    case QbeOperator::LessOrEqual:
        return QStringLiteral("<=");
    case QbeOperator::Contains:
        return QStringLiteral("contiene");
    case QbeOperator::StartsWith:
        return QStringLiteral("empieza por");
    }
    return QString();
}

QList<QbeOperator> QbeConditionBuilder::operatorsFor(FieldType type)
{
    QList<QbeOperator> ops{QbeOperator::Equal, QbeOperator::NotEqual};
    if (type == FieldType::Boolean)
        return ops;
    ops << QbeOperator::Greater << QbeOperator::Less << QbeOperator::GreaterOrEqual
        << QbeOperator::LessOrEqual;
    if (isText(type))
        ops << QbeOperator::Contains << QbeOperator::StartsWith;
    return ops;
}

QString QbeConditionBuilder::expression(const QList<QbeCriterion>& criteria) const
{
    QStringList parts;
    for (const QbeCriterion& c : criteria) {
        if (c.value.trimmed().isEmpty())
            continue;
        parts.append(criterionSql(c));
    }
    return parts.join(QLatin1String(" AND "));
}

QString QbeConditionBuilder::condition(const QList<QbeCriterion>& criteria, int tag) const
{
    const QString expr = expression(criteria);
    if (expr.isEmpty())
        return QString();
    return (tag == 0 ? QLatin1String(" WHERE ") : QLatin1String(" AND ")) + expr;
}

QString QbeConditionBuilder::criterionSql(const QbeCriterion& c) const
{
    checkColumn(c);
    const QString value = c.value.trimmed();
    for (const QChar ch : value) {
        if (ch.category() == QChar::Other_Control)
            refuse(QStringLiteral("El valor de «%1» tiene caracteres de control").arg(c.label));
    }
    if (!operatorsFor(c.type).contains(c.op))
        refuse(QStringLiteral("El operador «%1» no se puede usar con «%2» (%3)")
                   .arg(operatorName(c.op), c.label, fieldTypeName(c.type)));

    if (isText(c.type))
        return textSql(c, value);
    if (c.type == FieldType::DateTime)
        return dateSql(c, value);
    if (c.type == FieldType::Boolean) {
        QString word = value.toUpper();
        if (word == QLatin1String("SI") || word == QStringLiteral("SÍ"))
            word = QStringLiteral("S");
        else if (word == QLatin1String("NO"))
            word = QStringLiteral("N");
        QVariant flag;
        try {
            flag = coerce(word, c.type);
        } catch (const ModuleError&) {
            refuse(QStringLiteral("«%1» no es un valor válido para «%2»; escriba S o N")
                       .arg(value, c.label));
        }
        return c.fieldName + QLatin1Char(' ') + comparison(c.op) + QLatin1Char(' ') +
               (flag.toBool() ? QLatin1String("TRUE") : QLatin1String("FALSE"));
    }
    if (c.type == FieldType::Blob)
        refuse(QStringLiteral("«%1» no se puede usar en una consulta").arg(c.label));

    QVariant number;
    try {
        number = coerce(value, c.type);
    } catch (const ModuleError& e) {
        refuse(QStringLiteral("«%1» no es un número válido para «%2»: %3")
                   .arg(value, c.label, e.message()));
    }
    return c.fieldName + QLatin1Char(' ') + comparison(c.op) + QLatin1Char(' ') +
           numberLiteral(number, c.type);
}

QString QbeConditionBuilder::textSql(const QbeCriterion& c, const QString& typed) const
{
    const QString value = m_upperCase ? typed.toUpper() : typed;
    const QString column = m_upperCase ? QStringLiteral("UPPER(%1)").arg(c.fieldName) : c.fieldName;
    switch (c.op) {
    case QbeOperator::Contains:
        return column + QLatin1String(" LIKE ") +
               quoteText(QLatin1Char('%') + likeEscaped(value) + QLatin1Char('%')) +
               QLatin1String(" ESCAPE '!'");
    case QbeOperator::StartsWith:
        return column + QLatin1String(" LIKE ") + quoteText(likeEscaped(value) + QLatin1Char('%')) +
               QLatin1String(" ESCAPE '!'");
    default:
        return column + QLatin1Char(' ') + comparison(c.op) + QLatin1Char(' ') + quoteText(value);
    }
}

QString QbeConditionBuilder::dateSql(const QbeCriterion& c, const QString& value) const
{
    QDate day = QDate::fromString(value, m_dateFormat);
    if (!day.isValid())
        day = QDate::fromString(value, QStringLiteral("yyyy-MM-dd"));
    if (!day.isValid())
        refuse(QStringLiteral("«%1» no es una fecha válida para «%2»; escríbala como %3")
                   .arg(value, c.label, m_dateFormat));
    const QString from = quoteText(day.toString(kIsoDay));
    const QString to = quoteText(day.addDays(1).toString(kIsoDay));
    const QString& col = c.fieldName;
    switch (c.op) {
    case QbeOperator::Equal:
        return QStringLiteral("(%1 >= %2 AND %1 < %3)").arg(col, from, to);
    case QbeOperator::NotEqual:
        return QStringLiteral("(%1 < %2 OR %1 >= %3)").arg(col, from, to);
    case QbeOperator::Greater:
        return QStringLiteral("%1 >= %2").arg(col, to);
    case QbeOperator::Less:
        return QStringLiteral("%1 < %2").arg(col, from);
    case QbeOperator::GreaterOrEqual:
        return QStringLiteral("%1 >= %2").arg(col, from);
    case QbeOperator::LessOrEqual:
        return QStringLiteral("%1 < %2").arg(col, to);
    case QbeOperator::Contains:
    case QbeOperator::StartsWith:
        break;
    }
    return QString();
}

QString QbeConditionBuilder::composeQuery(const QString& base, const QString& baseCondition,
                                          int tag, const QString& condition)
{
    static const QRegularExpression leadingWhere(QStringLiteral("^\\s*WHERE\\b"),
                                                 QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression leadingKeyword(QStringLiteral("^\\s*(WHERE|AND)\\b"),
                                                   QRegularExpression::CaseInsensitiveOption);

    QString restriction = baseCondition;
    restriction.remove(leadingKeyword);
    restriction = restriction.trimmed();
    if (restriction.isEmpty())
        return base + condition;

    QString rest = condition;
    if (tag == 0) {
        const QRegularExpressionMatch m = leadingWhere.match(rest);
        if (m.hasMatch())
            rest = QStringLiteral(" AND") + rest.mid(m.capturedEnd());
    }
    return base + (tag == 0 ? QLatin1String(" WHERE (") : QLatin1String(" AND (")) + restriction +
           QLatin1Char(')') + rest;
}

} // namespace tavrel
