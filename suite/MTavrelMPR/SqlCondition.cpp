#include "SqlCondition.h"

#include "ModuleError.h"

#include <QList>
#include <QStringList>
#include <algorithm>

namespace tavrel {

namespace {

struct Word
{
    qsizetype start;
    qsizetype end;
    QString upper;
};

bool isWordChar(QChar c)
{
    return c.isLetterOrNumber() || c == QLatin1Char('_');
}

struct Scan
{
    QList<Word> words; // outside parentheses, quotes and comments
    QByteArray code;   // per character: 1 outside comments, 0 inside
};

Scan scan(const QString& sql)
{
    Scan result;
    const qsizetype n = sql.size();
    result.code.fill(1, n);
    int depth = 0;
    qsizetype i = 0;
    const auto comment = [&](qsizetype from, qsizetype to) {
        for (qsizetype k = from; k < to; ++k)
            result.code[k] = 0;
    };
    while (i < n) {
        const QChar c = sql[i];
        if (c == QLatin1Char('\'') || c == QLatin1Char('"')) {
            ++i;
            while (i < n) {
                if (sql[i] == c) {
                    if (i + 1 < n && sql[i + 1] == c) {
                        i += 2;
                        continue;
                    }
                    break;
                }
                ++i;
            }
            ++i;
        } else if (c == QLatin1Char('-') && i + 1 < n && sql[i + 1] == QLatin1Char('-')) {
            const qsizetype start = i;
            while (i < n && sql[i] != QLatin1Char('\n'))
                ++i;
            comment(start, i);
        } else if (c == QLatin1Char('/') && i + 1 < n && sql[i + 1] == QLatin1Char('*')) {
            const qsizetype close = sql.indexOf(QStringLiteral("*/"), i + 2);
            const qsizetype start = i;
            i = close < 0 ? n : close + 2;
            comment(start, i);
        } else if (c == QLatin1Char('(')) {
            ++depth;
            ++i;
        } else if (c == QLatin1Char(')')) {
            --depth;
            ++i;
        } else if (isWordChar(c)) {
            const qsizetype start = i;
            while (i < n && isWordChar(sql[i]))
                ++i;
            if (depth == 0)
                result.words.append({start, i, sql.mid(start, i - start).toUpper()});
        } else {
            ++i;
        }
    }
    return result;
}

// The position after the last character before `to` that is neither a blank, a
// semicolon nor part of a comment.
qsizetype contentEnd(const QString& sql, const QByteArray& code, qsizetype to)
{
    while (to > 0 &&
           (code[to - 1] == 0 || sql[to - 1].isSpace() || sql[to - 1] == QLatin1Char(';')))
        --to;
    return to;
}

// The condition without a leading WHERE or AND.
QString bareCondition(const QString& condition)
{
    const QString trimmed = condition.trimmed();
    const QList<Word> words = scan(trimmed).words;
    if (!words.isEmpty() && words.first().start == 0 &&
        (words.first().upper == QLatin1String("WHERE") ||
         words.first().upper == QLatin1String("AND")))
        return trimmed.mid(words.first().end).trimmed();
    return trimmed;
}

bool hasTopLevelOr(const QString& condition)
{
    const QList<Word> words = scan(condition).words;
    return std::any_of(words.begin(), words.end(),
                       [](const Word& w) { return w.upper == QLatin1String("OR"); });
}

} // namespace

QString SqlCondition::append(const QString& sql, const QString& condition)
{
    const QString added = bareCondition(condition);
    if (added.isEmpty())
        return sql;

    static const QStringList compound{QStringLiteral("UNION"), QStringLiteral("INTERSECT"),
                                      QStringLiteral("EXCEPT")};
    static const QStringList clauseEnds{QStringLiteral("GROUP"),  QStringLiteral("HAVING"),
                                        QStringLiteral("ORDER"),  QStringLiteral("LIMIT"),
                                        QStringLiteral("OFFSET"), QStringLiteral("FETCH"),
                                        QStringLiteral("WINDOW"), QStringLiteral("FOR")};

    const Scan scanned = scan(sql);
    const Word* where = nullptr;
    qsizetype clauseEnd = -1;
    for (const Word& w : scanned.words) {
        if (compound.contains(w.upper)) {
            throw ModuleError(QStringLiteral("No se puede agregar la condición «%1» a una "
                                             "consulta compuesta (%2)")
                                  .arg(added, w.upper));
        }
        if (!where && w.upper == QLatin1String("WHERE")) {
            where = &w;
        } else if (clauseEnd < 0 && clauseEnds.contains(w.upper)) {
            clauseEnd = w.start;
        }
    }
    // The condition goes right after the last code before the clause that follows (or
    // the end): comments, blanks and a closing semicolon stay after it.
    const qsizetype end = contentEnd(sql, scanned.code, clauseEnd < 0 ? sql.size() : clauseEnd);
    const QString rest = sql.mid(end);
    const QString gap = rest.isEmpty() || rest.front().isSpace() || rest.front() == QLatin1Char(';')
                            ? QString()
                            : QStringLiteral(" ");
    if (where) {
        const QString existing = sql.mid(where->end, end - where->end).trimmed();
        return sql.left(where->start) + QStringLiteral("WHERE (") + existing +
               QStringLiteral(") AND (") + added + QLatin1Char(')') + gap + rest;
    }
    const QString wrapped =
        hasTopLevelOr(added) ? QLatin1Char('(') + added + QLatin1Char(')') : added;
    return sql.left(end) + QStringLiteral(" WHERE ") + wrapped + gap + rest;
}

} // namespace tavrel
