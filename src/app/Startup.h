// The start-up of the main window: Editor.ini and its defaults, the language files, the matrix
// folder check, the initialisation of a new matrix folder, colours, captions, each step logged.
#pragma once

#include "app/SharedState.h"

#include <string>

namespace quire {

// What start-up needs from the main window besides the view routines every dialog uses.
class StartupHooks : public MainView {
public:
    // The caption the preview button shows now (its built-in caption until captions are applied).
    virtual std::string previewButtonCaption() = 0;
    // Readies the Setup window for a missing matrix folder: path label cleared, Cancel enabled,
    // Apply disabled.
    virtual void prepareSetupForMissingFolder() = 0;
    // Unloads the Setup window if start-up loaded it.
    virtual void unloadSetup() = 0;
};

inline constexpr std::string_view kNoFolderMarker = "bghrk756348347";
inline constexpr std::string_view kInterfaceVersion = "7";
inline constexpr std::string_view kMissingFolderMessage =
    "The 'Matrix' folder wasn't found!!!\nPlease select the path to it.";

class Startup {
public:
    Startup(SharedState& state, StartupHooks& hooks) : m_state(state), m_hooks(hooks) {}

    // Steps up to the matrix folder check. True when the matrix folder is missing: the caller then
    // shows the Setup window (readied through the hooks) and calls finish() once it has closed.
    bool begin();
    // The remaining steps: colours and captions, the description index check and the folder's
    // initialisation (which loads the Setup window's workings for the folder it shows), the credit
    // label, the language check, the custom index.
    void finish();

    // Writes InterfaceVersion "7", rewrites the language files and says so.
    void UpdateInterface();

private:
    void log(std::string_view code) const { m_state.log.BugLog(code); }
    std::string config(std::string_view key) const;
    // Rewrites the built-in language files; the active language file name afterwards.
    std::string writeLanguages();

    SharedState& m_state;
    StartupHooks& m_hooks;
    bool m_setupShown = false;
};

// True when a file can be created in the program folder (Quire keeps its settings there).
bool programFolderWritable(const std::filesystem::path& folder);
// The message shown when it cannot, before Quire ends.
std::string programFolderMessage(const std::filesystem::path& folder);

} // namespace quire
