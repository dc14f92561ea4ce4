// The extraction window's workings: QuantDump's place and command line, the streams, Save and Exit.
#include "MatExtLogic.h"

#include "app/IniManager.h"
#include "matrix/DescriptionIndex.h"
#include "matrix/Library.h"
#include "matrix/MatrixName.h"
#include "platform/CommandLine.h"
#include "platform/FileIo.h"
#include "platform/Text1252.h"
#include "preview/RunAndWait.h"
#include "preview/WorkFolders.h"

#include <algorithm>
#include <optional>
#include <system_error>

namespace quire::extract {
namespace {

constexpr std::string_view kQuantDumpFolder = "QuantumDump";
constexpr std::string_view kQuantDumpName = "QuantDump";

// The regular file of the folder named `name`: that very name, or else the first (by name) whose
// name differs from it only in letter case.
std::optional<fs::path> fileNamed(const fs::path& folder, std::string_view name) {
    std::error_code ec;
    if (fs::is_regular_file(folder / name, ec))
        return folder / name;
    const std::string wanted = text::toLower(name);
    std::vector<std::string> matches;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        std::error_code typeError;
        const std::string candidate = it->path().filename().string();
        if (it->is_regular_file(typeError) && text::toLower(fileio::pathToText(candidate)) == wanted)
            matches.push_back(candidate);
    }
    if (matches.empty())
        return std::nullopt;
    return folder / *std::min_element(matches.begin(), matches.end());
}

// One matrix of the save; false when a refusal stops the whole save.
bool saveOne(Prompter& prompter, const fs::path& matrixFolder, const SaveTexts& texts, const MatrixToSave& matrix) {
    if (matrix.name.empty()) {
        prompter.message(texts.mustName, kAppTitle, PromptButtons::Ok, PromptIcon::None);
        return false;
    }
    if (const auto problem = matrixNameProblem(matrix.name)) {
        prompter.message(text::fromUtf8(*problem).value_or(*problem), kAppTitle, PromptButtons::Ok,
                         PromptIcon::Exclamation);
        return false;
    }
    if (matrix.text.empty()) {
        prompter.message(matrix.emptyMessage, kAppTitle, PromptButtons::Ok, PromptIcon::None);
        return false;
    }
    // The name is known to be Windows-1252 text by now.
    const std::string fileName = text::fromUtf8(matrix.name).value_or(std::string()) + ".mtx";
    const std::string section = descriptions::sectionName(fileName);
    const fs::path infoFile = matrixFolder / descriptions::kInfoFile;
    if (ini::SectionExists(prompter, infoFile, section)) {
        const std::string question = text::fromUtf8(matrix.name).value_or(std::string()) + "\n\n" + texts.overwrite;
        if (prompter.message(question, kAppTitle, PromptButtons::OkCancel, PromptIcon::Question) != PromptAnswer::Ok)
            return true;
    }
    const fs::path file = library::matrixFilePath(matrixFolder, fileName);
    if (!fileio::writeFileAtomic(file, matrix.text + std::string(text::kCrLf))) {
        prompter.message("The matrix file \"" + fileName + "\" could not be written in the matrix folder.", kAppTitle,
                         PromptButtons::Ok, PromptIcon::Exclamation);
        return false;
    }
    descriptions::write(infoFile, fileName, "", "");
    descriptions::write(matrixFolder / descriptions::kCustomFile, fileName, "", "");
    return true;
}

} // namespace

fs::path quantDumpProgram(const fs::path& programFolder) {
    const fs::path folder = programFolder / kQuantDumpFolder;
    return fileNamed(folder, kQuantDumpName).value_or(folder / kQuantDumpName);
}

fs::path quantDumpFallback(const fs::path& programFolder) {
    return fileNamed(programFolder, kQuantDumpName).value_or(programFolder / kQuantDumpName);
}

QuantDumpLookup findQuantDump(const fs::path& programFolder) {
    QuantDumpLookup lookup;
    const fs::path folder = programFolder / kQuantDumpFolder;
    lookup.folderMissing = !fileio::isDirectory(folder);
    lookup.found = fileNamed(lookup.folderMissing ? programFolder : folder, kQuantDumpName).has_value();
    return lookup;
}

fs::path outputFileOf(const fs::path& programFolder, const fs::path& streamFileName) {
    return programFolder / kTempMatrixFolder / (streamFileName.string() + ".txt");
}

std::string quantDumpCommandLine(const fs::path& program, const fs::path& stream, const fs::path& output) {
    return quoteArgument(program.string()) + " " + quoteArgument(stream.string()) + " " +
           quoteArgument(output.string());
}

bool runQuantDump(Runner& runner, Prompter& prompter, const fs::path& programFolder, const fs::path& stream,
                  std::string_view shellMode, std::string& txtCmdLine) {
    RunResult result = RunAndWait(runner, txtCmdLine, shellMode);
    if (result.outcome == RunResult::Outcome::CouldNotStart) {
        txtCmdLine = quantDumpCommandLine(quantDumpFallback(programFolder), stream,
                                          outputFileOf(programFolder, stream.filename()));
        result = RunAndWait(runner, txtCmdLine, shellMode);
        if (result.outcome == RunResult::Outcome::CouldNotStart)
            prompter.message(text::fromUtf8(result.description).value_or(result.description), kAppTitle,
                             PromptButtons::Ok, PromptIcon::None);
    }
    return result.started();
}

StartFolders readStartFolders(const fs::path& editorIni) {
    StartFolders folders;
    folders.txtTesserapath = ini::GetValue("CONFIG", "TesseraFolder", editorIni);
    if (!folders.txtTesserapath.empty())
        folders.txtSourceFolder =
            ini::GetValue("Paths", "Source", fileio::textToPath(folders.txtTesserapath) / "Tessera.ini");
    folders.txtLastDVD = ini::GetValue("Config", "LastDVD", editorIni);
    if (folders.txtLastDVD.empty())
        folders.txtLastDVD = folders.txtSourceFolder;
    return folders;
}

std::vector<fs::path> folderChain(const fs::path& folder, const fs::path& root) {
    const auto withoutTrailingSeparator = [](const fs::path& path) {
        std::string text = path.lexically_normal().string();
        while (text.size() > 1 && text.back() == '/')
            text.pop_back();
        return fs::path(text);
    };
    const fs::path top = withoutTrailingSeparator(root);
    std::vector<fs::path> chain;
    for (fs::path up = withoutTrailingSeparator(folder); !up.empty(); up = up.parent_path()) {
        chain.insert(chain.begin(), up);
        if (up == top || up == up.parent_path())
            break;
    }
    return chain;
}

std::vector<std::string> listStreams(const fs::path& folder) {
    return fileio::listFiles(folder, {".vob", ".m2v", ".mpv", ".mpg", ".mpeg"});
}

std::vector<std::string> listSubfolders(const fs::path& folder) {
    std::vector<std::string> names;
    std::error_code ec;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        std::error_code typeError;
        std::string name = it->path().filename().string();
        if (it->is_directory(typeError) && !name.starts_with('.'))
            names.push_back(std::move(name));
    }
    std::sort(names.begin(), names.end(),
              [](const std::string& a, const std::string& b) { return fileio::lessByName(a, b); });
    return names;
}

std::vector<fs::path> volumeList(std::vector<fs::path> mountPoints) {
    mountPoints.emplace_back("/");
    for (fs::path& mount : mountPoints) {
        std::string text = mount.lexically_normal().string();
        while (text.size() > 1 && text.back() == '/')
            text.pop_back();
        mount = text;
    }
    std::erase_if(mountPoints, [](const fs::path& mount) { return mount.empty() || mount.is_relative(); });
    std::sort(mountPoints.begin(), mountPoints.end());
    mountPoints.erase(std::unique(mountPoints.begin(), mountPoints.end()), mountPoints.end());
    return mountPoints;
}

bool volumeReady(const fs::path& root) {
    std::error_code error;
    const fs::directory_iterator listing(root, error);
    return !error;
}

fs::path volumeOf(const fs::path& folder, const std::vector<fs::path>& mountPoints) {
    const std::string path = folder.lexically_normal().string();
    fs::path best;
    std::size_t bestLength = 0;
    for (const fs::path& mount : mountPoints) {
        std::string root = mount.lexically_normal().string();
        while (root.size() > 1 && root.back() == '/')
            root.pop_back();
        const bool holds = path == root || (path.starts_with(root) && (root.back() == '/' || path[root.size()] == '/'));
        if (!root.empty() && holds && (best.empty() || root.size() > bestLength)) {
            best = mount;
            bestLength = root.size();
        }
    }
    return best;
}

SaveResult saveExtractedMatrices(Prompter& prompter, const fs::path& matrixFolder, const SaveTexts& texts,
                                 const std::array<MatrixToSave, 2>& matrices) {
    if (!matrices[0].checked && !matrices[1].checked) {
        prompter.message(kNothingChecked, kAppTitle, PromptButtons::Ok, PromptIcon::None);
        return SaveResult::NothingChecked;
    }
    for (const MatrixToSave& matrix : matrices)
        if (matrix.checked && !saveOne(prompter, matrixFolder, texts, matrix))
            return SaveResult::Stopped;
    return SaveResult::Saved;
}

bool offerTempFilesDeletion(Prompter& prompter, const fs::path& programFolder, std::string_view deleteQuestion) {
    const fs::path tempMatrix = programFolder / kTempMatrixFolder;
    if (!folderHoldsFiles(tempMatrix))
        return false;
    if (prompter.message(deleteQuestion, kAppTitle, PromptButtons::OkCancel, PromptIcon::Question) != PromptAnswer::Ok)
        return false;
    DeleteWorkFolders(prompter, programFolder, tempMatrix);
    return true;
}

} // namespace quire::extract
