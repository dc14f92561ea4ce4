// The Setup window's workings without the window: the three paths, the four interface colours
// (swatches, red/green/blue bars, styles) written to Editor.ini the moment they change, Apply and
// Cancel, the setting-up of a new matrix folder and the restore of the default matrices.
#pragma once

#include "app/Colours.h"
#include "app/SharedState.h"

#include <array>
#include <optional>
#include <string>
#include <string_view>

namespace quire::setup {

// The colour being edited; the values index the arrays below.
enum class ColourKind { Back = 0, Text = 1, Stripes = 2, Buttons = 3 };
inline constexpr std::array<ColourKind, 4> kColourKinds = {ColourKind::Back, ColourKind::Text, ColourKind::Stripes,
                                                           ColourKind::Buttons};
// txtComColor's value for each kind, and the key of section Colors that holds it.
inline constexpr std::array<std::string_view, 4> kComColorNames = {"Back", "Text", "Stripes", "Buttons"};
inline constexpr std::array<std::string_view, 4> kColourKeys = {"BackColor", "TextColor", "StripesColor",
                                                                "ButtonsColor"};

// The twenty preset swatches Label1 to Label20, in order.
inline constexpr std::array<Rgb, 20> kSwatches = {{
    {224, 224, 224}, {192, 192, 192}, {128, 128, 128}, {64, 64, 64},    {16, 16, 16},
    {255, 192, 192}, {255, 224, 192}, {255, 255, 192}, {192, 255, 192}, {192, 255, 255},
    {192, 192, 255}, {255, 192, 255}, {128, 16, 16},   {128, 64, 16},   {128, 128, 16},
    {16, 128, 16},   {0, 128, 128},   {16, 192, 192},  {16, 192, 16},   {192, 16, 16},
}};

// A style button: its name, the language key of its caption (empty: none), its built-in caption,
// and the four colours it stores.
struct Style {
    std::string_view button;
    std::string_view captionKey;
    std::string_view builtinCaption;
    std::array<std::string_view, 4> colours; // back, text, stripes, buttons
};
inline constexpr std::array<Style, 4> kStyles = {{
    {"cmdRedStyle", "RedStyle", "Red Style", {"1052864", "16777215", "1052800", "1052779"}},
    {"cmdBlackStyle", "BlackStyle", "Silver Style", {"14801631", "5393491", "11709361", "4210752"}},
    {"cmdBlueStyle", "BlueStyle", "Green Style", {"6000510", "16777215", "3895910", "1061419"}},
    {"cmdDefault", "", "Default", {"16737808", "16777215", "14306832", "4210752"}},
}};

// The bars' range.
inline constexpr int kBarMin = 16;
inline constexpr int kBarMax = 255;

inline constexpr std::string_view kMatricesPrompt = "Select the Matrices Folder";
inline constexpr std::string_view kTesseraPrompt = "Select the Tessera.exe Folder";
inline constexpr std::string_view kPlayerTitle = "  Media Player Selection";
// The message shown after Cancel has made the Matrix folder in the program folder (CR LF joined).
inline constexpr std::string_view kMatrixFolderCreated =
    "Matrix Editor has created a Matrix folder on its directory!!!\r\n"
    "Note that you should point the path to Tessera's Matrix folder\r\n"
    "to enable the automatic detection (by Tessera) of the matrices you may\r\n"
    "create and/or edit with the Editor";

// The colour's hexadecimal text as the window shows it: six upper-case digits, blue, green, red
// from left to right (the stored 0x00BBGGRR value padded with leading zeros, so that the parts
// always stand at the same places). "000000" for a text that is not a colour.
std::string hexText(std::string_view decimal);

// The red, green and blue parts of a hexadecimal colour text as decimal text, indexed as the
// hidden fields are: [2] red (characters 5 and 6), [1] green (3 and 4), [0] blue (1 and 2).
// A pair that is missing or not hexadecimal gives "0".
using Parts = std::array<std::string, 3>;
Parts splitHex(std::string_view hex);
// The zero check: a part of "0" becomes "16", the bars' lower limit; other parts stay.
void raiseZeroParts(Parts& parts);

// The stored decimal text of the colour composed from the bars (bar 0 red, 1 green, 2 blue).
std::string composeColour(const std::array<int, 3>& bars);

// The message shown when a chosen path holds characters that Editor.ini (Windows-1252) cannot.
std::string unstorablePathMessage(std::string_view nativePath);

// What the window shows of the state below; each call says what changed.
class SetupView {
public:
    virtual ~SetupView() = default;
    // The colour of this kind changed on the Setup window (paint it; its hexadecimal field too).
    virtual void colourShown(ColourKind kind) = 0;
    // The bars changed (move the scroll bars; lblCustomColor shows customColour()).
    virtual void barsShown() = 0;
};

class SetupLogic {
public:
    // The view may be null (nothing is shown).
    explicit SetupLogic(SharedState& state, SetupView* view = nullptr);

    // The load: separator, Config read (SET001), colours read and kept for Cancel (SET002), their
    // hexadecimal texts (SET003), Matrix_Info_Custom.ini read (SET004, skipped when it cannot be
    // read), the bars set to the edited colour ("SETUP: Sliders Updated with color data").
    void load();

    // The start-up readying for a missing matrix folder: the shown matrices path is emptied.
    void clearMatrixPath() { m_matPath.clear(); }

    // The option buttons: the edited colour becomes kind and the bars are updated.
    void chooseColour(ColourKind kind);
    // Splits the four shown colours into the twelve part fields (SLI001-SLI008) and sets the
    // bars to the parts of the edited colour, held to 16-255 (then one of SLI009-SLI012). When
    // that moves a bar, the bar handler runs once, after all three are set.
    void updateSliders();
    // A change of bar index (0 red, 1 green, 2 blue) to value, by the user or by the program. The
    // value is held to 16-255; a bar that does not change runs nothing, as a scroll bar raises no
    // change then. Otherwise the colour composed from the bars is stored under the edited colour's
    // key and shown.
    void setBar(int index, int value);
    // Swatch 0-19 (Label1-Label20): the bars show its colour, then its exact colour is stored under
    // the edited colour's key and shown. An index out of range does nothing.
    void pickSwatch(int index);
    // Style 0-3 of kStyles: its four colours stored, the main window repainted. The Setup window
    // keeps its colours.
    void applyStyle(int index);

    // The three path buttons. A chosen path that Windows-1252 cannot hold is refused with a
    // message and changes nothing. browseMatrixFolder returns true when the shown path changed.
    bool browseMatrixFolder();
    void browseTesseraFolder();
    void browsePlayer();

    // Apply: the three paths stored, the main window's folder updated and, when it found no
    // description index at start, the built-in descriptions and the default set written to the shown
    // folder if it has no index (as often as a new folder is chosen); the main window repainted.
    void apply();
    // Cancel: the load-time colours and the host and player paths stored; when the main window
    // found no description index at start and the folder in use still has none, the Matrix folder
    // of the program folder is set up and made the matrix folder. False when that folder could
    // not be made (nothing more is written).
    bool cancel();
    // The default descriptions rebuilt before the user's, the default set written into the shown
    // matrices folder, the main window's view reset. Nothing happens without a shown folder.
    void restoreDefaultMatrices();

    // The window's fields (Windows-1252 text).
    const std::string& lblMatPath() const { return m_matPath; }
    const std::string& lblTesseraPath() const { return m_tesseraPath; }
    const std::string& lblPlayerPath() const { return m_playerPath; }
    const std::string& language() const { return m_language; }
    const std::string& txtComColor() const { return m_comColor; }
    const std::string& txtCustomInfo() const { return m_customInfo; }
    // The colour the Setup window shows (decimal) and its hexadecimal text (Text2-Text5).
    const std::string& colour(ColourKind kind) const { return m_colours[index(kind)]; }
    std::string hex(ColourKind kind) const { return hexText(colour(kind)); }
    // The colour as read at load (txtBackINI, txtTextINI, txtStripesINI, txtButtonsINI).
    const std::string& loadColour(ColourKind kind) const { return m_loadColours[index(kind)]; }
    // txtCustom<Kind><part>: part 2 red, 1 green, 0 blue.
    const std::string& customPart(ColourKind kind, int part) const;
    const std::array<int, 3>& bars() const { return m_bars; }
    Rgb customColour() const { return {m_bars[0], m_bars[1], m_bars[2]}; }

private:
    // Writes the built-in index and the default set into a folder that has no index yet.
    void initialiseLibrary(const std::filesystem::path& folder);
    static bool hasDescriptionIndex(const std::filesystem::path& folder);

    static std::size_t index(ColourKind kind) { return static_cast<std::size_t>(kind); }
    ColourKind editedKind() const;
    std::string config(std::string_view key) const;
    void storeColour(ColourKind kind, const std::string& decimal);
    void showColour(ColourKind kind, const std::string& decimal);
    // The chosen native path as Windows-1252 text; empty optional after the refusal message.
    std::optional<std::string> storable(const std::string& nativePath);
    void setMatrixFolder(const std::string& folder);
    // The bar handler: the colour composed from the bars stored under the edited colour and shown.
    void barsChanged();

    SharedState& m_state;
    SetupView* m_view;
    std::string m_matPath;
    std::string m_tesseraPath;
    std::string m_playerPath;
    std::string m_language;
    std::string m_comColor{kComColorNames[0]};
    std::string m_customInfo;
    std::array<std::string, 4> m_colours;
    std::array<std::string, 4> m_loadColours;
    std::array<Parts, 4> m_parts;
    std::array<int, 3> m_bars{kBarMin, kBarMin, kBarMin};
};

} // namespace quire::setup
