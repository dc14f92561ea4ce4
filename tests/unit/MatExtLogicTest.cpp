// The extraction window's workings: where QuantDump is found, its command line and the run with its
// fallback, the streams and folders, the volumes, Save with its refusals and questions, and Exit.
#include "extract/MatExtLogic.h"

#include "app/IniManager.h"
#include "platform/CommandLine.h"
#include "preview/RunAndWait.h"
#include "preview/WorkFolders.h"
#include "support/RecordingRunner.h"
#include "support/ScriptedPrompter.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

using namespace quire;
using namespace quire::extract;
using quire::test::RecordingRunner;
using quire::test::ScriptedPrompter;
using quire::test::TempFolder;
namespace fs = std::filesystem;

namespace {

const std::string kMatrix = "08 16 19 22 26 27 29 34\r\n16 16 22 24 27 29 34 37\r\n";
const std::string kMustName = "You must give a name to your Matrix!";
const std::string kOverwrite = "This matrix already exists! Do you want to overwrite it?";
const SaveTexts kTexts{kMustName, kOverwrite};

MatrixToSave first(std::string name, std::string matrix = kMatrix) {
    return {true, std::move(name), std::move(matrix), kMatrix1Empty};
}
MatrixToSave second(std::string name, std::string matrix = kMatrix) {
    return {true, std::move(name), std::move(matrix), kMatrix2Empty};
}
MatrixToSave unticked() {
    return {false, "ignored", kMatrix, kMatrix2Empty};
}

// A library with one earlier matrix, "Old", in both index files.
void prepareLibrary(const TempFolder& lib) {
    lib.write("Matrix_Info.ini", "[old.mtx]\r\nInfo1=An old one\r\nInfo2=\r\n");
    lib.write("Matrix_Info_Custom.ini", "[old.mtx]\r\nInfo1=An old one\r\nInfo2=\r\n");
    lib.write("Old.mtx", "old values\r\n");
}

bool hasEmptyDescription(const fs::path& index, const std::string& section) {
    const std::string text = quire::test::readBytes(index);
    return text.find("[" + section + "]\r\nInfo1=\r\nInfo2=\r\n") != std::string::npos;
}

} // namespace

TEST(MatExtLogic, QuantDumpIsLookedForInItsFolderThenBesideTheProgram) {
    const struct {
        const char* what;
        std::vector<const char*> files;
        bool folder;
        bool folderMissing;
        bool found;
    } cases[] = {{"in QuantumDump", {"QuantumDump/QuantDump"}, true, false, true},
                 {"in QuantumDump, other case", {"QuantumDump/quantdump"}, true, false, true},
                 {"beside the program only", {"QuantDump"}, false, true, true},
                 {"QuantumDump empty, one beside", {"QuantDump"}, true, false, false},
                 {"nowhere", {}, false, true, false},
                 {"a folder of that name is no program", {"QuantumDump/QuantDump/x"}, true, false, false}};
    for (const auto& c : cases) {
        TempFolder program;
        if (c.folder)
            fs::create_directories(program / "QuantumDump");
        for (const char* file : c.files)
            program.write(file, "#!/bin/sh\n");
        const QuantDumpLookup lookup = findQuantDump(program.path());
        EXPECT_EQ(lookup.folderMissing, c.folderMissing) << c.what;
        EXPECT_EQ(lookup.found, c.found) << c.what;
    }
}

TEST(MatExtLogic, CommandLineIsThreeQuotedPaths) {
    const fs::path program = "/opt/My Quire";
    const fs::path stream = "/media/DVD X/VIDEO_TS/VTS_01_1.VOB";
    EXPECT_EQ(outputFileOf(program, "VTS_01_1.VOB"), fs::path("/opt/My Quire/TempMatrix/VTS_01_1.VOB.txt"));
    const std::string line =
        quantDumpCommandLine(quantDumpProgram(program), stream, outputFileOf(program, stream.filename()));
    EXPECT_EQ(line, "\"/opt/My Quire/QuantumDump/QuantDump\" \"/media/DVD X/VIDEO_TS/VTS_01_1.VOB\" "
                    "\"/opt/My Quire/TempMatrix/VTS_01_1.VOB.txt\"");
    EXPECT_EQ(quantDumpFallback(program), fs::path("/opt/My Quire/QuantDump"));
    // A Linux name may hold a double quote; it still reaches the program as one argument.
    const fs::path odd = "/media/a \"b\".vob";
    EXPECT_EQ(splitCommandLine(quantDumpCommandLine(quantDumpProgram(program), odd, "/t/o.txt")).at(1), odd.string());
}

TEST(MatExtLogic, RunAndWaitFollowsTheShellModes) {
    const struct {
        const char* extraction;
        const char* preview;
        std::optional<WindowStyle> style;
    } cases[] = {{"3", "", WindowStyle::Minimised}, {"3", "1", WindowStyle::Minimised},
                 {"4", "1", WindowStyle::Normal},   {"", "2", WindowStyle::Minimised},
                 {"4", "", std::nullopt},           {"4", "5", std::nullopt}};
    for (const auto& c : cases) {
        EXPECT_EQ(shellWindowStyle(c.extraction, c.preview), c.style) << c.extraction << "/" << c.preview;
        RecordingRunner runner;
        runner.answer(RunResult::ran(0));
        const RunResult result = RunAndWait(runner, "\"/bin/x\"", c.extraction, c.preview);
        if (c.style) {
            EXPECT_TRUE(result.started());
            ASSERT_EQ(runner.styles().size(), 1u);
            EXPECT_EQ(runner.styles()[0], *c.style);
        } else {
            EXPECT_EQ(result.outcome, RunResult::Outcome::NotRun);
            EXPECT_TRUE(runner.commandLines().empty());
        }
    }
}

TEST(MatExtLogic, RunFallsBackToQuantDumpBesideTheProgram) {
    const fs::path program = "/q";
    const fs::path stream = "/d/VTS_01_1.VOB";
    const std::string primary =
        quantDumpCommandLine(quantDumpProgram(program), stream, "/q/TempMatrix/VTS_01_1.VOB.txt");
    const std::string fallback = "\"/q/QuantDump\" \"/d/VTS_01_1.VOB\" \"/q/TempMatrix/VTS_01_1.VOB.txt\"";

    { // The first start works (whatever its exit status): one run.
        RecordingRunner runner;
        runner.answer(RunResult::ran(1));
        ScriptedPrompter prompter;
        std::string cmd = primary;
        EXPECT_TRUE(runQuantDump(runner, prompter, program, stream, kShellModeExtract, cmd));
        EXPECT_EQ(runner.commandLines(), std::vector<std::string>{primary});
        EXPECT_EQ(runner.styles().at(0), WindowStyle::Minimised);
        EXPECT_EQ(cmd, primary);
    }
    { // The first cannot start: the same arguments with the program beside Quire.
        RecordingRunner runner;
        runner.answer(RunResult::couldNotStart("missing")).answer(RunResult::ran(0));
        ScriptedPrompter prompter;
        std::string cmd = primary;
        EXPECT_TRUE(runQuantDump(runner, prompter, program, stream, kShellModeExtract, cmd));
        EXPECT_EQ(runner.commandLines(), (std::vector<std::string>{primary, fallback}));
        EXPECT_EQ(cmd, fallback);
    }
    { // Neither can start: the reason is shown.
        RecordingRunner runner;
        runner.answer(RunResult::couldNotStart("first"))
            .answer(RunResult::couldNotStart("The program /q/QuantDump could not be started: No such file"));
        ScriptedPrompter prompter;
        prompter.expect("The program /q/QuantDump could not be started: No such file");
        std::string cmd = primary;
        EXPECT_FALSE(runQuantDump(runner, prompter, program, stream, kShellModeExtract, cmd));
        EXPECT_EQ(runner.commandLines().size(), 2u);
    }
}

TEST(MatExtLogic, StreamsAndFoldersAreListedWithoutRegardToCase) {
    TempFolder folder;
    for (const char* name : {"b.VOB", "a.m2v", "C.Mpeg", "d.mpv", "e.MPG", "f.avi", "g.vob.txt", "h.mpeg2", ".i.vob"})
        folder.write(name, "x");
    for (const char* sub : {"zeta", "Alpha", "beta.vob", ".hidden"})
        fs::create_directories(folder / sub);
    EXPECT_EQ(listStreams(folder.path()), (std::vector<std::string>{"a.m2v", "b.VOB", "C.Mpeg", "d.mpv", "e.MPG"}));
    EXPECT_EQ(listSubfolders(folder.path()), (std::vector<std::string>{"Alpha", "beta.vob", "zeta"}));
    EXPECT_TRUE(listStreams(folder / "missing").empty());
    EXPECT_TRUE(listSubfolders(folder / "missing").empty());
}

TEST(MatExtLogic, VolumeIsTheLongestMountPointHoldingTheFolder) {
    const std::vector<fs::path> mounts{"/", "/media/dvd", "/media/dvd2/", "/work"};
    EXPECT_EQ(volumeOf("/media/dvd/VIDEO_TS", mounts), fs::path("/media/dvd"));
    EXPECT_EQ(volumeOf("/media/dvd", mounts), fs::path("/media/dvd"));
    EXPECT_EQ(volumeOf("/media/dvd2/x", mounts), fs::path("/media/dvd2/"));
    EXPECT_EQ(volumeOf("/media/dvdx/VIDEO_TS", mounts), fs::path("/"));
    EXPECT_EQ(volumeOf("/work/../media/dvd/a", mounts), fs::path("/media/dvd"));
    EXPECT_EQ(volumeOf("/home", {"/work"}), fs::path());
}

TEST(MatExtLogic, SaveWritesTheFileAndEmptyDescriptionsInBothIndexes) {
    TempFolder lib;
    prepareLibrary(lib);
    ScriptedPrompter prompter;
    EXPECT_EQ(saveExtractedMatrices(prompter, lib.path(), kTexts, {first("Film_M1"), second("Film_M2")}),
              SaveResult::Saved);
    EXPECT_EQ(lib.read("Film_M1.mtx"), kMatrix + "\r\n");
    EXPECT_EQ(lib.read("Film_M2.mtx"), kMatrix + "\r\n");
    for (const char* index : {"Matrix_Info.ini", "Matrix_Info_Custom.ini"}) {
        EXPECT_TRUE(hasEmptyDescription(lib / index, "film_m1.mtx")) << index;
        EXPECT_TRUE(hasEmptyDescription(lib / index, "film_m2.mtx")) << index;
        EXPECT_EQ(ini::GetValue("old.mtx", "Info1", lib / index), "An old one");
    }
}

TEST(MatExtLogic, SaveRefusalsStopTheWholeSave) {
    const struct {
        const char* what;
        std::array<MatrixToSave, 2> matrices;
        std::string message;
        SaveResult result;
        std::vector<const char*> written;
    } cases[] = {
        {"nothing ticked",
         {MatrixToSave{false, "A", kMatrix, kMatrix1Empty}, unticked()},
         "You haven't checked any of the extracted Matrices to be saved!",
         SaveResult::NothingChecked,
         {}},
        {"matrix 1 without a name", {first(""), second("B")}, kMustName, SaveResult::Stopped, {}},
        {"matrix 1 empty", {first("A", ""), second("B")}, "Matrix 1 field is empty!", SaveResult::Stopped, {}},
        {"matrix 1 named a/b",
         {first("a/b"), second("B")},
         "The name \"a/b\" can't be used for a matrix file: it holds one of the characters / \\ : * ? \" < > |",
         SaveResult::Stopped,
         {}},
        {"matrix 2 without a name, after matrix 1",
         {first("A"), second("")},
         kMustName,
         SaveResult::Stopped,
         {"A.mtx"}},
        {"matrix 2 empty, after matrix 1",
         {first("A"), second("B", "")},
         "Matrix 2 field is empty!",
         SaveResult::Stopped,
         {"A.mtx"}},
        {"matrix 2 named CON",
         {first("A"), second("CON")},
         "The name \"CON\" can't be used for a matrix file: Windows reserves it for a device.",
         SaveResult::Stopped,
         {"A.mtx"}}};
    for (const auto& c : cases) {
        TempFolder lib;
        prepareLibrary(lib);
        ScriptedPrompter prompter;
        prompter.expect(c.message);
        EXPECT_EQ(saveExtractedMatrices(prompter, lib.path(), kTexts, c.matrices), c.result) << c.what;
        std::vector<std::string> files;
        for (const auto& entry : fs::directory_iterator(lib.path()))
            if (entry.path().extension() == ".mtx" && entry.path().filename() != "Old.mtx")
                files.push_back(entry.path().filename().string());
        EXPECT_EQ(files, std::vector<std::string>(c.written.begin(), c.written.end())) << c.what;
        EXPECT_EQ(prompter.shown().at(0).title, "Quire");
    }
}

TEST(MatExtLogic, OverwriteCancelSkipsOnlyThatMatrix) {
    TempFolder lib;
    prepareLibrary(lib);
    ScriptedPrompter prompter;
    prompter.expect("Old\n\n" + kOverwrite, PromptAnswer::Cancel);
    EXPECT_EQ(saveExtractedMatrices(prompter, lib.path(), kTexts, {first("Old"), second("New")}), SaveResult::Saved);
    EXPECT_EQ(lib.read("Old.mtx"), "old values\r\n");
    EXPECT_EQ(ini::GetValue("old.mtx", "Info1", lib / "Matrix_Info.ini"), "An old one");
    EXPECT_EQ(lib.read("New.mtx"), kMatrix + "\r\n");
    EXPECT_EQ(prompter.shown().at(0).buttons, PromptButtons::OkCancel);
    EXPECT_EQ(prompter.shown().at(0).icon, PromptIcon::Question);

    ScriptedPrompter again;
    again.expect("Old\n\n" + kOverwrite, PromptAnswer::Ok);
    EXPECT_EQ(saveExtractedMatrices(again, lib.path(), kTexts, {first("Old"), unticked()}), SaveResult::Saved);
    EXPECT_EQ(lib.read("Old.mtx"), kMatrix + "\r\n");
    EXPECT_TRUE(hasEmptyDescription(lib / "Matrix_Info.ini", "old.mtx"));
}

TEST(MatExtLogic, SaveReportsAFileThatCannotBeWritten) {
    TempFolder lib;
    prepareLibrary(lib);
    fs::create_directories(lib / "Blocked.mtx");
    ScriptedPrompter prompter;
    prompter.expect("The matrix file \"Blocked.mtx\" could not be written in the matrix folder.");
    EXPECT_EQ(saveExtractedMatrices(prompter, lib.path(), kTexts, {first("Blocked"), second("Next")}),
              SaveResult::Stopped);
    EXPECT_FALSE(fs::exists(lib / "Next.mtx"));
}

TEST(MatExtLogic, ExitOffersToDeleteTheTemporaryFiles) {
    const std::string question = "Do you wish to delete all the temporary files?";
    { // An empty TempMatrix: no question.
        TempFolder program;
        fs::create_directories(program / "TempMatrix" / "sub");
        ScriptedPrompter prompter;
        EXPECT_FALSE(offerTempFilesDeletion(prompter, program.path(), question));
    }
    { // Cancel keeps the files.
        TempFolder program;
        program.write("TempMatrix/VTS_01_1.VOB.txt", "x");
        ScriptedPrompter prompter;
        prompter.expect(question, PromptAnswer::Cancel);
        EXPECT_FALSE(offerTempFilesDeletion(prompter, program.path(), question));
        EXPECT_EQ(program.read("TempMatrix/VTS_01_1.VOB.txt"), "x");
    }
    { // OK empties TempMatrix and leaves both work folders in place; Preview keeps its files.
        TempFolder program;
        program.write("TempMatrix/VTS_01_1.VOB.txt", "x");
        program.write("TempMatrix/mat1.txt", "x");
        program.write("Preview/preview.ecl", "keep");
        ScriptedPrompter prompter;
        prompter.expect(question, PromptAnswer::Ok);
        EXPECT_TRUE(offerTempFilesDeletion(prompter, program.path(), question));
        EXPECT_TRUE(fs::is_directory(program / "TempMatrix"));
        EXPECT_TRUE(fs::is_empty(program / "TempMatrix"));
        EXPECT_EQ(program.read("Preview/preview.ecl"), "keep");
    }
}

TEST(MatExtLogic, DeleteWorkFoldersRecreatesBothFolders) {
    TempFolder program;
    program.write("Preview/a/b/deep.m2v", "x");
    const fs::path readOnly = program.write("Preview/ro.avs", "x");
    fs::permissions(readOnly, fs::perms::owner_read);
    ScriptedPrompter prompter;
    EXPECT_TRUE(DeleteWorkFolders(prompter, program.path(), program / "Preview"));
    EXPECT_TRUE(fs::is_directory(program / "Preview"));
    EXPECT_TRUE(fs::is_empty(program / "Preview"));
    EXPECT_TRUE(fs::is_directory(program / "TempMatrix"));
    EXPECT_FALSE(folderHoldsFiles(program / "Preview"));
    program.write("TempMatrix/.hidden", "x");
    EXPECT_FALSE(folderHoldsFiles(program / "TempMatrix"));
    program.write("TempMatrix/out.txt", "x");
    EXPECT_TRUE(folderHoldsFiles(program / "TempMatrix"));
}

TEST(MatExtLogic, StartFoldersComeFromEditorIniAndTesseraIni) {
    TempFolder program;
    TempFolder tessera;
    tessera.write("Tessera.ini", "[Paths]\r\nSource=D:\\DVD\\VIDEO_TS\r\nWorking=D:\\Work\r\n");
    program.write("Editor.ini", "[CONFIG]\r\nTesseraFolder=" + tessera.path().string() + "\r\n");
    StartFolders folders = readStartFolders(program / "Editor.ini");
    EXPECT_EQ(folders.txtTesserapath, tessera.path().string());
    EXPECT_EQ(folders.txtSourceFolder, "D:\\DVD\\VIDEO_TS");
    EXPECT_EQ(folders.txtLastDVD, "D:\\DVD\\VIDEO_TS");
    ini::SetValue("Config", "LastDVD", "/media/dvd", program / "Editor.ini");
    folders = readStartFolders(program / "Editor.ini");
    EXPECT_EQ(folders.txtLastDVD, "/media/dvd");
    EXPECT_EQ(folders.txtSourceFolder, "D:\\DVD\\VIDEO_TS");
    // Without Tessera's folder nothing is read from a Tessera.ini that happens to lie around.
    TempFolder bare;
    bare.write("Editor.ini", "[Config]\r\nLanguage=English.lng\r\n");
    folders = readStartFolders(bare / "Editor.ini");
    EXPECT_EQ(folders.txtTesserapath + folders.txtLastDVD + folders.txtSourceFolder, "");
    EXPECT_EQ(readStartFolders(bare / "missing.ini").txtLastDVD, "");
}

TEST(MatExtLogic, FolderChainRunsFromTheRootToTheFolder) {
    using Chain = std::vector<fs::path>;
    EXPECT_EQ(folderChain("/media/dvd/VIDEO_TS", "/media/dvd"), (Chain{"/media/dvd", "/media/dvd/VIDEO_TS"}));
    EXPECT_EQ(folderChain("/media/dvd/VIDEO_TS/", "/media/dvd/"), (Chain{"/media/dvd", "/media/dvd/VIDEO_TS"}));
    EXPECT_EQ(folderChain("/media/dvd", "/media/dvd"), (Chain{"/media/dvd"}));
    EXPECT_EQ(folderChain("/a/b", "/"), (Chain{"/", "/a", "/a/b"}));
    EXPECT_EQ(folderChain("/a/b", "/elsewhere"), (Chain{"/", "/a", "/a/b"}));
    EXPECT_EQ(folderChain("/", "/"), (Chain{"/"}));
}
