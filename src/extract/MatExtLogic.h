// The workings of the extraction window apart from its widgets: its texts, where QuantDump is looked
// for, the command line, the run with its fallback, the streams of a folder, Save and Exit.
#pragma once

#include "platform/Prompter.h"
#include "platform/Runner.h"

#include <array>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace quire::extract {

namespace fs = std::filesystem;

// The window's texts. Message boxes and the Message field break lines with "\n".
inline constexpr std::string_view kWindowTitle = "  Quire - Matrix Extraction";
inline constexpr std::string_view kNotFoundBox =
    "QuantDump wasn't found on your system!!!\n\nMake sure you have it on Quire's folder or under a folder named "
    "'QuantumDump' on Quire's directory";
inline constexpr std::string_view kNotFoundMessage =
    "QuantDump wasn't found on your system!!! Make sure you have it on Quire's folder or under a folder named "
    "'QuantumDump' on Quire's directory";
inline constexpr std::string_view kLocateMessage = "Please, locate and select the video stream you want to use.";
inline constexpr std::string_view kDeviceNotReady = "Device not ready!\n\nPlease select another drive.";
inline constexpr std::string_view kClickExtractMessage =
    "Click 'Extract Matrices' to begin the reading process. If you have already scanned the selected file, you can "
    "click on 'Restore Previous Scan' to get back the extracted Matrices.";
inline constexpr std::string_view kInProgressStatus = "Extraction in Progress";
inline constexpr std::string_view kInProgressMessage = "Extraction in progress\nThis may take a few minutes.";
inline constexpr std::string_view kNotStartedMessage = "QuantDump could not be started: no matrices were extracted.";
inline constexpr std::string_view kCompletedStatus = "Extraction Completed";
inline constexpr std::string_view kNoneExtractedStatus = "No Matrices Extracted";
inline constexpr std::string_view kFailedMessage =
    "The extraction process has failed!\nPlease, make sure you selected a supported file on the 'Video Streams' list.";
inline constexpr std::string_view kSuccessMessage =
    "Now you can save the extracted Matrix(ces)!\nJust select the 'Save' CheckBox of the one(s) you want, give it "
    "(them) a name and click on the 'Save' button at the bottom.";
inline constexpr std::string_view kNoStreamSelected = "You haven't selected any file on the 'Video Streams' box!!!";
inline constexpr std::string_view kNotScanned = "You haven't scanned this file yet!!!";
inline constexpr std::string_view kNothingChecked = "You haven't checked any of the extracted Matrices to be saved!";
inline constexpr std::string_view kMatrix1Empty = "Matrix 1 field is empty!";
inline constexpr std::string_view kMatrix2Empty = "Matrix 2 field is empty!";
inline constexpr std::string_view kSavedMessage = "\n\n          SAVED!";

// Shell modes of the window: "3" while QuantDump runs (minimised), "4" once the window exits.
inline constexpr std::string_view kShellModeExtract = "3";
inline constexpr std::string_view kShellModeExit = "4";

// --- QuantDump

// Where QuantDump is looked for: QuantumDump/QuantDump in the program folder, then QuantDump beside it.
// A file whose name differs only in letter case is the one run; without one, the name as spelt here.
fs::path quantDumpProgram(const fs::path& programFolder);
fs::path quantDumpFallback(const fs::path& programFolder);

struct QuantDumpLookup {
    bool folderMissing = false; // there is no QuantumDump folder: the not-found box is shown at open
    bool found = false;
};
// Looks for a file named QuantDump (without regard to case) in the QuantumDump folder or, when that
// folder does not exist, in the program folder.
QuantDumpLookup findQuantDump(const fs::path& programFolder);

// QuantDump's output for a stream: TempMatrix/<stream file name>.txt in the program folder.
fs::path outputFileOf(const fs::path& programFolder, const fs::path& streamFileName);

// The command line: the program, the stream and the output file, each in double quotes, separated
// by single blanks.
std::string quantDumpCommandLine(const fs::path& program, const fs::path& stream, const fs::path& output);

// Runs txtCmdLine (RunAndWait with the shell mode). When the program cannot be started, txtCmdLine is
// rebuilt with the fallback program and the same arguments and run once more; when that cannot be
// started either, the reason is shown in an OK box. True when QuantDump ran.
bool runQuantDump(Runner& runner, Prompter& prompter, const fs::path& programFolder, const fs::path& stream,
                  std::string_view shellMode, std::string& txtCmdLine);

// --- Folders and streams

// The folders the window starts from (Windows-1252 text, as the settings files hold them).
struct StartFolders {
    std::string txtTesserapath;  // Editor.ini [CONFIG] TesseraFolder
    std::string txtLastDVD;      // Editor.ini [Config] LastDVD, or else Tessera's source folder
    std::string txtSourceFolder; // Tessera.ini [Paths] Source in Tessera's folder
};
// Reads them; a missing file, key or Tessera folder reads as empty text.
StartFolders readStartFolders(const fs::path& editorIni);

// The folders a folder list shows above the subfolders: the root, each folder below it down to the
// folder, and the folder itself. A folder outside the root is shown from the top of its own path.
std::vector<fs::path> folderChain(const fs::path& folder, const fs::path& root);

// The video streams of a folder (native names): files matching *.vob, *.m2v, *.mpv, *.mpg, *.mpeg
// without regard to case, sorted by name without regard to case.
std::vector<std::string> listStreams(const fs::path& folder);

// The subfolders of a folder (native names, hidden ones left out), sorted like the streams; empty
// when the folder cannot be read.
std::vector<std::string> listSubfolders(const fs::path& folder);

// The volumes the drive list shows: the mount points given, with "/" always among them (inside a
// chroot or some containers "/" is not listed as a mount, yet every folder that no listed volume
// holds is on it), without trailing separators, duplicates or relative paths, sorted.
std::vector<fs::path> volumeList(std::vector<fs::path> mountPoints);

// Whether a volume can be read: its root folder can be listed. One that cannot is "not ready".
bool volumeReady(const fs::path& root);

// The volume (one of the mount points given) that holds the folder: the longest mount point that is
// the folder or one of its parents; empty when none is.
fs::path volumeOf(const fs::path& folder, const std::vector<fs::path>& mountPoints);

// --- Save

struct MatrixToSave {
    bool checked = false;
    std::string name;              // UTF-8, as typed
    std::string text;              // Windows-1252, the matrix as shown
    std::string_view emptyMessage; // kMatrix1Empty or kMatrix2Empty
};

struct SaveTexts {
    std::string mustName;  // MESSAGES/MatrixImport
    std::string overwrite; // MESSAGES/MatrixImport2
};

enum class SaveResult {
    NothingChecked, // neither matrix was ticked; nothing saved
    Stopped,        // a refusal stopped the save; matrices saved before it stay saved
    Saved,          // every ticked matrix was saved or, after a Cancel in the overwrite question, skipped
};

// Saves matrix 1 when ticked, then matrix 2 when ticked, into the matrix folder. For each: an empty
// name shows mustName and stops; a name that cannot name a file shows matrixNameProblem's message
// and stops; an empty matrix shows its emptyMessage and stops; a name whose lower-cased section
// <name>.mtx exists in Matrix_Info.ini asks name + "\n\n" + overwrite (OK/Cancel), and Cancel skips
// that matrix. The file <name>.mtx gets the matrix text followed by CR LF, and Info1 and Info2 are
// written empty in that section of Matrix_Info.ini and Matrix_Info_Custom.ini. A file that cannot
// be written is reported and stops the save.
SaveResult saveExtractedMatrices(Prompter& prompter, const fs::path& matrixFolder, const SaveTexts& texts,
                                 const std::array<MatrixToSave, 2>& matrices);

// --- Exit

// The Exit sequence's files: when TempMatrix holds any file, asks deleteQuestion (MESSAGES/
// DeletePreviewFiles, OK/Cancel) and on OK deletes TempMatrix with everything in it and creates
// Preview and TempMatrix again. True when the files were deleted.
bool offerTempFilesDeletion(Prompter& prompter, const fs::path& programFolder, std::string_view deleteQuestion);

} // namespace quire::extract
