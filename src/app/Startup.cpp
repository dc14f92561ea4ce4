// The start-up of the main window, step by step, each step leaving its code in BUG.DEB.
#include "Startup.h"

#include "app/Colours.h"
#include "app/IniManager.h"
#include "matrix/DefaultSet.h"
#include "matrix/DescriptionIndex.h"
#include "platform/FileIo.h"
#include "ui/Localisation.h"
#include "ui/SetupLogic.h"

#include <fstream>
#include <random>

namespace quire {

std::string Startup::config(std::string_view key) const {
    return ini::GetValue("Config", key, m_state.editorIni());
}

std::string Startup::writeLanguages() {
    return WriteLanguageFiles(*m_state.prompter, m_state.programFolder).value_or(config("Language"));
}

void Startup::UpdateInterface() {
    ini::SetValue("Config", "InterfaceVersion", kInterfaceVersion, m_state.editorIni());
    m_state.txtLang = writeLanguages();
    m_state.prompter->message("Interface Updated", kAppTitle, PromptButtons::Ok, PromptIcon::None);
}

bool Startup::begin() {
    const auto ini = m_state.editorIni();
    m_state.gMatrixFolder = config("MatrixFolder");
    m_state.log.start();

    m_state.txtIntVer = config("InterfaceVersion");
    if (m_state.txtIntVer.empty()) {
        UpdateInterface();
        log("0001: Interface Updated OK");
    }
    if (m_state.txtIntVer != kInterfaceVersion) {
        UpdateInterface();
        log("MA0001: Interface Updated OK");
    }

    m_state.txtLang = config("Language");
    log("MA0002: Language read OK");
    if (m_state.txtLang.empty()) {
        m_state.txtLang = writeLanguages();
        log("MA0003: Language Files created OK");
    }

    const std::string exitCaption = caption(m_state.programFolder, m_state.txtLang, "MAIN", "cmdExit");
    log("MA0004: OK");
    if (exitCaption.empty())
        log("MA0005: OK");
    if (m_hooks.previewButtonCaption().empty()) {
        m_state.txtLang = writeLanguages();
        log("MA0006: OK");
    }

    m_state.txtBackColor = ini::GetValue("Colors", "BackColor", ini);
    log("MA0007: OK");
    if (m_state.txtBackColor.empty()) {
        ini::SetValue("Colors", "BackColor", kDefaultColours.back, ini);
        ini::SetValue("Colors", "TextColor", kDefaultColours.text, ini);
        ini::SetValue("Colors", "StripesColor", kDefaultColours.stripes, ini);
        ini::SetValue("Colors", "ButtonsColor", kDefaultColours.buttons, ini);
        log("MA0008: OK");
        m_state.txtBackColor = ini::GetValue("Colors", "BackColor", ini);
    }

    // The window caption is set by the window itself from the program's version.
    log("MA0009: OK");

    m_state.txtPath = config("MatrixFolder");
    log("MA0010: OK");
    if (m_state.txtPath.empty()) {
        ini::SetValue("Config", "Language", "English.lng", ini);
        ini::SetValue("Config", "MatrixFolder", kNoFolderMarker, ini);
        m_state.txtPath = config("MatrixFolder");
        log("MA0011: OK");
    }

    // The matrix list shows the folder; a folder that does not exist is the missing-folder case.
    const std::string folder = config("MatrixFolder");
    m_setupShown = folder.empty() || !fileio::isDirectory(fileio::textToPath(folder));
    if (!m_setupShown)
        m_hooks.refreshMatrixList();
    log("MA0012: OK");
    if (m_setupShown) {
        m_state.prompter->message(kMissingFolderMessage, kAppTitle, PromptButtons::Ok, PromptIcon::None);
        m_hooks.prepareSetupForMissingFolder();
        log("MA0013: OK");
    }
    return m_setupShown;
}

void Startup::finish() {
    if (m_setupShown)
        log("MA0014: OK");

    m_hooks.applyMainColours();
    log("MA0015: OK");
    m_hooks.applyMainCaptions();
    log("MA0016: OK");

    m_state.gMatrixFolder = config("MatrixFolder");
    const auto matrixFolder = fileio::textToPath(m_state.gMatrixFolder);
    const auto index = fileio::readFile(matrixFolder / descriptions::kInfoFile);
    m_state.txtCheckMatrixInfo = index.value_or(std::string());
    log("MA0017: OK");
    if (m_state.txtCheckMatrixInfo.empty()) {
        const auto pathFolder = m_state.matrixFolder();
        fileio::writeFileAtomic(pathFolder / descriptions::kInfoFile, defaultMatrixInfo());
        log("MA0018: OK");
        if (!fileio::isRegularFile(pathFolder / descriptions::kCustomFile))
            fileio::writeFileAtomic(pathFolder / descriptions::kCustomFile, "");
        log("MA0019: OK");
        // The default set goes into the folder the Setup window shows; loading that window
        // leaves its own lines in the log, as every load of it does.
        setup::SetupLogic setupWindow(m_state);
        setupWindow.load();
        WriteDefaultMatrices(fileio::textToPath(setupWindow.lblMatPath()));
        log("MA0020: OK");
        m_hooks.refreshMatrixList();
        log("MA0021: OK");
        // txtCheckMatrixInfo stays as read: start-up found no index, so Setup's Apply sets up
        // any new folder chosen later in this run.
    }

    m_hooks.setTranslator();
    log("MA0022: OK");

    if (m_hooks.previewButtonCaption().empty()) {
        WriteLanguageFiles(*m_state.prompter, m_state.programFolder);
        log("MA0023: OK");
    }

    m_hooks.unloadSetup();
    log("MA0024: OK");

    const auto custom = m_state.matrixFolder() / descriptions::kCustomFile;
    if (!fileio::isRegularFile(custom)) {
        fileio::writeFileAtomic(custom, "");
        log("MA0025: OK");
    }
}

bool programFolderWritable(const std::filesystem::path& folder) {
    std::random_device rd;
    const auto probe = folder / (".quire-write-test-" + std::to_string(rd()));
    {
        std::ofstream out(probe, std::ios::binary);
        if (!out)
            return false;
    }
    std::error_code ec;
    std::filesystem::remove(probe, ec);
    return true;
}

std::string programFolderMessage(const std::filesystem::path& folder) {
    return "Quire keeps its settings, its log and its language files beside the program, in\n" +
           fileio::pathToText(folder) +
           "\nbut that folder cannot be written.\n\n"
           "Copy Quire's folder to a place where you may write (your home folder, for instance) "
           "and start it from there.";
}

} // namespace quire
