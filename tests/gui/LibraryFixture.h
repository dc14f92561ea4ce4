// A program folder for window tests: the language files, the matrix folder "Lib" with an index
// holding one description, and the shared state a dialog gets, with the default colours.
#pragma once

#include "GuiSupport.h"

#include "app/SharedState.h"
#include "support/RecordingMainView.h"
#include "ui/Localisation.h"

#include <filesystem>
#include <string>

namespace quire::test {

struct LibraryFixture {
    static constexpr const char* kInfo = "[1-high_high(4000+).mtx]\r\nInfo1=High\r\nInfo2=More\r\n";

    LibraryFixture() {
        ScriptedPrompter quiet;
        WriteLanguageFiles(quiet, program.path());
        std::filesystem::create_directories(program / "Lib");
        program.write("Lib/Matrix_Info.ini", kInfo);
        program.write("Lib/Matrix_Info_Custom.ini", "");
        state.txtLang = "English.lng";
        state.txtPath = (program / "Lib").string();
        state.txtBackColor = "16737808";
        state.txtTextColor = "16777215";
        state.txtStripesColor = "14306832";
        state.txtButtonsColor = "4210752";
        state.mainView = &mainView;
    }
    // A file of the matrix folder.
    std::string read(const std::string& name) const { return program.read("Lib/" + name); }

    TempFolder program;
    ScriptedPrompter prompter{qtReporter()};
    RecordingMainView mainView;
    SharedState state{program.path(), prompter};
};

} // namespace quire::test
