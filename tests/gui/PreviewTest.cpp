// The Preview/Test window driven through its states on the prepared project of tests/data/preview:
// open, segment, matrix, Prepare, Encode (through a recording runner), the player buttons, the encoded
// file's player command line, the A/B view and Exit's question; and the comparison of test encodes: the
// table of the selected segment's encoded files with their kept measures and verdicts, sorting, best
// values, refills and size, and real measures (the renderer and FFmpeg) run after an Encode, one of
// them cancelled. The embedded player runs the real renderer, linked into the program folder as the
// build lays it out beside the program.
#include "GuiSupport.h"

#include "app/IniManager.h"
#include "app/Main.h"
#include "extract/MatExt.h"
#include "extract/MatExtLogic.h"
#include "preview/ABView.h"
#include "preview/EncodeMetrics.h"
#include "preview/MatrixCheck.h"
#include "preview/PlayerView.h"
#include "preview/PreviewWindow.h"
#include "support/CellText.h"
#include "support/RecordingRunner.h"

#include <QCheckBox>
#include <QComboBox>
#include <QHeaderView>
#include <QProcess>
#include <QProgressBar>
#include <QRadioButton>
#include <QScreen>
#include <QSlider>
#include <QTableWidget>

using namespace quire;
using namespace quire::test;
namespace fs = std::filesystem;

namespace {

constexpr const char* kMatrix = "1-high_high(4000+).mtx";
constexpr const char* kSegment = "V010001_V001001.avs";
constexpr const char* kEncoded = "V010001_V001001_1-high_high(4000+)_No_Filter.m2v";
// Its ILVU is "1" and its action code "1".
constexpr const char* kBlockedSegment = "V010002_V001002.avs";
const QString kSelectSegment = QStringLiteral("Select the segment you want to test from the Segments List.");
// A black 720x576 clip of 25 frames a second, long enough to outlast any test.
constexpr const char* kLongClip = "BlankClip(length=2500, width=720, height=576, fps=25)\r\n";
enum Column { File, Matrix, Filter, Size, Bitrate, PsnrY, PsnrAll, Ssim, Matrices };

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
        folder.write(std::string("Lib/") + kMatrix, numberedText(" ", "\r\n", 16)); // 16 to 143
        fs::create_symlink(fs::path(QUIRE_BIN) / "quire-avs", folder / "quire-avs");
    }
    fs::path inf() const { return folder / "Tessera" / "Work" / "D2VAVS" / "Tessera.inf"; }
    fs::path preview(const std::string& name) const { return folder / "Preview" / name; }
    // Every line is in the log.
    void checkLogged(std::initializer_list<std::string> lines) const {
        const std::string log = readBytes(state.log.file());
        for (const std::string& line : lines)
            QVERIFY2(log.find(line) != std::string::npos, line.c_str());
    }
    // An encoded file of `kilobytes` KB with its kept measures (bitrate against 3000, PSNR Y, PSNR, SSIM)
    // and a verdict, when given.
    void encoded(const std::string& name, int kilobytes, std::vector<double> m = {}, const char* verdict = nullptr) {
        writeBytes(preview(name), std::string(static_cast<std::size_t>(kilobytes) * 1024, 'x'));
        if (!m.empty())
            QVERIFY(preview::saveMetrics(
                preview(name), {.bitrate = m[0], .target = 3000, .psnrY = m[1], .psnrAll = m[2], .ssim = m[3]}));
        if (verdict)
            QVERIFY(preview::saveCheck(preview(name), {preview::CheckVerdict::Matches, verdict}));
    }

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

// Clicks an option on its mark rather than in the middle of its row.
void tick(const QObject* root, const char* option) {
    QTest::mouseClick(child(root, option), Qt::LeftButton, {}, QPoint(8, 10));
}

PlayerView* playerOf(const Preview& window) {
    return child<PlayerView>(&window, "MediaPlayer1");
}

QTableWidget* openCompare(const Preview& window, const char* segment = kSegment) {
    clickItem(&window, "lstSegment2", segment);
    click(&window, "cmdCompare");
    return child<QTableWidget>(&window, "tblCompare");
}

// The table's rows as shown, cells joined by " | "; a cell that stands out as the best of its column
// (bold, not in the plain colour) starts with "*".
QStringList rowsOf(const QTableWidget* table) {
    QStringList rows;
    for (int row = 0; row < table->rowCount(); ++row) {
        QStringList cells;
        for (int column = 0; column < table->columnCount(); ++column) {
            const QTableWidgetItem* item = table->item(row, column);
            const bool best =
                item->font().bold() && item->foreground().color() != table->palette().color(QPalette::Text);
            cells << (best ? "*" : "") + item->text();
        }
        rows << cells.join(" | ");
    }
    return rows;
}

void clickHeader(QTableWidget* table, int column) {
    QHeaderView* header = table->horizontalHeader();
    const QPoint at(header->sectionViewportPosition(column) + header->sectionSize(column) / 2, header->height() / 2);
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, at);
}

// Writes the segment script, then clicks the segment, the matrix, Prepare and Encode; the encoder
// writes a black 176x144 MPEG-2 file of as many frames as the script's BlankClip.
void encode(Project& project, Preview& window, int frames) {
    project.folder.write(std::string("Tessera/Work/D2VAVS/") + kSegment, "BlankClip(length=" + std::to_string(frames) +
                                                                             ", width=176, height=144, fps=25)\r\n"
                                                                             "ConvertToYV12()\r\n");
    clickItem(&window, "lstSegment2", kSegment);
    clickItem(&window, "lstMatrix", kMatrix);
    click(&window, "btnPrepare");
    project.runner.answer([&](const std::vector<std::string>&) {
        QProcess ffmpeg;
        ffmpeg.start("ffmpeg", {"-v", "error", "-y", "-f", "lavfi", "-i", "color=black:size=176x144:rate=25",
                                "-frames:v", QString::number(frames), "-c:v", "mpeg2video",
                                QString::fromStdString(project.preview(kEncoded).string())});
        return RunResult::ran(ffmpeg.waitForFinished(120000) ? ffmpeg.exitCode() : -1);
    });
    project.prompter.expect("Encoding process Completed!");
    click(&window, "btnEncode");
}

} // namespace

class PreviewTest : public QObject {
    Q_OBJECT
private slots:
    void opensAndLoadsTheProject() {
        Project project;
        Preview window(project.state, project.runner);
        QVERIFY(window.loaded());
        QCOMPARE(window.windowTitle(), QStringLiteral("  Quire -  Preview/Test Window"));
        QCOMPARE(itemsOf(&window, "lstSegment2"),
                 QStringList({"V010001_V001001.avs", "V010002_V001002.avs", "v020001_V002001.AVS"}));
        QCOMPARE(itemsOf(&window, "lstMatrix"), QStringList({kMatrix}));
        // CCE SP, as Tessera.inf says; the instructions ask for a segment.
        QVERIFY(checked(window, "Option2_2"));
        checkTexts(&window, {"lblAction1", kSelectSegment, "lblAction2", kSelectSegment, "lblWPath",
                             QString::fromStdString((project.folder / "Tessera/Work/D2VAVS/").string())});
        QCOMPARE(child<QProgressBar>(&window, "ProgressBar1")->maximum(), std::stoi(window.fields.project.txtNumKeys));
        checkWindowEnabled(window, {"cmdReset", "cmdBrowse"},
                           {"btnPrepare", "btnEncode", "cmdClear", "btnApply", "cmdExit", "cmdPlay", "cmdPause"});
        // The idle picture plays (held back while the window is not shown) from the Preview folder.
        const PlayerView* player = playerOf(window);
        QCOMPARE(player->file(), project.preview("editor.avs"));
        QCOMPARE(player->message(), QString());
        QCOMPARE(player->state(), PlayerView::State::Playing);
        project.checkLogged({std::string(86, '-') + "\r\n\r\n", "PREVIEW: All DATA collected with success."});
    }

    void withoutTesseraFolderOrScriptsSaysSo() {
        {
            Project project("");
            project.prompter.expect(
                "The path to DVD Tessera's folder isn't defined!!! Please, point it on Setup dialog.");
            Preview window(project.state, project.runner);
            QVERIFY(!window.loaded());
            project.checkLogged({"WARNING: Tessera Folder NOT VALID!!!", "PREVIEW: Setup Launched"});
        }
        // No scripts in the work folder: said so, and the window stays open; no player: no encoded files to open.
        Project project("<copy>", "");
        for (const char* name : {"V010001_V001001.avs", "V010002_V001002.avs", "v020001_V002001.AVS"})
            fs::remove(project.folder / "Tessera/Work/D2VAVS" / name);
        project.prompter.expect("No '.avs' Files found on Work Folder!\r\nPlease, run PREPARE phase on Tessera "
                                "before using this feature.");
        Preview window(project.state, project.runner);
        QVERIFY(window.loaded());
        project.checkLogged({"WARNING: No '.avs' Files found on Work Folder!", "WARNING: No Player defined!!!"});
        checkWindowEnabled(window, {"cmdBrowse", "cmdReset"}, {"lstM2V", "btnPrepare", "btnEncode", "optApply_0"});
    }

    void segmentsMatricesPrepareEncodeWalkTheStates() {
        Project project;
        ini::SetValue("V020001_V002001", "Action", "2", project.inf());
        const fs::path tesseraIni = project.folder / "Tessera" / "Tessera.ini";
        Preview window(project.state, project.runner);
        QVERIFY(showActive(window));
        // A segment of ILVU "1" and action code "1" takes no matrix; one of action code "2" takes one, but
        // neither Prepare nor Encode.
        clickItem(&window, "lstSegment2", kBlockedSegment);
        checkWindowEnabled(window, {}, {"lstMatrix", "btnPrepare", "btnEncode"});
        clickItem(&window, "lstSegment2", "v020001_V002001.AVS");
        clickItem(&window, "lstMatrix", kMatrix);
        checkWindowEnabled(window, {"lstMatrix", "cmdClear"}, {"btnPrepare", "btnEncode"});

        clickItem(&window, "lstSegment2", kSegment);
        QCOMPARE(textOf(&window, "txtVTS"), QStringLiteral("VTS_01"));
        // Its source is not in the test's project: the player says so in words and the window goes on.
        QCOMPARE(playerOf(window)->file(), project.preview("preview.avs"));
        QVERIFY2(playerOf(window)->message().contains("preview.avs"), qPrintable(playerOf(window)->message()));
        checkWindowEnabled(window, {"lstMatrix", "optMode_1"}, {"btnPrepare", "btnEncode", "optApply_0", "btnApply"});

        clickItem(&window, "lstMatrix", kMatrix);
        QCOMPARE(textOf(&window, "txtMatDes"), QStringLiteral("High More"));
        checkWindowEnabled(window, {"btnPrepare", "cmdClear", "optApply_0", "optApply_1", "optApply_3"},
                           {"btnEncode", "btnApply"});
        // "Low Bitrate" names the matrix in Tessera.ini's one key.
        click(&window, "optApply_1");
        std::string expected = readBytes(tesseraIni);
        click(&window, "btnApply");
        expected.insert(expected.find("[CCEOptions]"), "LowMatrix=1-high_high(4000+)\r\n");
        QCOMPARE(readBytes(tesseraIni), expected);

        click(&window, "btnPrepare");
        QCOMPARE(window.Prepare, std::string("1"));
        QVERIFY(textOf(&window, "lblAction1").startsWith("Files Ready!"));
        checkWindowEnabled(window, {"btnEncode", "cmdPlay", "cmdExit", "cmdReset", "cmdClear"}, {"btnPrepare"});

        // The same matrix again: already prepared, so Encode at once.
        clickItem(&window, "lstMatrix", kMatrix);
        checkWindowEnabled(window, {"btnEncode", "btnPrepare"}, {});

        // The encoder writes its file; the list shows it afterwards.
        const fs::path m2v = project.preview(kEncoded);
        bool lockedWhileRunning = false;
        project.runner.answer([&](const std::vector<std::string>&) {
            lockedWhileRunning = !child(&window, "cmdExit")->isEnabled() &&
                                 !child(&window, "lstSegment2")->isEnabled() &&
                                 !child(&window, "frmFilters")->isEnabled() && !child(&window, "Frame13")->isEnabled();
            writeBytes(m2v, "video");
            return RunResult::ran(0);
        });
        project.prompter.expect("Encoding process Completed!");
        click(&window, "btnEncode");
        QVERIFY(lockedWhileRunning);
        QCOMPARE(project.runner.styles(), std::vector<WindowStyle>{WindowStyle::Minimised});
        QCOMPARE(itemsOf(&window, "lstM2V"), QStringList({kEncoded}));
        checkWindowEnabled(window, {"btnEncode", "btnPrepare", "cmdExit", "lstSegment2", "lstM2V"}, {"cmdPause"});
    }

    void procoderForcesNoMatrixAndMinimizesAroundTheRun() {
        Project project;
        const fs::path eclpro = project.folder / "Tessera" / "eclpro.INI";
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
            minimizeDuringRun = ini::GetValue("Options", "Minimize", eclpro);
            return RunResult::ran(0);
        });
        project.prompter.expect("Encoding process Completed!");
        click(&window, "btnEncode");
        QCOMPARE(minimizeDuringRun + ini::GetValue("Options", "Minimize", eclpro), std::string("01"));
        QCOMPARE(project.runner.styles().front(), WindowStyle::Normal);
        // ProCoder keeps the matrix list locked in the idle state too.
        checkWindowEnabled(window, {"btnPrepare"}, {"lstMatrix"});
    }

    void playPauseContinueDriveThePlayer() {
        Project project;
        project.folder.write(std::string("Tessera/Work/D2VAVS/") + kSegment, kLongClip);
        Preview window(project.state, project.runner);
        QVERIFY(showActive(window));
        clickItem(&window, "lstSegment2", kSegment);
        PlayerView* player = playerOf(window);
        QCOMPARE(player->file(), project.preview("preview.avs"));
        // Frames of the preview script come from quire-avs (how the player holds and resumes them is its own
        // test).
        QSignalSpy shown(player, &PlayerView::frameShown);
        click(&window, "cmdPlay");
        QVERIFY(shown.wait(10000));
        for (const auto& [button, state] :
             {std::pair{"cmdPause", PlayerView::State::Paused}, std::pair{"cmdContinue", PlayerView::State::Playing}}) {
            click(&window, button);
            QCOMPARE(player->state(), state);
            QCOMPARE(child(&window, "cmdContinue")->isVisible(), state == PlayerView::State::Paused);
            QCOMPARE(child(&window, "cmdPause")->isVisible(), state == PlayerView::State::Playing);
        }
        // Closing the window leaves no child behind.
        const long pid = player->childPid();
        QVERIFY(pid > 0);
        window.close();
        QCOMPARE(player->state(), PlayerView::State::Stopped);
        QTRY_VERIFY_WITH_TIMEOUT(groupGone(pid), 5000);
    }

    // Something long is playing when the encoded file is opened in the outside player: it stops (what a
    // stop leaves is the player's own test).
    void doubleClickRunsThePlayerWithTheEncodedFile() {
        Project project;
        project.folder.write("Preview/a b.m2v", "video");
        Preview window(project.state, project.runner);
        QVERIFY(showActive(window));
        project.runner.answer(RunResult::ran(0));
        PlayerView* player = playerOf(window);
        player->setFile(project.folder.write("long.avs", kLongClip));
        player->play();
        QTRY_VERIFY_WITH_TIMEOUT(player->framesShown() > 0, 10000);
        clickItem(&window, "lstM2V", "a b.m2v");
        auto* list = child<QListWidget>(&window, "lstM2V");
        QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(list->item(0)).center());
        QCOMPARE(project.runner.commandLines(),
                 std::vector<std::string>(
                     {"\"/usr/bin/player\" \"" + project.folder.path().string() + "/preview/a b.m2v\""}));
        QCOMPARE(project.runner.styles().front(), WindowStyle::Normal);
        QCOMPARE(player->state(), PlayerView::State::Stopped);
    }

    // Two encodes of one moving clip, one at a far lower quality: picked together they open the A/B view,
    // whose slider and view choice change what it shows.
    void abViewShowsTheSameFrameOfTwoSelectedFiles() {
        Project project;
        fs::create_directories(project.folder / "Preview");
        for (const auto& [file, quality] : {std::pair{"a.m2v", "2"}, std::pair{"b.m2v", "31"}}) {
            const std::string command =
                "ffmpeg -loglevel error -y -f lavfi -i testsrc2=size=176x144:rate=25 -frames:v 25 -aspect 4:3 "
                "-c:v mpeg2video -q:v " +
                std::string(quality) + " '" + project.preview(file).string() + "'";
            QCOMPARE(std::system(command.c_str()), 0);
        }
        Preview window(project.state, project.runner);
        QVERIFY(showActive(window));
        clickItem(&window, "lstM2V", "b.m2v");
        checkWindowEnabled(window, {}, {"cmdAB"});
        auto* list = child<QListWidget>(&window, "lstM2V");
        QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::ControlModifier,
                          list->visualItemRect(list->item(0)).center());
        click(&window, "cmdAB");

        auto* view = child<ABView>(&window, "frmAB");
        QVERIFY(view && QTest::qWaitForWindowActive(view));
        checkTexts(view, {"lblA", "A: a.m2v", "lblB", "B: b.m2v"});
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

        tick(view, "optView_1");
        QVERIFY(child(view, "picDiff")->isVisible() && !child(view, "picA")->isVisible());
        const QImage difference = shown("picDiff");
        QCOMPARE(difference.size(), QSize(480, 360));
        QVERIFY(difference != shown("picA") && difference != shown("picB"));
        view->close();
        QTRY_VERIFY(!window.findChild<ABView*>("frmAB"));
    }

    void exitCancelKeepsFilesAndOkDeletesThem() {
        for (const PromptAnswer answer : {PromptAnswer::Cancel, PromptAnswer::Ok}) {
            Project project;
            Preview window(project.state, project.runner);
            QVERIFY(showActive(window));
            clickItem(&window, "lstSegment2", kSegment);
            tick(&window, "Option3");
            QVERIFY(window.fields.noMatrix);
            click(&window, "btnPrepare"); // the idle state enables Exit
            QVERIFY(child(&window, "cmdExit")->isEnabled());
            project.prompter.expect("Do you wish to delete all the temporary files?", answer);
            click(&window, "cmdExit");
            QVERIFY(!window.isVisible());
            QCOMPARE(fs::exists(project.preview("preview.avs")), answer == PromptAnswer::Cancel);
            QVERIFY(fs::is_directory(project.folder / "Preview"));
            QCOMPARE(fs::is_directory(project.folder / "TempMatrix"), answer == PromptAnswer::Ok);
        }
    }

    // "Filters" mode: the panels move in, the ticked filters make the text, Prepare leaves Encode off until
    // the text is applied into encode.avs, and the text goes to Tessera.ini; "Matrix" moves them out again.
    void filterPanelsWriteTheEncodeScriptAndTesseraKeys() {
        Project project;
        writeBytes(project.folder / "Tessera/Work/D2VAVS" / kSegment,
                   "# AVS File Created by DVD Tessera\r\nMpeg2Source(\"a.d2v\")\r\nConvertToYV12()\r\n");
        Preview window(project.state, project.runner);
        QVERIFY(showActive(window));
        const QRect inside = window.rect();
        clickItem(&window, "lstSegment2", kSegment);
        click(&window, "optMode_1");
        // The panels take the place of the player and the encoded files, and leave the segment's details and
        // the instructions uncovered.
        for (const char* panel : {"frmFilters", "Frame13"}) {
            const QRect place = child(&window, panel)->geometry();
            QVERIFY(inside.contains(place));
            for (const char* uncovered : {"frmInfo", "frmInstructions", "frmEncoders", "frmMode"})
                QVERIFY2(!place.intersects(child(&window, uncovered)->geometry()), uncovered);
        }
        click(&window, "chkFilter_0");
        click(&window, "chkFilter_1");
        QCOMPARE(textOf(&window, "txtScript"), QStringLiteral("Undot() Deen() "));
        checkWindowEnabled(window, {"cmdApplyAVS", "cmdApplyFilters", "cmdClearFilters", "Option4"}, {"btnEncode"});

        // "Advanced" shows Deen's parameters; "Update" builds the call from them as typed.
        tick(&window, "Option4");
        QVERIFY(child(&window, "frmDeen")->isVisible());
        child<QComboBox>(&window, "cmbDMode")->setEditText(QStringLiteral("2d"));
        child<QLineEdit>(&window, "thrY")->setText(QStringLiteral("7"));
        click(&window, "cmdDeenRefresh");
        const std::string deen = "Undot() Deen(\"c2d\",rad=1,thrY=7,thrUV=12,min=1.00) ";
        QCOMPARE(textOf(&window, "txtScript"), QString::fromStdString(deen));
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

        tick(&window, "Option3");
        click(&window, "btnPrepare");
        QCOMPARE(window.Prepare, std::string("1"));
        checkWindowEnabled(window, {"cmdApplyAVS"}, {"btnEncode"});
        click(&window, "cmdApplyAVS");
        QCOMPARE(readBytes(project.preview("encode.avs")),
                 "# AVS File Created by Quire\r\nMpeg2Source(\"a.d2v\")\r\n" + deen + "\r\nConvertToYV12()\r\n\r\n");
        QCOMPARE(window.fields.filters.Filters, std::string("1"));
        checkWindowEnabled(window, {"btnEncode", "cmdApplyFilters"}, {"cmdApplyAVS"});
        // The text goes to Tessera.ini's keys (one line to a key: the core's test).
        click(&window, "cmdApplyFilters");
        QVERIFY(readBytes(project.folder / "Tessera" / "Tessera.ini").find("AVSfilter01=" + deen + "\r\n") !=
                std::string::npos);
        checkWindowEnabled(window, {}, {"cmdApplyFilters"});

        click(&window, "optMode_0");
        QVERIFY(!inside.intersects(child(&window, "frmFilters")->geometry()));
        QVERIFY(!inside.intersects(child(&window, "Frame13")->geometry()));
        QVERIFY(!child(&window, "frmDeen")->isVisible());
    }

    void resetAllReturnsToTheOpenedStateAndBrowseLoadsAnotherFolder() {
        Project project;
        Preview window(project.state, project.runner);
        QVERIFY(showActive(window));
        click(&window, "chkSegList_1");
        clickItem(&window, "lstSegment2", kSegment);
        clickItem(&window, "lstMatrix", kMatrix);
        click(&window, "optApply_0");
        click(&window, "optMode_1");
        click(&window, "btnPrepare");
        fs::remove(project.preview("editor.avs"));
        click(&window, "cmdReset");
        QVERIFY(checked(window, "optMode_0") && checked(window, "chkSegList_0") && checked(window, "chkSegList_1"));
        QVERIFY(!window.rect().intersects(child(&window, "frmFilters")->geometry()));
        QCOMPARE(window.Prepare, std::string("0"));
        QCOMPARE(itemsOf(&window, "lstSegment2").size(), 3);
        QVERIFY(child<QListWidget>(&window, "lstMatrix")->selectedItems().isEmpty());
        checkTexts(&window, {"txtMatDes", "", "lblAction2", kSelectSegment});
        QCOMPARE(playerOf(window)->file(), project.preview("editor.avs"));
        QVERIFY(fs::exists(project.preview("editor.avs")));
        checkWindowEnabled(window, {"cmdReset", "cmdExit"},
                           {"lstMatrix", "btnPrepare", "btnEncode", "optApply_0", "btnApply", "optMode_1"});

        const fs::path other = project.folder / "Other Work";
        fs::copy(project.folder / "Tessera/Work/D2VAVS", other);
        fs::remove(other / "v020001_V002001.AVS");
        // A matrix chosen after "No Matrix" takes its place.
        clickItem(&window, "lstSegment2", kSegment);
        tick(&window, "Option3");
        clickItem(&window, "lstMatrix", kMatrix);
        QVERIFY(!checked(window, "Option3") && !window.fields.noMatrix);
        project.prompter.expectFolder(other.string());
        click(&window, "cmdBrowse");
        QCOMPARE(project.prompter.fileDialogTitles(), std::vector<std::string>({"Select the your Work Folder"}));
        QCOMPARE(textOf(&window, "lblWPath"), QString::fromStdString(other.string() + "/"));
        QCOMPARE(itemsOf(&window, "lstSegment2"), QStringList({"V010001_V001001.avs", "V010002_V001002.avs"}));
        checkWindowEnabled(window, {"cmdBrowse"}, {"btnPrepare", "btnEncode"});
    }

    // Extract and Preview from the main window: without QuantDump the extraction says so and cannot extract;
    // Preview unloads it and opens modal.
    void mainWindowOpensExtractionThenPreviewUnloadsIt() {
        Project project;
        const fs::path dvd = project.folder.write("DVD/Film.m2v", "stream").parent_path();
        ini::SetValue("Config", "LastDVD", dvd.string(), project.folder / "Editor.ini");
        Main main(project.folder.path(), project.prompter);
        main.start();
        QVERIFY(showActive(main));
        project.prompter.expect(std::string(extract::kNotFoundBox));
        click(&main, "cmdExtract");
        QPointer<MatExt> extraction = main.findChild<MatExt*>();
        QVERIFY(extraction && extraction->isVisible() && extraction->isModal());
        QCOMPARE(textOf(extraction, "Message"),
                 QStringLiteral("QuantDump wasn't found on your system!!! Make sure you have it on Quire's folder or "
                                "under a folder named 'QuantumDump' on Quire's directory"));
        checkEnabled(extraction, {"cmdRestore"}, false);
        clickItem(extraction, "lstVOB", "Film.m2v");
        checkEnabled(extraction, {"btnExtract"}, false);

        child<ccXPButton>(&main, "cmdPreview")->click();
        QTRY_VERIFY(!extraction);
        auto* window = main.findChild<Preview*>();
        QVERIFY(window && window->isVisible() && window->isModal());
        QCOMPARE(itemsOf(window, "lstSegment2").size(), 3);
        window->close();
    }

    void compareRowsSortAndEveryBestAsShownStandsOut() {
        Project project;
        Preview window(project.state, project.runner);
        QVERIFY(showActive(window));
        // A and B tie everywhere as shown (3000, 41.00, 40.10, 0.9876), though not in their raw values.
        project.encoded("V010001_V001001_A_Deen.m2v", 2, {2999.6, 41.004, 40.1, 0.98764}, "Words for A");
        project.encoded("V010001_V001001_B_Undot_Deen.m2v", 1, {3000.4, 40.996, 40.1, 0.98761});
        project.encoded("V010001_V001001_C_No_Filter.m2v", 3, {3001, 40.994, 40.09, 0.98754});
        project.encoded("V010001_V001001_No_Matrix_Deen.m2v", 4);
        project.encoded("V020001_V002001_No_Matrix_No_Filter.m2v", 1, {3000, 50, 50, 1}); // another segment
        QTableWidget* table = openCompare(window);
        const QString a =
            "V010001_V001001_A_Deen.m2v | A | Deen | 2 | *3000 / 3000 | *41.00 | *40.10 | *0.9876 | As chosen";
        const QString b = "V010001_V001001_B_Undot_Deen.m2v | B | Undot_Deen | 1 | *3000 / 3000 | *41.00 | *40.10 | "
                          "*0.9876 | -";
        const QString c =
            "V010001_V001001_C_No_Filter.m2v | C | No_Filter | 3 | 3001 / 3000 | 40.99 | 40.09 | 0.9875 | -";
        const QString none = "V010001_V001001_No_Matrix_Deen.m2v | No_Matrix | Deen | 4 | - | - | - | - | -";
        const struct {
            int column;
            QStringList rows;
        } sorts[] = {
            {Size, {b, a, c, none}}, {Size, {none, c, a, b}}, {PsnrY, {none, c, b, a}}, {Matrix, {a, b, c, none}}};
        for (const auto& sort : sorts) {
            clickHeader(table, sort.column);
            QCOMPARE(rowsOf(table), sort.rows);
        }
        QCOMPARE(table->item(0, Matrices)->toolTip(), QStringLiteral("Words for A"));
    }

    void compareTableFollowsTheSegmentAndTheDialogItsColumns() {
        Project project;
        Preview window(project.state, project.runner);
        QVERIFY(showActive(window));
        project.encoded("V010001_V001001_A_Deen.m2v", 1);
        project.encoded("v020001_V002001_" + std::string(24, 'm') + "_No_Filter.m2v", 1, {2950, 40, 41.5, 0.98});
        project.encoded("V010002_V001002_" + std::string(150, 'm') + "_No_Filter.m2v", 1);
        QTableWidget* table = openCompare(window);
        QCOMPARE(rowsOf(table), QStringList({"V010001_V001001_A_Deen.m2v | A | Deen | 1 | - | - | - | - | -"}));
        auto* dialog = child<QDialog>(&window, "frmCompare");
        QVERIFY(QTest::qWaitForWindowExposed(dialog));
        // Made narrow by hand, then refilled for another segment: it grows to show every column, as far as
        // the screen lets it.
        dialog->resize(300, dialog->height());
        clickItem(&window, "lstSegment2", "v020001_V002001.AVS");
        QCOMPARE(table->item(0, Matrix)->text(), QString(24, 'm'));
        const int screen = dialog->screen()->availableGeometry().width();
        QVERIFY(table->horizontalHeader()->length() <= table->viewport()->width() || dialog->width() >= screen - 64);
        // Names too long for any screen wrap in columns of their own width; the dialog stays on the screen.
        clickItem(&window, "lstSegment2", "V010002_V001002.avs");
        QVERIFY(table->columnWidth(File) <= 240 && table->columnWidth(Matrix) <= 160);
        QVERIFY2(table->rowHeight(0) >= 4 * table->fontMetrics().height(), "the names are not wrapped");
        QVERIFY(dialog->frameGeometry().width() <= screen);
    }

    void compareMeasureFillsTheOpenTableAndCancelStopsOne() {
        Project project;
        Preview window(project.state, project.runner);
        QVERIFY(showActive(window));
        QTableWidget* table = openCompare(window);
        QCOMPARE(table->rowCount(), 0);
        encode(project, window, 25);
        QTRY_VERIFY_WITH_TIMEOUT(!child(&window, "cmdCancelMeasure")->isEnabled(), 60000);
        // The same black frames on both sides; the bitrate against the project's target.
        QCOMPARE(rowsOf(table).size(), 1);
        QCOMPARE(rowsOf(table).front().section(" | ", 5), QStringLiteral("*100.00 | *100.00 | *1.0000 | Unreadable"));
        QVERIFY(table->item(0, Bitrate)->text().endsWith(" / 900"));

        encode(project, window, 25000);
        auto* progress = child<QProgressBar>(&window, "ProgressBar1");
        QTRY_VERIFY_WITH_TIMEOUT(progress->value() > 0, 30000);
        QCOMPARE(progress->maximum(), 25000);
        click(&window, "cmdCancelMeasure");
        QTRY_VERIFY_WITH_TIMEOUT(!child(&window, "cmdCancelMeasure")->isEnabled(), 10000);
        QVERIFY(progress->value() < 25000);
        project.checkLogged({"PREVIEW: The measure was cancelled."});
        QCOMPARE(table->item(0, PsnrY)->text(), QStringLiteral("-"));
    }

    // Without a player the encoded-files list stays closed: the table's rows are the way to the A/B view.
    void compareTwoRowsOpenTheABViewWithoutAPlayer() {
        Project project("<copy>", "");
        Preview window(project.state, project.runner);
        QVERIFY(showActive(window));
        for (const char* name :
             {"V010001_V001001_A_Deen.m2v", "V010001_V001001_B_Deen.m2v", "V010001_V001001_C_Deen.m2v"})
            project.encoded(name, 1);
        QTableWidget* table = openCompare(window);
        const auto clickRow = [table](int row, Qt::KeyboardModifiers keys) {
            QTest::mouseClick(table->viewport(), Qt::LeftButton, keys,
                              table->visualItemRect(table->item(row, Size)).center());
        };
        clickRow(2, {});
        QVERIFY(!child(&window, "cmdCompareAB")->isEnabled());
        clickRow(0, Qt::ControlModifier);
        click(&window, "cmdCompareAB");
        checkTexts(child<ABView>(&window, "frmAB"),
                   {"lblA", "A: V010001_V001001_A_Deen.m2v", "lblB", "B: V010001_V001001_C_Deen.m2v"});
        clickRow(1, Qt::ControlModifier);
        QVERIFY(!child(&window, "cmdCompareAB")->isEnabled());
    }
};

QTEST_MAIN(PreviewTest)
#include "PreviewTest.moc"
