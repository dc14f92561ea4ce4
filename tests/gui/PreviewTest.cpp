// The Preview/Test window driven through its states on the prepared project of tests/data/preview:
// open, segment, matrix, Prepare, Encode (through a recording runner), the player buttons, the encoded
// file's player command line, the A/B view and Exit's question; the comparison of test encodes: the
// table of the selected segment's encoded files with their kept measures and verdicts, sorting, best
// values and refills, and real measures (the renderer and FFmpeg) run after an Encode, one of them
// cancelled. The embedded player runs the real renderer, linked into the program folder as the build
// lays it out beside the program.
//
// The embedded player on its own: a preview script played to its end, a long clip held back while paused,
// a stop and a destroyed view that leave no child, a child that dies mid-stream, a script the renderer
// refuses, and an encoded file letterboxed to its display aspect.
//
// The whole test encode with the real stand-ins: a sample project made by quire-sample-project, the
// window's steps clicked, the encoder stand-in run through the QtRunner, and the encoded file's matrices
// read back with the QuantDump stand-in. One case per way the window encodes (a control file, QuEnc's
// command line: the stale temp.cqm case), and "No Matrix" once, with HC Encoder's settings file; and the
// runner they go through.
#include "GuiSupport.h"

#include "app/IniManager.h"
#include "app/Main.h"
#include "extract/MatExt.h"
#include "extract/MatExtLogic.h"
#include "platform/QtRunner.h"
#include "preview/ABView.h"
#include "preview/EncodeMetrics.h"
#include "preview/MatrixCheck.h"
#include "preview/PlayerView.h"
#include "preview/PreviewWindow.h"
#include "support/CellText.h"
#include "support/RecordingRunner.h"

#include <QComboBox>
#include <QHeaderView>
#include <QProcess>
#include <QProgressBar>
#include <QScreen>
#include <QTableWidget>

#include <memory>
#include <sys/stat.h>

using namespace quire;
using namespace quire::test;
namespace fs = std::filesystem;

namespace {

constexpr const char* kMatrix = "1-high_high(4000+).mtx";
constexpr const char* kSegment = "V010001_V001001.avs";
constexpr const char* kEncoded = "V010001_V001001_1-high_high(4000+)_No_Filter.m2v";
// Its ILVU is "1" and its action code "1".
constexpr const char* kBlockedSegment = "V010002_V001002.avs";
// The matrix file of the values 16 to 143, eight to a row.
const std::string kMatrixText = numberedText(" ", "\r\n", 16);
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
        folder.write(std::string("Lib/") + kMatrix, kMatrixText);
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

// Exit in the idle state asks whether to delete the temporary files: Cancel keeps them, Ok deletes them
// and leaves an empty TempMatrix; the window closes either way.
void exitAnswering(Project& project, Preview& window, PromptAnswer answer) {
    project.prompter.expect("Do you wish to delete all the temporary files?", answer);
    click(&window, "cmdExit");
    QVERIFY(!window.isVisible());
    QCOMPARE(fs::exists(project.preview("preview.avs")), answer == PromptAnswer::Cancel);
    QCOMPARE(fs::is_directory(project.folder / "TempMatrix"), answer == PromptAnswer::Ok);
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

// A preview script as the preview window writes it: a caption on a black clip, resized.
std::string previewScript(int frames) {
    return "BlankClip(length=" + std::to_string(frames) + ",width=480,height=273)\r\n" +
           "Subtitle(\"Sample\",x=10,y=150,font=\"Arial\",size=40,text_color=$16102255,halo_color=$ffffff)\r\n" +
           "BilinearResize(480,384)\r\n";
}

// True while a process (or a zombie) with this id exists.
bool processExists(long pid) {
    return ::kill(pid_t(pid), 0) == 0 || errno != ESRCH;
}

// A shown view of a file written into its own temporary folder, played with the renderer the build lays
// out, each frame as soon as it is read.
struct Player {
    Player(const std::string& name, const std::string& text) {
        view->setProgramFolder(QUIRE_BIN);
        view->setFrameIntervalZero(true);
        view->setFile(folder.write(name, text));
        view->show();
    }
    TempFolder folder;
    std::unique_ptr<PlayerView> view = std::make_unique<PlayerView>();
    QSignalSpy shown{view.get(), &PlayerView::frameShown};
    QSignalSpy finished{view.get(), &PlayerView::finished};
    QSignalSpy failed{view.get(), &PlayerView::failed};
};

// The sample project's segment and the name of its encoded file.
constexpr const char* kSampleSegment = "V010000_V001001.avs";
constexpr const char* kMatrixName = "1-high_high(4000+)";
QString encodedName(const char* matrixName) {
    return QStringLiteral("V010000_V001001_%1_No_Filter.m2v").arg(QString::fromLatin1(matrixName));
}

// Chooses the sample's segment and the matrix (nullptr: "No Matrix"), prepares, encodes, and returns the
// encoded file's row.
QListWidgetItem* encodeSample(Program& sample, Preview& window, const char* matrix) {
    clickItem(&window, "lstSegment2", kSampleSegment);
    if (matrix)
        clickItem(&window, "lstMatrix", matrix);
    else
        tick(&window, "Option3");
    click(&window, "btnPrepare");
    sample.prompter.expect("Encoding process Completed!");
    click(&window, "btnEncode");
    const QString name = encodedName(matrix ? kMatrixName : "No_Matrix");
    const auto rows = child<QListWidget>(&window, "lstM2V")->findItems(name, Qt::MatchExactly);
    return rows.isEmpty() ? nullptr : rows.front();
}

// A path in quotes, as a command line holds it.
std::string quoted(const fs::path& path) {
    return "\"" + path.string() + "\"";
}

} // namespace

// The row shows the verdict: its tool tip and the label under the list say the words, its data the kind.
#define CHECK_VERDICT(window, item, verdict, words)                                                                    \
    do {                                                                                                               \
        const QListWidgetItem* shownRow = (item);                                                                      \
        QVERIFY2(shownRow != nullptr, "the encoded file is not listed");                                               \
        QCOMPARE(shownRow->toolTip(), QString::fromLatin1(words));                                                     \
        QCOMPARE(shownRow->data(Qt::UserRole).toInt(), static_cast<int>(verdict));                                     \
        QCOMPARE(textOf(&(window), "lblMatrixCheck"), QString::fromLatin1(words));                                     \
    } while (false)

class PreviewTest : public QObject {
    Q_OBJECT
private slots:
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

    // The main road: the window opens on the project, walks through the states of a test encode, then
    // Reset All goes back to the opened state and Browse to another work folder.
    void opensAndWalksSegmentsMatricesPrepareEncodeResetAndBrowse() {
        Project project;
        ini::SetValue("V020001_V002001", "Action", "2", project.inf());
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
        QCOMPARE(playerOf(window)->file(), project.preview("editor.avs"));
        QCOMPARE(playerOf(window)->state(), PlayerView::State::Playing);
        project.checkLogged({std::string(86, '-') + "\r\n\r\n", "PREVIEW: All DATA collected with success."});

        QVERIFY(showActive(window));
        // A segment of ILVU "1" and action code "1" takes no matrix; one of action code "2" takes one, but
        // neither Prepare nor Encode.
        clickItem(&window, "lstSegment2", kBlockedSegment);
        checkWindowEnabled(window, {}, {"lstMatrix", "btnPrepare", "btnEncode"});
        clickItem(&window, "lstSegment2", "v020001_V002001.AVS");
        clickItem(&window, "lstMatrix", kMatrix);
        checkWindowEnabled(window, {"lstMatrix", "cmdClear"}, {"btnPrepare", "btnEncode"});

        click(&window, "chkSegList_1"); // the main movie's segments only
        clickItem(&window, "lstSegment2", kSegment);
        QCOMPARE(textOf(&window, "txtVTS"), QStringLiteral("VTS_01"));
        // Its source is not in the test's project: the player cannot play it, and the window goes on.
        QCOMPARE(playerOf(window)->file(), project.preview("preview.avs"));
        checkWindowEnabled(window, {"lstMatrix", "optMode_1"}, {"btnPrepare", "btnEncode", "optApply_0", "btnApply"});

        tick(&window, "Option3");
        clickItem(&window, "lstMatrix", kMatrix); // a matrix takes the place of "No Matrix"
        QVERIFY(!checked(window, "Option3"));
        QCOMPARE(textOf(&window, "txtMatDes"), QStringLiteral("High More"));
        checkWindowEnabled(window, {"btnPrepare", "cmdClear", "optApply_0", "optApply_1", "optApply_3"},
                           {"btnEncode", "btnApply"});
        // "Low Bitrate" names the matrix in Tessera.ini's one key (where and how: the core's golden file).
        click(&window, "optApply_1");
        click(&window, "btnApply");
        QVERIFY(readBytes(project.folder / "Tessera" / "Tessera.ini").find("LowMatrix=1-high_high(4000+)\r\n") !=
                std::string::npos);

        click(&window, "btnPrepare");
        QVERIFY(textOf(&window, "lblAction1").startsWith("Files Ready!"));
        checkWindowEnabled(window, {"btnEncode", "cmdPlay", "cmdExit", "cmdReset", "cmdClear"}, {"btnPrepare"});

        // The same matrix again: already prepared, so Encode at once.
        clickItem(&window, "lstMatrix", kMatrix);
        checkWindowEnabled(window, {"btnEncode", "btnPrepare"}, {});

        // The encoder writes its file; the list shows it afterwards.
        bool lockedWhileRunning = false;
        project.runner.answer([&](const std::vector<std::string>&) {
            lockedWhileRunning = !child(&window, "cmdExit")->isEnabled() &&
                                 !child(&window, "lstSegment2")->isEnabled() &&
                                 !child(&window, "frmFilters")->isEnabled() && !child(&window, "Frame13")->isEnabled();
            writeBytes(project.preview(kEncoded), "video");
            return RunResult::ran(0);
        });
        project.prompter.expect("Encoding process Completed!");
        click(&window, "btnEncode");
        QVERIFY(lockedWhileRunning);
        QCOMPARE(itemsOf(&window, "lstM2V"), QStringList({kEncoded}));
        checkWindowEnabled(window, {"btnEncode", "btnPrepare", "cmdExit", "lstSegment2", "lstM2V"}, {"cmdPause"});

        click(&window, "optMode_1");
        fs::remove(project.preview("editor.avs"));
        click(&window, "cmdReset");
        QVERIFY(checked(window, "optMode_0") && checked(window, "chkSegList_0") && checked(window, "chkSegList_1"));
        QVERIFY(!window.rect().intersects(child(&window, "frmFilters")->geometry()));
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
        project.prompter.expectFolder(other.string());
        click(&window, "cmdBrowse");
        QCOMPARE(project.prompter.fileDialogTitles(), std::vector<std::string>({"Select the your Work Folder"}));
        QCOMPARE(textOf(&window, "lblWPath"), QString::fromStdString(other.string() + "/"));
        QCOMPARE(itemsOf(&window, "lstSegment2"), QStringList({"V010001_V001001.avs", "V010002_V001002.avs"}));
        checkWindowEnabled(window, {"cmdBrowse"}, {"btnPrepare", "btnEncode"});
    }

    // ProCoder takes no matrix and is minimised only while it runs; Exit then cancelled keeps the files.
    void procoderForcesNoMatrixAndMinimizesAroundTheRun() {
        Project project;
        const fs::path eclpro = project.folder / "Tessera" / "eclpro.INI";
        ini::SetValue("Status", "mode", "3", project.inf());
        ini::SetValue("Paths", "ProCoder", (project.folder / "Tessera" / "eclpro.exe").string(),
                      project.folder / "Tessera" / "Tessera.ini");
        project.prompter.expect("Canopus ProCoder doesn't support custom matrices!!!");
        Preview window(project.state, project.runner);
        QVERIFY(showActive(window));
        clickItem(&window, "lstSegment2", kSegment);
        QVERIFY(checked(window, "Option3"));
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
        exitAnswering(project, window, PromptAnswer::Cancel);
    }

    // Two encodes of one moving clip, one at a far lower quality: picked together they open the A/B view,
    // whose slider and view choice change what it shows. Then the player buttons on the segment's preview;
    // the encoded file opened in the outside player stops what plays, and so does closing the window (what
    // a stop leaves is the player's own test).
    void abViewPlayerButtonsAndTheOutsidePlayer() {
        Project project;
        project.folder.write(std::string("Tessera/Work/D2VAVS/") + kSegment, kLongClip);
        fs::create_directories(project.folder / "Preview");
        for (const auto& [file, quality] : {std::pair{"a b.m2v", "2"}, std::pair{"b.m2v", "31"}}) {
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
        checkTexts(view, {"lblA", "A: a b.m2v", "lblB", "B: b.m2v"});
        QTRY_COMPARE_WITH_TIMEOUT(view->shownFrame(), 0, 10000);
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
        QVERIFY(shown("picDiff") != shown("picA") && shown("picDiff") != shown("picB"));
        view->close();

        clickItem(&window, "lstSegment2", kSegment);
        PlayerView* player = playerOf(window);
        // Frames of the preview script come from quire-avs (how the player holds and resumes them is its own
        // test).
        QSignalSpy frames(player, &PlayerView::frameShown);
        click(&window, "cmdPlay");
        QVERIFY(frames.wait(10000));
        for (const auto& [button, state] :
             {std::pair{"cmdPause", PlayerView::State::Paused}, std::pair{"cmdContinue", PlayerView::State::Playing}}) {
            click(&window, button);
            QCOMPARE(player->state(), state);
            QCOMPARE(child(&window, "cmdContinue")->isVisible(), state == PlayerView::State::Paused);
            QCOMPARE(child(&window, "cmdPause")->isVisible(), state == PlayerView::State::Playing);
        }
        project.runner.answer(RunResult::ran(0));
        QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(list->item(0)).center());
        QCOMPARE(project.runner.commandLines(),
                 std::vector<std::string>(
                     {"\"/usr/bin/player\" \"" + project.folder.path().string() + "/preview/a b.m2v\""}));
        QCOMPARE(project.runner.styles().front(), WindowStyle::Normal);
        QCOMPARE(player->state(), PlayerView::State::Stopped);

        click(&window, "cmdPlay");
        QVERIFY(frames.wait(10000));
        window.close();
        QCOMPARE(player->state(), PlayerView::State::Stopped);
    }

    // "Filters" mode: the panels move in, the ticked filters make the text, Prepare leaves Encode off until
    // the text is applied into encode.avs, and the text goes to Tessera.ini; "Matrix" moves them out again.
    // Exit with Ok then deletes the temporary files.
    void filterPanelsWriteTheEncodeScriptAndTesseraKeys() {
        Project project;
        writeBytes(project.folder / "Tessera/Work/D2VAVS" / kSegment,
                   "# AVS File Created by DVD Tessera\r\nMpeg2Source(\"a.d2v\")\r\nConvertToYV12()\r\n");
        Preview window(project.state, project.runner);
        QVERIFY(showActive(window));
        const QRect inside = window.rect();
        clickItem(&window, "lstSegment2", kSegment);
        click(&window, "optMode_1");
        QVERIFY(inside.contains(child(&window, "frmFilters")->geometry()));
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
        radius->setEditText(QString());
        project.prompter.expect("'RADIUS' value must be between 1 and 4!!!");
        child(&window, "thrY")->setFocus();
        QCOMPARE(radius->palette().color(QPalette::Window), QColor(255, 0, 0));

        tick(&window, "Option3");
        click(&window, "btnPrepare");
        checkWindowEnabled(window, {"cmdApplyAVS"}, {"btnEncode"});
        click(&window, "cmdApplyAVS");
        QCOMPARE(readBytes(project.preview("encode.avs")),
                 "# AVS File Created by Quire\r\nMpeg2Source(\"a.d2v\")\r\n" + deen + "\r\nConvertToYV12()\r\n\r\n");
        checkWindowEnabled(window, {"btnEncode", "cmdApplyFilters"}, {"cmdApplyAVS"});
        // The text goes to Tessera.ini's keys (one line to a key: the core's test).
        click(&window, "cmdApplyFilters");
        QVERIFY(readBytes(project.folder / "Tessera" / "Tessera.ini").find("AVSfilter01=" + deen + "\r\n") !=
                std::string::npos);
        checkWindowEnabled(window, {}, {"cmdApplyFilters"});

        click(&window, "optMode_0");
        QVERIFY(!inside.intersects(child(&window, "frmFilters")->geometry()));
        exitAnswering(project, window, PromptAnswer::Ok);
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
        // Another segment's file, its matrix name too long for any screen.
        const QString matrix(150, 'm');
        project.encoded("v020001_V002001_" + matrix.toStdString() + "_No_Filter.m2v", 1, {3000, 50, 50, 1});
        clickItem(&window, "lstSegment2", kSegment);
        click(&window, "cmdCompare");
        auto* table = child<QTableWidget>(&window, "tblCompare");
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
        // Two rows picked together open the A/B view (the way there when no player opens the encoded-files
        // list); one or three do not.
        const auto clickRow = [table](int row, Qt::KeyboardModifiers keys) {
            QTest::mouseClick(table->viewport(), Qt::LeftButton, keys,
                              table->visualItemRect(table->item(row, Size)).center());
        };
        clickRow(2, {});
        QVERIFY(!child(&window, "cmdCompareAB")->isEnabled());
        clickRow(0, Qt::ControlModifier);
        click(&window, "cmdCompareAB");
        checkTexts(child<ABView>(&window, "frmAB"),
                   {"lblA", "A: V010001_V001001_A_Deen.m2v", "lblB", "B: V010001_V001001_C_No_Filter.m2v"});
        clickRow(1, Qt::ControlModifier);
        QVERIFY(!child(&window, "cmdCompareAB")->isEnabled());
        // Another segment refills the open table; names too long for any screen wrap in columns of limited
        // width, and the dialog stays on the screen.
        clickItem(&window, "lstSegment2", "v020001_V002001.AVS");
        QCOMPARE(rowsOf(table), QStringList({"v020001_V002001_" + matrix + "_No_Filter.m2v | " + matrix +
                                             " | No_Filter | 1 | *3000 / 3000 | *50.00 | *50.00 | *1.0000 | -"}));
        QVERIFY(table->columnWidth(File) <= 240 && table->columnWidth(Matrix) <= 160);
        QVERIFY2(table->rowHeight(0) >= 4 * table->fontMetrics().height(), "the names are not wrapped");
        QVERIFY(child(&window, "frmCompare")->frameGeometry().width() <= table->screen()->availableGeometry().width());
    }

    void compareMeasureFillsTheOpenTableAndCancelStopsOne() {
        Project project;
        Preview window(project.state, project.runner);
        QVERIFY(showActive(window));
        clickItem(&window, "lstSegment2", kSegment);
        click(&window, "cmdCompare");
        auto* table = child<QTableWidget>(&window, "tblCompare");
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
        project.checkLogged({"PREVIEW: The measure was cancelled."});
        QCOMPARE(table->item(0, PsnrY)->text(), QStringLiteral("-"));
    }

    void previewScriptPlaysEveryFrameInOrder() {
        Player p("preview.avs", previewScript(12));
        p.view->play();
        QVERIFY(p.finished.wait(20000));
        QCOMPARE(p.shown.count(), 12);
        for (int i = 0; i < 12; ++i)
            QCOMPARE(p.shown[i][0].toInt(), i + 1);
        QCOMPARE(p.view->frameSize(), QSize(480, 384));
        QCOMPARE(p.view->frameRate(), 24.0);
        QCOMPARE(p.view->state(), PlayerView::State::Stopped);
        QVERIFY(!processExists(p.view->childPid()));
        QVERIFY(!p.view->currentFrame().isNull());
    }

    // A destroyed view, as a stopped one, leaves no child.
    void pausedViewHoldsTheChildAndStopOrDestroyingReapsIt() {
        Player p("long.avs", previewScript(2000));
        connect(p.view.get(), &PlayerView::frameShown, p.view.get(), [&p](int n) {
            if (n == 5)
                p.view->pause();
        });
        p.view->play();
        QTRY_COMPARE_WITH_TIMEOUT(p.view->state(), PlayerView::State::Paused, 20000);
        QTest::qWait(1500);
        QCOMPARE(p.view->framesShown(), 5);
        QVERIFY2(p.view->framesRead() <= 5 + PlayerView::kQueueFrames + 1,
                 qPrintable(QString::number(p.view->framesRead())));

        p.view->resume();
        QTRY_VERIFY_WITH_TIMEOUT(p.view->framesShown() > 20, 20000);
        p.view->hide(); // a hidden view shows no more frames
        const int hiddenAt = p.view->framesShown();
        QTest::qWait(1000);
        QCOMPARE(p.view->framesShown(), hiddenAt);
        p.view->show();

        const long pid = p.view->childPid();
        p.view->stop();
        QCOMPARE(p.view->state(), PlayerView::State::Stopped);
        QVERIFY(p.view->currentFrame().isNull());
        QVERIFY(!processExists(pid));                   // reaped, not a zombie
        QTRY_VERIFY_WITH_TIMEOUT(groupGone(pid), 2000); // and the renderer's FFmpeg is gone too
        QCOMPARE(p.finished.count() + p.failed.count(), 0);

        p.view->play();
        QVERIFY(p.shown.wait(20000));
        const long playing = p.view->childPid();
        p.view.reset();
        QVERIFY(!processExists(playing));
        QTRY_VERIFY_WITH_TIMEOUT(groupGone(playing), 2000);
    }

    void childThatDiesMidStreamIsReportedAndReaped() {
        // A renderer that answers --info for 4x2 frames, writes two of them and is then killed.
        Player p("preview.avs", "BlankClip()\r\n");
        const auto renderer =
            p.folder.write("quire-avs", "#!/bin/sh\n"
                                        "if [ \"$2\" = --info ]; then echo '4 2 24/1 10 bgra'; exit 0; fi\n"
                                        "head -c 64 /dev/zero\n"
                                        "echo 'about to crash' >&2\n"
                                        "kill -9 $$\n");
        ::chmod(renderer.c_str(), 0755);
        p.view->setProgramFolder(p.folder.path());
        p.view->play();
        const long pid = p.view->childPid();
        QVERIFY(p.failed.wait(10000));
        QCOMPARE(p.finished.count(), 0);
        QCOMPARE(p.view->framesShown(), 2);
        const QString message = p.failed[0][0].toString();
        QVERIFY2(message.contains("signal 9") && message.contains("about to crash"), qPrintable(message));
        QCOMPARE(p.view->state(), PlayerView::State::Stopped);
        QVERIFY(!processExists(pid));
    }

    // The first frame is due when it comes: the child's start-up is no lateness. At a thousand frames a
    // second any start-up is longer than a period, so a clock started with the child counts it late.
    void firstFrameIsNotCountedLate() {
        Player p("one.avs", "BlankClip(length=1, width=64, height=48, fps=1000)\r\n");
        p.view->setFrameIntervalZero(false);
        p.view->play();
        QVERIFY(p.finished.wait(20000));
        QCOMPARE(p.view->framesShown(), 1);
        QCOMPARE(p.view->lateFrames(), 0);
    }

    void scriptTheRendererRefusesFailsInWords() {
        Player p("bad.avs", "BlankClip(length=12\r\n");
        p.view->play();
        QCOMPARE(p.failed.count(), 1);
        const QString message = p.failed[0][0].toString();
        QVERIFY2(message.contains("bad.avs:2: BlankClip"), qPrintable(message));
        QCOMPARE(p.view->state(), PlayerView::State::Stopped);
        QCOMPARE(p.view->childPid(), 0L); // the renderer refused it at --info: nothing was started
    }

    void encodedFileIsLetterboxedToItsDisplayAspect() {
        // A red 16:9 MPEG-2 stream of 720x480 (non-square pixels), shown in a square view.
        Player p("seg.m2v", "");
        QProcess ffmpeg;
        ffmpeg.start("ffmpeg",
                     {"-v", "error", "-f", "lavfi", "-i", "color=c=red:s=720x480:r=30000/1001:d=0.2", "-c:v",
                      "mpeg2video", "-aspect", "16:9", "-y", QString::fromStdString((p.folder / "seg.m2v").string())});
        QVERIFY(ffmpeg.waitForFinished(30000) && ffmpeg.exitCode() == 0);
        p.view->resize(320, 320);
        p.view->play();
        QVERIFY(p.finished.wait(20000));
        QCOMPARE(p.shown.count(), 6);
        QCOMPARE(p.view->frameSize(), QSize(720, 480));
        QVERIFY(qAbs(p.view->displayAspect() - 16.0 / 9.0) < 0.01);
        const QImage picture = p.view->grab().toImage();
        // 320 wide at 16:9 is 180 high: black bars of 70 rows above and below; the top one ends at row 70.
        QCOMPARE(QColor(picture.pixel(160, 60)), QColor(Qt::black));
        QVERIFY(qRed(picture.pixel(160, 80)) > 200 && qGreen(picture.pixel(160, 80)) < 60);
    }

    // The runner of outside programs on real processes: a missing or non-executable program, exit
    // statuses, quoted paths with blanks, no shell in between, and timers that go on during the wait.
    void programsThatCannotStart() {
        TempFolder folder;
        const fs::path notExecutable = folder.write("plain file", "just text");
        fs::permissions(notExecutable, fs::perms::owner_read | fs::perms::owner_write);
        QtRunner runner;
        // Each description names what could not start.
        const std::pair<std::string, std::string> lines[] = {
            {quoted(folder / "no such program") + " x", "no such program"},
            {quoted(notExecutable), "plain file"},
            {"", ""},
            {"\"\" arg", ""}};
        for (const auto& [line, named] : lines) {
            const RunResult result = runner.run(line, WindowStyle::Minimised);
            QVERIFY2(result.outcome == RunResult::Outcome::CouldNotStart && !result.description.empty(), line.c_str());
            QVERIFY2(result.description.find(named) != std::string::npos, result.description.c_str());
        }
    }
    void exitStatusesArePassedOn() {
        // A program that ran but failed is not "could not start"; timers go on while the runner waits.
        QTimer timer;
        int ticks = 0;
        connect(&timer, &QTimer::timeout, [&ticks] { ++ticks; });
        timer.start(20);
        QtRunner runner;
        const struct {
            const char* line;
            int exitCode;
        } rows[] = {{"\"/bin/true\"", 0}, {"/bin/false", 1}, {"/bin/sleep 0.4", 0}};
        for (const auto& row : rows) {
            const RunResult result = runner.run(row.line, WindowStyle::Normal);
            QVERIFY2(result.started(), row.line);
            QCOMPARE(result.exitCode, row.exitCode);
        }
        QVERIFY2(ticks >= 3, std::to_string(ticks).c_str());
    }
    void quotedPathsReachTheProgramWithoutAShell() {
        TempFolder folder;
        fs::create_directories(folder / "tools dir");
        fs::copy_file("/bin/cp", folder / "tools dir" / "my cp");
        const fs::path source = folder.write("in put/a b.txt", "payload");
        fs::create_directories(folder / "out dir");
        QtRunner runner;
        const std::string line = quoted(folder / "tools dir" / "my cp") + " " + quoted(source) + " \"" +
                                 (folder / "out dir").string() + "/c \\\"d\\\" e.txt\"";
        const RunResult result = runner.run(line, WindowStyle::Minimised);
        QVERIFY2(result.started(), result.description.c_str());
        QCOMPARE(readBytes(folder / "out dir" / "c \"d\" e.txt"), std::string("payload"));

        const std::string target = (folder / "b; touch pwned $(touch pwned2) && touch pwned3").string();
        QCOMPARE(runner.run("/bin/cp " + quoted(source) + " \"" + target + "\"", WindowStyle::Normal).exitCode, 0);
        QCOMPARE(readBytes(target), std::string("payload"));
        for (const char* name : {"pwned", "pwned2", "pwned3"})
            QVERIFY2(!fs::exists(folder / name) && !fs::exists(name), name);
    }
    // The real encodes run on one sample project: two short segments (one second, 25 frames) of a small
    // picture keep every encode short.
    void initTestCase() {
        m_sample = std::make_unique<Program>();
        const fs::path program = m_sample->folder.path(), bin = QUIRE_BIN;
        m_sample->writeEditorIni("Player=/usr/bin/true\r\nTesseraFolder=" + (program / "Tessera").string() + "\r\n");
        QProcess sample;
        sample.start(QString::fromStdString((bin / "quire-sample-project").string()),
                     {QString::fromStdString((program / "Tessera").string()), "--movie", "2", "--extras", "0",
                      "--seconds", "1", "--size", "176x144", "--native-paths", "--program-folder",
                      QString::fromStdString(bin.string())});
        QVERIFY2(sample.waitForFinished(60000) && sample.exitCode() == 0, sample.readAllStandardError().constData());
        m_inf = program / "Tessera" / "work" / "D2VAVS" / "Tessera.inf";
    }
    // Cinema Craft Encoder SP through the control list (QuEnc's command line: the next case).
    void encodeCarriesTheMatrix() {
        freshSample("1");
        Preview window(m_sample->state, m_runner);
        QVERIFY(showActive(window));
        CHECK_VERDICT(window, encodeSample(*m_sample, window, kMatrix), preview::CheckVerdict::Matches,
                      "Its matrices are the chosen ones (1-high_high(4000+)).");
    }
    // temp.cqm is written when the matrix is chosen; a library file changed afterwards never reaches QuEnc, and
    // the read-back says so.
    void staleCqmIsCaught() {
        freshSample("2");
        Preview window(m_sample->state, m_runner);
        QVERIFY(showActive(window));
        clickItem(&window, "lstSegment2", kSampleSegment);
        clickItem(&window, "lstMatrix", kMatrix);
        QCOMPARE(textOf(&window, "lblAction1"),
                 QStringLiteral("Press the 'Encode' button to Encode the selected segment."));
        std::string changed = kMatrixText;
        m_sample->folder.write(std::string("Lib/") + kMatrix, changed.replace(changed.find("116"), 3, "99"));
        m_sample->prompter.expect("Encoding process Completed!");
        click(&window, "btnEncode");
        QListWidgetItem* row = child<QListWidget>(&window, "lstM2V")->currentItem();
        CHECK_VERDICT(
            window, row, preview::CheckVerdict::Differs,
            "Its matrices are not the chosen ones (1-high_high(4000+)): the non-intra matrix differs at row 5, "
            "column 5: 116 in the file, 99 chosen.");
        QCOMPARE(row->text(), encodedName(kMatrixName));
    }
    void noMatrixKeepsTheDefaultsAndTheVerdictSurvivesReopening() {
        freshSample("5");
        const char* words = "Its matrices are the MPEG defaults that \"No Matrix\" asks for.";
        {
            Preview window(m_sample->state, m_runner);
            QVERIFY(showActive(window));
            CHECK_VERDICT(window, encodeSample(*m_sample, window, nullptr), preview::CheckVerdict::Matches, words);
            QVERIFY(fs::exists(m_sample->folder / "Preview" / "preview.ini"));
            window.close();
        }
        // Reopened without QuantDump: the kept result is shown, nothing is read again.
        fs::remove_all(m_sample->folder / "QuantumDump");
        Preview window(m_sample->state, m_runner);
        QVERIFY(showActive(window));
        QCOMPARE(itemsOf(&window, "lstM2V"), QStringList({encodedName("No_Matrix")}));
        child<QListWidget>(&window, "lstM2V")->setCurrentRow(0);
        CHECK_VERDICT(window, child<QListWidget>(&window, "lstM2V")->item(0), preview::CheckVerdict::Matches, words);
    }

private:
    // The sample project with Tessera set to the mode, QuantDump in place, the matrix as written and no
    // encoded file yet.
    void freshSample(const char* mode) {
        const fs::path quantDump = m_sample->folder / "QuantumDump" / "QuantDump";
        fs::create_directories(quantDump.parent_path());
        fs::copy_file(fs::path(QUIRE_BIN) / "QuantumDump" / "QuantDump", quantDump, fs::copy_options::skip_existing);
        fs::remove_all(m_sample->folder / "Preview");
        m_sample->folder.write(std::string("Lib/") + kMatrix, kMatrixText);
        ini::SetValue("Status", "mode", mode, m_inf);
    }

    std::unique_ptr<Program> m_sample;
    QtRunner m_runner;
    fs::path m_inf;
};

QTEST_MAIN(PreviewTest)
#include "PreviewTest.moc"
