#include "TextTemplate.h"

#include <QRegularExpression>

namespace tavrel::report {

namespace {

TextTemplate::Token expressionToken(const QString& expression)
{
    static const QRegularExpression fieldPattern(QStringLiteral(
        R"re(^([A-Za-z_][A-Za-z0-9_]*)\s*\.\s*(?:"([^"]*)"|([A-Za-z_][A-Za-z0-9_]*))$)re"));
    TextTemplate::Token token;
    const QRegularExpressionMatch match = fieldPattern.match(expression);
    if (match.hasMatch()) {
        token.kind = TextTemplate::Token::Kind::Field;
        token.source = match.captured(1);
        token.field = match.hasCaptured(2) ? match.captured(2) : match.captured(3);
    } else {
        token.kind = TextTemplate::Token::Kind::Name;
    }
    token.text = expression;
    return token;
}

} // namespace

TextTemplate::TextTemplate(const QString& text) : m_text(text)
{
    QString literal;
    qsizetype pos = 0;
    while (pos < text.size()) {
        const qsizetype open = text.indexOf(u'[', pos);
        const qsizetype close = open < 0 ? -1 : text.indexOf(u']', open + 1);
        if (open < 0 || close < 0) {
            literal += text.mid(pos);
            break;
        }
        literal += text.mid(pos, open - pos);
        const QString expression = text.mid(open + 1, close - open - 1).trimmed();
        if (expression.isEmpty()) {
            literal += text.mid(open, close - open + 1);
        } else {
            if (!literal.isEmpty())
                m_tokens.append({Token::Kind::Literal, literal, {}, {}});
            literal.clear();
            m_tokens.append(expressionToken(expression));
        }
        pos = close + 1;
    }
    if (!literal.isEmpty())
        m_tokens.append({Token::Kind::Literal, literal, {}, {}});
}

bool TextTemplate::hasExpressions() const
{
    for (const Token& token : m_tokens) {
        if (token.kind != Token::Kind::Literal)
            return true;
    }
    return false;
}

QString TextTemplate::evaluate(const std::function<QString(const Token&)>& resolve) const
{
    QString result;
    for (const Token& token : m_tokens)
        result += token.kind == Token::Kind::Literal ? token.text : resolve(token);
    return result;
}

} // namespace tavrel::report
