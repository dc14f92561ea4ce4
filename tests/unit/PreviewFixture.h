// A prepared Tessera project copied from tests/data/preview into a temporary folder, with the context
// the preview routines run in: a scripted prompter, a recording view and a log with a fixed clock.
#pragma once

#include "app/IniManager.h"
#include "platform/Text1252.h"
#include "preview/HostProject.h"
#include "support/RecordingPreviewView.h"
#include "support/ScriptedPrompter.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <locale>

namespace quire::test {

namespace fs = std::filesystem;

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

class PreviewProject {
public:
    PreviewProject() {
        fs::copy(fs::path(QUIRE_TEST_DATA) / "preview", temp.path(), fs::copy_options::recursive);
        fs::create_directories(program);
    }

    fs::path ini() const { return context.tesseraIni(); }
    fs::path inf() const { return context.infFile(); }
    fs::path ecl() const { return context.eclFile(); }

    // A text with the program folder written as "<P>".
    std::string masked(std::string line) const {
        const std::string folder = program.string();
        for (auto at = line.find(folder); at != std::string::npos; at = line.find(folder))
            line.replace(at, folder.size(), "<P>");
        return line;
    }
    // The log's lines without their time stamps, masked.
    std::vector<std::string> logLines() const {
        std::vector<std::string> lines;
        for (const auto& line : text::splitLines(readBytes(log.file())))
            lines.push_back(masked(line.substr(line.find("--> ") + 4)));
        return lines;
    }
    static std::vector<std::string> golden(std::string_view name) {
        return text::splitLines(readBytes(fs::path(QUIRE_TEST_DATA) / "preview" / name));
    }
    bool logged(std::string_view line) const {
        const auto lines = logLines();
        return std::find(lines.begin(), lines.end(), line) != lines.end();
    }

    TempFolder temp;
    fs::path program = temp / "Quire";
    ScriptedPrompter prompter;
    BugTrack log{program, [] { return std::tm{}; }};
    RecordingPreviewView view;
    preview::PreviewContext context{program, temp / "Tessera", temp / "Tessera" / "Work" / "D2VAVS", prompter, log,
                                    view,    {'.', ','}};
    preview::PreviewState state;
};

class PreviewFixture : public ::testing::Test, public PreviewProject {};

} // namespace quire::test
