#include "ScriptParser.h"

#include <cctype>
#include <cstdlib>

namespace quire::avs {
namespace {

bool isIdentStart(char c) {
    return std::isalpha(static_cast<unsigned char>(c)) != 0 || c == '_';
}
bool isIdentChar(char c) {
    return std::isalnum(static_cast<unsigned char>(c)) != 0 || c == '_';
}
bool isDigit(char c) {
    return std::isdigit(static_cast<unsigned char>(c)) != 0;
}
bool isSpace(char c) {
    return c == ' ' || c == '\t' || c == '\v' || c == '\f' || c == '\r';
}

bool equalsNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}

class Tokenizer {
public:
    explicit Tokenizer(std::string_view text) : m_text(text) {}

    std::vector<Token> run() {
        while (m_pos < m_text.size()) {
            const char c = m_text[m_pos];
            if (isSpace(c)) {
                ++m_pos;
            } else if (c == '\n') {
                newLine();
            } else if (c == '#') {
                while (m_pos < m_text.size() && m_text[m_pos] != '\n')
                    ++m_pos;
            } else if (c == '/' && peek(1) == '*') {
                blockComment();
            } else if (c == '[' && peek(1) == '*') {
                nestedComment();
            } else if (c == '\\') {
                continuation();
            } else if (c == '"') {
                string();
            } else if (c == '$') {
                hex();
            } else if (isDigit(c) || (c == '.' && isDigit(peek(1)))) {
                number();
            } else if (isIdentStart(c)) {
                const std::size_t start = m_pos;
                while (m_pos < m_text.size() && isIdentChar(m_text[m_pos]))
                    ++m_pos;
                const std::string word(m_text.substr(start, m_pos - start));
                if (word == "__END__")
                    break;
                push(TokenKind::Identifier, word);
            } else {
                punctuation(c);
            }
        }
        if (m_tokens.empty() || m_tokens.back().kind != TokenKind::EndOfLine)
            push(TokenKind::EndOfLine);
        push(TokenKind::End);
        return std::move(m_tokens);
    }

private:
    char peek(std::size_t ahead) const { return m_pos + ahead < m_text.size() ? m_text[m_pos + ahead] : '\0'; }

    void push(TokenKind kind, std::string text = {}) {
        Token t;
        t.kind = kind;
        t.text = std::move(text);
        t.line = m_line;
        m_tokens.push_back(std::move(t));
    }

    // A line break ends a statement unless the next line starts with "\".
    void newLine() {
        ++m_pos;
        ++m_line;
        std::size_t p = m_pos;
        while (p < m_text.size() && isSpace(m_text[p]))
            ++p;
        if (p < m_text.size() && m_text[p] == '\\') {
            m_pos = p + 1;
            return;
        }
        if (m_tokens.empty() || m_tokens.back().kind != TokenKind::EndOfLine)
            push(TokenKind::EndOfLine);
    }

    // A "\" that is the last non-blank character of a line joins the next line to this one.
    void continuation() {
        std::size_t p = m_pos + 1;
        while (p < m_text.size() && isSpace(m_text[p]))
            ++p;
        if (p < m_text.size() && m_text[p] != '\n')
            throw ScriptError(m_line, "unsupported construct '\\' in the middle of a line");
        m_pos = p < m_text.size() ? p + 1 : p;
        ++m_line;
    }

    void blockComment() {
        const int startLine = m_line;
        m_pos += 2;
        while (m_pos < m_text.size() && !(m_text[m_pos] == '*' && peek(1) == '/')) {
            if (m_text[m_pos] == '\n')
                ++m_line;
            ++m_pos;
        }
        if (m_pos >= m_text.size())
            throw ScriptError(startLine, "a /* comment is not closed");
        m_pos += 2;
    }

    void nestedComment() {
        const int startLine = m_line;
        int depth = 0;
        do {
            if (m_pos >= m_text.size())
                throw ScriptError(startLine, "a [* comment is not closed");
            if (m_text[m_pos] == '[' && peek(1) == '*') {
                ++depth;
                m_pos += 2;
            } else if (m_text[m_pos] == '*' && peek(1) == ']') {
                --depth;
                m_pos += 2;
            } else {
                if (m_text[m_pos] == '\n')
                    ++m_line;
                ++m_pos;
            }
        } while (depth > 0);
    }

    // "..." or """...""": no escapes, a backslash is an ordinary character.
    void string() {
        const int startLine = m_line;
        const bool triple = peek(1) == '"' && peek(2) == '"';
        const std::string_view close = triple ? "\"\"\"" : "\"";
        m_pos += close.size();
        const std::size_t end = m_text.find(close, m_pos);
        if (end == std::string_view::npos)
            throw ScriptError(startLine, "a string is not closed");
        const std::string_view body = m_text.substr(m_pos, end - m_pos);
        for (const char c : body)
            if (c == '\n')
                ++m_line;
        Token t;
        t.kind = TokenKind::String;
        t.text = std::string(body);
        t.line = startLine;
        m_tokens.push_back(std::move(t));
        m_pos = end + close.size();
    }

    // "$" and hexadecimal digits up to the first character that is not a letter or digit, read
    // into a 32-bit integer: more than eight digits keep the last eight.
    void hex() {
        ++m_pos;
        const std::size_t start = m_pos;
        std::uint32_t value = 0;
        while (m_pos < m_text.size() && std::isalnum(static_cast<unsigned char>(m_text[m_pos])) != 0) {
            const char c = m_text[m_pos];
            if (std::isxdigit(static_cast<unsigned char>(c)) == 0)
                throw ScriptError(m_line, "'$' must be followed by a hexadecimal number");
            const int digit = isDigit(c) ? c - '0' : std::tolower(static_cast<unsigned char>(c)) - 'a' + 10;
            value = (value << 4U) | static_cast<std::uint32_t>(digit);
            ++m_pos;
        }
        if (m_pos == start)
            throw ScriptError(m_line, "'$' must be followed by a hexadecimal number");
        push(TokenKind::Integer);
        m_tokens.back().integer = static_cast<std::int32_t>(value);
    }

    void number() {
        const std::size_t start = m_pos;
        while (m_pos < m_text.size() && isDigit(m_text[m_pos]))
            ++m_pos;
        bool isFloat = false;
        if (m_pos < m_text.size() && m_text[m_pos] == '.' && isDigit(peek(1))) {
            isFloat = true;
            ++m_pos;
            while (m_pos < m_text.size() && isDigit(m_text[m_pos]))
                ++m_pos;
        }
        const std::string digits(m_text.substr(start, m_pos - start));
        if (m_pos < m_text.size() && isIdentStart(m_text[m_pos]))
            throw ScriptError(m_line, "unsupported construct '" + digits + m_text[m_pos] + "': not a number");
        if (isFloat) {
            push(TokenKind::Float);
            m_tokens.back().number = std::strtod(digits.c_str(), nullptr);
        } else {
            const long long value = std::strtoll(digits.c_str(), nullptr, 10);
            if (value > 2147483647LL)
                throw ScriptError(m_line, "the integer " + digits + " does not fit in 32 bits");
            push(TokenKind::Integer);
            m_tokens.back().integer = static_cast<std::int32_t>(value);
        }
    }

    void punctuation(char c) {
        switch (c) {
        case '(':
            push(TokenKind::LeftParen);
            break;
        case ')':
            push(TokenKind::RightParen);
            break;
        case ',':
            push(TokenKind::Comma);
            break;
        case '.':
            push(TokenKind::Dot);
            break;
        case '-':
            push(TokenKind::Minus);
            break;
        case '=':
            if (peek(1) == '=')
                throw ScriptError(m_line, "unsupported construct '==' (comparisons)");
            push(TokenKind::Assign);
            break;
        default: {
            // Operators and other characters of the full language: the parser names them.
            std::string what(1, c);
            if ((c == '<' || c == '>' || c == '!' || c == '&' || c == '|') && (peek(1) == '=' || peek(1) == c))
                what += peek(1);
            push(TokenKind::Other, what);
            m_pos += what.size() - 1;
        }
        }
        ++m_pos;
    }

    std::string_view m_text;
    std::size_t m_pos = 0;
    int m_line = 1;
    std::vector<Token> m_tokens;
};

// Words of the full language that this subset does not have.
constexpr std::string_view kUnsupportedWords[] = {"if",    "else", "function", "global", "try",  "catch",
                                                  "while", "for",  "Eval",     "Import", "Apply"};

class Parser {
public:
    explicit Parser(std::vector<Token> tokens) : m_tokens(std::move(tokens)) {}

    std::vector<Statement> run() {
        std::vector<Statement> statements;
        while (current().kind != TokenKind::End) {
            if (current().kind == TokenKind::EndOfLine) {
                ++m_pos;
                continue;
            }
            statements.push_back(statement());
        }
        return statements;
    }

private:
    const Token& current() const { return m_tokens[m_pos]; }
    const Token& ahead(std::size_t n) const { return m_tokens[std::min(m_pos + n, m_tokens.size() - 1)]; }

    static void refuseWord(const Token& t) {
        for (const std::string_view word : kUnsupportedWords)
            if (equalsNoCase(t.text, word))
                throw ScriptError(t.line, "unsupported construct '" + t.text + "'");
    }

    Statement statement() {
        Statement s;
        s.line = current().line;
        if (current().kind == TokenKind::Identifier && equalsNoCase(current().text, "return")) {
            ++m_pos;
            s.kind = Statement::Kind::Return;
            s.value = expression();
        } else if (current().kind == TokenKind::Identifier && ahead(1).kind == TokenKind::Assign) {
            refuseWord(current());
            s.kind = Statement::Kind::Assign;
            s.variable = current().text;
            m_pos += 2;
            s.value = expression();
        } else {
            s.kind = Statement::Kind::Bare;
            s.value = expression();
        }
        return s;
    }

    ExpressionPtr expression() {
        ExpressionPtr e = primary();
        while (current().kind == TokenKind::Dot) {
            ++m_pos;
            if (current().kind != TokenKind::Identifier)
                throw ScriptError(current().line, "a function name must follow '.'");
            auto chained = std::make_shared<Expression>();
            chained->line = current().line;
            Call call = callAfterName(current().text);
            call.receiver = e;
            chained->node = std::move(call);
            e = chained;
        }
        return e;
    }

    // The call at the current identifier; with or without an argument list.
    Call callAfterName(const std::string& name) {
        refuseWord(current());
        ++m_pos;
        Call call;
        call.function = name;
        if (current().kind != TokenKind::LeftParen)
            return call;
        const int line = current().line;
        ++m_pos;
        skipLineEnds();
        bool named = false;
        if (current().kind != TokenKind::RightParen) {
            for (;;) {
                Argument a;
                if (current().kind == TokenKind::Identifier && ahead(1).kind == TokenKind::Assign) {
                    a.name = current().text;
                    m_pos += 2;
                    named = true;
                } else if (named) {
                    throw ScriptError(current().line, name + ": a positional argument follows a named one");
                }
                a.value = expression();
                call.arguments.push_back(std::move(a));
                skipLineEnds();
                if (current().kind == TokenKind::Comma) {
                    ++m_pos;
                    skipLineEnds();
                    continue;
                }
                break;
            }
        }
        if (current().kind != TokenKind::RightParen)
            throw ScriptError(current().kind == TokenKind::End ? line : current().line,
                              name + ": expected ',' or ')' in the argument list" + found());
        ++m_pos;
        return call;
    }

    void skipLineEnds() {
        while (current().kind == TokenKind::EndOfLine && ahead(1).kind != TokenKind::End)
            ++m_pos;
    }

    std::string found() const {
        switch (current().kind) {
        case TokenKind::Identifier:
            return ", found '" + current().text + "'";
        case TokenKind::EndOfLine:
        case TokenKind::End:
            return ", found the end of the line";
        case TokenKind::Assign:
            return ", found '='";
        default:
            return "";
        }
    }

    ExpressionPtr primary() {
        const Token& t = current();
        auto e = std::make_shared<Expression>();
        e->line = t.line;
        switch (t.kind) {
        case TokenKind::Integer:
            e->node = Literal{t.integer};
            ++m_pos;
            return e;
        case TokenKind::Float:
            e->node = Literal{t.number};
            ++m_pos;
            return e;
        case TokenKind::String:
            e->node = Literal{t.text};
            ++m_pos;
            return e;
        case TokenKind::Minus: {
            ++m_pos;
            if (current().kind == TokenKind::Integer)
                e->node = Literal{static_cast<std::int32_t>(-static_cast<std::int64_t>(current().integer))};
            else if (current().kind == TokenKind::Float)
                e->node = Literal{-current().number};
            else
                throw ScriptError(t.line, "unsupported construct '-' (only a number may follow a minus sign)");
            ++m_pos;
            return e;
        }
        case TokenKind::LeftParen: {
            ++m_pos;
            ExpressionPtr inner = expression();
            if (current().kind != TokenKind::RightParen)
                throw ScriptError(current().line, "expected ')'" + found());
            ++m_pos;
            return inner;
        }
        case TokenKind::Identifier:
            if (equalsNoCase(t.text, "true") || equalsNoCase(t.text, "false")) {
                e->node = Literal{equalsNoCase(t.text, "true")};
                ++m_pos;
                return e;
            }
            if (ahead(1).kind == TokenKind::LeftParen) {
                e->node = callAfterName(t.text);
                return e;
            }
            refuseWord(t);
            e->node = Name{t.text};
            ++m_pos;
            return e;
        case TokenKind::Assign:
            throw ScriptError(t.line, "unexpected '='");
        case TokenKind::Other:
            throw ScriptError(t.line, "unsupported construct '" + t.text + "'");
        case TokenKind::EndOfLine:
        case TokenKind::End:
            throw ScriptError(t.line, "an expression is missing at the end of the line");
        default:
            throw ScriptError(t.line, "unexpected '" +
                                          std::string(t.kind == TokenKind::Comma ? ","
                                                      : t.kind == TokenKind::Dot ? "."
                                                                                 : ")") +
                                          "'");
        }
    }

    std::vector<Token> m_tokens;
    std::size_t m_pos = 0;
};

} // namespace

std::vector<Token> tokenize(std::string_view script) {
    return Tokenizer(script).run();
}

std::vector<Statement> parse(std::string_view script) {
    return Parser(tokenize(script)).run();
}

} // namespace quire::avs
