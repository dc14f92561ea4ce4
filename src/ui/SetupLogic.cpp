// The Setup window's workings: paths, interface colours, Apply, Cancel and the default-set restore.
#include "SetupLogic.h"

#include "app/Folders.h"
#include "app/IniManager.h"
#include "matrix/DefaultSet.h"
#include "matrix/DescriptionIndex.h"
#include "platform/FileIo.h"
#include "platform/Text1252.h"
#include "ui/BrowseForFolder.h"

#include <algorithm>
#include <charconv>

namespace quire::setup {

namespace {

constexpr std::string_view kHexDigits = "0123456789ABCDEF";

// The decimal text of two hexadecimal characters starting at pos; "0" when they are not there.
std::string hexPair(std::string_view hex, std::size_t pos) {
    if (pos + 2 > hex.size())
        return "0";
    int value = 0;
    const char* first = hex.data() + pos;
    const auto [end, ec] = std::from_chars(first, first + 2, value, 16);
    if (ec != std::errc() || end != first + 2)
        return "0";
    return std::to_string(value);
}

// A path as Editor.ini keeps it: reading a value drops its outer blanks and one pair of outer
// quotes, so a path that has either is stored inside quotes and reads back whole.
std::string storedPath(std::string_view path) {
    const bool outerBlank = !path.empty() && (text::isBlank(path.front()) || text::isBlank(path.back()));
    const bool quoted = path.size() >= 2 && path.front() == '"' && path.back() == '"';
    if (outerBlank || quoted)
        return "\"" + std::string(path) + "\"";
    return std::string(path);
}

int partValue(const std::string& part) {
    int value = 0;
    std::from_chars(part.data(), part.data() + part.size(), value);
    return value;
}

} // namespace

std::string hexText(std::string_view decimal) {
    const Rgb rgb = parseColour(decimal).value_or(Rgb{});
    std::string hex;
    for (const int part : {rgb.blue, rgb.green, rgb.red}) {
        hex += kHexDigits[static_cast<std::size_t>(part >> 4)];
        hex += kHexDigits[static_cast<std::size_t>(part & 15)];
    }
    return hex;
}

Parts splitHex(std::string_view hex) {
    return {hexPair(hex, 0), hexPair(hex, 2), hexPair(hex, 4)};
}

void raiseZeroParts(Parts& parts) {
    for (auto& part : parts)
        if (part == "0")
            part = std::to_string(kBarMin);
}

std::string composeColour(const std::array<int, 3>& bars) {
    return colourText(Rgb{bars[0], bars[1], bars[2]});
}

std::string unstorablePathMessage(std::string_view nativePath) {
    // The path as far as Windows-1252 can show it: each character it cannot hold becomes "?".
    std::string shown;
    for (std::size_t i = 0; i < nativePath.size();) {
        const auto lead = static_cast<unsigned char>(nativePath[i]);
        std::size_t length = lead < 0xC0 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
        length = std::min(length, nativePath.size() - i);
        shown += text::fromUtf8(nativePath.substr(i, length)).value_or("?");
        i += length;
    }
    return "The path\n" + shown +
           "\nholds characters that Quire cannot keep in its settings file (Windows-1252).\n"
           "Please choose a path whose name uses only Western European characters.";
}

SetupLogic::SetupLogic(SharedState& state, SetupView* view) : m_state(state), m_view(view) {}

std::string SetupLogic::config(std::string_view key) const {
    return ini::GetValue("Config", key, m_state.editorIni());
}

ColourKind SetupLogic::editedKind() const {
    for (const ColourKind kind : kColourKinds)
        if (m_comColor == kComColorNames[index(kind)])
            return kind;
    return ColourKind::Back;
}

const std::string& SetupLogic::customPart(ColourKind kind, int part) const {
    static const std::string none;
    if (part < 0 || part > 2)
        return none;
    return m_parts[index(kind)][static_cast<std::size_t>(part)];
}

void SetupLogic::load() {
    m_state.log.separator();

    m_language = config("Language");
    m_matPath = config("MatrixFolder");
    m_tesseraPath = config("TesseraFolder");
    m_playerPath = config("Player");
    m_state.log.BugLog("SET001: Config read");

    for (const ColourKind kind : kColourKinds) {
        m_colours[index(kind)] = ini::GetValue("Colors", kColourKeys[index(kind)], m_state.editorIni());
        m_loadColours[index(kind)] = m_colours[index(kind)];
        if (m_view)
            m_view->colourShown(kind);
    }
    m_state.log.BugLog("SET002: Color data read");

    // The captions are the window's; the hexadecimal fields follow the shown colours.
    m_state.log.BugLog("SET003: Translations read");

    if (const auto custom = fileio::readFile(fileio::textToPath(m_matPath) / descriptions::kCustomFile)) {
        m_customInfo = *custom;
        m_state.log.BugLog("SET004: Matrix Custom Info read");
    }

    updateSliders();
    m_state.log.BugLog("SETUP: Sliders Updated with color data");
}

void SetupLogic::chooseColour(ColourKind kind) {
    m_comColor = kComColorNames[index(kind)];
    updateSliders();
}

void SetupLogic::updateSliders() {
    static constexpr std::array<std::string_view, 4> kSplitCodes = {"SLI001: OK", "SLI002: OK", "SLI003: OK",
                                                                    "SLI004: OK"};
    static constexpr std::array<std::string_view, 4> kZeroCodes = {"SLI005: OK", "SLI006: OK", "SLI007: OK",
                                                                   "SLI008: OK"};
    static constexpr std::array<std::string_view, 4> kBarCodes = {"SLI009: OK", "SLI010: OK", "SLI011: OK",
                                                                  "SLI012: OK"};
    for (const ColourKind kind : kColourKinds) {
        m_parts[index(kind)] = splitHex(hex(kind));
        m_state.log.BugLog(kSplitCodes[index(kind)]);
    }
    for (const ColourKind kind : kColourKinds) {
        raiseZeroParts(m_parts[index(kind)]);
        m_state.log.BugLog(kZeroCodes[index(kind)]);
    }
    const ColourKind kind = editedKind();
    const Parts& parts = m_parts[index(kind)];
    // Bar 0 is red (part 2), bar 1 green, bar 2 blue (part 0).
    const std::array<int, 3> bars{std::clamp(partValue(parts[2]), kBarMin, kBarMax),
                                  std::clamp(partValue(parts[1]), kBarMin, kBarMax),
                                  std::clamp(partValue(parts[0]), kBarMin, kBarMax)};
    if (bars != m_bars) {
        m_bars = bars;
        if (m_view)
            m_view->barsShown();
        barsChanged();
    }
    m_state.log.BugLog(kBarCodes[index(kind)]);
}

void SetupLogic::setBar(int bar, int value) {
    if (bar < 0 || bar > 2)
        return;
    value = std::clamp(value, kBarMin, kBarMax);
    auto& slot = m_bars[static_cast<std::size_t>(bar)];
    if (slot == value)
        return;
    slot = value;
    if (m_view)
        m_view->barsShown();
    barsChanged();
}

void SetupLogic::barsChanged() {
    const std::string composed = composeColour(m_bars);
    storeColour(editedKind(), composed);
    showColour(editedKind(), composed);
}

void SetupLogic::pickSwatch(int swatch) {
    if (swatch < 0 || swatch >= static_cast<int>(kSwatches.size()))
        return;
    const std::string decimal = colourText(kSwatches[static_cast<std::size_t>(swatch)]);
    const ColourKind kind = editedKind();
    // The bars first: their handler stores what they can show (a part of 0 shows as 16), and the
    // swatch's exact colour, stored last, is what stays in the file.
    showColour(kind, decimal);
    updateSliders();
    storeColour(kind, decimal);
    showColour(kind, decimal);
}

void SetupLogic::applyStyle(int style) {
    if (style < 0 || style >= static_cast<int>(kStyles.size()))
        return;
    const Style& chosen = kStyles[static_cast<std::size_t>(style)];
    for (const ColourKind kind : kColourKinds)
        storeColour(kind, std::string(chosen.colours[index(kind)]));
    if (m_state.mainView)
        m_state.mainView->applyMainColours();
}

void SetupLogic::storeColour(ColourKind kind, const std::string& decimal) {
    ini::SetValue("Colors", kColourKeys[index(kind)], decimal, m_state.editorIni());
}

void SetupLogic::showColour(ColourKind kind, const std::string& decimal) {
    if (m_colours[index(kind)] == decimal)
        return;
    m_colours[index(kind)] = decimal;
    if (m_view)
        m_view->colourShown(kind);
}

std::optional<std::string> SetupLogic::storable(const std::string& nativePath) {
    auto text = text::fromUtf8(nativePath);
    if (!text)
        m_state.prompter->message(unstorablePathMessage(nativePath), kAppTitle, PromptButtons::Ok,
                                  PromptIcon::Exclamation);
    return text;
}

bool SetupLogic::browseMatrixFolder() {
    const std::string chosen = BrowseForFolder(*m_state.prompter, kMatricesPrompt, text::toUtf8(m_matPath));
    const auto folder = storable(chosen);
    if (!folder)
        return false;
    const std::string before = m_matPath;
    if (!folder->empty())
        m_matPath = *folder;
    m_state.log.BugLog("SETUP: Matrices folder defined as " + *folder);
    if (m_state.txtLang.empty() && !m_matPath.empty()) {
        WriteDefaultMatrices(fileio::textToPath(m_matPath));
        m_state.log.BugLog("SETUP: Default Matrices created");
    }
    return m_matPath != before;
}

void SetupLogic::browseTesseraFolder() {
    const std::string chosen = BrowseForFolder(*m_state.prompter, kTesseraPrompt, text::toUtf8(m_tesseraPath));
    const auto folder = storable(chosen);
    if (folder && !folder->empty())
        m_tesseraPath = *folder;
}

void SetupLogic::browsePlayer() {
    // Programs here carry no extension, so the one filter lists every file.
    const std::vector<FileFilter> filters{{"Executable", "*"}};
    const std::string chosen = m_state.prompter->openFile(kPlayerTitle, filters, {});
    if (const auto file = storable(chosen))
        m_playerPath = *file;
}

void SetupLogic::setMatrixFolder(const std::string& folder) {
    m_state.txtPath = folder;
    if (m_state.mainView)
        m_state.mainView->refreshMatrixList();
}

bool SetupLogic::hasDescriptionIndex(const std::filesystem::path& folder) {
    return !folder.empty() && !fileio::readFile(folder / descriptions::kInfoFile).value_or("").empty();
}

void SetupLogic::initialiseLibrary(const std::filesystem::path& folder) {
    // A chosen folder that already holds a description index is a library already: its index,
    // shared with Tessera, and its matrices stay as they are.
    if (!hasDescriptionIndex(folder)) {
        fileio::writeFileAtomic(folder / descriptions::kInfoFile, defaultMatrixInfo());
        WriteDefaultMatrices(folder);
    }
}

void SetupLogic::apply() {
    const auto ini = m_state.editorIni();
    ini::SetValue("Config", "MatrixFolder", storedPath(m_matPath), ini);
    ini::SetValue("Config", "TesseraFolder", storedPath(m_tesseraPath), ini);
    ini::SetValue("Config", "Player", storedPath(m_playerPath), ini);
    setMatrixFolder(config("MatrixFolder"));

    if (m_state.txtCheckMatrixInfo.empty() && !m_matPath.empty()) {
        initialiseLibrary(fileio::textToPath(m_matPath));
        if (m_state.mainView)
            m_state.mainView->refreshMatrixList();
    }
    if (m_state.mainView)
        m_state.mainView->applyMainColours();
}

bool SetupLogic::cancel() {
    const auto ini = m_state.editorIni();
    for (const ColourKind kind : kColourKinds)
        storeColour(kind, m_loadColours[index(kind)]);
    ini::SetValue("Config", "TesseraFolder", storedPath(m_tesseraPath), ini);
    ini::SetValue("Config", "Player", storedPath(m_playerPath), ini);

    // The program's own Matrix folder stands in only while no folder with an index is in use
    // (at first start); a folder set up since then is kept.
    if (!m_state.txtCheckMatrixInfo.empty() || hasDescriptionIndex(m_state.matrixFolder()))
        return true;
    const auto folder = m_state.programFolder / "Matrix";
    const std::string folderText = fileio::pathToText(folder);
    if (folderText.empty()) {
        m_state.prompter->message(unstorablePathMessage(folder.string()), kAppTitle, PromptButtons::Ok,
                                  PromptIcon::Exclamation);
        return false;
    }
    if (!CreateFolderPath(*m_state.prompter, folder))
        return false;
    // A folder that already holds a library keeps its index and its matrices.
    if (!hasDescriptionIndex(folder))
        fileio::writeFileAtomic(folder / descriptions::kInfoFile, "");
    // A description file the user already has keeps its descriptions.
    if (!fileio::isRegularFile(folder / descriptions::kCustomFile))
        fileio::writeFileAtomic(folder / descriptions::kCustomFile, "");
    m_matPath = folderText;
    m_state.prompter->message(kMatrixFolderCreated, kAppTitle, PromptButtons::Ok, PromptIcon::None);
    initialiseLibrary(folder);
    ini::SetValue("Config", "MatrixFolder", storedPath(folderText), ini);
    setMatrixFolder(folderText);
    return true;
}

void SetupLogic::restoreDefaultMatrices() {
    if (m_matPath.empty())
        return;
    const auto folder = fileio::textToPath(m_matPath);
    descriptions::rebuild(folder, defaultMatrixInfo());
    WriteDefaultMatrices(folder);
    if (m_state.mainView)
        m_state.mainView->resetView();
}

} // namespace quire::setup
