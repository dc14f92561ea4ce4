// The extraction window's workings: where QuantDump is found, its command line and the run with its
// fallback, the streams and folders, the volumes, Save with its refusals and questions, and Exit.
#include "extract/MatExtLogic.h"

#include "app/Folders.h"
#include "app/IniManager.h"
#include "preview/RunAndWait.h"
#include "preview/WorkFolders.h"
#include "support/RecordingRunner.h"
#include "support/ScriptedPrompter.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

using namespace quire;
using namespace quire::extract;
using quire::test::describe;
using quire::test::RecordingRunner;
using quire::test::ScriptedPrompter;
using quire::test::TempFolder;
namespace fs = std::filesystem;
using Paths = std::vector<fs::path>;

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
const MatrixToSave kUnticked{false, "ignored", kMatrix, kMatrix2Empty};

// A library with one earlier matrix, "Old", in both index files.
struct Library : TempFolder {
    Library() {
        for (const char* index : {"Matrix_Info.ini", "Matrix_Info_Custom.ini"})
            write(index, "[old.mtx]\r\nInfo1=An old one\r\nInfo2=\r\n");
        write("Old.mtx", "old values\r\n");
    }
    SaveResult save(ScriptedPrompter& prompter, std::array<MatrixToSave, 2> matrices) const {
        return saveExtractedMatrices(prompter, path(), kTexts, matrices);
    }
    bool hasEmptyDescription(const char* index, const std::string& section) const {
        return read(index).find("[" + section + "]\r\nInfo1=\r\nInfo2=\r\n") != std::string::npos;
    }
};

} // namespace

TEST(MatExtLogic, QuantDumpIsLookedForInItsFolderThenBesideTheProgram) {
    // The file found, whatever its letter case, is the one the command lines name.
    const struct {
        const char* what;
        bool folder, folderMissing, found;
        std::vector<const char*> files;
        const char* program = "QuantumDump/QuantDump";
        const char* fallback = "QuantDump";
    } cases[] = {{"in QuantumDump", 1, 0, 1, {"QuantumDump/QuantDump"}},
                 {"in QuantumDump, other case", 1, 0, 1, {"QuantumDump/quantdump"}, "QuantumDump/quantdump"},
                 {"beside the program only, other case", 0, 1, 1, {"QUANTDUMP"}, "QuantumDump/QuantDump", "QUANTDUMP"},
                 {"QuantumDump empty, one beside", 1, 0, 0, {"QuantDump"}},
                 {"nowhere", 0, 1, 0, {}}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        TempFolder program;
        if (c.folder)
            fs::create_directories(program / "QuantumDump");
        for (const char* file : c.files)
            program.write(file, "#!/bin/sh\n");
        const QuantDumpLookup lookup = findQuantDump(program.path());
        EXPECT_EQ(std::pair(lookup.folderMissing, lookup.found), std::pair(c.folderMissing, c.found));
        EXPECT_EQ(std::pair(quantDumpProgram(program.path()), quantDumpFallback(program.path())),
                  std::pair(program / c.program, program / c.fallback));
    }
}

TEST(MatExtLogic, RunAndWaitFollowsTheShellModes) {
    // The extraction's and the preview's shell modes, and the window style of the run (none: no run).
    const std::tuple<const char*, const char*, std::optional<WindowStyle>> cases[] = {
        {"3", "1", WindowStyle::Minimised},
        {"4", "1", WindowStyle::Normal},
        {"", "2", WindowStyle::Minimised},
        {"4", "", std::nullopt}};
    for (const auto& [extraction, preview, style] : cases) {
        SCOPED_TRACE(std::string(extraction) + "/" + preview);
        EXPECT_EQ(shellWindowStyle(extraction, preview), style);
        RecordingRunner runner;
        runner.answer(RunResult::ran(0));
        const RunResult result = RunAndWait(runner, "\"/bin/x\"", extraction, preview);
        EXPECT_EQ(result.outcome, style ? RunResult::Outcome::Ran : RunResult::Outcome::NotRun);
        EXPECT_EQ(runner.styles(), style ? std::vector<WindowStyle>{*style} : std::vector<WindowStyle>{});
    }
}

TEST(MatExtLogic, RunFallsBackToQuantDumpBesideTheProgram) {
    const std::string primary = "\"/q/QuantumDump/QuantDump\" \"/d/VTS_01_1.VOB\" \"/q/TempMatrix/VTS_01_1.VOB.txt\"";
    const std::string fallback = "\"/q/QuantDump\" \"/d/VTS_01_1.VOB\" \"/q/TempMatrix/VTS_01_1.VOB.txt\"";
    const std::string reason = "The program /q/QuantDump could not be started: No such file";
    // The first start works (whatever its exit status): one run. The first cannot start: the same
    // arguments with the program beside Quire. Neither can start: the reason is shown.
    const std::tuple<std::vector<RunResult>, bool, std::vector<std::string>> cases[] = {
        {{RunResult::ran(1)}, true, {primary}},
        {{RunResult::couldNotStart("missing"), RunResult::ran(0)}, true, {primary, fallback}},
        {{RunResult::couldNotStart("first"), RunResult::couldNotStart(reason)}, false, {primary, fallback}}};
    for (const auto& [answers, ran, lines] : cases) {
        RecordingRunner runner;
        for (const RunResult& answer : answers)
            runner.answer(answer);
        ScriptedPrompter prompter;
        if (!ran)
            prompter.expect(reason);
        std::string cmd = primary;
        EXPECT_EQ(runQuantDump(runner, prompter, "/q", "/d/VTS_01_1.VOB", kShellModeExtract, cmd), ran);
        EXPECT_EQ(runner.commandLines(), lines);
        EXPECT_EQ(cmd, lines.back());
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
    EXPECT_TRUE(listStreams(folder / "missing").empty() && listSubfolders(folder / "missing").empty());
}

// The drive and folder boxes: the volume of a folder and the chain of folders shown below it.
TEST(MatExtLogic, VolumeIsTheLongestMountPointHoldingTheFolderAndTheChainRunsFromIt) {
    const Paths mounts{"/", "/media/dvd", "/media/dvd2/", "/work"};
    const std::tuple<fs::path, Paths, fs::path> cases[] = {
        {"/media/dvd/VIDEO_TS", mounts, "/media/dvd"},
        {"/media/dvd2/x", mounts, "/media/dvd2/"},
        {"/media/dvdx/VIDEO_TS", mounts, "/"},
        {"/home", {"/work"}, ""},
        // Inside a chroot or some containers "/" is not a mount point; its folders are still on it.
        {"/home/me/DVD", volumeList({"/proc", "/work"}), "/"}};
    for (const auto& [folder, volumes, volume] : cases)
        EXPECT_EQ(volumeOf(folder, volumes), volume) << folder;
    EXPECT_EQ(volumeList({"/work", "/proc", "/media/dvd/", "/work", "relative", ""}),
              (Paths{"/", "/media/dvd", "/proc", "/work"}));
    TempFolder folder;
    EXPECT_TRUE(volumeReady(folder.path()) && volumeReady("/"));
    EXPECT_FALSE(volumeReady(folder / "unplugged") || volumeReady(folder.write("file", "x")));
    const std::tuple<fs::path, fs::path, Paths> chains[] = {
        {"/media/dvd/VIDEO_TS/", "/media/dvd/", {"/media/dvd", "/media/dvd/VIDEO_TS"}},
        {"/media/dvd", "/media/dvd", {"/media/dvd"}},
        {"/a/b", "/elsewhere", {"/", "/a", "/a/b"}},
        {"/", "/", {"/"}}};
    for (const auto& [shown, root, chain] : chains)
        EXPECT_EQ(folderChain(shown, root), chain) << shown;
}

TEST(MatExtLogic, SaveRefusalsStopTheWholeSave) {
    const std::string noneChecked = "You haven't checked any of the extracted Matrices to be saved!";
    const std::string device = "The name \"CON\" can't be used for a matrix file: Windows reserves it for a device.";
    // The matrices, the box shown, the result and whether the first was written before the refusal.
    const std::tuple<std::array<MatrixToSave, 2>, std::string, SaveResult, bool> cases[] = {
        {{MatrixToSave{false, "A", kMatrix, kMatrix1Empty}, kUnticked}, noneChecked, SaveResult::NothingChecked, false},
        {{first(""), second("B")}, kMustName, SaveResult::Stopped, false},
        {{first("A", ""), second("B")}, "Matrix 1 field is empty!", SaveResult::Stopped, false},
        {{first("A"), second("")}, kMustName, SaveResult::Stopped, true},
        {{first("A"), second("B", "")}, "Matrix 2 field is empty!", SaveResult::Stopped, true},
        {{first("A"), second("CON")}, device, SaveResult::Stopped, true}};
    for (const auto& [matrices, message, result, firstWritten] : cases) {
        SCOPED_TRACE(message);
        Library lib;
        ScriptedPrompter prompter;
        prompter.expect(message);
        EXPECT_EQ(lib.save(prompter, matrices), result);
        EXPECT_EQ(std::tuple(fs::exists(lib / "A.mtx"), fs::exists(lib / "B.mtx"), fs::exists(lib / "CON.mtx")),
                  std::tuple(firstWritten, false, false));
    }
}

// Each index file gets an empty description; an existing matrix is overwritten only when the user agrees.
TEST(MatExtLogic, SaveWritesBothIndexesAndOverwritesAnyLetterCaseOnlyWhenAsked) {
    Library lib;
    ScriptedPrompter prompter;
    EXPECT_EQ(lib.save(prompter, {first("Film_M1"), second("Film_M2")}), SaveResult::Saved);
    EXPECT_EQ(lib.read("Film_M1.mtx") + lib.read("Film_M2.mtx"), kMatrix + "\r\n" + kMatrix + "\r\n");
    for (const char* index : {"Matrix_Info.ini", "Matrix_Info_Custom.ini"})
        EXPECT_TRUE(lib.hasEmptyDescription(index, "film_m1.mtx") && lib.hasEmptyDescription(index, "film_m2.mtx") &&
                    ini::GetValue("old.mtx", "Info1", lib / index) == "An old one")
            << index;
    prompter.expect("Old\n\n" + kOverwrite, PromptAnswer::Cancel);
    EXPECT_EQ(lib.save(prompter, {first("Old"), second("New")}), SaveResult::Saved);
    EXPECT_EQ(lib.read("Old.mtx") + lib.read("New.mtx"), "old values\r\n" + kMatrix + "\r\n");
    EXPECT_EQ(ini::GetValue("old.mtx", "Info1", lib / "Matrix_Info.ini"), "An old one");
    EXPECT_EQ(describe(prompter.shown().at(0)), "Quire|okcancel|question|Old\n\n" + kOverwrite);
    // Windows, where Tessera reads the folder, takes Old.mtx and OLD.mtx for one file.
    prompter.expect("OLD\n\n" + kOverwrite, PromptAnswer::Ok);
    EXPECT_EQ(lib.save(prompter, {first("OLD"), kUnticked}), SaveResult::Saved);
    EXPECT_EQ(lib.read("Old.mtx"), kMatrix + "\r\n");
    EXPECT_TRUE(!fs::exists(lib / "OLD.mtx") && lib.hasEmptyDescription("Matrix_Info.ini", "old.mtx"));
    // A file that cannot be written stops the save.
    fs::create_directories(lib / "Blocked.mtx");
    prompter.expect("The matrix file \"Blocked.mtx\" could not be written in the matrix folder.");
    EXPECT_EQ(lib.save(prompter, {first("Blocked"), second("Next")}), SaveResult::Stopped);
    EXPECT_FALSE(fs::exists(lib / "Next.mtx"));
}

TEST(MatExtLogic, ExitOffersToDeleteTheTemporaryFiles) {
    const std::string question = "Do you wish to delete all the temporary files?";
    // An empty TempMatrix: no question. Cancel keeps the files. OK empties TempMatrix and leaves both
    // work folders in place; Preview keeps its files.
    for (const std::optional<PromptAnswer> answer :
         {std::optional<PromptAnswer>(), std::optional(PromptAnswer::Cancel), std::optional(PromptAnswer::Ok)}) {
        TempFolder program;
        fs::create_directories(program / "TempMatrix" / (answer ? "" : "sub"));
        program.write("Preview/preview.ecl", "keep");
        ScriptedPrompter prompter;
        if (answer) {
            program.write("TempMatrix/VTS_01_1.VOB.txt", "x");
            prompter.expect(question, *answer);
        }
        const bool ok = answer == PromptAnswer::Ok;
        EXPECT_EQ(offerTempFilesDeletion(prompter, program.path(), question), ok);
        EXPECT_EQ(fs::is_directory(program / "TempMatrix") && fs::is_empty(program / "TempMatrix"), ok);
        EXPECT_EQ(program.read("Preview/preview.ecl"), "keep");
    }
}

TEST(MatExtLogic, DeleteWorkFoldersRecreatesBothFolders) {
    TempFolder program;
    program.write("Preview/a/b/deep.m2v", "x");
    fs::permissions(program.write("Preview/ro.avs", "x"), fs::perms::owner_read);
    ScriptedPrompter prompter;
    EXPECT_TRUE(DeleteWorkFolders(prompter, program.path(), program / "Preview"));
    EXPECT_TRUE(fs::is_directory(program / "Preview") && fs::is_empty(program / "Preview") &&
                fs::is_directory(program / "TempMatrix"));
    // A file where TempMatrix should be: Preview is still made again, and the reset says it failed.
    fs::remove_all(program / "TempMatrix");
    program.write("TempMatrix", "a file");
    prompter.expect(std::string(kCreateFolderMessage)).expect(std::string(kCreateFolderMessage));
    EXPECT_FALSE(DeleteWorkFolders(prompter, program.path(), program / "Preview"));
    EXPECT_TRUE(fs::is_directory(program / "Preview"));
}

TEST(MatExtLogic, StartFoldersComeFromEditorIniAndTesseraIni) {
    TempFolder program, tessera;
    tessera.write("Tessera.ini", "[Paths]\r\nSource=D:\\DVD\\VIDEO_TS\r\nWorking=D:\\Work\r\n");
    program.write("Editor.ini", "[CONFIG]\r\nTesseraFolder=" + tessera.path().string() + "\r\n");
    const auto text = [](const StartFolders& f) {
        return f.txtTesserapath + "|" + f.txtSourceFolder + "|" + f.txtLastDVD;
    };
    EXPECT_EQ(text(readStartFolders(program / "Editor.ini")),
              tessera.path().string() + "|D:\\DVD\\VIDEO_TS|D:\\DVD\\VIDEO_TS");
    ini::SetValue("Config", "LastDVD", "/media/dvd", program / "Editor.ini");
    EXPECT_EQ(text(readStartFolders(program / "Editor.ini")),
              tessera.path().string() + "|D:\\DVD\\VIDEO_TS|/media/dvd");
    EXPECT_EQ(text(readStartFolders(program / "missing.ini")), "||");
}
