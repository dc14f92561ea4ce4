// Command lines as Windows programs see them: splitting one into arguments with the rules of the
// Microsoft C runtime, and quoting a path so that it splits back into exactly itself.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace quire {

// Splits a command line into its arguments, the program first, by the Microsoft C runtime's rules:
// - blanks (space, tab) outside double quotes separate arguments; leading and trailing blanks are
//   ignored, and "" outside quotes gives an empty argument;
// - a double quote starts or ends a quoted part, whose blanks belong to the argument;
// - 2n backslashes before a double quote give n backslashes, and the quote starts or ends a quoted part;
// - 2n+1 backslashes before a double quote give n backslashes and a literal double quote;
// - backslashes anywhere else are literal;
// - inside a quoted part, "" gives a literal double quote and the part goes on.
// The program's own name follows the same rules (Windows takes it up to the closing quote without
// looking at backslashes; the two differ only for a name with a backslash before a quote).
// An empty or all-blank command line gives no arguments.
std::vector<std::string> splitCommandLine(std::string_view commandLine);

// The text in double quotes as the command lines of this program write it. Text without double
// quotes and without a trailing backslash is wrapped unchanged; a double quote inside (which a
// Linux file name may hold) and backslashes before it or at the end are escaped, so that
// splitCommandLine gives the text back.
std::string quoteArgument(std::string_view text);

} // namespace quire
