// Reads the AviSynth language subset that Quire, Tessera and a person typing a filter write:
// statements on one or several lines (several may share a line), assignment, `return`, calls with
// or without parentheses, named arguments, method chains, integers, floats, strings without
// escapes, `$` hexadecimal integers, `true`/`false`, and the three comment forms. Anything else
// is a ScriptError naming the construct and the line.
#pragma once

#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace quire::avs {

// A script error at a line of the script (1-based); what() is the message without the place.
class ScriptError : public std::runtime_error {
public:
    ScriptError(int line, const std::string& message) : std::runtime_error(message), m_line(line) {}
    int line() const { return m_line; }

private:
    int m_line;
};

enum class TokenKind {
    Identifier,
    Integer,
    Float,
    String,
    LeftParen,
    RightParen,
    Comma,
    Dot,
    Assign,
    Minus,
    Other,
    EndOfLine,
    End
};

struct Token {
    TokenKind kind = TokenKind::End;
    std::string text; // identifier or string contents
    std::int32_t integer = 0;
    double number = 0.0;
    int line = 1;
};

// Splits a script into tokens. Line continuations (a "\" ending a line or starting the next) join
// lines; comments vanish; "__END__" ends the script.
std::vector<Token> tokenize(std::string_view script);

struct Expression;
using ExpressionPtr = std::shared_ptr<const Expression>;

struct Argument {
    std::string name; // empty for a positional argument
    ExpressionPtr value;
};

struct Literal {
    std::variant<std::int32_t, double, std::string, bool> value;
};
// A name alone: a variable when one of that name exists, otherwise a call without arguments.
struct Name {
    std::string name;
};
struct Call {
    std::string function;
    ExpressionPtr receiver; // the clip before "." in a method chain, or null
    std::vector<Argument> arguments;
};

struct Expression {
    std::variant<Literal, Name, Call> node;
    int line = 1;
};

struct Statement {
    enum class Kind { Assign, Return, Bare } kind = Kind::Bare;
    std::string variable; // for Assign
    ExpressionPtr value;
    int line = 1;
};

std::vector<Statement> parse(std::string_view script);

} // namespace quire::avs
