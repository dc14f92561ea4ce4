// The extraction window driven headless: the lists, Extract with a recording runner that writes the
// output QuantDump would, the displays and names, Save, Restore, Exit, and one run of the real
// QuantDump on a stream FFmpeg makes during the test.
#include "GuiSupport.h"

#include "app/IniManager.h"
#include "app/Main.h"
#include "extract/MatExt.h"
#include "extract/MatExtLogic.h"
#include "extract/QuantDumpOutput.h"
#include "matrix/DefaultSet.h"
#include "matrix/Library.h"
#include "matrix/MatrixFile.h"
#include "platform/QtRunner.h"
#include "platform/Text1252.h"
#include "support/RecordingRunner.h"
#include "ui/Localisation.h"
#include "ui/WindowLook.h"
#include "ui/XPButton.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QProcess>
#include <QProgressBar>
#include <QStandardPaths>

using namespace quire;
using namespace quire::test;
namespace fs = std::filesystem;

namespace {

const std::vector<std::string> kDefaultIntra = {
    "8 16 19 22 26 27 29 34",  "16 16 22 24 27 29 34 37", "19 22 26 27 29 34 34 38", "22 22 26 27 29 34 37 40",
    "22 26 27 29 32 35 40 48", "26 27 29 32 35 40 48 58", "26 27 29 34 38 46 56 69", "27 29 35 38 46 56 69 83"};
const std::vector<std::string> kDefaultNonIntra(8, "16 16 16 16 16 16 16 16");
// Matrix 1 of the prepared output, with values 8 and 9 side by side, and how the window shows it.
const std::vector<std::string> kIntra1 = {
    "8 9 9 10 11 12 13 14",    "16 8 8 9 20 21 22 23",    "17 18 19 20 21 22 23 24", "18 19 20 21 22 23 24 25",
    "19 20 21 22 23 24 25 26", "20 21 22 23 24 25 26 27", "21 22 23 24 25 26 27 28", "22 23 24 25 26 27 28 100"};
const std::vector<std::string> kNonIntra1(8, "20 22 24 26 28 30 32 34");
const QString kShown1 = QStringLiteral("8 09 09 10 11 12 13 14\n16 08 08 09 20 21 22 23\n17 18 19 20 21 22 23 24\n"
                                       "18 19 20 21 22 23 24 25\n19 20 21 22 23 24 25 26\n20 21 22 23 24 25 26 27\n"
                                       "21 22 23 24 25 26 27 28\n22 23 24 25 26 27 28 100\n") +
                        QStringLiteral("20 22 24 26 28 30 32 34\n").repeated(8);
const std::vector<std::string> kIntra2(8, "30 31 32 33 34 35 36 37");
const std::vector<std::string> kNonIntra2(8, "40 41 42 43 44 45 46 47");

std::string block(std::string_view header, const std::vector<std::string>& rows) {
    std::string text = std::string(header) + "\r\n";
    for (const auto& row : rows)
        text += row + "\r\n";
    return text + "\r\n";
}

// A QuantDump output of six blocks: the defaults, matrix 1 (Intra, Non-Intra), matrix 2.
std::string sixtyLineOutput() {
    using namespace quire::extract;
    return block(kIntraHeader, kDefaultIntra) + block(kNonIntraHeader, kDefaultNonIntra) +
           block(kIntraHeader, kIntra1) + block(kNonIntraHeader, kNonIntra1) + block(kIntraHeader, kIntra2) +
           block(kNonIntraHeader, kNonIntra2);
}

// Sixty lines whose third header is neither matrix header and whose fourth block is empty:
// the rules cut nothing for matrix 1.
std::string sixtyLineOutputWithoutMatrix1() {
    using namespace quire::extract;
    return block(kIntraHeader, kDefaultIntra) + block(kNonIntraHeader, kDefaultNonIntra) +
           block("Sequence Extension:", kIntra1) + block("", std::vector<std::string>(8)) +
           block(kIntraHeader, kIntra2) + block(kNonIntraHeader, kNonIntra2);
}

std::string defaultsOnlyOutput(std::size_t lines) {
    const std::string all =
        block(extract::kIntraHeader, kDefaultIntra) + block(extract::kNonIntraHeader, kDefaultNonIntra);
    std::string text;
    std::size_t count = 0;
    for (const auto& line : text::splitLines(all))
        if (count++ < lines)
            text += line + "\r\n";
    return text;
}

class CountingView : public MainView {
public:
    int resets = 0;
    int refreshes = 0;
    void resetView() override { ++resets; }
    void resetViewKeepGrid() override {}
    void refreshMatrixList() override { ++refreshes; }
    void applyMainColours() override {}
    void applyMainCaptions() override {}
    void setTranslator() override {}
};

enum class QuantDumpPlace { Folder, Nowhere };

// A program folder with languages, Editor.ini, a library "Lib" and QuantDump; a DVD folder with
// streams, remembered as LastDVD.
struct Setting {
    explicit Setting(QuantDumpPlace place = QuantDumpPlace::Folder)
        : prompter(qtReporter()), state(program.path(), prompter) {
        ScriptedPrompter quiet;
        WriteLanguageFiles(quiet, program.path());
        program.write("Editor.ini", "[Config]\r\nLanguage=English.lng\r\nMatrixFolder=" + (program / "Lib").string() +
                                        "\r\nLastDVD=" + dvd.path().string() + "\r\n");
        program.write("Lib/Matrix_Info.ini", std::string(defaultMatrixInfo()));
        program.write("Lib/Matrix_Info_Custom.ini", "");
        if (place == QuantDumpPlace::Folder)
            program.write("QuantumDump/QuantDump", "stand-in");
        for (const char* name : {"VTS_01_1.VOB", "vts_01_0.vob", "Film.m2v", "b.MPEG", "notes.txt", "VTS_01_0.IFO"})
            dvd.write(name, "stream");
        fs::create_directories(dvd / "sub");
        dvd.write("sub/Other.mpg", "stream");
        state.txtLang = "English.lng";
        state.txtPath = (program / "Lib").string();
        state.txtBackColor = "16737808";
        state.txtTextColor = "16777215";
        state.txtButtonsColor = "4210752";
        state.mainView = &view;
    }

    // The command line a stream of the DVD folder gets.
    std::string commandLine(const char* stream, const fs::path& quantDump) const {
        return "\"" + quantDump.string() + "\" \"" + (dvd / stream).string() + "\" \"" +
               (program / "TempMatrix" / (std::string(stream) + ".txt")).string() + "\"";
    }

    // The next run writes this output where its command line says.
    void answerWith(const std::string& output) {
        runner.answer([output](const std::vector<std::string>& args) {
            writeBytes(args.at(2), output);
            return RunResult::ran(0);
        });
    }

    TempFolder program;
    TempFolder dvd;
    ScriptedPrompter prompter;
    SharedState state;
    CountingView view;
    RecordingRunner runner;
};

QStringList items(QListWidget* list) {
    QStringList names;
    for (int i = 0; i < list->count(); ++i)
        names << list->item(i)->text();
    return names;
}

bool showActive(QWidget& window) {
    window.show();
    return QTest::qWaitForWindowActive(&window);
}

void selectStream(MatExt& window, const QString& name) {
    auto* list = child<QListWidget>(&window, "lstVOB");
    const auto found = list->findItems(name, Qt::MatchExactly);
    QVERIFY(!found.isEmpty());
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(found.first()).center());
    QCOMPARE(list->currentItem()->text(), name);
}

void click(MatExt& window, const char* name) {
    auto* button = child<ccXPButton>(&window, name);
    QVERIFY2(button->isEnabled(), name);
    QTest::mouseClick(button, Qt::LeftButton);
}

QString textOf(MatExt& window, const char* name) {
    if (auto* edit = window.findChild<QPlainTextEdit*>(QString::fromLatin1(name)))
        return edit->toPlainText();
    if (auto* line = window.findChild<QLineEdit*>(QString::fromLatin1(name)))
        return line->text();
    return child<QLabel>(&window, name)->text();
}

bool enabled(MatExt& window, const char* name) {
    return child<QWidget>(&window, name)->isEnabled();
}

std::string shownCrLf(const QString& shown) {
    return QString(shown).replace(QStringLiteral("\n"), QStringLiteral("\r\n")).toStdString();
}

} // namespace

class MatExtTest : public QObject {
    Q_OBJECT
private slots:
    void opensOnTheLastFolderWithItsStreams();
    void extractShowsBothMatricesAndSavesMatrix1();
    void outputsWithoutCustomMatrices();
    void restorePreviousScan();
    void changingFolderAndDrive();
    void mainWindowExtractButtonOpensTheWindow();
    void fieldsInsideTheMatricesFrameStayReadable();
    void realQuantDumpOnAnFFmpegStream();
};

void MatExtTest::opensOnTheLastFolderWithItsStreams() {
    Setting s;
    MatExt window(s.state, s.runner);
    QCOMPARE(window.windowTitle(), QStringLiteral("  Quire - Matrix Extraction"));
    QVERIFY(fs::is_directory(s.program / "TempMatrix"));
    QCOMPARE(items(child<QListWidget>(&window, "lstVOB")),
             QStringList({"b.MPEG", "Film.m2v", "vts_01_0.vob", "VTS_01_1.VOB"}));
    auto* dir1 = child<QListWidget>(&window, "Dir1");
    QCOMPARE(dir1->currentItem()->data(Qt::UserRole).toString(), QString::fromStdString(s.dvd.path().string()));
    QCOMPARE(dir1->item(dir1->count() - 1)->text(), QStringLiteral("sub"));
    // Typing a folder's first letters finds it.
    dir1->setCurrentRow(0);
    QTest::keyClicks(dir1, QStringLiteral("su"));
    QCOMPARE(dir1->currentItem()->text(), QStringLiteral("sub"));
    QCOMPARE(textOf(window, "Message"), QStringLiteral("Please, locate and select the video stream you want to use."));
    QCOMPARE(textOf(window, "lblExtraction"), QString());
    QCOMPARE(textOf(window, "Text2"), QStringLiteral("Matrix 1"));
    QCOMPARE(textOf(window, "Text3"), QStringLiteral("Matrix 2"));
    for (const char* off : {"btnExtract", "cmdSave", "cmdExit", "Check1", "Check2", "Text2", "Text3"})
        QVERIFY2(!enabled(window, off), off);
    QVERIFY(enabled(window, "cmdRestore"));
    QVERIFY(!window.Timer1.isActive() && !window.Timer2.isActive());
    QCOMPARE(window.Timer1.interval(), 500);

    QVERIFY(showActive(window));
    selectStream(window, QStringLiteral("VTS_01_1.VOB"));
    QCOMPARE(window.txtCmdLine, s.commandLine("VTS_01_1.VOB", s.program / "QuantumDump" / "QuantDump"));
    QVERIFY(textOf(window, "Message").startsWith(QStringLiteral("Click 'Extract Matrices' to begin")));
    QVERIFY(enabled(window, "btnExtract"));
    QVERIFY(s.runner.commandLines().empty());
}

void MatExtTest::extractShowsBothMatricesAndSavesMatrix1() {
    Setting s;
    MatExt window(s.state, s.runner);
    QVERIFY(showActive(window));
    selectStream(window, QStringLiteral("VTS_01_1.VOB"));

    // While QuantDump runs: the status, the message, the controls locked, the animation started.
    QString statusDuring, messageDuring;
    bool lockedDuring = false, timerDuring = false;
    std::string modeDuring;
    s.runner.answer([&](const std::vector<std::string>& args) {
        statusDuring = textOf(window, "lblExtraction");
        messageDuring = textOf(window, "Message");
        lockedDuring = true;
        for (const char* name : {"Drive1", "Dir1", "lstVOB", "btnExtract", "cmdRestore", "cmdExit", "Check1", "Check2",
                                 "Text2", "Text3", "cmdSave"})
            lockedDuring = lockedDuring && !enabled(window, name);
        timerDuring = window.Timer1.isActive();
        modeDuring = window.txtShellMode;
        writeBytes(args.at(2), sixtyLineOutput());
        return RunResult::ran(0);
    });
    click(window, "btnExtract");
    QCOMPARE(statusDuring, QStringLiteral("Extraction in Progress"));
    QCOMPARE(messageDuring, QStringLiteral("Extraction in progress\nThis may take a few minutes."));
    QVERIFY(lockedDuring);
    QVERIFY(timerDuring);
    QCOMPARE(modeDuring, std::string("3"));

    QCOMPARE(s.runner.commandLines(),
             std::vector<std::string>{s.commandLine("VTS_01_1.VOB", s.program / "QuantumDump" / "QuantDump")});
    QCOMPARE(s.runner.styles().at(0), WindowStyle::Minimised);
    QCOMPARE(textOf(window, "Mat1"), kShown1);
    QCOMPARE(textOf(window, "Mat2"), QStringLiteral("30 31 32 33 34 35 36 37\n").repeated(8) +
                                         QStringLiteral("40 41 42 43 44 45 46 47\n").repeated(8));
    QCOMPARE(textOf(window, "Text2"), QStringLiteral("VTS_01_1_M1"));
    QCOMPARE(textOf(window, "Text3"), QStringLiteral("VTS_01_1_M2"));
    QCOMPARE(textOf(window, "lblExtraction"), QStringLiteral("Extraction Completed"));
    QCOMPARE(textOf(window, "Message"), fromCp1252(extract::kSuccessMessage));
    QCOMPARE(window.noMatrix, std::string("1"));
    QCOMPARE(s.program.read("TempMatrix/mat1.txt"), window.TempMat1);
    for (const char* on : {"Check1", "Check2", "Text2", "Text3", "cmdSave", "cmdRestore", "cmdExit", "lstVOB"})
        QVERIFY2(enabled(window, on), on);
    QVERIFY(child<QCheckBox>(&window, "Check1")->isChecked());
    QVERIFY(child<QCheckBox>(&window, "Check2")->isChecked());
    QVERIFY(!window.Timer1.isActive() && !window.Timer2.isActive());
    QCOMPARE(child<QProgressBar>(&window, "PB1")->value(), 0);

    child<QCheckBox>(&window, "Check2")->setChecked(false);
    click(window, "cmdSave");
    QCOMPARE(s.program.read("Lib/VTS_01_1_M1.mtx"), shownCrLf(kShown1) + "\r\n");
    QVERIFY(!fs::exists(s.program / "Lib" / "VTS_01_1_M2.mtx"));
    for (const char* index : {"Lib/Matrix_Info.ini", "Lib/Matrix_Info_Custom.ini"})
        QVERIFY2(s.program.read(index).find("[vts_01_1_m1.mtx]\r\nInfo1=\r\nInfo2=\r\n") != std::string::npos, index);
    QCOMPARE(textOf(window, "Message"), QStringLiteral("\n\n          SAVED!"));
    QCOMPARE(s.view.resets, 1);
    const auto codes = ReadMatrixCodes(s.program / "Lib" / "VTS_01_1_M1.mtx");
    QVERIFY(codes);
    QCOMPARE((*codes)[1], 9);
    QCOMPARE((*codes)[63], 100);

    // A refused name also resets the main view; Exit offers to delete the temporary files.
    child<QLineEdit>(&window, "Text2")->setText(QString());
    s.prompter.expect("You must give a name to your Matrix!");
    click(window, "cmdSave");
    QCOMPARE(s.view.resets, 2);
    s.prompter.expect("Do you wish to delete all the temporary files?", PromptAnswer::Ok);
    click(window, "cmdExit");
    QCOMPARE(window.result(), int(QDialog::Accepted));
    QVERIFY(!window.isVisible());
    QCOMPARE(window.txtShellMode, std::string("4"));
    QVERIFY(fs::is_directory(s.program / "TempMatrix") && fs::is_empty(s.program / "TempMatrix"));
    QCOMPARE(s.view.refreshes, 1);
    QCOMPARE(s.view.resets, 3);
}

void MatExtTest::outputsWithoutCustomMatrices() {
    Setting s;
    MatExt window(s.state, s.runner);
    QVERIFY(showActive(window));
    selectStream(window, QStringLiteral("VTS_01_1.VOB"));
    s.answerWith(sixtyLineOutput());
    click(window, "btnExtract");
    QCOMPARE(textOf(window, "Mat1"), kShown1);

    // Fewer than 20 lines: the box, and nothing of the earlier run stays shown.
    s.answerWith(defaultsOnlyOutput(19));
    s.prompter.expect("No custom Matrices found! This video stream was encoded using MPEG standard Matrix!");
    click(window, "btnExtract");
    QCOMPARE(textOf(window, "Mat1"), QString());
    QCOMPARE(textOf(window, "Mat2"), QString());
    QCOMPARE(window.noMatrix, std::string("0"));
    QVERIFY(!enabled(window, "cmdSave"));
    QVERIFY(!enabled(window, "Check1"));
    QVERIFY(enabled(window, "btnExtract") && enabled(window, "cmdExit") && enabled(window, "lstVOB"));
    QCOMPARE(textOf(window, "lblExtraction"), QStringLiteral("No Matrices Extracted"));

    // A complete output whose matrix 1 comes out empty: the failed state.
    s.answerWith(sixtyLineOutputWithoutMatrix1());
    click(window, "btnExtract");
    QCOMPARE(textOf(window, "lblExtraction"), QStringLiteral("No Matrices Extracted"));
    QCOMPARE(textOf(window, "Message"), QStringLiteral("The extraction process has failed!\nPlease, make sure you "
                                                       "selected a supported file on the 'Video Streams' list."));
    QCOMPARE(textOf(window, "Mat1"), QString());
}

void MatExtTest::restorePreviousScan() {
    Setting s;
    s.program.write("TempMatrix/VTS_01_1.VOB.txt", sixtyLineOutput());
    s.program.write("TempMatrix/b.MPEG.txt", sixtyLineOutputWithoutMatrix1());
    MatExt window(s.state, s.runner);
    QVERIFY(showActive(window));
    s.prompter.expect("You haven't selected any file on the 'Video Streams' box!!!");
    click(window, "cmdRestore");

    selectStream(window, QStringLiteral("VTS_01_1.VOB"));
    click(window, "cmdRestore");
    QVERIFY(s.runner.commandLines().empty());
    QCOMPARE(textOf(window, "Mat1"), kShown1);
    QCOMPARE(textOf(window, "Text3"), QStringLiteral("VTS_01_1_M2"));
    QCOMPARE(textOf(window, "lblExtraction"), QStringLiteral("Extraction Completed"));
    QCOMPARE(textOf(window, "Message"), fromCp1252(extract::kSuccessMessage));
    QVERIFY(enabled(window, "cmdSave"));

    selectStream(window, QStringLiteral("b.MPEG"));
    s.prompter.expect("You haven't scanned this file yet!!!");
    click(window, "cmdRestore");

    selectStream(window, QStringLiteral("Film.m2v"));
    s.prompter.expect(std::string(extract::kNoCustomMatrices));
    click(window, "cmdRestore");
    QCOMPARE(textOf(window, "Mat1"), QString());
}

void MatExtTest::changingFolderAndDrive() {
    Setting s;
    MatExt window(s.state, s.runner);
    QVERIFY(showActive(window));
    selectStream(window, QStringLiteral("VTS_01_1.VOB"));
    QVERIFY(enabled(window, "btnExtract"));

    auto* dir1 = child<QListWidget>(&window, "Dir1");
    dir1->setCurrentRow(dir1->count() - 1);
    QTest::keyClick(dir1, Qt::Key_Return);
    QCOMPARE(items(child<QListWidget>(&window, "lstVOB")), QStringList({"Other.mpg"}));
    QCOMPARE(ini::GetValue("Config", "LastDVD", s.program / "Editor.ini"), (s.dvd / "sub").string());
    QVERIFY(!enabled(window, "btnExtract"));

    const QString missing = QString::fromStdString((s.dvd / "unplugged").string());
    window.setVolumes({QString::fromStdString(s.dvd.path().string()), missing});
    auto* drive1 = child<QComboBox>(&window, "Drive1");
    s.prompter.expect("Device not ready!\n\nPlease select another drive.");
    drive1->setCurrentIndex(1);
    for (const char* off : {"Dir1", "lstVOB", "btnExtract", "cmdRestore"})
        QVERIFY2(!enabled(window, off), off);

    drive1->setCurrentIndex(0);
    QVERIFY(enabled(window, "Dir1") && enabled(window, "lstVOB"));
    QCOMPARE(items(child<QListWidget>(&window, "lstVOB")),
             QStringList({"b.MPEG", "Film.m2v", "vts_01_0.vob", "VTS_01_1.VOB"}));
    QCOMPARE(ini::GetValue("Config", "LastDVD", s.program / "Editor.ini"), s.dvd.path().string());
}

// The frame's white text colour once spread to the fields inside it: white text on white.
void MatExtTest::fieldsInsideTheMatricesFrameStayReadable() {
    Setting s;
    MatExt window(s.state, s.runner);
    QVERIFY(showActive(window));
    for (const char* name : {"Mat1", "Mat2", "Text2", "Text3"}) {
        const QPalette palette = child<QWidget>(&window, name)->palette();
        QVERIFY2(palette.color(QPalette::Text) != palette.color(QPalette::Base), name);
    }
    const QPalette label = child<QWidget>(&window, "lblExtraction")->palette();
    QCOMPARE(label.color(QPalette::WindowText), colourOf(s.state.txtTextColor));
}

void MatExtTest::mainWindowExtractButtonOpensTheWindow() {
    Setting s(QuantDumpPlace::Nowhere);
    ini::SetValue("Config", "InterfaceVersion", "7", s.program / "Editor.ini");
    ini::SetValue("Colors", "BackColor", "16737808", s.program / "Editor.ini");
    WriteDefaultMatrices(s.program / "Lib");
    Main main(s.program.path(), s.prompter);
    main.start();
    QVERIFY(showActive(main));
    s.prompter.expect(std::string(extract::kNotFoundBox));
    QTest::mouseClick(child<QWidget>(&main, "cmdExtract"), Qt::LeftButton);
    auto* window = main.findChild<MatExt*>();
    QVERIFY(window);
    QVERIFY(window->isVisible());
    QVERIFY(window->isModal());
    QVERIFY(window->testAttribute(Qt::WA_DeleteOnClose));
    QCOMPARE(items(child<QListWidget>(window, "lstVOB")).size(), 4);
    QCOMPARE(textOf(*window, "Message"),
             QStringLiteral("QuantDump wasn't found on your system!!! Make sure you have it on Quire's folder or under "
                            "a folder named 'QuantumDump' on Quire's directory"));
    QVERIFY(!enabled(*window, "cmdRestore"));
    selectStream(*window, QStringLiteral("Film.m2v"));
    QVERIFY(!enabled(*window, "btnExtract"));
    window->close();
}

void MatExtTest::realQuantDumpOnAnFFmpegStream() {
    const fs::path quantDump = QUIRE_QUANTDUMP;
    if (!fs::exists(quantDump))
        QSKIP("the QuantDump stand-in has not been built");
    const QString ffmpeg = QStandardPaths::findExecutable(QStringLiteral("ffmpeg"));
    if (ffmpeg.isEmpty())
        QSKIP("FFmpeg is not installed");

    Setting s;
    fs::copy_file(quantDump, s.program / "QuantumDump" / "QuantDump", fs::copy_options::overwrite_existing);
    // Raster order, as FFmpeg's -intra_matrix and -inter_matrix take them and as Quire writes them.
    std::vector<int> intra, inter;
    QStringList intraText, interText;
    for (int i = 0; i < 64; ++i) {
        intra.push_back(8 + i);
        inter.push_back(16 + 2 * i);
        intraText << QString::number(intra.back());
        interText << QString::number(inter.back());
    }
    const QString stream = QString::fromStdString((s.dvd / "Custom.m2v").string());
    QProcess encode;
    encode.start(ffmpeg,
                 {"-v", "error", "-y", "-f", "lavfi", "-i", "testsrc=size=176x144:rate=25", "-frames:v", "5", "-c:v",
                  "mpeg2video", "-intra_matrix", intraText.join(','), "-inter_matrix", interText.join(','), stream});
    QVERIFY(encode.waitForFinished(60000));
    QCOMPARE(encode.exitCode(), 0);

    QtRunner runner;
    MatExt window(s.state, runner);
    QVERIFY(showActive(window));
    selectStream(window, QStringLiteral("Custom.m2v"));
    click(window, "btnExtract");
    QCOMPARE(textOf(window, "lblExtraction"), QStringLiteral("Extraction Completed"));
    QCOMPARE(textOf(window, "Text2"), QStringLiteral("Custom_M1"));
    QVERIFY(textOf(window, "Mat1").startsWith(QStringLiteral("8 09 10 11 12 13 14 15\n16 17 18")));
    child<QCheckBox>(&window, "Check2")->setChecked(false);
    click(window, "cmdSave");

    const std::string saved = s.program.read("Lib/Custom_M1.mtx");
    const auto lines = text::splitLines(saved);
    QCOMPARE(lines.size(), std::size_t(17));
    QCOMPARE(lines[16], std::string());
    const auto codes = ReadMatrixCodes(s.program / "Lib" / "Custom_M1.mtx");
    QVERIFY(codes);
    for (int i = 0; i < 64; ++i) {
        QCOMPARE((*codes)[static_cast<std::size_t>(i)], intra[static_cast<std::size_t>(i)]);
        QCOMPARE((*codes)[static_cast<std::size_t>(64 + i)], inter[static_cast<std::size_t>(i)]);
    }
    QVERIFY(s.program.read("Lib/Matrix_Info.ini").find("[custom_m1.mtx]\r\nInfo1=\r\nInfo2=\r\n") != std::string::npos);
}

QTEST_MAIN(MatExtTest)
#include "MatExtTest.moc"
