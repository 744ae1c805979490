// The SQL texts clients send to the providers: the ":NAME" markers and the check that a
// text is one SELECT.
//
// The check is compared with a separate statement splitter for each engine the server
// runs on, written from the engines' lexical rules: whatever the check accepts as one
// SELECT must not hold a second statement for SQLite nor for PostgreSQL.

#include "FuzzCheck.h"
#include "SqlText.h"

using tavrel::SqlText;

namespace {

enum class Engine
{
    Sqlite,
    Postgres
};

bool identChar(QChar c)
{
    return c.isLetterOrNumber() || c == u'_' || c == u'$';
}

// Index past a run quoted with `close`; `backslash` escapes the next character. An
// unterminated run ends the text.
qsizetype pastQuoted(const QString& s, qsizetype i, QChar close, bool doubled, bool backslash)
{
    const qsizetype n = s.size();
    for (++i; i < n; ++i) {
        if (backslash && s[i] == u'\\') {
            ++i;
        } else if (s[i] == close) {
            if (doubled && i + 1 < n && s[i + 1] == close) {
                ++i;
                continue;
            }
            return i + 1;
        }
    }
    return n;
}

// The $tag$ that opens a PostgreSQL dollar-quoted string at i, or empty.
QString dollarTag(const QString& s, qsizetype i)
{
    if (s[i] != u'$' || (i > 0 && identChar(s[i - 1])))
        return {};
    qsizetype j = i + 1;
    if (j < s.size() && (s[j].isDigit()))
        return {};
    while (j < s.size() && (s[j].isLetterOrNumber() || s[j] == u'_'))
        ++j;
    if (j < s.size() && s[j] == u'$')
        return s.mid(i, j - i + 1);
    return {};
}

// True when, read by `engine`, the text holds a ';' outside quotes and comments with
// more than blanks, comments and semicolons after it: a second statement.
bool secondStatement(const QString& s, Engine engine)
{
    const qsizetype n = s.size();
    bool separated = false;
    qsizetype i = 0;
    while (i < n) {
        const QChar c = s[i];
        if (c == u'-' && i + 1 < n && s[i + 1] == u'-') {
            const qsizetype end = s.indexOf(u'\n', i);
            i = end < 0 ? n : end + 1;
            continue;
        }
        if (c == u'/' && i + 1 < n && s[i + 1] == u'*') {
            // PostgreSQL nests block comments; SQLite ends one at the first "*/".
            int depth = 1;
            i += 2;
            while (i < n && depth > 0) {
                if (s[i] == u'*' && i + 1 < n && s[i + 1] == u'/') {
                    --depth;
                    i += 2;
                } else if (engine == Engine::Postgres && s[i] == u'/' && i + 1 < n &&
                           s[i + 1] == u'*') {
                    ++depth;
                    i += 2;
                } else {
                    ++i;
                }
            }
            continue;
        }
        if (c.isSpace()) {
            ++i;
            continue;
        }
        if (c == u';') {
            separated = true;
            ++i;
            continue;
        }
        if (separated)
            return true;
        if (c == u'\'') {
            const bool escapes = engine == Engine::Postgres && i > 0 &&
                                 (s[i - 1] == u'E' || s[i - 1] == u'e') &&
                                 (i < 2 || !identChar(s[i - 2]));
            i = pastQuoted(s, i, u'\'', true, escapes);
        } else if (c == u'"') {
            i = pastQuoted(s, i, u'"', true, false);
        } else if (engine == Engine::Sqlite && c == u'`') {
            i = pastQuoted(s, i, u'`', true, false);
        } else if (engine == Engine::Sqlite && c == u'[') {
            i = pastQuoted(s, i, u']', false, false);
        } else if (engine == Engine::Postgres && !dollarTag(s, i).isEmpty()) {
            const QString tag = dollarTag(s, i);
            const qsizetype end = s.indexOf(tag, i + tag.size());
            i = end < 0 ? n : end + tag.size();
        } else if (identChar(c)) {
            while (i < n && identChar(s[i]))
                ++i;
        } else {
            ++i;
        }
    }
    return false;
}

void checkMarkers(const QString& sql)
{
    const SqlText::Markers m = SqlText::parseMarkers(sql);
    FUZZ_CHECK(m.pieces.size() == m.occurrences.size() + 1, sql);

    // The pieces and the markers give back the text, and "?" for each marker the
    // positional text.
    QString rebuilt = m.pieces.first();
    QString positional = m.pieces.first();
    QStringList distinct;
    for (qsizetype i = 0; i < m.occurrences.size(); ++i) {
        const QString& name = m.occurrences[i];
        FUZZ_CHECK(!name.isEmpty() && (name[0].isLetter() || name[0] == u'_'), name);
        rebuilt += u':' + name + m.pieces[i + 1];
        positional += u'?' + m.pieces[i + 1];
        if (!distinct.contains(name, Qt::CaseInsensitive))
            distinct.append(name);
    }
    FUZZ_CHECK(rebuilt == sql, rebuilt);
    FUZZ_CHECK(positional == m.positionalText, m.positionalText);
    FUZZ_CHECK(distinct == m.distinct, m.distinct.join(u','));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QString sql = fuzz::textOf(data, size);
    checkMarkers(sql);

    const SqlText::ReadCheck check = SqlText::checkSingleSelect(sql);
    if (check == SqlText::ReadCheck::SingleSelect) {
        FUZZ_CHECK(!secondStatement(sql, Engine::Sqlite), QStringLiteral("SQLite: ") + sql);
        FUZZ_CHECK(!secondStatement(sql, Engine::Postgres), QStringLiteral("PostgreSQL: ") + sql);
    }
    const QString shortText = SqlText::excerpt(sql, 20);
    FUZZ_CHECK(shortText.size() <= 20, shortText);
    return 0;
}
