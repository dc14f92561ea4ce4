// The Preview/Test window driven through its states on the prepared project of tests/data/preview:
// open, segment, matrix, Prepare, Encode (through a recording runner), the player buttons, the encoded
// file's player command line, and Exit's question. The embedded player runs the real renderer, linked
// into the program folder as the build lays it out beside the program.
#include "GuiSupport.h"

#include "app/IniManager.h"
#include "app/Main.h"
#include "extract/MatExt.h"
#include "extract/MatExtLogic.h"
#include "preview/ABView.h"
#include "preview/PlayerView.h"
#include "preview/PreviewWindow.h"
#include "support/RecordingRunner.h"

#include <QCheckBox>
#include <QComboBox>
#include <QProgressBar>
#include <QRadioButton>
#include <QSlider>

#include <cerrno>
#include <csignal>
#include <cstdlib>

using namespace quire;
using namespace quire::test;
namespace fs = std::filesystem;

namespace {

constexpr const char* kMatrix = "1-high_high(4000+).mtx";
constexpr const char* kSegment = "V010001_V001001.avs";
// Its ILVU is "1" and its action code "1".
constexpr const char* kBlockedSegment = "V010002_V001002.avs";

// The 16 rows of a matrix file: the value 16 to 143, eight to a row.
std::string matrixText() {
    std::string text;
    for (int row = 0; row < 16; ++row) {
        for (int column = 0; column < 8; ++column)
            text += std::to_string(16 + row * 8 + column) + (column < 7 ? " " : "\r\n");
    }
    return text;
}

// A program folder whose Editor.ini names the copied Tessera project and a player.
struct Project : Program {
    explicit Project(std::string tessera = "<copy>", std::string player = "/usr/bin/player") {
        fs::copy(fs::path(QUIRE_TEST_DATA) / "preview" / "Tessera", folder / "Tessera", fs::copy_options::recursive);
        // The control list of a whole prepared project, which Prepare copies from.
        fs::copy_file(fs::path(QUIRE_TEST_DATA) / "preview" / "encode" / "Tessera.ecl",
                      folder / "Tessera" / "Work" / "D2VAVS" / "Tessera.ecl", fs::copy_options::overwrite_existing);
        if (tessera == "<copy>")
            tessera = (folder / "Tessera").string();
        writeEditorIni("Player=" + player + "\r\nTesseraFolder=" + tessera + "\r\n");
        folder.write(std::string("Lib/") + kMatrix, matrixText());
        fs::create_symlink(fs::path(QUIRE_BIN) / "quire-avs", folder / "quire-avs");
    }
    fs::path inf() const { return folder / "Tessera" / "Work" / "D2VAVS" / "Tessera.inf"; }
    fs::path procoderIni() const { return folder / "Tessera" / "eclpro.INI"; }
    std::string log() const { return readBytes(state.log.file()); }

    RecordingRunner runner;
};

void checkWindowEnabled(const Preview& window, std::initializer_list<const char*> on,
                        std::initializer_list<const char*> off) {
    checkEnabled(&window, on, true);
    checkEnabled(&window, off, false);
}

bool checked(const Preview& window, const char* option) {
    return child<QAbstractButton>(&window, option)->isChecked();
}

PlayerView* playerOf(const Preview& window) {
    return child<PlayerView>(&window, "MediaPlayer1");
}

// A black 720x576 clip of 25 frames a second, long enough to outlast any test.
constexpr const char* kLongClip = "BlankClip(length=2500, width=720, height=576, fps=25)\r\n";

// True once no process of the child's group is left, not even a zombie.
bool groupGone(long pid) {
    return ::kill(-pid_t(pid), 0) != 0 && errno == ESRCH;
}

} // namespace

class PreviewTest : public QObject {
    Q_OBJECT
private slots:
    void opensWithEveryControlAndLoadsTheProject();
    void withoutTesseraFolderSendsTheUserToSetup();
    void workFolderWithoutScriptsSaysSoAndStaysOpen();
    void segmentMatrixPrepareEncodeWalkTheStates();
    void blockedSegmentTakesNoMatrixAndNoEncode();
    void quencWritesTempCqmAndSkipsPrepare();
    void procoderForcesNoMatrixAndMinimizesAroundTheRun();
    void playPauseContinueDriveThePlayer();
    void doubleClickRunsThePlayerWithTheEncodedFile();
    void abViewShowsTheSameFrameOfTwoSelectedFiles();
    void exitCancelKeepsFilesAndOkDeletesThem();
    void filterPanelsWriteTheEncodeScriptAndTesseraKeys();
    void lowBitrateOptionWritesLowMatrixOnly();
    void actionCodeTwoBlocksPrepareAndEncode();
    void resetAllReturnsToTheOpenedState();
    void browseLoadsAnotherWorkFolder();
    void mainWindowButtonUnloadsExtractionAndOpensTheWindow();
};

void PreviewTest::opensWithEveryControlAndLoadsTheProject() {
    Project project;
    Preview window(project.state, project.runner);
    QVERIFY(window.loaded());
    QCOMPARE(window.windowTitle(), QStringLiteral("  Quire -  Preview/Test Window"));
    QCOMPARE(window.size(), QSize(11940 / 15, 9230 / 15));
    checkTexts(&window, {"btnPrepare",      "&Prepare",
                         "btnEncode",       "&Encode",
                         "cmdPlay",         "Pl&ay",
                         "cmdPause",        "Pa&use",
                         "cmdContinue",     "&Continue",
                         "cmdReset",        "&Reset All",
                         "cmdClear",        "C&lear",
                         "cmdExit",         "E&xit",
                         "btnWorks",        "CCE &Works",
                         "cmdBrowse",       "...",
                         "btnApply",        "&Update DVD Tessera",
                         "Option3",         "No Matrix",
                         "chkSegList_0",    "Movie",
                         "chkSegList_1",    "Extras",
                         "Option1_0",       "16:9",
                         "Option1_1",       "4:3",
                         "Option1_2",       "2.21:1",
                         "optMode_0",       "Matrix",
                         "optMode_1",       "Filters",
                         "frmMatrices",     " Custom Matrices List ",
                         "frmEncoders",     " Encoders ",
                         "frmFormat",       " Video Format ",
                         "frmInfo",         " Segment Info ",
                         "frmInstructions", " Instructions ",
                         "frmEncoded",      " Encoded Segments (Double Click to View) ",
                         "lblSegments",     "Movie's Segments List:",
                         "lblWP",           "Working Path:",
                         "optApply_1",      "Low Bitrate (<3Mbs)"});
    for (const char* name : {"lstSegment2", "lstMatrix", "lstM2V", "MediaPlayer1", "ProgressBar1", "txtMatDes",
                             "lblAction1", "lblAction2", "lblWPath", "txtVTS", "txtFrameRate"})
        child(&window, name);
    QCOMPARE(itemsOf(&window, "lstSegment2"),
             QStringList({"V010001_V001001.avs", "V010002_V001002.avs", "v020001_V002001.AVS"}));
    QCOMPARE(itemsOf(&window, "lstMatrix"), QStringList({kMatrix}));
    // CCE SP, as Tessera.inf says; the instructions ask for a segment.
    QVERIFY(checked(window, "Option2_2"));
    QCOMPARE(textOf(&window, "lblAction1"),
             QStringLiteral("Select the segment you want to test from the Segments List."));
    QCOMPARE(textOf(&window, "lblAction2"), textOf(&window, "lblAction1"));
    QCOMPARE(textOf(&window, "lblWPath"), QString::fromStdString((project.folder / "Tessera/Work/D2VAVS/").string()));
    QCOMPARE(child<QProgressBar>(&window, "ProgressBar1")->maximum(), std::stoi(window.fields.project.txtNumKeys));
    checkWindowEnabled(window, {"cmdReset", "cmdBrowse"},
                       {"btnPrepare", "btnEncode", "cmdClear", "btnApply", "cmdExit", "cmdPlay", "cmdPause"});
    // The idle picture plays (held back while the window is not shown); the Preview folder exists.
    const PlayerView* player = playerOf(window);
    QCOMPARE(player->file(), project.folder / "Preview" / "editor.avs");
    QCOMPARE(player->message(), QString());
    QCOMPARE(player->state(), PlayerView::State::Playing);
    const std::string log = project.log();
    QVERIFY(log.find(std::string(86, '-') + "\r\n\r\n") != std::string::npos);
    for (const char* line : {"PREVIEW: Form Dimensioning - Success!", "PREVIEW: Colors read with success",
                             "Player Defined", "PREVIEW: Tessera Folder read", "PREVIEW: 'Preview' folder created",
                             "PREVIEW: Matrices path read OK", "PREVIEW: M2V Folder definition OK",
                             "PREVIEW: All DATA collected with success.", "PREVIEW: Progress bar values reset"})
        QVERIFY2(log.find(line) != std::string::npos, line);
}

void PreviewTest::withoutTesseraFolderSendsTheUserToSetup() {
    Project project("");
    project.prompter.expect("The path to DVD Tessera's folder isn't defined!!! Please, point it on Setup dialog.");
    Preview window(project.state, project.runner);
    QVERIFY(!window.loaded());
    QVERIFY(project.log().find("WARNING: Tessera Folder NOT VALID!!!") != std::string::npos);
    QVERIFY(project.log().find("PREVIEW: Setup Launched") != std::string::npos);
}

void PreviewTest::workFolderWithoutScriptsSaysSoAndStaysOpen() {
    Project project("<copy>", "");
    for (const char* name : {"V010001_V001001.avs", "V010002_V001002.avs", "v020001_V002001.AVS"})
        fs::remove(project.folder / "Tessera/Work/D2VAVS" / name);
    project.prompter.expect("No '.avs' Files found on Work Folder!\r\nPlease, run PREPARE phase on Tessera before "
                            "using this feature.");
    Preview window(project.state, project.runner);
    QVERIFY(window.loaded());
    QVERIFY(project.log().find("WARNING: No '.avs' Files found on Work Folder!") != std::string::npos);
    // No player: the encoded files cannot be opened.
    QVERIFY(project.log().find("WARNING: No Player defined!!!") != std::string::npos);
    checkWindowEnabled(window, {"cmdBrowse", "cmdReset"}, {"lstM2V", "btnPrepare", "btnEncode"});
}

void PreviewTest::segmentMatrixPrepareEncodeWalkTheStates() {
    Project project;
    Preview window(project.state, project.runner);
    QVERIFY(showActive(window));
    clickItem(&window, "lstSegment2", kSegment);
    QCOMPARE(window.fields.segment, std::string(kSegment));
    QCOMPARE(textOf(&window, "txtVTS"), QStringLiteral("VTS_01"));
    QVERIFY(fs::exists(project.folder / "Preview" / "preview.avs"));
    // Its source is not in the test's project: the player says so in words and the window goes on.
    QCOMPARE(playerOf(window)->file(), project.folder / "Preview" / "preview.avs");
    QVERIFY2(playerOf(window)->message().contains("preview.avs"), qPrintable(playerOf(window)->message()));
    checkWindowEnabled(window, {"lstMatrix", "optMode_1"}, {"btnPrepare", "btnEncode", "optApply_0", "btnApply"});

    clickItem(&window, "lstMatrix", kMatrix);
    QCOMPARE(textOf(&window, "txtMatDes"), QStringLiteral("High More"));
    QCOMPARE(window.fields.matrixName, std::string("1-high_high(4000+)"));
    checkWindowEnabled(window, {"btnPrepare", "cmdClear", "optApply_0", "optApply_3"}, {"btnEncode"});

    click(&window, "btnPrepare");
    QCOMPARE(window.Prepare, std::string("1"));
    QCOMPARE(window.fields.txtTempMat, std::string(kMatrix));
    QCOMPARE(window.fields.lstECL.front(), std::string("[item]"));
    QVERIFY(textOf(&window, "lblAction1").startsWith("Files Ready!"));
    checkWindowEnabled(window, {"btnEncode", "cmdPlay", "cmdExit", "cmdReset", "cmdClear"}, {"btnPrepare"});

    // The same matrix again: already prepared, so Encode at once.
    clickItem(&window, "lstMatrix", kMatrix);
    checkWindowEnabled(window, {"btnEncode", "btnPrepare"}, {});

    // The encoder writes its file; the list shows it afterwards.
    const fs::path m2v = project.folder / "Preview" / "V010001_V001001_1-high_high(4000+)_No_Filter.m2v";
    bool lockedWhileRunning = false;
    project.runner.answer([&](const std::vector<std::string>&) {
        lockedWhileRunning = !child(&window, "cmdExit")->isEnabled() && !child(&window, "lstSegment2")->isEnabled() &&
                             !child(&window, "frmFilters")->isEnabled() && !child(&window, "Frame13")->isEnabled();
        writeBytes(m2v, "video");
        return RunResult::ran(0);
    });
    project.prompter.expect("Encoding process Completed!");
    click(&window, "btnEncode");
    QVERIFY(lockedWhileRunning);
    QCOMPARE(project.runner.styles().size(), std::size_t(1));
    QCOMPARE(project.runner.styles().front(), WindowStyle::Minimised);
    QCOMPARE(window.fields.txtShellMode, std::string("5"));
    QCOMPARE(itemsOf(&window, "lstM2V"), QStringList({QString::fromStdString(m2v.filename().string())}));
    checkWindowEnabled(window, {"btnEncode", "btnPrepare", "cmdExit", "lstSegment2", "lstM2V"}, {"cmdPause"});
}

void PreviewTest::blockedSegmentTakesNoMatrixAndNoEncode() {
    Project project;
    Preview window(project.state, project.runner);
    QVERIFY(showActive(window));
    clickItem(&window, "lstSegment2", kBlockedSegment);
    checkWindowEnabled(window, {}, {"lstMatrix", "btnPrepare", "btnEncode"});
}

void PreviewTest::quencWritesTempCqmAndSkipsPrepare() {
    Project project;
    ini::SetValue("Status", "mode", "2", project.inf());
    Preview window(project.state, project.runner);
    QVERIFY(showActive(window));
    QVERIFY(checked(window, "Option2_4"));
    clickItem(&window, "lstSegment2", kSegment);
    checkWindowEnabled(window, {"btnEncode"}, {"btnPrepare"});
    clickItem(&window, "lstMatrix", kMatrix);
    const std::string cqm = readBytes(project.folder / "Preview" / "temp.cqm");
    QCOMPARE(cqm.size(), std::size_t(128));
    QCOMPARE(int(static_cast<unsigned char>(cqm[0])), 16);
    QCOMPARE(int(static_cast<unsigned char>(cqm[127])), 143);
    QCOMPARE(textOf(&window, "lblAction1"),
             QStringLiteral("Press the 'Encode' button to Encode the selected segment."));
    checkWindowEnabled(window, {"btnEncode"}, {"btnPrepare"});
}

void PreviewTest::procoderForcesNoMatrixAndMinimizesAroundTheRun() {
    Project project;
    ini::SetValue("Status", "mode", "3", project.inf());
    ini::SetValue("Paths", "ProCoder", (project.folder / "Tessera" / "eclpro.exe").string(),
                  project.folder / "Tessera" / "Tessera.ini");
    project.prompter.expect("Canopus ProCoder doesn't support custom matrices!!!");
    Preview window(project.state, project.runner);
    QVERIFY(showActive(window));
    QVERIFY(checked(window, "Option2_6"));
    clickItem(&window, "lstSegment2", kSegment);
    QVERIFY(checked(window, "Option3"));
    checkWindowEnabled(window, {"btnPrepare"}, {"lstMatrix"});
    click(&window, "btnPrepare");
    std::string minimizeDuringRun;
    project.runner.answer([&](const std::vector<std::string>&) {
        minimizeDuringRun = ini::GetValue("Options", "Minimize", project.procoderIni());
        return RunResult::ran(0);
    });
    project.prompter.expect("Encoding process Completed!");
    click(&window, "btnEncode");
    QCOMPARE(minimizeDuringRun, std::string("0"));
    QCOMPARE(ini::GetValue("Options", "Minimize", project.procoderIni()), std::string("1"));
    QCOMPARE(project.runner.styles().front(), WindowStyle::Normal);
    // ProCoder keeps the matrix list locked in the idle state too.
    checkWindowEnabled(window, {"btnPrepare"}, {"lstMatrix"});
}

void PreviewTest::playPauseContinueDriveThePlayer() {
    Project project;
    project.folder.write(std::string("Tessera/Work/D2VAVS/") + kSegment, kLongClip);
    Preview window(project.state, project.runner);
    QVERIFY(showActive(window));
    clickItem(&window, "lstSegment2", kSegment);
    PlayerView* player = playerOf(window);
    QCOMPARE(player->file(), project.folder / "Preview" / "preview.avs");
    QSignalSpy shown(player, &PlayerView::frameShown);
    click(&window, "cmdPlay");
    // Frames of the preview script come from quire-avs, resized as the script says, at the clip's rate.
    QVERIFY(shown.wait(10000));
    QCOMPARE(player->state(), PlayerView::State::Playing);
    QCOMPARE(player->currentFrame().size(), QSize(480, 273));
    QCOMPARE(player->frameRate(), 25.0);
    click(&window, "cmdPause");
    QCOMPARE(player->state(), PlayerView::State::Paused);
    QVERIFY(child(&window, "cmdContinue")->isVisible());
    QVERIFY(!child(&window, "cmdPause")->isVisible());
    const int pausedAt = player->framesShown();
    QTest::qWait(200);
    QCOMPARE(player->framesShown(), pausedAt);
    click(&window, "cmdContinue");
    QCOMPARE(player->state(), PlayerView::State::Playing);
    QVERIFY(!child(&window, "cmdContinue")->isVisible());
    QVERIFY(child(&window, "cmdPause")->isVisible());
    QTRY_VERIFY_WITH_TIMEOUT(player->framesShown() > pausedAt, 5000);

    // Reset All shows the idle picture; Play again, then closing the window leaves no child behind.
    click(&window, "cmdReset");
    QCOMPARE(player->file(), project.folder / "Preview" / "editor.avs");
    click(&window, "cmdPlay");
    QCOMPARE(player->state(), PlayerView::State::Playing);
    const long pid = player->childPid();
    QVERIFY(pid > 0);
    window.close();
    QCOMPARE(player->state(), PlayerView::State::Stopped);
    QTRY_VERIFY_WITH_TIMEOUT(groupGone(pid), 5000);
}

void PreviewTest::doubleClickRunsThePlayerWithTheEncodedFile() {
    Project project;
    project.folder.write("Preview/a b.m2v", "video");
    Preview window(project.state, project.runner);
    QVERIFY(showActive(window));
    project.runner.answer(RunResult::ran(0));
    // Something long is playing when the encoded file is opened in the outside player.
    project.folder.write("long.avs", kLongClip);
    PlayerView* player = playerOf(window);
    player->setFile(project.folder / "long.avs");
    player->play();
    QTRY_VERIFY_WITH_TIMEOUT(player->framesShown() > 0, 10000);
    const long pid = player->childPid();
    auto* list = child<QListWidget>(&window, "lstM2V");
    QCOMPARE(list->count(), 1);
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(list->item(0)).center());
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(list->item(0)).center());
    QCOMPARE(
        project.runner.commandLines(),
        std::vector<std::string>({"\"/usr/bin/player\" \"" + project.folder.path().string() + "/preview/a b.m2v\""}));
    QCOMPARE(project.runner.styles().front(), WindowStyle::Normal);
    QCOMPARE(player->state(), PlayerView::State::Stopped);
    QVERIFY(player->currentFrame().isNull());
    QTRY_VERIFY_WITH_TIMEOUT(groupGone(pid), 5000);
}

// Two encodes of one moving clip, one at a far lower quality: picked together they open the A/B view,
// whose slider and view choice change what it shows.
void PreviewTest::abViewShowsTheSameFrameOfTwoSelectedFiles() {
    Project project;
    fs::create_directories(project.folder / "Preview");
    for (const auto& [file, quality] : {std::pair{"a.m2v", "2"}, std::pair{"b.m2v", "31"}}) {
        const std::string command = "ffmpeg -loglevel error -y -f lavfi -i testsrc2=size=176x144:rate=25 -frames:v 25 "
                                    "-aspect 4:3 -c:v mpeg2video -q:v " +
                                    std::string(quality) + " '" + (project.folder / "Preview" / file).string() + "'";
        QCOMPARE(std::system(command.c_str()), 0);
    }
    Preview window(project.state, project.runner);
    QVERIFY(showActive(window));
    auto* list = child<QListWidget>(&window, "lstM2V");
    QCOMPARE(itemsOf(&window, "lstM2V"), QStringList({"a.m2v", "b.m2v"}));
    checkWindowEnabled(window, {}, {"cmdAB"});
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(list->item(1)).center());
    checkWindowEnabled(window, {}, {"cmdAB"});
    QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::ControlModifier,
                      list->visualItemRect(list->item(0)).center());
    checkWindowEnabled(window, {"cmdAB"}, {});
    click(&window, "cmdAB");

    auto* view = child<ABView>(&window, "frmAB");
    QVERIFY(view && QTest::qWaitForWindowActive(view));
    QCOMPARE(textOf(view, "lblA"), QStringLiteral("A: a.m2v"));
    QCOMPARE(textOf(view, "lblB"), QStringLiteral("B: b.m2v"));
    QTRY_COMPARE_WITH_TIMEOUT(view->shownFrame(), 0, 10000);
    QCOMPARE(textOf(view, "lblFrame"), QStringLiteral("Frame 1 of 25"));
    const auto shown = [view](const char* label) { return child<QLabel>(view, label)->pixmap().toImage(); };
    const QImage first = shown("picA");
    // 176x144 shown at the files' display aspect 4:3, not at its pixels' 11:9: the whole 480x360.
    QCOMPARE(first.size(), QSize(480, 360));
    QVERIFY(first != shown("picB"));

    QTest::keyClick(child(view, "sldFrame"), Qt::Key_End);
    QCOMPARE(textOf(view, "lblFrame"), QStringLiteral("Frame 25 of 25"));
    QTRY_COMPARE_WITH_TIMEOUT(view->shownFrame(), 24, 10000);
    QVERIFY(shown("picA") != first);
    QVERIFY(textOf(view, "lblPSNR").startsWith("PSNR of the pair: "));

    QTest::mouseClick(child(view, "optView_1"), Qt::LeftButton, {}, QPoint(8, 10));
    QVERIFY(child(view, "picDiff")->isVisible() && !child(view, "picA")->isVisible());
    const QImage difference = shown("picDiff");
    QCOMPARE(difference.size(), QSize(480, 360));
    QVERIFY(difference != shown("picA") && difference != shown("picB"));
    view->close();
    QTRY_VERIFY(!window.findChild<ABView*>("frmAB"));
}

void PreviewTest::exitCancelKeepsFilesAndOkDeletesThem() {
    for (const PromptAnswer answer : {PromptAnswer::Cancel, PromptAnswer::Ok}) {
        Project project;
        Preview window(project.state, project.runner);
        QVERIFY(showActive(window));
        clickItem(&window, "lstSegment2", kSegment);
        QTest::mouseClick(child(&window, "Option3"), Qt::LeftButton, {}, QPoint(8, 10));
        QVERIFY(window.fields.noMatrix);
        click(&window, "btnPrepare"); // the idle state enables Exit
        QVERIFY(child(&window, "cmdExit")->isEnabled());
        project.prompter.expect("Do you wish to delete all the temporary files?", answer);
        click(&window, "cmdExit");
        QVERIFY(!window.isVisible());
        QCOMPARE(fs::exists(project.folder / "Preview" / "preview.avs"), answer == PromptAnswer::Cancel);
        QVERIFY(fs::is_directory(project.folder / "Preview"));
        QCOMPARE(fs::is_directory(project.folder / "TempMatrix"), answer == PromptAnswer::Ok);
    }
}

// "Filters" mode: the panels move in, the ticked filters make the text, Prepare leaves Encode off until
// the text is applied into encode.avs, and the text goes to Tessera.ini; "Matrix" moves them out again.
void PreviewTest::filterPanelsWriteTheEncodeScriptAndTesseraKeys() {
    Project project;
    writeBytes(project.folder / "Tessera/Work/D2VAVS" / kSegment,
               "# AVS File Created by DVD Tessera\r\nMpeg2Source(\"a.d2v\")\r\nConvertToYV12()\r\n");
    Preview window(project.state, project.runner);
    QVERIFY(showActive(window));
    const QRect inside = window.rect();
    QVERIFY(!inside.intersects(child(&window, "frmFilters")->geometry()));
    clickItem(&window, "lstSegment2", kSegment);
    click(&window, "optMode_1");
    // The panels take the place of the player and the encoded files, and leave the segment's details and the
    // instructions uncovered.
    for (const char* panel : {"frmFilters", "Frame13"}) {
        const QRect place = child(&window, panel)->geometry();
        QVERIFY(inside.contains(place));
        for (const char* uncovered : {"frmInfo", "frmInstructions", "frmEncoders", "frmMode"})
            QVERIFY2(!place.intersects(child(&window, uncovered)->geometry()), uncovered);
    }
    checkWindowEnabled(window, {"chkFilter_0"}, {"cmdApplyAVS", "cmdApplyFilters", "cmdClearFilters"});
    click(&window, "chkFilter_0");
    click(&window, "chkFilter_1");
    QCOMPARE(textOf(&window, "txtScript"), QStringLiteral("Undot() Deen() "));
    QCOMPARE(window.fields.FilterName, std::string("Undot_Deen"));
    checkWindowEnabled(window, {"cmdApplyAVS", "cmdApplyFilters", "cmdClearFilters", "Option4"}, {"btnEncode"});

    // "Advanced" shows Deen's parameters; "Update" builds the call from them as typed.
    QTest::mouseClick(child(&window, "Option4"), Qt::LeftButton, {}, QPoint(8, 10));
    QVERIFY(child(&window, "frmDeen")->isVisible());
    child<QComboBox>(&window, "cmbDMode")->setEditText(QStringLiteral("2d"));
    child<QLineEdit>(&window, "thrY")->setText(QStringLiteral("7"));
    click(&window, "cmdDeenRefresh");
    QCOMPARE(textOf(&window, "txtScript"), QStringLiteral("Undot() Deen(\"c2d\",rad=1,thrY=7,thrUV=12,min=1.00) "));
    // Leaving the "2d" mode disables the temporal thresholds; the radius list then offers 1 to 7, and an
    // empty radius is reported when the list is left.
    auto* radius = child<QComboBox>(&window, "cmbRad");
    child(&window, "cmbDMode")->setFocus();
    radius->setFocus();
    checkWindowEnabled(window, {"thrY"}, {"tthY", "tthUV"});
    QCOMPARE(radius->count(), 7);
    QCOMPARE(radius->currentText(), QStringLiteral("1"));
    radius->setEditText(QString());
    project.prompter.expect("'RADIUS' value must be between 1 and 4!!!");
    child(&window, "thrY")->setFocus();
    QCOMPARE(radius->palette().color(QPalette::Window), QColor(255, 0, 0));

    QTest::mouseClick(child(&window, "Option3"), Qt::LeftButton, {}, QPoint(8, 10));
    click(&window, "btnPrepare");
    QCOMPARE(window.Prepare, std::string("1"));
    checkWindowEnabled(window, {"cmdApplyAVS"}, {"btnEncode"});
    click(&window, "cmdApplyAVS");
    QCOMPARE(readBytes(project.folder / "Preview" / "encode.avs"),
             std::string("# AVS File Created by Quire\r\nMpeg2Source(\"a.d2v\")\r\nUndot() "
                         "Deen(\"c2d\",rad=1,thrY=7,thrUV=12,min=1.00) \r\nConvertToYV12()\r\n\r\n"));
    QCOMPARE(window.fields.filters.Filters, std::string("1"));
    checkWindowEnabled(window, {"btnEncode", "cmdApplyFilters"}, {"cmdApplyAVS"});

    // A second line typed by hand: two keys, the rest emptied.
    const fs::path tesseraIni = project.folder / "Tessera" / "Tessera.ini";
    ini::SetValue("Options", "AVSfilter03", "Old()", tesseraIni);
    QTest::keyClick(child(&window, "txtScript"), Qt::Key_End, Qt::ControlModifier);
    QTest::keyClick(child(&window, "txtScript"), Qt::Key_Return);
    QTest::keyClicks(child(&window, "txtScript"), "Tweak(sat=1.1, hue=2)");
    click(&window, "cmdApplyAVS");
    click(&window, "cmdApplyFilters");
    const std::string written = readBytes(tesseraIni);
    for (const char* line : {"AVSfilter01=Undot() Deen(\"c2d\",rad=1,thrY=7,thrUV=12,min=1.00) \r\n",
                             "AVSfilter02=Tweak(sat=1.1, hue=2)\r\n", "AVSfilter03=\r\n"})
        QVERIFY2(written.find(line) != std::string::npos, line);
    QCOMPARE(ini::GetValue("Options", "AVSfilter99", tesseraIni), std::string());
    QVERIFY(written.starts_with("[Paths]\r\nWorking=Work\\\r\n"));
    checkWindowEnabled(window, {}, {"cmdApplyFilters"});

    click(&window, "optMode_0");
    QVERIFY(!inside.intersects(child(&window, "frmFilters")->geometry()));
    QVERIFY(!inside.intersects(child(&window, "Frame13")->geometry()));
    QVERIFY(!child(&window, "frmDeen")->isVisible());
}

void PreviewTest::lowBitrateOptionWritesLowMatrixOnly() {
    Project project;
    const fs::path tesseraIni = project.folder / "Tessera" / "Tessera.ini";
    Preview window(project.state, project.runner);
    QVERIFY(showActive(window));
    clickItem(&window, "lstSegment2", kSegment);
    clickItem(&window, "lstMatrix", kMatrix);
    checkWindowEnabled(window, {"optApply_1"}, {"btnApply"});
    click(&window, "optApply_1");
    const std::string before = readBytes(tesseraIni);
    click(&window, "btnApply");
    std::string expected = before;
    expected.insert(expected.find("[CCEOptions]"), "LowMatrix=1-high_high(4000+)\r\n");
    QCOMPARE(readBytes(tesseraIni), expected);
    checkWindowEnabled(window, {"btnApply"}, {});
}

void PreviewTest::actionCodeTwoBlocksPrepareAndEncode() {
    Project project;
    ini::SetValue("V010001_V001001", "Action", "2", project.inf());
    Preview window(project.state, project.runner);
    QVERIFY(showActive(window));
    clickItem(&window, "lstSegment2", kSegment);
    clickItem(&window, "lstMatrix", kMatrix);
    checkWindowEnabled(window, {"lstMatrix", "cmdClear"}, {"btnPrepare", "btnEncode"});
}

void PreviewTest::resetAllReturnsToTheOpenedState() {
    Project project;
    Preview window(project.state, project.runner);
    QVERIFY(showActive(window));
    click(&window, "chkSegList_1");
    clickItem(&window, "lstSegment2", kSegment);
    clickItem(&window, "lstMatrix", kMatrix);
    click(&window, "optApply_0");
    click(&window, "optMode_1");
    click(&window, "btnPrepare");
    fs::remove(project.folder / "Preview" / "editor.avs");
    click(&window, "cmdReset");
    QVERIFY(checked(window, "optMode_0") && checked(window, "chkSegList_0") && checked(window, "chkSegList_1"));
    QVERIFY(!window.rect().intersects(child(&window, "frmFilters")->geometry()));
    QCOMPARE(window.Prepare, std::string("0"));
    QCOMPARE(itemsOf(&window, "lstSegment2").size(), 3);
    QVERIFY(child<QListWidget>(&window, "lstMatrix")->selectedItems().isEmpty());
    QCOMPARE(textOf(&window, "txtMatDes"), QString());
    QCOMPARE(textOf(&window, "lblAction2"),
             QStringLiteral("Select the segment you want to test from the Segments List."));
    QVERIFY(fs::exists(project.folder / "Preview" / "editor.avs"));
    checkWindowEnabled(window, {"cmdReset", "cmdExit"},
                       {"lstMatrix", "btnPrepare", "btnEncode", "optApply_0", "btnApply", "optMode_1"});
}

void PreviewTest::browseLoadsAnotherWorkFolder() {
    Project project;
    const fs::path other = project.folder / "Other Work";
    fs::copy(project.folder / "Tessera/Work/D2VAVS", other);
    fs::remove(other / "v020001_V002001.AVS");
    Preview window(project.state, project.runner);
    QVERIFY(showActive(window));
    clickItem(&window, "lstSegment2", kSegment);
    QTest::mouseClick(child(&window, "Option3"), Qt::LeftButton, {}, QPoint(8, 10));
    project.prompter.expectFolder(other.string());
    click(&window, "cmdBrowse");
    QCOMPARE(project.prompter.fileDialogTitles(), std::vector<std::string>({"Select the your Work Folder"}));
    QCOMPARE(textOf(&window, "lblWPath"), QString::fromStdString(other.string() + "/"));
    QCOMPARE(itemsOf(&window, "lstSegment2"), QStringList({"V010001_V001001.avs", "V010002_V001002.avs"}));
    checkWindowEnabled(window, {"cmdBrowse"}, {"btnPrepare", "btnEncode"});
}

void PreviewTest::mainWindowButtonUnloadsExtractionAndOpensTheWindow() {
    Project project;
    Main main(project.folder.path(), project.prompter);
    main.start();
    QVERIFY(showActive(main));
    project.prompter.expect(std::string(extract::kNotFoundBox));
    click(&main, "cmdExtract");
    QPointer<MatExt> extraction = main.findChild<MatExt*>();
    QVERIFY(extraction && extraction->isVisible());
    child<ccXPButton>(&main, "cmdPreview")->click();
    QTRY_VERIFY(!extraction);
    auto* window = main.findChild<Preview*>();
    QVERIFY(window && window->isVisible() && window->isModal());
    QCOMPARE(window->windowTitle(), QStringLiteral("  Quire -  Preview/Test Window"));
    QCOMPARE(itemsOf(window, "lstSegment2").size(), 3);
    window->close();
}

QTEST_MAIN(PreviewTest)
#include "PreviewTest.moc"
