// The control files of a test encode and the encoder run.
#include "ControlList.h"

#include "app/IniManager.h"
#include "platform/FileIo.h"
#include "platform/Text1252.h"
#include "preview/EncoderCommand.h"
#include "preview/RunAndWait.h"
#include "preview/ScriptText.h"
#include "preview/WorkFolders.h"
#include "ui/Localisation.h"

namespace quire::preview {
namespace {

namespace fs = std::filesystem;

constexpr std::string_view kLineBreak = "\r\n";
constexpr int kEclLines = 90;

fs::path previewPath(const PreviewContext& context, std::string_view name) {
    return context.programFolder / kPreviewFolder / fileio::textToPath(name);
}

// A file in the preview folder as the control files name it.
std::string previewText(const PreviewContext& context, std::string_view name) {
    return fileio::pathToText(previewPath(context, name));
}

void replaceAll(std::string& text, std::string_view from, std::string_view to) {
    text = replaced(text, from, to);
}

bool startsWith(std::string_view text, std::string_view prefix) {
    return text.substr(0, prefix.size()) == prefix;
}

// The header comment of preview.ecl: by the encoder kind, or the Works edition's.
std::string_view headerComment(const PreviewState& state) {
    if (state.CCEWorks == "1")
        return "; CCE SP Works Version -- Encoder Control List";
    switch (state.encoder.value_or(EncoderKind::ReJig)) {
    case EncoderKind::Hc:
        return "; HC Encoder -- Encoder Information List";
    case EncoderKind::Cce270:
        return "; CCE SP Trial Version -- Encoder Control List";
    case EncoderKind::Cce250:
    case EncoderKind::CceSp:
    case EncoderKind::ProCoder:
        return "; Cinema Craft Encoder SP -- Encoder Control List";
    case EncoderKind::CceBasic:
        return "; Cinema Craft Encoder Basic -- Encoder Control List";
    default:
        return {};
    }
}

// preview.ecl before its key updates.
std::string firstControlList(const PreviewState& state, const std::optional<MatrixRows>& rows) {
    std::string out;
    auto line = [&out](std::string_view text) { out.append(text).append(kLineBreak); };
    if (const auto header = headerComment(state); !header.empty())
        line(header);
    line("; Created By DVD Tessera's Matrix Editor");
    line("");
    for (std::size_t i = 0; i < kEclLines; ++i)
        line(i < state.lstECL.size() ? state.lstECL[i] : std::string());
    if (rows) {
        for (const auto& row : *rows)
            line(row + "\t");
        line("");
    }
    const std::size_t fileLines = state.encoder == EncoderKind::CceBasic ? 1 : 6;
    for (std::size_t i = 0; i < fileLines; ++i)
        line(i < state.lstECL2.size() ? state.lstECL2[i] : std::string());
    return out;
}

// The key updates of preview.ecl, in their order.
void updateControlList(PreviewContext& context, const PreviewState& state, const fs::path& ecl, bool matrix) {
    const HostProject& p = state.project;
    const bool basic = state.encoder == EncoderKind::CceBasic;
    const std::string base = outputBaseName(state);
    const std::string video = previewText(context, base + ".m2v");
    auto set = [&ecl](std::string_view section, std::string_view key, std::string_view value) {
        ini::SetValue(section, key, value, ecl);
    };
    auto setMatrix = [&set] {
        set("item", "qmat_idx", "-1");
        set("item", "q_scale_type", "1");
        set("item", "qmat", " ");
    };
    auto setFrames = [&](std::string_view section) {
        set(section, "name", previewText(context, "encode.avs"));
        set(section, "frame_first", "0");
        set(section, "frame_last", p.Frames);
        set(section, "encode_first", "0");
        set(section, "encode_last", p.Frames);
    };
    if (matrix && !basic)
        setMatrix();
    if (state.noMatrix) {
        set("item", "qmat_idx", "0");
        ini::DeleteKey(context.prompter, ecl, "item", "qmat");
    }
    set("item", "pulldown_detect", p.txtPulldown);
    set("item", "title", "Preview");
    set("item", "vaf_file", previewText(context, base + ".vaf"));
    set("item", "aud_file", previewText(context, base + ".mpa"));
    set("item", "frame_rate_idx", p.frameRate);
    set("item", "vbr_brate_avg", p.BitrateFinal);
    set("item", "aspect_ratio", p.txtAspectRatio);
    if (basic) {
        set("item", "vid_file", video);
        setFrames("item");
        if (matrix)
            setMatrix();
    } else {
        set("item", "vid_file0", video);
        set("item", "vid_file1", video);
        setFrames("file");
    }
}

// Both action captions.
void showCaptions(PreviewContext& context, std::string_view text) {
    context.view.setActionCaptions(text);
}

// Runs txtCmdLine and tells the user that the encode is over.
void runAndReport(PreviewContext& context, PreviewState& state, Runner& runner) {
    showCaptions(context, kEncodingCaption);
    const RunResult result = RunAndWait(runner, state.project.txtCmdLine, {}, state.txtShellMode);
    if (result.outcome == RunResult::Outcome::CouldNotStart)
        context.prompter.message(text::fromUtf8(result.description).value_or(result.description), kAppTitle,
                                 PromptButtons::Ok, PromptIcon::None);
    context.prompter.message(kEncodingCompleted, kAppTitle, PromptButtons::Ok, PromptIcon::None);
    showCaptions(context, kEncodedCaption);
    context.view.refreshEncodedFiles();
    if (state.txtPlayer.empty()) {
        context.prompter.message(caption(context.programFolder, state.txtLang, "Messages", "NoPlayer"), kAppTitle,
                                 PromptButtons::Ok, PromptIcon::None);
        context.view.disableEncodedFiles();
    }
}

// The section index of txtSegIndex, when it is a whole number that can name a section.
std::optional<int> segmentIndex(const HostProject& p) {
    const auto index = toNumber(p.txtSegIndex);
    if (!index || *index < 0 || *index > 1e6)
        return std::nullopt;
    return static_cast<int>(*index);
}

// Adds the header of the section at the index and then key lines until the list holds `lines` lines.
void copySection(PreviewContext& context, std::vector<std::string>& list, int index, std::size_t lines) {
    const fs::path ecl = context.eclFile();
    list.clear();
    const std::string name = ini::GetSectionName(context.prompter, ecl, index);
    list.push_back("[" + name + "]");
    for (int k = 0; list.size() < lines; ++k) {
        const std::string key = ini::GetKeyName(context.prompter, ecl, index, k);
        list.push_back(key + "=" + ini::GetProjectValue(context.prompter, ecl, name, key));
        context.view.advanceProgress();
    }
}

} // namespace

bool CopySegmentSection(PreviewContext& context, PreviewState& state) {
    showCaptions(context, kPreparingCaption);
    const auto index = segmentIndex(state.project);
    if (!index || !fileio::isRegularFile(context.eclFile()))
        return false;
    const int numKeys = ini::NumKeys(context.prompter, context.eclFile(), "item");
    state.project.txtNumKeys = std::to_string(numKeys);
    // A section of fewer than two keys copies only its header.
    copySection(context, state.lstECL, *index, static_cast<std::size_t>(std::max(numKeys - 1, 1)));
    return true;
}

bool CopyFileSection(PreviewContext& context, PreviewState& state) {
    const auto index = segmentIndex(state.project);
    if (!index || !fileio::isRegularFile(context.eclFile()))
        return false;
    copySection(context, state.lstECL2, *index + 1, 6);
    showCaptions(context, kFilesReadyCaption);
    return true;
}

std::string outputBaseName(const PreviewState& state) {
    std::string name = outputFileName(state.segment, state.matrixName, state.FilterName);
    name.resize(name.size() - 4);
    return name;
}

std::string normaliseControlList(std::string_view text, int numKeys, bool basic) {
    std::string out;
    if (90 - numKeys > 0) {
        // Every pass after the first finds no pair left, so one pass stands for all of them.
        std::size_t i = 0;
        while (i < text.size()) {
            if (!startsWith(text.substr(i), kLineBreak)) {
                out += text[i++];
                continue;
            }
            std::size_t run = 0;
            std::size_t end = i;
            for (; startsWith(text.substr(end), kLineBreak); end += kLineBreak.size())
                ++run;
            const std::string_view next = text.substr(end);
            const bool betweenLines =
                i > 0 && !next.empty() && !startsWith(next, "[file]") && !startsWith(next, "[item]");
            const std::size_t keep = run % 2 == 0 && betweenLines ? 1 : run % 2;
            for (std::size_t n = 0; n < keep; ++n)
                out += kLineBreak;
            i = end;
        }
    } else {
        out = text;
    }
    replaceAll(out, "[file]", "\r\n\r\n[file]");
    replaceAll(out, "[item]", "\r\n\r\n[item]");
    if (basic) {
        replaceAll(out, "\r\n[item]\r\n", "");
        replaceAll(out, "title=Preview", "\r\n[item]\r\ntitle=preview");
    }
    return out;
}

bool writeControlList(PreviewContext& context, PreviewState& state, const std::optional<MatrixRows>& rows) {
    const fs::path ecl = previewPath(context, "preview.ecl");
    if (!fileio::writeFileAtomic(ecl, firstControlList(state, rows)))
        return false;
    updateControlList(context, state, ecl, rows.has_value());
    const auto written = fileio::readFile(ecl);
    if (!written)
        return false;
    const int numKeys = static_cast<int>(toNumber(state.project.txtNumKeys).value_or(0));
    return fileio::writeFileAtomic(
        ecl, normaliseControlList(*written, numKeys, state.encoder == EncoderKind::CceBasic) + std::string(kLineBreak));
}

std::string hcSettingsText(const PreviewContext& context, const PreviewState& state,
                           const std::optional<MatrixRows>& rows) {
    const HostProject& p = state.project;
    const bool opv = toNumber(p.OPVHC) == 1.0;
    std::string out;
    auto line = [&out](std::string_view text) { out.append(text).append(kLineBreak); };
    line("*BATCH");
    line("*PROFILE  " + p.HCQuality);
    line("*INFILE  " + previewText(context, "encode.avs"));
    line("*OUTFILE  " + previewText(context, outputBaseName(state) + ".m2v"));
    line("*BITRATE  " + (opv ? std::string("0") : p.BitrateFinal));
    line("*MAXBITRATE  " + p.vbr_brate_max);
    line("*WAIT 0");
    line("*BIAS " + p.HC_VBR_Bias);
    if (opv)
        line("*CQ_MAXBITRATE  " + p.hc_opv_point);
    if (rows) {
        line("*CUSTOMMATRIX");
        for (std::size_t i = 0; i < rows->size(); ++i) {
            if (i == 8)
                line("");
            line((*rows)[i]);
        }
    }
    if (!p.DCPREC.empty()) {
        const auto precision = toNumber(p.DCPREC);
        if (precision == 1.0)
            line("*DC_PREC 8");
        else if (precision == 2.0)
            line("*DC_PREC 9");
        else if (precision == 3.0)
            line("*DC_PREC 10");
    }
    line(std::string("*ASPECT ") + (p.txtAspectRatio == "2" ? "4:3" : "16:9"));
    if (p.txtProgressive == "0")
        line("*INTERLACED");
    return out;
}

void EncodeWithControlList(PreviewContext& context, PreviewState& state, Runner& runner) {
    const fs::path matrix = state.matrixFolder / fileio::textToPath(state.matrixFile);
    std::optional<MatrixRows> rows;
    if (!state.noMatrix)
        rows = readMatrixRows(matrix);
    writeControlList(context, state, rows);
    if (state.encoder == EncoderKind::Hc) {
        if (!state.noMatrix)
            rows = readMatrixRows(matrix);
        fileio::writeFileAtomic(previewPath(context, "preview.ini"), hcSettingsText(context, state, rows));
    }
    runAndReport(context, state, runner);
}

void EncodeWithQuEnc(PreviewContext& context, PreviewState& state, Runner& runner) {
    BuildQuEncCommand(context, state, state.segment);
    runAndReport(context, state, runner);
}

} // namespace quire::preview
