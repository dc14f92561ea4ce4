// The state every window reads from the main window: the matrix folder, the active language,
// the four colours, the description index as read at start, the program folder and its files.
#pragma once

#include "app/BugTrack.h"
#include "platform/FileIo.h"
#include "platform/Prompter.h"

#include <filesystem>
#include <string>
#include <string_view>

namespace quire {

// What other windows ask of the main window after they change a setting or the library.
class MainView {
public:
    virtual ~MainView() = default;
    // The matrix list refreshed from txtPath, the description emptied, Edit and Delete disabled,
    // every grid cell "000".
    virtual void resetView() = 0;
    // The same without touching the grid (after a language change).
    virtual void resetViewKeepGrid() = 0;
    virtual void refreshMatrixList() = 0;
    // Editor.ini's colours into the colour fields and onto the main window.
    virtual void applyMainColours() = 0;
    // txtLang reloaded from Editor.ini and the main window's captions and tooltips set from it.
    virtual void applyMainCaptions() = 0;
    // The credit label for the active language.
    virtual void setTranslator() = 0;
};

struct SharedState {
    SharedState(std::filesystem::path folder, Prompter& prompterToUse)
        : programFolder(std::move(folder)), prompter(&prompterToUse), log(programFolder) {}

    std::filesystem::path programFolder;
    Prompter* prompter;
    BugTrack log;
    MainView* mainView = nullptr;

    // Windows-1252 text, as stored in Editor.ini.
    std::string txtPath;
    std::string txtLang;
    std::string txtIntVer;
    std::string txtBackColor;
    std::string txtTextColor;
    std::string txtStripesColor;
    std::string txtButtonsColor;
    std::string txtCheckMatrixInfo;
    std::string gMatrixFolder;

    std::filesystem::path editorIni() const { return programFolder / "Editor.ini"; }
    std::filesystem::path languagesFolder() const { return programFolder / "Languages"; }
    std::filesystem::path languageFile() const { return languagesFolder() / fileio::textToPath(txtLang); }
    std::filesystem::path matrixFolder() const { return fileio::textToPath(txtPath); }
};

} // namespace quire
