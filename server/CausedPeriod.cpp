#include "CausedPeriod.h"

#include "CausedValueStatements.h"
#include "Database.h"
#include "FieldType.h"
#include "ModuleError.h"

#include <QRegularExpression>

namespace tavrel {

namespace {

[[noreturn]] void conversionError(const QString& message)
{
    throw ModuleError(message, ModuleError::Kind::Conversion);
}

} // namespace

QString CausedPeriod::readSetting(Database& db)
{
    QString setting;
    db.readOnly(CausedValueStatements::settingQuery().join(QLatin1Char('\n')), {},
                [&setting](QSqlQuery& query) {
                    if (query.next())
                        setting = query.value(0).toString();
                });
    return setting;
}

CausedPeriod CausedPeriod::forSetting(const QString& setting)
{
    using Texts = CausedValueStatements::Texts;
    const std::optional<Texts> texts = CausedValueStatements::textsFor(setting);
    if (!texts)
        conversionError(CausedValueStatements::notAnInteger(setting));
    CausedPeriod p;
    p.texts = *texts;
    if (p.texts != Texts::Year)
        return p;
    // The update then reads "01/01/" followed by the text as a date: up to four digits.
    static const QRegularExpression year(QStringLiteral("^ *[0-9]{1,4}$"));
    if (!year.match(setting).hasMatch())
        conversionError(QStringLiteral("'01/01/%1' no es una fecha válida").arg(setting));
    return forYear(CausedValueStatements::settingValue(setting));
}

CausedPeriod CausedPeriod::forYear(int year)
{
    if (year < 1 || year > 9999)
        conversionError(
            QStringLiteral("El año %1 no es válido: debe estar entre 1 y 9999").arg(year));
    CausedPeriod p;
    p.path = Path::Year;
    p.texts = CausedValueStatements::Texts::Year;
    p.year = year;
    p.start = QDateTime(QDate(year, 1, 1), QTime(0, 0));
    p.end = QDateTime(QDate(year, 12, 31), QTime(0, 0));
    return p;
}

CausedPeriod CausedPeriod::choose(Database& db, int year)
{
    return year > 0 ? forYear(year) : forSetting(readSetting(db));
}

void CausedPeriod::findAccountingDate(Database& db, const QDateTime& clientTime)
{
    QVariant latest;
    db.readOnly(CausedValueStatements::accountingDateQuery(texts), {clientTime},
                [&latest](QSqlQuery& query) {
                    if (query.next())
                        latest = query.value(0);
                });
    start = end = isNull(latest) ? clientTime : coerce(latest, FieldType::DateTime).toDateTime();
}

QString CausedPeriod::description() const
{
    if (path == Path::Year)
        return QStringLiteral("del %1 al %2")
            .arg(start.toString(QStringLiteral("dd/MM/yyyy")),
                 end.toString(QStringLiteral("dd/MM/yyyy")));
    return QStringLiteral("del %1").arg(start.toString(QStringLiteral("dd/MM/yyyy HH:mm:ss")));
}

} // namespace tavrel
