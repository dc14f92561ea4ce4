// The extraction window driven headless: the lists, Extract with a recording runner that writes the
// output QuantDump would, the displays and names, Save, Restore, Exit, and one run of the real
// QuantDump on a stream FFmpeg makes during the test.
#include "GuiSupport.h"

#include "app/IniManager.h"
#include "extract/MatExt.h"
#include "extract/MatExtLogic.h"
#include "extract/QuantDumpOutput.h"
#include "matrix/MatrixFile.h"
#include "platform/QtRunner.h"
#include "support/RecordingRunner.h"
#include "ui/ColourScale.h"

#include <QCheckBox>
#include <QComboBox>
#include <QProcess>
#include <QScrollBar>
#include <QStandardPaths>

using namespace quire;
using namespace quire::test;
namespace fs = std::filesystem;

namespace {

// Matrix 1 of the prepared output, and how the window shows it (the display's padding of 8 and 9
// is the core's test).
const std::vector<std::string> kIntra1(8, "16 17 18 19 20 21 22 23");
const std::vector<std::string> kNonIntra1(8, "20 22 24 26 28 30 32 34");
const QString kShown1 =
    QStringLiteral("16 17 18 19 20 21 22 23\n").repeated(8) + QStringLiteral("20 22 24 26 28 30 32 34\n").repeated(8);
// Matrix 2 has the widest values, 8 columns of 255.
const std::vector<std::string> kIntra2(8, "255 255 255 255 255 255 255 255");
const std::vector<std::string> kNonIntra2(8, "40 41 42 43 44 45 46 47");
const QStringList kStreams = {"b.MPEG", "Film.m2v", "vts_01_0.vob", "VTS_01_1.VOB"};

std::string block(std::string_view header, const std::vector<std::string>& rows) {
    std::string text = std::string(header) + "\r\n";
    for (const auto& row : rows)
        text += row + "\r\n";
    return text + "\r\n";
}

// A QuantDump output of six blocks: the defaults, matrix 1 (Intra, Non-Intra), matrix 2. With
// matrix 1 left out, its first header is neither matrix header and its second block is empty.
std::string sixtyLineOutput(bool withMatrix1 = true) {
    using namespace quire::extract;
    const std::string matrix1 = withMatrix1 ? block(kIntraHeader, kIntra1) + block(kNonIntraHeader, kNonIntra1)
                                            : block("Sequence Extension:", kIntra1) + block("", {8, ""});
    const std::vector<std::string> defaults(8, "16 16 16 16 16 16 16 16");
    return block(kIntraHeader, defaults) + block(kNonIntraHeader, defaults) + matrix1 + block(kIntraHeader, kIntra2) +
           block(kNonIntraHeader, kNonIntra2);
}

// A program folder with QuantDump, remembering as LastDVD a DVD folder with streams.
struct Setting : Program {
    Setting() {
        writeEditorIni("LastDVD=" + dvd.path().string() + "\r\n");
        folder.write("QuantumDump/QuantDump", "stand-in");
        for (const char* name : {"VTS_01_1.VOB", "vts_01_0.vob", "Film.m2v", "b.MPEG", "notes.txt", "VTS_01_0.IFO"})
            dvd.write(name, "stream");
        dvd.write("sub/Other.mpg", "stream");
    }
    // The next run writes this output where its command line says.
    void answerWith(const std::string& output) {
        runner.answer([output](const std::vector<std::string>& args) {
            writeBytes(args.at(2), output);
            return RunResult::ran(0);
        });
    }
    std::string lastDvd() const { return ini::GetValue("Config", "LastDVD", folder / "Editor.ini"); }

    TempFolder dvd;
    RecordingRunner runner;
};

void selectStream(MatExt& window, const QString& name) {
    clickItem(&window, "lstVOB", name);
    QCOMPARE(child<QListWidget>(&window, "lstVOB")->currentItem()->text(), name);
}

} // namespace

class MatExtTest : public QObject {
    Q_OBJECT
private slots:
    // Inside a chroot or some containers "/" is not listed as a mount: a folder no listed volume holds
    // is on the root volume.
    void opensOnTheLastFolderAndFollowsFolderAndDrive() {
        Setting s;
        MatExt window(s.state, s.runner, {"/proc", s.dvd / "unplugged"});
        auto* drive1 = child<QComboBox>(&window, "Drive1");
        QCOMPARE(drive1->currentData().toString(), QStringLiteral("/"));
        QCOMPARE(drive1->count(), 3);
        QCOMPARE(window.windowTitle(), QStringLiteral("  Quire - Matrix Extraction"));
        QCOMPARE(itemsOf(&window, "lstVOB"), kStreams);
        auto* dir1 = child<QListWidget>(&window, "Dir1");
        QCOMPARE(dir1->currentItem()->data(Qt::UserRole).toString(), QString::fromStdString(s.dvd.path().string()));
        checkTexts(&window, {"Message", "Please, locate and select the video stream you want to use.", "lblExtraction",
                             "", "Text2", "Matrix 1", "Text3", "Matrix 2"});
        checkEnabled(&window, {"btnExtract", "cmdSave", "cmdExit", "Check1", "Check2", "Text2", "Text3"}, false);

        QVERIFY(showActive(window));
        selectStream(window, QStringLiteral("VTS_01_1.VOB"));
        QVERIFY(textOf(&window, "Message").startsWith(QStringLiteral("Click 'Extract Matrices' to begin")));
        checkEnabled(&window, {"btnExtract"}, true);
        // The frame's white text colour once spread to the fields inside it: white text on white.
        for (const char* name : {"Mat1", "Mat2", "Text2", "Text3"}) {
            const QPalette palette = child(&window, name)->palette();
            QVERIFY2(palette.color(QPalette::Text) != palette.color(QPalette::Base), name);
        }
        checkColours(&window, "lblExtraction", {});

        // Another folder lists its streams and is remembered; a drive not ready locks the lists.
        dir1->setCurrentRow(dir1->count() - 1);
        QTest::keyClick(dir1, Qt::Key_Return);
        QCOMPARE(itemsOf(&window, "lstVOB"), QStringList({"Other.mpg"}));
        QCOMPARE(s.lastDvd(), (s.dvd / "sub").string());
        checkEnabled(&window, {"btnExtract"}, false);

        window.setVolumes(
            {QString::fromStdString(s.dvd.path().string()), QString::fromStdString((s.dvd / "unplugged").string())});
        s.prompter.expect("Device not ready!\n\nPlease select another drive.");
        drive1->setCurrentIndex(1);
        checkEnabled(&window, {"Dir1", "lstVOB", "btnExtract", "cmdRestore"}, false);
        drive1->setCurrentIndex(0);
        checkEnabled(&window, {"Dir1", "lstVOB"}, true);
        checkEnabled(&window, {"btnExtract"}, false); // until a stream is chosen again
        QCOMPARE(itemsOf(&window, "lstVOB"), kStreams);
        QCOMPARE(s.lastDvd(), s.dvd.path().string());
    }
    void extractSaveRestoreColourScaleAndRunsThatExtractNothing() {
        Setting s;
        s.folder.write("TempMatrix/b.MPEG.txt", sixtyLineOutput(false));
        MatExt window(s.state, s.runner);
        QVERIFY(showActive(window));
        s.prompter.expect("You haven't selected any file on the 'Video Streams' box!!!");
        click(&window, "cmdRestore");
        selectStream(window, QStringLiteral("VTS_01_1.VOB"));

        // While QuantDump runs: the status, the message, the controls locked, the animation started.
        bool running = false;
        s.runner.answer([&](const std::vector<std::string>& args) {
            checkTexts(&window, {"lblExtraction", "Extraction in Progress", "Message",
                                 "Extraction in progress\nThis may take a few minutes."});
            checkEnabled(&window,
                         {"Drive1", "Dir1", "lstVOB", "btnExtract", "cmdRestore", "cmdExit", "Check1", "Check2",
                          "Text2", "Text3", "cmdSave"},
                         false);
            running = window.Timer1.isActive() && window.txtShellMode == "3";
            writeBytes(args.at(2), sixtyLineOutput());
            return RunResult::ran(0);
        });
        click(&window, "btnExtract");
        QVERIFY(running);
        QCOMPARE(s.runner.commandLines(), std::vector<std::string>{extract::quantDumpCommandLine(
                                              s.folder / "QuantumDump/QuantDump", s.dvd / "VTS_01_1.VOB",
                                              s.folder / "TempMatrix/VTS_01_1.VOB.txt")});
        QCOMPARE(s.runner.styles().at(0), WindowStyle::Minimised);
        checkTexts(&window, {"Mat1", kShown1, "Mat2",
                             QStringLiteral("255 255 255 255 255 255 255 255\n").repeated(8) +
                                 QStringLiteral("40 41 42 43 44 45 46 47\n").repeated(8),
                             "Text2", "VTS_01_1_M1", "Text3", "VTS_01_1_M2", "lblExtraction", "Extraction Completed",
                             "Message", fromCp1252(extract::kSuccessMessage)});
        checkEnabled(&window, {"Check1", "Check2", "Text2", "Text3", "cmdSave", "cmdRestore", "cmdExit", "lstVOB"},
                     true);
        QVERIFY(child<QCheckBox>(&window, "Check1")->isChecked() && child<QCheckBox>(&window, "Check2")->isChecked());
        // The widest values fit without a scroll bar; 16 rows and the empty line after the last line break.
        for (const char* name : {"Mat1", "Mat2"}) {
            auto* display = child<QPlainTextEdit>(&window, name);
            QCOMPARE(display->blockCount(), 17);
            QVERIFY2(!display->horizontalScrollBar()->maximum() && !display->verticalScrollBar()->maximum(), name);
        }

        child<QCheckBox>(&window, "Check2")->setChecked(false);
        click(&window, "cmdSave");
        QCOMPARE(s.read("VTS_01_1_M1.mtx"),
                 QString(kShown1).replace(QStringLiteral("\n"), QStringLiteral("\r\n")).toStdString() + "\r\n");
        QVERIFY(!fs::exists(s.lib("VTS_01_1_M2.mtx")));
        QCOMPARE(textOf(&window, "Message"), QStringLiteral("\n\n          SAVED!"));
        QCOMPARE(s.mainView.calls, std::vector<std::string>{"resetView"});

        // A stream never scanned, or whose last scan left no matrix 1: said so, nothing shown.
        for (const QString& never : {QStringLiteral("b.MPEG"), QStringLiteral("Film.m2v")}) {
            selectStream(window, never);
            s.prompter.expect("You haven't scanned this file yet!!!");
            click(&window, "cmdRestore");
            QCOMPARE(textOf(&window, "Mat1"), QString());
        }
        // Restore shows the stream's last scan again without running QuantDump.
        selectStream(window, QStringLiteral("VTS_01_1.VOB"));
        click(&window, "cmdRestore");
        QCOMPARE(s.runner.commandLines().size(), std::size_t(1));
        checkTexts(&window, {"Mat1", kShown1, "Text3", "VTS_01_1_M2", "lblExtraction", "Extraction Completed",
                             "Message", fromCp1252(extract::kSuccessMessage)});
        checkEnabled(&window, {"cmdSave"}, true);
        // The colour scale from a display's menu colours the numbers of both matrices.
        auto* mat1 = child<QPlainTextEdit>(&window, "Mat1");
        QVERIFY(mat1->extraSelections().isEmpty());
        chooseFromContextMenu(mat1, QStringLiteral("Colour scale"));
        QCOMPARE(mat1->extraSelections().size(), 128);
        const scale::Rgb sixteen = scale::valueColour(16);
        QCOMPARE(mat1->extraSelections().first().format.background().color(), QColor(sixteen.r, sixteen.g, sixteen.b));
        QVERIFY(!child<QPlainTextEdit>(&window, "Mat2")->extraSelections().isEmpty());

        // A run that extracts nothing clears what the restore showed, shows its box, and says why in the
        // Message field: here QuantDump could not start from its folder nor the program's. The reasons
        // QuantDump's output gives are the core's test.
        s.runner.answer(RunResult::couldNotStart("first")).answer(RunResult::couldNotStart("Missing."));
        s.prompter.expect("Missing.");
        click(&window, "btnExtract");
        checkTexts(&window, {"Message", fromCp1252(extract::kNotStartedMessage), "Mat1", "", "Mat2", "",
                             "lblExtraction", "No Matrices Extracted"});
        checkEnabled(&window, {"cmdSave", "Check1"}, false);
        checkEnabled(&window, {"btnExtract", "cmdExit", "lstVOB"}, true);

        // A complete output whose matrix 1 comes out empty: the failed state.
        s.answerWith(sixtyLineOutput(false));
        click(&window, "btnExtract");
        checkTexts(&window, {"lblExtraction", "No Matrices Extracted", "Message",
                             "The extraction process has failed!\nPlease, make sure you selected a supported "
                             "file on the 'Video Streams' list.",
                             "Mat1", ""});
    }
    // Exit, Escape and the close box offer to delete the temporary files and reset the main view.
    void escapeAndCloseBoxTakeTheExitPath() {
        for (const int way : {0, 1, 2}) {
            Setting s;
            MatExt window(s.state, s.runner);
            QVERIFY(showActive(window));
            selectStream(window, QStringLiteral("VTS_01_1.VOB"));
            s.answerWith(sixtyLineOutput());
            click(&window, "btnExtract");
            s.prompter.expect("Do you wish to delete all the temporary files?", PromptAnswer::Ok);
            if (way == 0)
                click(&window, "cmdExit");
            else if (way == 1)
                QTest::keyClick(QApplication::focusWidget() ? QApplication::focusWidget() : &window, Qt::Key_Escape);
            else
                window.close();
            QVERIFY(!window.isVisible());
            QCOMPARE(window.result(), int(QDialog::Accepted));
            QVERIFY(fs::is_directory(s.folder / "TempMatrix") && fs::is_empty(s.folder / "TempMatrix"));
            QCOMPARE(s.mainView.calls, (std::vector<std::string>{"refreshMatrixList", "resetView"}));
        }
    }
    void realQuantDumpOnAnFFmpegStream() {
        const fs::path quantDump = QUIRE_QUANTDUMP;
        if (!fs::exists(quantDump))
            QSKIP("the QuantDump stand-in has not been built");
        const QString ffmpeg = QStandardPaths::findExecutable(QStringLiteral("ffmpeg"));
        if (ffmpeg.isEmpty())
            QSKIP("FFmpeg is not installed");

        Setting s;
        fs::copy_file(quantDump, s.folder / "QuantumDump" / "QuantDump", fs::copy_options::overwrite_existing);
        // Raster order, as FFmpeg's -intra_matrix and -inter_matrix take them and as Quire writes them.
        std::vector<int> expected(128);
        QStringList intraText, interText;
        for (int i = 0; i < 64; ++i) {
            intraText << QString::number(expected[i] = 8 + i);
            interText << QString::number(expected[64 + i] = 16 + 2 * i);
        }
        const QString stream = QString::fromStdString((s.dvd / "Custom.m2v").string());
        QProcess encode;
        encode.start(ffmpeg, {"-v", "error", "-y", "-f", "lavfi", "-i", "testsrc=size=176x144:rate=25", "-frames:v",
                              "5", "-c:v", "mpeg2video", "-intra_matrix", intraText.join(','), "-inter_matrix",
                              interText.join(','), stream});
        QVERIFY(encode.waitForFinished(60000));
        QCOMPARE(encode.exitCode(), 0);

        QtRunner runner;
        MatExt window(s.state, runner);
        QVERIFY(showActive(window));
        selectStream(window, QStringLiteral("Custom.m2v"));
        click(&window, "btnExtract");
        checkTexts(&window, {"lblExtraction", "Extraction Completed", "Text2", "Custom_M1"});
        QVERIFY(textOf(&window, "Mat1").startsWith(QStringLiteral("8 09 10 11 12 13 14 15\n16 17 18")));
        child<QCheckBox>(&window, "Check2")->setChecked(false);
        click(&window, "cmdSave");

        const auto codes = ReadMatrixCodes(s.lib("Custom_M1.mtx"));
        QVERIFY(codes);
        QCOMPARE(std::vector<int>(codes->begin(), codes->end()), expected);
        QVERIFY(s.read("Matrix_Info.ini").find("[custom_m1.mtx]\r\nInfo1=\r\nInfo2=\r\n") != std::string::npos);
    }
};

QTEST_MAIN(MatExtTest)
#include "MatExtTest.moc"
