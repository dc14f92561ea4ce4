// The built-in texts as shipped: the five language files, the default description text and the
// sixteen default matrices. Their exact bytes are checked where the program writes them; here each
// file is checked for the shape the readers rely on.
#include "BuiltinResources.h"
#include "matrix/DefaultSet.h"
#include "matrix/MatrixFile.h"
#include "platform/Text1252.h"
#include "ui/Localisation.h"

#include <gtest/gtest.h>

#include <set>

using namespace quire;

namespace {

// Every line break is CR LF, and the text ends right after its last line (the writer adds one).
void expectCrLfText(std::string_view bytes) {
    for (std::size_t i = 0; i < bytes.size(); ++i)
        if (bytes[i] == '\n' || bytes[i] == '\r') {
            ASSERT_TRUE(bytes[i] == '\r' ? i + 1 < bytes.size() && bytes[i + 1] == '\n' : i > 0 && bytes[i - 1] == '\r')
                << "at " << i;
        }
    EXPECT_TRUE(bytes.ends_with("\r\n") && !bytes.ends_with("\r\n\r\n"));
}

// "[section]" + key of every key line.
std::set<std::string> keysOf(std::string_view bytes) {
    std::set<std::string> keys;
    std::string section;
    for (const auto& line : text::splitLines(bytes))
        if (line.starts_with("[") && line.ends_with("]"))
            section = line;
        else if (const auto eq = line.find('='); eq != std::string::npos) {
            EXPECT_TRUE(keys.insert(section + line.substr(0, eq)).second) << section << line << " twice";
        }
    return keys;
}

} // namespace

TEST(LanguageFiles, OwnNameThenSameKeysAsEnglishInWindows1252) {
    const struct {
        std::string_view file, ownName;
    } languages[] = {{"English.lng", "English"},
                     {"Portugues.lng", "Portugu\xEAs"},
                     {"Francais.lng", "Fran\xE7"
                                      "ais"},
                     {"Deutch.lng", "Deutsch"},
                     {"Italiano.lng", "Italiano"}};
    ASSERT_EQ(std::size(languages), kLanguageFileNames.size());
    auto english = keysOf(*builtinLanguageText("English.lng"));
    EXPECT_EQ(english.size(), 79u);
    for (std::size_t i = 0; i < kLanguageFileNames.size(); ++i) {
        const auto& c = languages[i];
        SCOPED_TRACE(std::string(c.file));
        EXPECT_EQ(kLanguageFileNames[i], c.file);
        const std::string_view bytes = builtinLanguageText(c.file).value_or("");
        expectCrLfText(bytes);
        EXPECT_TRUE(bytes.starts_with(std::string(c.ownName) + "\r\n\r\n[MAIN]\r\n"));
        if (c.file != "English.lng") { // accented letters are single bytes
            EXPECT_FALSE(text::fromUtf8(bytes).has_value());
        }
        auto expected = english;
        if (c.file == "Italiano.lng")
            expected.erase("[MESSAGES]MatrixImport");
        EXPECT_EQ(keysOf(bytes), expected);
    }
    EXPECT_FALSE(builtinLanguageText("Klingon.lng").has_value());
}

TEST(DefaultTexts, DescriptionsAndMatricesReadAsTheirFilesNeed) {
    const std::string_view info = defaultMatrixInfo();
    expectCrLfText(info);
    std::set<std::string> sections, matrices;
    for (const auto& key : keysOf(info))
        sections.insert(text::toLower(key.substr(0, key.find(']') + 1)));
    for (const auto name : kDefaultMatrixNames)
        matrices.insert("[" + text::toLower(name) + "]");
    EXPECT_EQ(sections, matrices);
    for (const auto name : kLanguageFileNames)
        EXPECT_EQ(defaultMatrixInfoFor(name), std::optional<std::string_view>(info)) << name;
    EXPECT_FALSE(defaultMatrixInfoFor("Klingon.lng").has_value());

    for (const auto name : kDefaultMatrixNames) {
        SCOPED_TRACE(std::string(name));
        expectCrLfText(defaultMatrixText(name));
        // The writer's own layout of the values read back: two digits at least, one blank apart.
        const auto values = ParseMatrixCodes(defaultMatrixText(name));
        ASSERT_TRUE(values.has_value());
        MatrixCells cells;
        for (std::size_t i = 0; i < kMatrixCells; ++i) {
            EXPECT_TRUE((*values)[i] >= 8 && (*values)[i] <= 127) << i;
            cells[i] = ((*values)[i] < 10 ? "0" : "") + std::to_string((*values)[i]);
        }
        EXPECT_EQ(matrixText(cells), defaultMatrixText(name));
    }
    EXPECT_EQ(defaultMatrixText("Missing.mtx"), "");
}
