// Reading a library matrix for export, comparing two, and writing them for FFmpeg.
#include "matrix/MatrixExport.h"

#include "matrix/Library.h"
#include "platform/FileIo.h"

#include <algorithm>

namespace quire::library {

std::optional<MatrixValues> usableValues(const std::filesystem::path& folder, const std::string& fileName) {
    auto values = ReadMatrixCodes(folder / fileName);
    if (!values || !std::all_of(values->begin(), values->end(), [](int v) { return v >= 1 && v <= 255; }))
        return std::nullopt;
    return values;
}

std::string unusableMessage(const std::string& fileName) {
    return "The matrix file " + indexName(fileName) + " does not hold 128 values from 1 to 255.";
}

Comparison compare(const MatrixValues& a, const MatrixValues& b) {
    Comparison result{a, b, {}};
    for (std::size_t i = 0; i < kMatrixCells; ++i)
        result.difference[i] = b[i] - a[i];
    return result;
}

std::string ffmpegOptions(const MatrixValues& values) {
    std::string text;
    for (std::size_t i = 0; i < kMatrixCells; ++i) {
        if (i == 0)
            text += "-intra_matrix ";
        else if (i == 64)
            text += " -inter_matrix ";
        else
            text += ',';
        text += std::to_string(values[i]);
    }
    return text;
}

std::string cqmBytes(const MatrixValues& values) {
    std::string bytes;
    for (int v : values)
        bytes += static_cast<char>(static_cast<unsigned char>(v));
    return bytes;
}

std::string ffmpegOptionsOf(Prompter& prompter, const std::filesystem::path& folder, const std::string& fileName) {
    const auto values = usableValues(folder, fileName);
    if (!values) {
        prompter.inform(unusableMessage(fileName), kExportTitle, PromptIcon::Exclamation);
        return {};
    }
    return ffmpegOptions(*values);
}

std::string exportCqm(Prompter& prompter, const std::filesystem::path& folder, const std::string& fileName) {
    const auto values = usableValues(folder, fileName);
    if (!values) {
        prompter.inform(unusableMessage(fileName), kExportTitle, PromptIcon::Exclamation);
        return {};
    }
    const auto offered = (folder / fileName).replace_extension(".cqm");
    const std::string chosen = prompter.saveFile(kCqmDialogTitle, {{"CQM Files", "*.cqm"}}, offered.string());
    if (chosen.empty())
        return {};
    std::filesystem::path target(chosen);
    if (!target.has_extension())
        target += ".cqm";
    if (!fileio::writeFileAtomic(target, cqmBytes(*values))) {
        prompter.inform("The file " + indexName(target.string()) + " could not be written. Nothing was saved.",
                        kExportTitle, PromptIcon::Critical);
        return {};
    }
    return target.string();
}

} // namespace quire::library
