// Generated files compared whole with golden files under tests/data/preview/golden, written under a
// comma-decimal locale that the generators must not notice.
//
// To regenerate the golden files on purpose, run the tests with QUIRE_UPDATE_GOLDEN=1: each comparison
// then writes its golden file instead of checking it. Read every rewritten file before committing it.
#pragma once

#include "PreviewFixture.h"

#include <cstdlib>
#include <fstream>
#include <locale>

namespace quire::test {

inline const fs::path kEncodeData = fs::path(QUIRE_TEST_DATA) / "preview" / "encode";

// Sets a global locale that writes "1.234,5" for as long as it lives.
class CommaDecimalLocale {
    struct Comma : std::numpunct<char> {
        char do_decimal_point() const override { return ','; }
        char do_thousands_sep() const override { return '.'; }
        std::string do_grouping() const override { return "\3"; }
    };
    std::locale m_previous = std::locale::global(std::locale(std::locale::classic(), new Comma));

public:
    ~CommaDecimalLocale() { std::locale::global(m_previous); }
};

// The preview project with the program's Preview folder and its first segment selected, under the
// comma-decimal locale.
class GoldenFixture : public PreviewFixture {
protected:
    GoldenFixture() {
        fs::create_directories(program / "Preview");
        state.segment = "V010001_V001001.avs";
        context.separators = preview::separatorsOf();
    }
    fs::path preview(std::string_view name) const { return program / "Preview" / name; }

    // The generated file, with the program folder written as "<P>", against the golden file.
    void expectGolden(const fs::path& generated, std::string_view name) const {
        const std::string actual = masked(readBytes(generated));
        const fs::path golden = fs::path(QUIRE_TEST_DATA) / "preview" / "golden" / name;
        if (const char* update = std::getenv("QUIRE_UPDATE_GOLDEN"); update && std::string_view(update) == "1")
            std::ofstream(golden, std::ios::binary) << actual;
        else
            EXPECT_EQ(actual, readBytes(golden)) << "golden file " << name;
    }

    CommaDecimalLocale comma;
};

} // namespace quire::test
