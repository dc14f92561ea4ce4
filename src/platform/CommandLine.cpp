// Splitting and quoting command lines by the Microsoft C runtime's rules.
#include "CommandLine.h"

namespace quire {
namespace {

bool isSeparator(char c) {
    return c == ' ' || c == '\t';
}

} // namespace

std::vector<std::string> splitCommandLine(std::string_view line) {
    std::vector<std::string> arguments;
    std::size_t i = 0;
    const std::size_t size = line.size();
    while (true) {
        while (i < size && isSeparator(line[i]))
            ++i;
        if (i >= size)
            break;
        std::string argument;
        bool inQuotes = false;
        while (i < size && (inQuotes || !isSeparator(line[i]))) {
            std::size_t backslashes = 0;
            while (i < size && line[i] == '\\') {
                ++backslashes;
                ++i;
            }
            if (i < size && line[i] == '"') {
                argument.append(backslashes / 2, '\\');
                if (backslashes % 2 == 1) {
                    argument += '"';
                } else if (inQuotes && i + 1 < size && line[i + 1] == '"') {
                    argument += '"'; // "" inside quotes: one literal quote, still quoted
                    ++i;
                } else {
                    inQuotes = !inQuotes;
                }
                ++i;
            } else {
                argument.append(backslashes, '\\');
                if (i < size && (inQuotes || !isSeparator(line[i]))) {
                    argument += line[i];
                    ++i;
                }
            }
        }
        arguments.push_back(std::move(argument));
    }
    return arguments;
}

std::string quoteArgument(std::string_view text) {
    std::string quoted = "\"";
    std::size_t backslashes = 0;
    for (const char c : text) {
        if (c == '\\') {
            ++backslashes;
            continue;
        }
        if (c == '"') {
            quoted.append(backslashes * 2 + 1, '\\');
        } else {
            quoted.append(backslashes, '\\');
        }
        backslashes = 0;
        quoted += c;
    }
    // Backslashes before the closing quote are doubled so that it stays a closing quote.
    quoted.append(backslashes * 2, '\\');
    quoted += '"';
    return quoted;
}

} // namespace quire
