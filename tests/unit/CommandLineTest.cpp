// Splitting command lines by the Windows rules, and quoting paths so that they split back.
#include "platform/CommandLine.h"

#include <gtest/gtest.h>

using quire::quoteArgument;
using quire::splitCommandLine;
using Args = std::vector<std::string>;

TEST(CommandLine, SplitsByTheWindowsRules) {
    struct Case {
        const char* line;
        Args expected;
    };
    const Case cases[] = {
        // Blanks separate; runs of blanks and tabs count once; the ends are ignored.
        {"a b c", {"a", "b", "c"}},
        {"  a \t b  ", {"a", "b"}},
        {"", {}},
        {" \t ", {}},
        // Quotes group blanks and may open and close inside an argument.
        {R"("a b" c)", {"a b", "c"}},
        {R"(x"a b"y z)", {"xa by", "z"}},
        {R"("" x)", {"", "x"}},
        {R"(x "")", {"x", ""}},
        {R"("unterminated quote)", {"unterminated quote"}},
        // Backslashes are literal unless they stand before a quote.
        {R"(C:\dir\file.exe a\\b)", {R"(C:\dir\file.exe)", R"(a\\b)"}},
        {R"("C:\Program Files\x" y)", {R"(C:\Program Files\x)", "y"}},
        {R"(a\ b)", {R"(a\)", "b"}},
        // 2n backslashes + quote: n backslashes and the quote opens or closes.
        {R"("a\\" b)", {R"(a\)", "b"}},
        {R"(a\\\\"b c")", {R"(a\\b c)"}},
        // 2n+1 backslashes + quote: n backslashes and a literal quote.
        {R"(a\"b c)", {R"(a"b)", "c"}},
        {R"(a\\\"b)", {R"(a\"b)"}},
        {R"("a\" b")", {R"(a" b)"}},
        // "" inside quotes: a literal quote, and the quoted part goes on.
        {R"("a""b c")", {R"(a"b c)"}},
        {R"("""" x)", {R"(")", "x"}},
        {R"("a"" b)", {R"(a" b)"}},
        // The three quoted paths of the extraction window's command line.
        {R"("/opt/Quire 1/QuantumDump/QuantDump" "/media/DVD X/VIDEO_TS/VTS_01_1.VOB" "/opt/Quire 1/TempMatrix/VTS_01_1.VOB.txt")",
         {"/opt/Quire 1/QuantumDump/QuantDump", "/media/DVD X/VIDEO_TS/VTS_01_1.VOB",
          "/opt/Quire 1/TempMatrix/VTS_01_1.VOB.txt"}}};
    for (const Case& c : cases)
        EXPECT_EQ(splitCommandLine(c.line), c.expected) << c.line;
}

TEST(CommandLine, QuotesPathsAsWrittenAndTheyComeBack) {
    // Ordinary paths are wrapped unchanged, so the command lines read as they are built.
    EXPECT_EQ(quoteArgument("/media/DVD X/VTS_01_1.VOB"), "\"/media/DVD X/VTS_01_1.VOB\"");
    EXPECT_EQ(quoteArgument(R"(C:\Quire\QuantDump.exe)"), R"("C:\Quire\QuantDump.exe")");
    EXPECT_EQ(quoteArgument(""), "\"\"");
    // A quote inside and backslashes at the end are escaped.
    EXPECT_EQ(quoteArgument(R"(a"b)"), R"("a\"b")");
    EXPECT_EQ(quoteArgument(R"(dir\)"), R"("dir\\")");
    EXPECT_EQ(quoteArgument(R"(a\"b)"), R"("a\\\"b")");
    for (const char* text : {"plain", "with blank", "", R"(quote"inside)", R"(trailing\)", R"(two\\)", R"(back\"slash)",
                             "tab\there", R"(""")", R"(\\server\share\)"}) {
        const std::string line = quoteArgument("prog") + " " + quoteArgument(text) + " " + quoteArgument(text);
        EXPECT_EQ(splitCommandLine(line), (Args{"prog", text, text})) << text;
    }
}
