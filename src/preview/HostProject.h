// The prepared Tessera project that a test encode works on: the record HostProject with the values of
// Tessera.ini, Tessera.inf and Tessera.ecl and those derived from them, the load that fills it, and the
// segment list built from the project folder's segment scripts.
#pragma once

#include "app/BugTrack.h"
#include "platform/Prompter.h"
#include "preview/HostNumbers.h"

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quire::preview {

// The preview window's eight encoder indicators, by index.
enum class EncoderKind { CceBasic = 0, Cce250 = 1, CceSp = 2, Cce270 = 3, QuEnc = 4, Hc = 5, ProCoder = 6, ReJig = 7 };

// Every value read from Tessera's files or derived from them, as the text the preview window's hidden
// fields hold, under the names of those fields.
struct HostProject {
    // Tessera.inf, section Status.
    std::string txtMode, txtCCE;
    // The first item section of Tessera.ecl.
    std::string txtProgressive, vbr_brate_max, opv_q_factor, EclBitrate, txtNumKeys;
    // Tessera.ini.
    std::string txtHCQuality, HC_VBR_Bias, OPVHC, OPVCCE, DCPREC, ProcoderPath;
    // Names of section 0 and of the first segment section of Tessera.inf.
    std::string txtFirstSection, txt1stSection;
    // The segment's keys: of the first segment at load, of the selected segment afterwards.
    std::string audioSectors, Frames, frameRate, videoSectors;
    std::string txtAspectRatio, txtPulldown, ILVU, ActionInf;
    // Derived at load.
    std::string hc_opv_q_factor, hc_opv_point, Bitrate, txtDif, Percent;
    // Derived when a segment is selected.
    std::string BitrateFinal, txtSegIndex, fileSize, frValue, Duration;
    // The segment details shown to the user.
    std::string txtVTS, txtVob, txtSegment, txtTotalSize, txtVideoSize, txtAudioSize, txtDuration, txtVBR, txtFrameRate;
    // The encoder: HC profile word, executable, control file, command line, QuEnc switches.
    std::string HCQuality, txtAspas = "\"", txtEncoder, txtPath2File, txtCmdLine;
    std::string QTrellis, QuEncodeType, QuEncHQ, QuEncScene;
};

// The choice of the " Video Format " options that a segment's aspect code makes.
enum class AspectChoice { Wide, Standard };

// What loading a project and selecting a segment do to the preview window.
class PreviewView {
public:
    virtual ~PreviewView() = default;
    // Turns the eight encoder indicators and their labels off (disabled, none selected).
    virtual void disableEncoderIndicators() = 0;
    // Selects and enables one indicator and its label.
    virtual void selectEncoder(EncoderKind kind) = 0;
    // Enables the "Cinema Craft Encoder" group label.
    virtual void enableCceGroupLabel() = 0;
    // Both instruction captions show the text.
    virtual void setActionCaptions(std::string_view text) = 0;
    // Writes and plays the idle script.
    virtual void playIdleScript() = 0;
    // Disables the four host-matrix slot choices and the button that writes matrices back to Tessera.
    virtual void disableApplyOptions() = 0;
    // Closes the preview window (a load that aborts).
    virtual void closeWindow() = 0;
    // The two filter boxes show these states.
    virtual void setFilterBoxes(bool movie, bool extras) = 0;
    // The visible segment list shows these lines.
    virtual void showSegmentList(const std::vector<std::string>& lines) = 0;
    // Selects and enables the option of the choice and its label, deselects and disables the other.
    virtual void showAspect(AspectChoice choice) = 0;
    // The embedded player: the file to play (a script), then start playing it.
    virtual void setPlayerFile(const std::filesystem::path& file) = 0;
    virtual void play() = 0;
    // Enables the play and pause buttons.
    virtual void enablePlayPause() = 0;
    // The progress bar advances by one step.
    virtual void advanceProgress() = 0;
    // The list of encoded files is read again from the preview folder.
    virtual void refreshEncodedFiles() = 0;
    // Disables the list of encoded files (no player to open them with).
    virtual void disableEncodedFiles() = 0;
};

// Deen's parameters, the filter choice and the script text of the " Filters " panels, with the enabled
// state that the filter choice gives their buttons.
struct FilterPanel {
    // chkFilter index 0 and 1, and the "Advanced" option.
    bool undot = false;
    bool deen = false;
    bool advanced = false;
    // cmbDMethod, cmbDMode, cmbRad, thrY, thrUV, tthY, tthUV, min as the user typed them.
    std::string method = " c", mode = "3d", radius = "1", thrY = "10", thrUV = "12", tthY = "0", tthUV = "0",
                min = "1.00";
    std::string DeenData = "Deen()";
    // The filter text (txtScript), and "1" while it is applied, "0" after an edit.
    std::string txtScript;
    std::string Filters = "1";
    // cmdApplyAVS, cmdApplyFilters, cmdClearFilters, the "Advanced" option, and whether frmDeen shows.
    bool applyAvsEnabled = false;
    bool applyFiltersEnabled = false;
    bool clearFiltersEnabled = false;
    bool advancedEnabled = true;
    bool deenPanelVisible = false;
};

// The preview window's state that the project routines read and write.
struct PreviewState {
    HostProject project;
    // The selected encoder indicator; none until the detection selects one.
    std::optional<EncoderKind> encoder;
    // The filter boxes "Movie" (index 0) and "Extras" (index 1).
    bool movie = true;
    bool extras = true;
    // The hidden file list of segment scripts: its pattern and the names it shows.
    std::string segmentPattern = "*.avs";
    std::vector<std::string> segmentFiles;
    // The visible segment list.
    std::vector<std::string> segmentList;
    // The hidden file list that finds ANALYSIS.ECL: its folder and pattern.
    std::filesystem::path analysisFolder;
    std::string analysisPattern = "*.*";
    // The chosen matrix and filter set, as the output file name carries them.
    std::string matrixName = "No_Matrix";
    std::string FilterName = "No_Filter";

    // The selected segment list entry (a script name ending in ".avs"); empty when none.
    std::string segment;
    // The " Video Format " option chosen: 0 "16:9", 1 "4:3", 2 "2.21:1"; none at first.
    std::optional<int> videoFormat;
    // The source text of the current preview script, which the encode script is built from.
    std::string txtAvsOr;
    // The window background colour (decimal 0x00BBGGRR text), which gives the notice captions theirs.
    std::string backColor = "16737808";

    // The matrix folder of Editor.ini, the matrix file chosen in it, the "No Matrix" option, and the
    // matrix file the control files were last prepared for.
    std::filesystem::path matrixFolder;
    std::string matrixFile;
    bool noMatrix = false;
    std::string txtTempMat;
    // "1" once the user declared the CCE SP Works edition.
    std::string CCEWorks;
    // The segment's item section (header first) and its file section, copied from Tessera.ecl.
    std::vector<std::string> lstECL, lstECL2;
    // The window style of the next outside run: "1" normal, "2" minimised, anything else runs nothing.
    std::string txtShellMode;
    // The media player of Editor.ini and the active language file (for the missing-player message).
    std::string txtPlayer;
    std::string txtLang = "English.lng";

    FilterPanel filters;
    // The selected "Apply the selected matrix to:" option, 0 to 3; none at first.
    std::optional<int> optApply;
};

// Where the project lives and whom the routines tell.
struct PreviewContext {
    std::filesystem::path programFolder;
    // Tessera's program folder, which holds Tessera.ini.
    std::filesystem::path tesseraFolder;
    // The project folder (Tessera's work folder + "D2VAVS"), which holds Tessera.inf and Tessera.ecl.
    std::filesystem::path workFolder;
    Prompter& prompter;
    const BugTrack& log;
    PreviewView& view;
    // The separators of numbers shown to the user.
    NumberSeparators separators = separatorsOf();

    std::filesystem::path tesseraIni() const { return tesseraFolder / "Tessera.ini"; }
    std::filesystem::path infFile() const { return workFolder / "Tessera.inf"; }
    std::filesystem::path eclFile() const { return workFolder / "Tessera.ecl"; }
};

inline constexpr std::string_view kSelectSegmentCaption = "Select the segment you want to test from the Segments List.";
inline constexpr std::string_view kPrepareLine = "Please run Tessera's Prepare phase before running this feature.";
inline constexpr std::string_view kReJigMessage =
    "This Feature doesn't support ReJig Encoder mode yet... please run Tessera's prepare phase, using other "
    "encoder, again!";

// The project folder that Tessera.ini names: its Paths/Working read as Wine does, followed by "D2VAVS".
std::filesystem::path projectFolder(const std::filesystem::path& tesseraFolder);

// Fills the record from the three host files, detects the encoder, builds its command line and the
// segment list, logging each step. False after an abort, which has told the user and closed the window.
bool LoadPreview(PreviewContext& context, PreviewState& state);

// Applies the filter boxes to the segment scripts of the project folder and builds the segment list.
void RefreshSegmentList(PreviewContext& context, PreviewState& state);
// Fills the visible segment list from the hidden file list.
void BuildSegmentList(PreviewContext& context, PreviewState& state);

// The names in the folder that match the pattern ("*" and "?", without regard to case), sorted as
// Windows lists them; hidden files (a leading ".") and folders are left out.
std::vector<std::string> listMatching(const std::filesystem::path& folder, std::string_view pattern);

} // namespace quire::preview
