#include "SqlText.h"

#include <QList>

namespace tavrel {

namespace {

bool isIdentStart(QChar c)
{
    return c.isLetter() || c == QLatin1Char('_');
}

bool isIdentPart(QChar c)
{
    return c.isLetterOrNumber() || c == QLatin1Char('_') || c == QLatin1Char('$');
}

// Index just past a quoted run that starts at `i` with `quote`; a doubled quote stays
// inside. An unterminated run ends at the end of the text.
qsizetype skipQuoted(const QString& sql, qsizetype i, QChar quote)
{
    const qsizetype n = sql.size();
    ++i;
    while (i < n) {
        if (sql.at(i) == quote) {
            if (i + 1 < n && sql.at(i + 1) == quote) {
                i += 2;
                continue;
            }
            return i + 1;
        }
        ++i;
    }
    return n;
}

// Index just past a comment starting at `i`, or `i` when none starts there.
qsizetype skipComment(const QString& sql, qsizetype i)
{
    const qsizetype n = sql.size();
    if (i + 1 < n && sql.at(i) == QLatin1Char('-') && sql.at(i + 1) == QLatin1Char('-')) {
        // PostgreSQL also ends the comment at a carriage return.
        qsizetype end = i + 2;
        while (end < n && sql.at(end) != QLatin1Char('\n') && sql.at(end) != QLatin1Char('\r'))
            ++end;
        return end < n ? end + 1 : n;
    }
    if (i + 1 < n && sql.at(i) == QLatin1Char('/') && sql.at(i + 1) == QLatin1Char('*')) {
        const qsizetype end = sql.indexOf(QLatin1String("*/"), i + 2);
        return end < 0 ? n : end + 2;
    }
    return i;
}

struct Token
{
    enum Kind
    {
        Word,
        Open,
        Close,
        Semicolon,
        Other
    } kind;
    QString text; // upper case for words
};

// The engines disagree on what quotes and comments are. SQLite also quotes identifiers
// with `...` and [...]; PostgreSQL escapes with a backslash inside E'...', quotes with
// $tag$...$tag$ and nests block comments. A text passes the check only when it is one
// SELECT for each of them: a run that one engine reads as quoted and the other does not
// could hide a second statement.
enum class Reading
{
    Sqlite,
    Postgres
};

// The $tag$ (tag empty or an identifier) that opens a dollar-quoted string at `i`, or
// empty. A '$' inside an identifier or before a digit ($1, a parameter) opens nothing.
QStringView dollarTag(const QString& sql, qsizetype i)
{
    if (sql.at(i) != QLatin1Char('$') || (i > 0 && isIdentPart(sql.at(i - 1))))
        return {};
    qsizetype j = i + 1;
    if (j < sql.size() && !isIdentStart(sql.at(j)) && sql.at(j) != QLatin1Char('$'))
        return {};
    while (j < sql.size() && (sql.at(j).isLetterOrNumber() || sql.at(j) == QLatin1Char('_')))
        ++j;
    if (j >= sql.size() || sql.at(j) != QLatin1Char('$'))
        return {};
    return QStringView(sql).mid(i, j - i + 1);
}

// Index just past a quoted run of the reading, or `i` when none starts there.
qsizetype skipEngineQuoted(const QString& sql, qsizetype i, Reading reading)
{
    const qsizetype n = sql.size();
    const QChar c = sql.at(i);
    if (reading == Reading::Sqlite) {
        if (c == QLatin1Char('`'))
            return skipQuoted(sql, i, c);
        if (c == QLatin1Char('[')) {
            const qsizetype end = sql.indexOf(QLatin1Char(']'), i + 1);
            return end < 0 ? n : end + 1;
        }
        return i;
    }
    // E'...' (the E not ending a longer word): a backslash escapes the next character.
    if (c == QLatin1Char('\'') && i > 0 &&
        (sql.at(i - 1) == QLatin1Char('E') || sql.at(i - 1) == QLatin1Char('e')) &&
        (i < 2 || !isIdentPart(sql.at(i - 2)))) {
        for (qsizetype j = i + 1; j < n; ++j) {
            if (sql.at(j) == QLatin1Char('\\'))
                ++j;
            else if (sql.at(j) == c && j + 1 < n && sql.at(j + 1) == c)
                ++j;
            else if (sql.at(j) == c)
                return j + 1;
        }
        return n;
    }
    const QStringView tag = dollarTag(sql, i);
    if (!tag.isEmpty()) {
        const qsizetype end = QStringView(sql).indexOf(tag, i + tag.size());
        return end < 0 ? n : end + tag.size();
    }
    return i;
}

// Index just past a comment of the reading at `i`, or `i` when none starts there.
qsizetype skipEngineComment(const QString& sql, qsizetype i, Reading reading)
{
    if (reading == Reading::Sqlite)
        return skipComment(sql, i);
    const qsizetype n = sql.size();
    if (!(i + 1 < n && sql.at(i) == QLatin1Char('/') && sql.at(i + 1) == QLatin1Char('*')))
        return skipComment(sql, i);
    int depth = 0;
    qsizetype j = i;
    while (j + 1 < n) {
        if (sql.at(j) == QLatin1Char('/') && sql.at(j + 1) == QLatin1Char('*')) {
            ++depth;
            j += 2;
        } else if (sql.at(j) == QLatin1Char('*') && sql.at(j + 1) == QLatin1Char('/')) {
            j += 2;
            if (--depth == 0)
                return j;
        } else {
            ++j;
        }
    }
    return n;
}

QList<Token> tokenize(const QString& sql, Reading reading)
{
    QList<Token> tokens;
    const qsizetype n = sql.size();
    qsizetype i = 0;
    while (i < n) {
        const QChar c = sql.at(i);
        const qsizetype afterComment = skipEngineComment(sql, i, reading);
        const qsizetype afterQuoted = skipEngineQuoted(sql, i, reading);
        if (afterComment != i) {
            i = afterComment;
        } else if (afterQuoted != i) {
            i = afterQuoted;
            tokens.append({Token::Other, QString()});
        } else if (c.isSpace()) {
            ++i;
        } else if (c == QLatin1Char('\'') || c == QLatin1Char('"')) {
            i = skipQuoted(sql, i, c);
            tokens.append({Token::Other, QString()});
        } else if (isIdentStart(c)) {
            const qsizetype start = i;
            while (i < n && isIdentPart(sql.at(i)))
                ++i;
            tokens.append({Token::Word, sql.mid(start, i - start).toUpper()});
        } else {
            ++i;
            if (c == QLatin1Char('('))
                tokens.append({Token::Open, QString()});
            else if (c == QLatin1Char(')'))
                tokens.append({Token::Close, QString()});
            else if (c == QLatin1Char(';'))
                tokens.append({Token::Semicolon, QString()});
            else
                tokens.append({Token::Other, QString()});
        }
    }
    return tokens;
}

bool isStatementKeyword(const QString& word)
{
    static const QStringList keywords = {QStringLiteral("SELECT"),  QStringLiteral("INSERT"),
                                         QStringLiteral("UPDATE"),  QStringLiteral("DELETE"),
                                         QStringLiteral("REPLACE"), QStringLiteral("VALUES"),
                                         QStringLiteral("MERGE")};
    return keywords.contains(word);
}

SqlText::ReadCheck checkTokens(QList<Token> tokens)
{
    while (!tokens.isEmpty() && tokens.last().kind == Token::Semicolon)
        tokens.removeLast();
    if (tokens.isEmpty())
        return SqlText::ReadCheck::Empty;
    for (const Token& t : tokens) {
        if (t.kind == Token::Semicolon)
            return SqlText::ReadCheck::Several;
    }
    // A statement may open with parentheses: "(SELECT ...) UNION (SELECT ...)".
    qsizetype first = 0;
    while (first < tokens.size() && tokens[first].kind == Token::Open)
        ++first;
    if (first >= tokens.size() || tokens[first].kind != Token::Word)
        return SqlText::ReadCheck::NotSelect;
    if (tokens[first].text == QLatin1String("SELECT"))
        return SqlText::ReadCheck::SingleSelect;
    if (tokens[first].text != QLatin1String("WITH"))
        return SqlText::ReadCheck::NotSelect;
    // After WITH come the common table expressions, each "name [(columns)] AS (...)";
    // the first statement keyword outside any parenthesis is the statement itself.
    int depth = 0;
    for (qsizetype i = first + 1; i < tokens.size(); ++i) {
        const Token& t = tokens[i];
        if (t.kind == Token::Open)
            ++depth;
        else if (t.kind == Token::Close)
            --depth;
        else if (depth == 0 && t.kind == Token::Word && isStatementKeyword(t.text))
            return t.text == QLatin1String("SELECT") ? SqlText::ReadCheck::SingleSelect
                                                     : SqlText::ReadCheck::NotSelect;
    }
    return SqlText::ReadCheck::NotSelect;
}

} // namespace

SqlText::Markers SqlText::parseMarkers(const QString& sql)
{
    Markers markers;
    const qsizetype n = sql.size();
    markers.positionalText.reserve(n);
    qsizetype pieceStart = 0;
    qsizetype i = 0;
    while (i < n) {
        const QChar c = sql.at(i);
        const qsizetype afterComment = skipComment(sql, i);
        if (afterComment != i) {
            markers.positionalText += QStringView(sql).mid(i, afterComment - i);
            i = afterComment;
            continue;
        }
        if (c == QLatin1Char('\'') || c == QLatin1Char('"')) {
            const qsizetype end = skipQuoted(sql, i, c);
            markers.positionalText += QStringView(sql).mid(i, end - i);
            i = end;
            continue;
        }
        if (c == QLatin1Char(':')) {
            if (i + 1 < n && sql.at(i + 1) == QLatin1Char(':')) {
                markers.positionalText += QLatin1String("::");
                i += 2;
                continue;
            }
            if (i + 1 < n && isIdentStart(sql.at(i + 1))) {
                qsizetype end = i + 1;
                while (end < n &&
                       (sql.at(end).isLetterOrNumber() || sql.at(end) == QLatin1Char('_')))
                    ++end;
                const QString name = sql.mid(i + 1, end - i - 1);
                markers.occurrences.append(name);
                markers.pieces.append(sql.mid(pieceStart, i - pieceStart));
                pieceStart = end;
                if (!markers.distinct.contains(name, Qt::CaseInsensitive))
                    markers.distinct.append(name);
                markers.positionalText += QLatin1Char('?');
                i = end;
                continue;
            }
        }
        markers.positionalText += c;
        ++i;
    }
    markers.pieces.append(sql.mid(pieceStart));
    return markers;
}

SqlText::ReadCheck SqlText::checkSingleSelect(const QString& sql)
{
    // The worse verdict of the two readings: several statements before anything else,
    // then a statement that is not a SELECT.
    const ReadCheck sqlite = checkTokens(tokenize(sql, Reading::Sqlite));
    const ReadCheck postgres = checkTokens(tokenize(sql, Reading::Postgres));
    if (sqlite == postgres)
        return sqlite;
    if (sqlite == ReadCheck::Several || postgres == ReadCheck::Several)
        return ReadCheck::Several;
    return ReadCheck::NotSelect;
}

QString SqlText::excerpt(const QString& sql, int maxLength)
{
    QString text = sql.simplified();
    if (text.size() > maxLength)
        text = text.left(maxLength - 1) + QChar(0x2026);
    return text;
}

} // namespace tavrel
