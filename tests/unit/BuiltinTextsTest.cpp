// The built-in texts as shipped: the five language files, the default description text and the
// sixteen default matrices. Each file is parsed from its own bytes, so these checks stand alone.
#include "BuiltinResources.h"
#include "matrix/DefaultSet.h"
#include "platform/Text1252.h"
#include "ui/Localisation.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <charconv>
#include <map>
#include <set>

using namespace quire;

namespace {

struct Entry {
    std::string key;
    std::string text;
};
struct Section {
    std::string name;
    std::vector<Entry> entries;
};
struct LanguageFile {
    std::string ownName;
    std::string secondLine;
    std::vector<Section> sections;
    std::vector<std::string> stray; // lines that are neither a header nor key=text
};

LanguageFile parseLanguageFile(std::string_view bytes) {
    LanguageFile file;
    const auto lines = text::splitLines(bytes);
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const std::string& line = lines[i];
        if (i == 0)
            file.ownName = line;
        else if (i == 1)
            file.secondLine = line;
        else if (line.size() > 2 && line.front() == '[' && line.back() == ']')
            file.sections.push_back({line.substr(1, line.size() - 2), {}});
        else if (const auto eq = line.find('='); eq != std::string::npos && eq > 0 && !file.sections.empty())
            file.sections.back().entries.push_back({line.substr(0, eq), line.substr(eq + 1)});
        else
            file.stray.push_back(line);
    }
    return file;
}

std::map<std::pair<std::string, std::string>, std::string> textsOf(const LanguageFile& file) {
    std::map<std::pair<std::string, std::string>, std::string> texts;
    for (const auto& section : file.sections)
        for (const auto& entry : section.entries)
            texts[{section.name, entry.key}] = entry.text;
    return texts;
}

std::string_view languageBytes(std::string_view name) {
    return builtinResource("languages/" + std::string(name)).value_or(std::string_view());
}

// Every line break is CR LF: no lone CR, no lone LF.
bool onlyCrLf(std::string_view bytes) {
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        if (bytes[i] == '\r' && (i + 1 == bytes.size() || bytes[i + 1] != '\n'))
            return false;
        if (bytes[i] == '\n' && (i == 0 || bytes[i - 1] != '\r'))
            return false;
    }
    return true;
}

struct EnglishText {
    const char* section;
    const char* key;
    const char* text;
};

// The whole English file, in file order.
const EnglishText kEnglish[] = {
    {"MAIN", "lblTitle", "DVD Tessera's Matrix Editor"},
    {"MAIN", "lblMatrices", "Matrices (click to select)"},
    {"MAIN", "lblMatDescription", "Matrices' Description"},
    {"MAIN", "lblMatValues", "Matrix"},
    {"MAIN", "cmdExit", "E&xit"},
    {"MAIN", "cmdLanguages", "&Languages"},
    {"MAIN", "cmdSetup", "&Setup"},
    {"MAIN", "cmdPreview", "&Preview/Test"},
    {"MAIN", "cmdNew", "&New"},
    {"MAIN", "cmdEdit", "&Edit"},
    {"MAIN", "cmdDelete", "&Delete"},
    {"MAIN", "cmdImport", "&Import"},
    {"MAIN", "cmdExtract", "Ex&tract"},
    {"MATRIX", "lblTitle", "Use this window to create your own Matrix"},
    {"MATRIX", "lblName", "Name"},
    {"MATRIX", "lblDescription1", "Insert the Matrix's description here:"},
    {"MATRIX", "lblDescription2", "If needed, continue here:"},
    {"MATRIX", "cmdSave", "&Save"},
    {"MATRIX", "cmdExit", "E&xit"},
    {"MATRIX", "txtMatDialogInfo",
     "You can use values between 8 and 255 but please note that highest value supported by CCE is 127."},
    {"MATRIX", "frmMultEdit", "Multiple Edit"},
    {"MATRIX", "txtMulEdit",
     "Insert the value you want to \"subtract\" or \"add\" to the Matrix then press \"Ok\". All values will be "
     "adjusted automatically."},
    {"MATRIXImport", "lblTitle", "Import a Matrix"},
    {"MATRIXImport", "lblPath", "File"},
    {"MATRIXImport", "lblName", "Name"},
    {"MATRIXImport", "lblDescription1", "Insert the Matrix's description here:"},
    {"MATRIXImport", "lblDescription2", "If needed, continue here:"},
    {"MATRIXImport", "cmdSave", "&Save"},
    {"MATRIXImport", "cmdExit", "E&xit"},
    {"MATRIXEdit", "lblTitle", "Use this window to edit the selected Matrix"},
    {"MATRIXEdit", "lblName", "Name"},
    {"MATRIXEdit", "lblDescription1", "Matrix's description here:"},
    {"MATRIXEdit", "lblDescription2", "If needed, continue here:"},
    {"MATRIXEdit", "cmdSave", "&Save"},
    {"MATRIXEdit", "cmdExit", "E&xit"},
    {"Languages", "lblCurrent", "Language in Use"},
    {"Languages", "lblLanguages", "Choose your language here"},
    {"Languages", "OKButton", "&Apply"},
    {"Languages", "cmdUpd", "Update Languages"},
    {"Setup", "lblSetFolder", "Set the Path to Matrices' Folder"},
    {"Setup", "lblTesseraFolder", "Set the Path to Tessera's Folder"},
    {"Setup", "OKbutton", "Apply"},
    {"Setup", "cmdCancel", "Cancel"},
    {"Setup", "frmColors", "Intefaces' Colors"},
    {"Setup", "Option1", "Background"},
    {"Setup", "Option2", "Text"},
    {"Setup", "Option3", "Stripes"},
    {"Setup", "Option4", "Buttons Text Color"},
    {"Setup", "RedStyle", " Red Style"},
    {"Setup", "BlueStyle", "Green Style"},
    {"Setup", "BlackStyle", "Silver Style"},
    {"Setup", "frmExtras", "Extras"},
    {"Setup", "cmdRestore", "Restore Default Matrices"},
    {"MESSAGES", "DelMatTitle", "WARNING!!!"},
    {"MESSAGES", "DelMatrixMsg1L1", "Are you sure that you want"},
    {"MESSAGES", "DelMatrixMsg1L2", "to delete the Matrix called"},
    {"MESSAGES", "MatrixMsg1Title", "New Matrix"},
    {"MESSAGES", "MatrixMsg1L1", "Are you sure that you want"},
    {"MESSAGES", "MatrixMsg1L2", "to create a new Matrix called"},
    {"MESSAGES", "MatrixMsg2", "Your new Matrix has been created!"},
    {"MESSAGES", "MatrixEdMsg1Title", "Save Matrix"},
    {"MESSAGES", "MatrixEdMsg1L1", "Are you sure that you want to replace the Matrix "},
    {"MESSAGES", "MatrixEdMsg1L2", "If you want to create a new one, just give it a different name."},
    {"MESSAGES", "MatrixEdMsg2", "Your Matrix has been saved!"},
    {"MESSAGES", "MatrixImport", "You must give a name to your Matrix!"},
    {"MESSAGES", "MatrixImport2", "This matrix already exists! Do you want to overwrite it?"},
    {"MESSAGES", "MatrixWarning1", "The values must be NUMBERS between 8 and 255!"},
    {"MESSAGES", "MatrixWarning2", "This matrix may not be compatible with CCE!"},
    {"MESSAGES", "MatrixWarning3",
     "Some DVD players may not play the resulting files if the first INTRA value isn't \"8\"!"},
    {"MESSAGES", "NoTessera", "The path to DVD Tessera's folder isn't defined!!! Please, point it on Setup dialog."},
    {"MESSAGES", "NoPlayer", "The path to a media player isn't defined!!! Please, point it on Setup dialog."},
    {"MESSAGES", "DeletePreviewFiles", "Do you wish to delete all the temporary files?"},
    {"HELP", "cmdNew", "Click to create your own Matrix."},
    {"HELP", "cmdEdit", "Click to edit the selected Matrix."},
    {"HELP", "cmdDelete", "Click to Delete the selected Matrix."},
    {"HELP", "cmdSetup", "Click to open setup dialog."},
    {"HELP", "cmdLanguages", "Click to change this application's language."},
    {"HELP", "cmdRestore", "Restores all the default Matrices. This action WON'T ERASE your CUSTOM MATRICES."},
    {"HELP", "cmdExtract", "Use this function to extract the original Matrix from \"your\" movie."},
};

const std::vector<std::string> kSectionOrder = {"MAIN",      "MATRIX", "MATRIXImport", "MATRIXEdit",
                                                "Languages", "Setup",  "MESSAGES",     "HELP"};

struct LanguageCase {
    std::string_view file;
    std::string_view ownName; // Windows-1252
    std::size_t keyCount;
};

const LanguageCase kLanguages[] = {
    {"English.lng", "English", 79},
    {"Portugues.lng", "Portugu\xEAs", 79},
    {"Francais.lng",
     "Fran\xE7"
     "ais",
     79},
    {"Deutch.lng", "Deutsch", 79},
    {"Italiano.lng", "Italiano", 78},
};

} // namespace

TEST(LanguageFiles, BuiltInNamesInWritingOrder) {
    const std::vector<std::string_view> expected = {"English.lng", "Portugues.lng", "Francais.lng", "Deutch.lng",
                                                    "Italiano.lng"};
    EXPECT_EQ(std::vector<std::string_view>(kLanguageFileNames.begin(), kLanguageFileNames.end()), expected);
    for (const auto name : kLanguageFileNames)
        EXPECT_EQ(builtinLanguageText(name), builtinResource("languages/" + std::string(name))) << name;
    EXPECT_FALSE(builtinLanguageText("Klingon.lng").has_value());
}

TEST(LanguageFiles, LayoutNameLineSectionsAndKeyCounts) {
    for (const auto& c : kLanguages) {
        SCOPED_TRACE(std::string(c.file));
        const std::string_view bytes = languageBytes(c.file);
        ASSERT_FALSE(bytes.empty());
        EXPECT_TRUE(onlyCrLf(bytes));
        // The stored text ends right after the last key line; the writer adds the final line break.
        EXPECT_TRUE(bytes.ends_with("\r\n"));
        EXPECT_FALSE(bytes.ends_with("\r\n\r\n"));

        const LanguageFile file = parseLanguageFile(bytes);
        EXPECT_EQ(file.ownName, c.ownName);
        EXPECT_EQ(file.secondLine, "");
        EXPECT_TRUE(file.stray.empty()) << file.stray.front();
        std::vector<std::string> order;
        std::size_t keys = 0;
        for (const auto& section : file.sections) {
            order.push_back(section.name);
            keys += section.entries.size();
            std::set<std::string> unique;
            for (const auto& entry : section.entries)
                EXPECT_TRUE(unique.insert(entry.key).second) << section.name << "/" << entry.key << " twice";
        }
        EXPECT_EQ(order, kSectionOrder);
        EXPECT_EQ(keys, c.keyCount);
    }
}

TEST(LanguageFiles, EnglishTextsExactlyAndInOrder) {
    const LanguageFile file = parseLanguageFile(languageBytes("English.lng"));
    std::vector<std::tuple<std::string, std::string, std::string>> actual;
    for (const auto& section : file.sections)
        for (const auto& entry : section.entries)
            actual.emplace_back(section.name, entry.key, entry.text);
    ASSERT_EQ(actual.size(), std::size(kEnglish));
    for (std::size_t i = 0; i < actual.size(); ++i)
        EXPECT_EQ(actual[i], std::make_tuple(std::string(kEnglish[i].section), std::string(kEnglish[i].key),
                                             std::string(kEnglish[i].text)));
}

TEST(LanguageFiles, SameKeysAsEnglishAndItalianLacksMatrixImport) {
    const auto english = textsOf(parseLanguageFile(languageBytes("English.lng")));
    for (const auto& c : kLanguages) {
        SCOPED_TRACE(std::string(c.file));
        const auto texts = textsOf(parseLanguageFile(languageBytes(c.file)));
        std::set<std::pair<std::string, std::string>> expected, keys;
        for (const auto& [k, v] : english)
            if (!(c.file == "Italiano.lng" &&
                  k == std::make_pair(std::string("MESSAGES"), std::string("MatrixImport"))))
                expected.insert(k);
        for (const auto& [k, v] : texts)
            keys.insert(k);
        EXPECT_EQ(keys, expected);
    }
}

TEST(LanguageFiles, TranslationsKeepOnlyTheChosenEnglishTexts) {
    using Key = std::pair<std::string, std::string>;
    const Key dialogInfo{"MATRIX", "txtMatDialogInfo"}, warning1{"MESSAGES", "MatrixWarning1"};
    const Key extract{"MAIN", "cmdExtract"}, extras{"Setup", "frmExtras"};
    // Texts left in English on purpose, and words that read the same in both languages.
    const std::map<std::string_view, std::set<Key>> sameAsEnglish = {
        {"Portugues.lng", {dialogInfo, warning1, extract, extras}},
        {"Francais.lng", {dialogInfo, warning1, extras}},
        {"Deutch.lng",
         {dialogInfo,
          warning1,
          extract,
          extras,
          {"MAIN", "lblMatValues"},
          {"MATRIX", "lblName"},
          {"MATRIXImport", "lblName"},
          {"MATRIXEdit", "lblName"},
          {"Setup", "Option2"}}},
        {"Italiano.lng", {dialogInfo, warning1, extract, {"MATRIXImport", "lblPath"}}},
    };
    const auto english = textsOf(parseLanguageFile(languageBytes("English.lng")));
    for (const auto& [name, expected] : sameAsEnglish) {
        SCOPED_TRACE(std::string(name));
        std::set<Key> same;
        for (const auto& [k, v] : textsOf(parseLanguageFile(languageBytes(name))))
            if (english.at(k) == v)
                same.insert(k);
        EXPECT_EQ(same, expected);
    }
}

TEST(LanguageFiles, TranslatedTextsAreWindows1252NotUtf8) {
    for (const std::string_view name : {"Portugues.lng", "Francais.lng", "Deutch.lng", "Italiano.lng"}) {
        SCOPED_TRACE(std::string(name));
        const std::string_view bytes = languageBytes(name);
        // Accented letters are single bytes, so the file is not valid UTF-8 ...
        EXPECT_FALSE(text::fromUtf8(bytes).has_value());
        // ... and holds no UTF-8 sequence for a Latin letter (C3 followed by a continuation byte).
        for (std::size_t i = 0; i + 1 < bytes.size(); ++i)
            EXPECT_FALSE(static_cast<unsigned char>(bytes[i]) == 0xC3 &&
                         (static_cast<unsigned char>(bytes[i + 1]) & 0xC0) == 0x80)
                << "at " << i;
        // Every byte is a character that Windows-1252 defines, and the only controls are CR and LF.
        for (const char ch : bytes) {
            const auto b = static_cast<unsigned char>(ch);
            EXPECT_FALSE(b == 0x81 || b == 0x8D || b == 0x8F || b == 0x90 || b == 0x9D) << int(b);
            EXPECT_FALSE(b < 0x20 && b != '\r' && b != '\n') << int(b);
        }
        // Round trip through UTF-8 keeps every byte.
        EXPECT_EQ(text::fromUtf8(text::toUtf8(bytes)), std::optional<std::string>(std::string(bytes)));
    }
    EXPECT_TRUE(languageBytes("Portugues.lng").starts_with("Portugu\xEAs\r\n\r\n"));
    EXPECT_TRUE(languageBytes("Francais.lng")
                    .starts_with("Fran\xE7"
                                 "ais\r\n\r\n"));
}

TEST(LanguageFiles, AccessKeysOnePerCaptionAndUniqueInEachWindow) {
    // The captions that carry an access key, grouped by the window that shows them.
    const std::vector<std::pair<std::string, std::vector<std::string>>> windows = {
        {"MAIN",
         {"cmdExit", "cmdLanguages", "cmdSetup", "cmdPreview", "cmdNew", "cmdEdit", "cmdDelete", "cmdImport",
          "cmdExtract"}},
        {"MATRIX", {"cmdSave", "cmdExit"}},
        {"MATRIXImport", {"cmdSave", "cmdExit"}},
        {"MATRIXEdit", {"cmdSave", "cmdExit"}},
        {"Languages", {"OKButton"}},
    };
    for (const auto& c : kLanguages) {
        const auto texts = textsOf(parseLanguageFile(languageBytes(c.file)));
        for (const auto& [section, keys] : windows) {
            std::set<char> used;
            for (const auto& key : keys) {
                SCOPED_TRACE(std::string(c.file) + " " + section + "/" + key);
                const std::string& caption = texts.at({section, key});
                ASSERT_EQ(std::count(caption.begin(), caption.end(), '&'), 1);
                const auto at = caption.find('&');
                ASSERT_LT(at + 1, caption.size());
                EXPECT_TRUE(used.insert(text::lowerChar(caption[at + 1])).second);
            }
        }
        // The texts that are not button captions carry no access key.
        for (const auto& [k, v] : texts) {
            const bool isButton = std::any_of(windows.begin(), windows.end(), [&](const auto& w) {
                return w.first == k.first && std::find(w.second.begin(), w.second.end(), k.second) != w.second.end();
            });
            if (!isButton) {
                EXPECT_EQ(v.find('&'), std::string::npos) << c.file << " " << k.first << "/" << k.second;
            }
        }
    }
}

// --- The default description text.

namespace {

const std::vector<std::string> kDescriptionSections = {
    "1-high_high(4000+).mtx",
    "2-high_medium(4000).mtx",
    "3-high_low(3500-4000).mtx",
    "4-medium_high(3200-4000).mtx",
    "5-medium_medium(2800-3500).mtx",
    "6-medium_low(2500-3200).mtx",
    "7-low_high(1800-2500).mtx",
    "8-low_low(1800-).mtx",
    "quenc lower bitrate (QLB).mtx",
    "tamsin's 1cd (1500-2500).mtx",
    "marlo (1500-2500).mtx",
    "smooth (cg)(3800+).mtx",
    "lorin comic low (cg) (2500-3800).mtx",
    "seraph bestlow (1900-2500).mtx",
    "seraph bestverylow (1200-1900).mtx",
    "dovan (2500-3000).mtx",
};

} // namespace

TEST(DefaultDescriptions, SixteenSectionsInOrderWithInfo1AndInfo2) {
    const std::string_view bytes = defaultMatrixInfo();
    ASSERT_FALSE(bytes.empty());
    EXPECT_TRUE(onlyCrLf(bytes));
    EXPECT_TRUE(bytes.ends_with("\r\n"));
    EXPECT_FALSE(bytes.ends_with("\r\n\r\n"));

    std::vector<std::string> sections;
    std::vector<std::vector<std::string>> keys;
    for (const auto& line : text::splitLines(bytes)) {
        if (line.starts_with("[") && line.ends_with("]")) {
            sections.push_back(line.substr(1, line.size() - 2));
            keys.emplace_back();
            continue;
        }
        ASSERT_FALSE(sections.empty()) << line;
        const auto eq = line.find('=');
        ASSERT_NE(eq, std::string::npos) << line;
        const std::string value = line.substr(eq + 1);
        EXPECT_LT(value.size(), 255u) << line;
        EXPECT_FALSE(text::trimBlanks(value).empty()) << line;
        keys.back().push_back(line.substr(0, eq));
    }
    EXPECT_EQ(sections, kDescriptionSections);
    ASSERT_EQ(keys.size(), 16u);
    for (std::size_t i = 0; i < keys.size(); ++i) {
        const bool info1Only = i == 5 || i == 6 || i == 7;
        const std::vector<std::string> expected =
            info1Only ? std::vector<std::string>{"Info1"} : std::vector<std::string>{"Info1", "Info2"};
        EXPECT_EQ(keys[i], expected) << sections[i];
    }
}

TEST(DefaultDescriptions, OneSectionForEachDefaultMatrix) {
    std::set<std::string> sections, matrices;
    for (const auto& s : kDescriptionSections)
        sections.insert(text::toLower(s));
    for (const auto name : kDefaultMatrixNames)
        matrices.insert(text::toLower(name));
    EXPECT_EQ(sections, matrices);
}

TEST(DefaultDescriptions, SameTextForEveryBuiltInLanguage) {
    for (const auto name : kLanguageFileNames)
        EXPECT_EQ(defaultMatrixInfoFor(name), std::optional<std::string_view>(defaultMatrixInfo())) << name;
    EXPECT_FALSE(defaultMatrixInfoFor("Klingon.lng").has_value());
    EXPECT_FALSE(defaultMatrixInfoFor("").has_value());
}

// --- The default matrices.

namespace {

using Rows = std::vector<std::string>;

Rows rowsOf(std::string_view name) {
    return text::splitLines(defaultMatrixText(name));
}

std::vector<int> valuesOf(const Rows& rows, std::size_t first, std::size_t count) {
    std::vector<int> values;
    for (std::size_t r = first; r < first + count && r < rows.size(); ++r) {
        std::string_view line = rows[r];
        while (!line.empty()) {
            const auto blank = line.find(' ');
            const auto token = line.substr(0, blank);
            int v = -1;
            std::from_chars(token.data(), token.data() + token.size(), v);
            values.push_back(v);
            line = blank == std::string_view::npos ? std::string_view() : line.substr(blank + 1);
        }
    }
    return values;
}

const Rows kMpegIntra = {"08 16 19 22 26 27 29 34", "16 16 22 24 27 29 34 37", "19 22 26 27 29 34 34 38",
                         "22 22 26 27 29 34 37 40", "22 26 27 29 32 35 40 48", "26 27 29 32 35 40 48 58",
                         "26 27 29 34 38 46 56 69", "27 29 35 38 46 56 69 83"};
const Rows kFlat16(8, "16 16 16 16 16 16 16 16");

Rows intraOf(const Rows& rows) {
    return Rows(rows.begin(), rows.begin() + std::min<std::size_t>(8, rows.size()));
}
Rows nonIntraOf(const Rows& rows) {
    return rows.size() < 16 ? Rows() : Rows(rows.begin() + 8, rows.begin() + 16);
}

} // namespace

TEST(DefaultMatrices, EveryPresetIsSixteenFormattedLinesOfEightValues) {
    for (const auto name : kDefaultMatrixNames) {
        SCOPED_TRACE(std::string(name));
        const std::string_view bytes = defaultMatrixText(name);
        EXPECT_TRUE(onlyCrLf(bytes));
        EXPECT_TRUE(bytes.ends_with("\r\n"));
        const Rows rows = rowsOf(name);
        ASSERT_EQ(rows.size(), 16u);
        for (const auto& row : rows) {
            const auto values = valuesOf({row}, 0, 1);
            ASSERT_EQ(values.size(), 8u) << row;
            std::string formatted;
            for (const int v : values) {
                EXPECT_GE(v, 8) << row;
                EXPECT_LE(v, 127) << row;
                formatted += (formatted.empty() ? "" : " ") + std::string(v < 10 ? "0" : "") + std::to_string(v);
            }
            EXPECT_EQ(row, formatted); // single blanks, leading zero below 10, three digits from 100
        }
    }
    EXPECT_EQ(defaultMatrixText("Missing.mtx"), "");
}

TEST(DefaultMatrices, FirstIntraAndNonIntraRows) {
    struct Case {
        std::string_view name, line1, line9;
    };
    const Case cases[] = {
        {"1-High_High(4000+).mtx", "08 08 09 11 13 13 14 17", "08 08 08 09 09 09 09 10"},
        {"2-High_Medium(4000).mtx", "08 08 09 11 13 13 14 17", "08 08 09 09 10 10 11 11"},
        {"3-High_Low(3500-4000).mtx", "08 08 09 11 13 13 14 17", "16 16 16 16 16 16 16 16"},
        {"4-Medium_High(3200-4000).mtx", "08 16 19 22 26 27 29 34", "16 16 16 16 16 16 16 16"},
        {"5-Medium_Medium(2800-3500).mtx", "08 16 19 22 26 27 29 34", "16 17 18 19 20 21 22 23"},
        {"6-Medium_Low(2500-3200).mtx", "08 12 13 14 15 16 19 22", "12 12 13 14 15 16 19 22"},
        {"7-Low_High(1800-2500).mtx", "08 16 19 22 26 27 99 99", "27 29 35 38 46 56 99 99"},
        {"8-Low_Low(1800-).mtx", "08 16 19 22 99 99 99 99", "16 17 18 19 99 99 99 99"},
        {"Seraph BestLow (1900-2500).mtx", "08 16 19 22 26 27 29 99", "16 17 18 19 20 21 22 99"},
        {"Seraph BestVeryLow (1200-1900).mtx", "08 16 19 22 26 27 99 99", "16 17 18 19 20 21 99 99"},
        {"Marlo (1500-2500).mtx", "16 18 20 22 26 28 32 39", "20 24 26 28 38 42 46 53"},
        {"Tamsin's 1CD (1500-2500).mtx", "08 16 20 23 27 30 32 34", "17 19 21 23 25 27 29 31"},
        {"Lorin Comic Low (CG) (2500-3800).mtx", "08 32 32 32 32 32 99 99", "08 08 08 08 16 16 16 16"},
        {"QuEnc Lower Bitrate (QLB).mtx", "08 16 19 22 26 27 29 34", "16 17 18 19 20 21 22 23"},
        {"Dovan (2500-3000).mtx", "08 17 20 22 26 28 29 39", "18 22 24 26 36 40 44 51"},
        {"Smooth (CG)(3800+).mtx", "08 16 20 22 24 24 24 24", "16 16 16 16 16 16 16 16"},
    };
    ASSERT_EQ(std::size(cases), kDefaultMatrixNames.size());
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        SCOPED_TRACE(std::string(cases[i].name));
        EXPECT_EQ(kDefaultMatrixNames[i], cases[i].name); // table order
        const Rows rows = rowsOf(cases[i].name);
        ASSERT_EQ(rows.size(), 16u);
        EXPECT_EQ(rows[0], cases[i].line1);
        EXPECT_EQ(rows[8], cases[i].line9);
    }
}

TEST(DefaultMatrices, PresetsGivenInFull) {
    const Rows preset1 = {
        "08 08 09 11 13 13 14 17", "08 08 11 12 13 14 17 18", "09 11 13 13 14 17 17 19", "11 11 13 13 14 17 18 20",
        "11 13 13 14 16 17 20 24", "13 13 14 16 17 20 24 29", "13 13 14 17 19 23 28 34", "13 14 17 19 23 28 34 41",
        "08 08 08 09 09 09 09 10", "08 08 09 09 09 09 10 10", "08 09 09 09 09 10 10 10", "09 09 09 09 10 10 10 10",
        "09 09 09 10 10 10 10 11", "09 09 10 10 10 10 11 11", "09 10 10 10 10 11 11 11", "10 10 10 10 11 11 11 11"};
    EXPECT_EQ(rowsOf("1-High_High(4000+).mtx"), preset1);

    const Rows intra6 = {"08 12 13 14 15 16 19 22", "12 13 14 15 16 19 22 26", "13 14 15 16 19 22 26 32",
                         "14 15 16 19 22 26 32 41", "15 16 19 22 26 32 41 53", "16 19 22 26 32 41 53 70",
                         "19 22 26 32 41 53 70 94", "22 26 32 41 53 70 94 127"};
    Rows preset6 = intra6;
    preset6.push_back("12 12 13 14 15 16 19 22");
    preset6.insert(preset6.end(), intra6.begin() + 1, intra6.end());
    EXPECT_EQ(rowsOf("6-Medium_Low(2500-3200).mtx"), preset6);

    // Preset 7 keeps its rows as they stand.
    const Rows preset7 = rowsOf("7-Low_High(1800-2500).mtx");
    ASSERT_EQ(preset7.size(), 16u);
    EXPECT_EQ(preset7[1], "16 16 22 24 27 19 99 99");
    EXPECT_EQ(preset7[6], "26 27 29 34 38 46 99 99");
    EXPECT_EQ(preset7[7], "26 27 29 34 38 46 99 99");
    EXPECT_EQ(preset7[9], "16 17 18 19 20 21 99 99");
    EXPECT_EQ(preset7[15], "22 23 24 26 27 28 99 99");
    for (std::size_t r = 9; r < 16; ++r)
        EXPECT_TRUE(preset7[r].ends_with(" 99 99")) << r;
}

TEST(DefaultMatrices, Mpeg2DefaultsAndSharedBlocks) {
    const Rows preset1 = rowsOf("1-High_High(4000+).mtx");
    const Rows preset4 = rowsOf("4-Medium_High(3200-4000).mtx");
    EXPECT_EQ(intraOf(preset4), kMpegIntra);
    EXPECT_EQ(nonIntraOf(preset4), kFlat16);
    EXPECT_EQ(intraOf(rowsOf("2-High_Medium(4000).mtx")), intraOf(preset1));
    EXPECT_EQ(intraOf(rowsOf("3-High_Low(3500-4000).mtx")), intraOf(preset1));
    EXPECT_EQ(nonIntraOf(rowsOf("3-High_Low(3500-4000).mtx")), kFlat16);
    EXPECT_EQ(intraOf(rowsOf("5-Medium_Medium(2800-3500).mtx")), kMpegIntra);
    EXPECT_EQ(nonIntraOf(rowsOf("Smooth (CG)(3800+).mtx")), kFlat16);
    EXPECT_EQ(nonIntraOf(rowsOf("Lorin Comic Low (CG) (2500-3800).mtx")), Rows(8, "08 08 08 08 16 16 16 16"));
}

TEST(DefaultMatrices, LargestValuesFollowTheNotes) {
    struct Case {
        std::string_view name;
        int intraMax, nonIntraMax;
    };
    const Case cases[] = {
        {"2-High_Medium(4000).mtx", 41, 16},
        {"5-Medium_Medium(2800-3500).mtx", 83, 33},
        {"6-Medium_Low(2500-3200).mtx", 127, 127},
        {"7-Low_High(1800-2500).mtx", 99, 99},
        {"8-Low_Low(1800-).mtx", 99, 99},
        {"Seraph BestLow (1900-2500).mtx", 99, 99},
        {"Seraph BestVeryLow (1200-1900).mtx", 99, 99},
        {"Lorin Comic Low (CG) (2500-3800).mtx", 99, 16},
        {"Tamsin's 1CD (1500-2500).mtx", 72, 124},
        {"QuEnc Lower Bitrate (QLB).mtx", 83, 38},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.name));
        const Rows rows = rowsOf(c.name);
        const auto intra = valuesOf(rows, 0, 8), nonIntra = valuesOf(rows, 8, 8);
        ASSERT_EQ(intra.size(), 64u);
        ASSERT_EQ(nonIntra.size(), 64u);
        EXPECT_EQ(*std::max_element(intra.begin(), intra.end()), c.intraMax);
        EXPECT_EQ(*std::max_element(nonIntra.begin(), nonIntra.end()), c.nonIntraMax);
    }
}

TEST(DefaultMatrices, LowBitratePresetsCapAt99) {
    // 8-Low_Low: the right half of every row is 99.
    for (const auto& row : rowsOf("8-Low_Low(1800-).mtx"))
        EXPECT_TRUE(row.ends_with(" 99 99 99 99")) << row;
    // BestVeryLow has more 99s than BestLow.
    const auto count99 = [](std::string_view name) {
        const auto v = valuesOf(rowsOf(name), 0, 16);
        return std::count(v.begin(), v.end(), 99);
    };
    EXPECT_GT(count99("Seraph BestVeryLow (1200-1900).mtx"), count99("Seraph BestLow (1900-2500).mtx"));
    EXPECT_GT(count99("Seraph BestLow (1900-2500).mtx"), 0);
}

TEST(DefaultMatrices, TamsinEndsWithThreeDigitValues) {
    const Rows rows = rowsOf("Tamsin's 1CD (1500-2500).mtx");
    ASSERT_EQ(rows.size(), 16u);
    EXPECT_TRUE(rows[14].ends_with(" 100")) << rows[14];
    EXPECT_TRUE(rows[15].ends_with(" 100 124")) << rows[15];
}

TEST(DefaultMatrices, SmoothIntraLowerRightQuarter) {
    const Rows rows = rowsOf("Smooth (CG)(3800+).mtx");
    const auto intra = valuesOf(rows, 0, 8);
    ASSERT_EQ(intra.size(), 64u);
    for (int r = 4; r < 8; ++r)
        for (int c = 0; c < 8; ++c) {
            const int v = intra[static_cast<std::size_t>(r * 8 + c)];
            if (c >= 4) {
                EXPECT_EQ(v, 32) << r << "," << c;
            }
            EXPECT_TRUE(v == 24 || v == 28 || v == 32) << r << "," << c << ": " << v;
        }
}
