// Encoder detection and the encoders' command lines.
#include "EncoderCommand.h"

#include "app/IniManager.h"
#include "platform/FileIo.h"
#include "platform/Text1252.h"
#include "platform/WinePath.h"
#include "preview/WorkFolders.h"

namespace quire::preview {
namespace {

namespace fs = std::filesystem;

// The Paths key of Tessera.ini that holds each kind's executable, in the order the kinds are tested.
struct PathKey {
    EncoderKind kind;
    std::string_view key;
};
constexpr PathKey kPathKeys[] = {
    {EncoderKind::Hc, "HC"},
    {EncoderKind::QuEnc, "QuEnc"},
    {EncoderKind::CceSp, "CCENEW"},
    {EncoderKind::Cce270, "CCENEW"},
    {EncoderKind::CceBasic, "CCEBasic"},
    {EncoderKind::Cce250, "CCE250"},
    {EncoderKind::ProCoder, "ProCoder"},
};

void refuse(PreviewContext& context, std::string_view text) {
    context.prompter.message(text, kAppTitle, PromptButtons::Ok, PromptIcon::None);
}

void select(PreviewContext& context, PreviewState& state, EncoderKind kind) {
    state.encoder = kind;
    context.view.selectEncoder(kind);
}

std::string quoted(const HostProject& p, std::string_view text) {
    return p.txtAspas + std::string(text) + p.txtAspas;
}

// A file in the Preview folder beside the program, as native text.
std::string previewFile(const PreviewContext& context, std::string_view name) {
    return fileio::pathToText(context.programFolder / kPreviewFolder / name);
}

} // namespace

bool DetectEncoder(PreviewContext& context, PreviewState& state) {
    HostProject& p = state.project;
    const auto& log = context.log;
    const auto mode = toNumber(p.txtMode);
    if (!mode)
        return false;
    if (*mode == 0) {
        refuse(context, kReJigRefusal);
        select(context, state, EncoderKind::ReJig);
        log.BugLog("ENCDEF001: ReJig Mode detected");
    }
    if (*mode == 5) {
        select(context, state, EncoderKind::Hc);
        log.BugLog("ENCDEF002: HC Mode detected");
    }
    if (*mode == 2) {
        select(context, state, EncoderKind::QuEnc);
        log.BugLog("ENCDEF003: QuEnc Mode detected");
    }
    if (*mode == 3) {
        refuse(context, kProCoderRefusal);
        select(context, state, EncoderKind::ProCoder);
        log.BugLog("ENCDEF004: ProCoder Mode detected");
    }
    if (*mode == 1) {
        log.BugLog("ENCDEF005: CCE Mode detected");
        const auto edition = toNumber(p.txtCCE);
        if (!edition)
            return false;
        struct Edition {
            double code;
            EncoderKind kind;
            std::string_view log;
        };
        static constexpr Edition kEditions[] = {
            {0, EncoderKind::Cce250, "ENCDEF005.1: CCE Mode = 2.50"},
            {1, EncoderKind::CceSp, "ENCDEF005.2: CCE Mode = SP"},
            {2, EncoderKind::CceBasic, "ENCDEF005.3: CCE Mode = Basic"},
            {3, EncoderKind::Cce270, "ENCDEF005.4: CCE Mode = 2.70 Trial"},
        };
        for (const auto& e : kEditions) {
            if (*edition != e.code)
                continue;
            if (e.kind == EncoderKind::Cce250)
                refuse(context, kCce250Refusal);
            select(context, state, e.kind);
            context.view.enableCceGroupLabel();
            log.BugLog(e.log);
        }
    }
    const auto quality = toNumber(p.txtHCQuality);
    if (!quality)
        return false;
    if (*quality == 0) {
        p.HCQuality = "FAST";
        log.BugLog("ENCDEF006.1: HC Quality = Fast");
    } else if (*quality == 1) {
        p.HCQuality = "NORMAL";
        log.BugLog("ENCDEF006.2: HC Quality = Normal");
    } else if (*quality == 3) {
        p.HCQuality = "BEST";
        log.BugLog("ENCDEF006.3: HC Quality = BEST");
    } else {
        p.HCQuality.clear();
    }
    return true;
}

void BuildEncoderCommand(PreviewContext& context, PreviewState& state) {
    HostProject& p = state.project;
    const fs::path tesseraIni = context.tesseraIni();
    for (const auto& entry : kPathKeys) {
        if (state.encoder != entry.kind)
            continue;
        const std::string value = ini::GetValue("Paths", entry.key, tesseraIni);
        p.txtEncoder = quoted(p, value.empty() ? value : fileio::pathToText(winePath(value, tesseraIni)));
        context.log.BugLog("ENCPATH001: Active encoder path = " + p.txtEncoder);
        break;
    }
    p.txtPath2File = quoted(p, previewFile(context, "preview.ecl"));
    context.log.BugLog("ENCPATH002: Quire ECL file path = " + p.txtPath2File);
    if (state.encoder == EncoderKind::Hc) {
        p.txtPath2File = quoted(p, previewFile(context, "preview.ini"));
        p.txtCmdLine = p.txtEncoder + " -ini " + p.txtPath2File;
    } else {
        p.txtCmdLine = p.txtEncoder + " -ecl " + p.txtPath2File + " -batch";
    }
}

void ReadQuEncOptions(PreviewContext& context, PreviewState& state) {
    HostProject& p = state.project;
    const auto& log = context.log;
    const fs::path tesseraIni = context.tesseraIni();
    const std::string trellis = ini::GetValue("Options", "QTrellis", tesseraIni);
    log.BugLog("QUENCDEF: Trellis = " + trellis);
    p.QTrellis = trellis == "1" ? "-trell" : "-notrell";
    const std::string type = ini::GetValue("Options", "QuEncodeType", tesseraIni);
    log.BugLog("QUENCDEF: Encode Type = " + type);
    if (type == "0")
        p.QuEncodeType = "-2";
    else if (type == "2")
        p.QuEncodeType = "-1";
    else if (type == "1")
        p.QuEncodeType = "-3";
    const std::string hq = ini::GetValue("Options", "QuEncHQ", tesseraIni);
    log.BugLog("QUENCDEF: High Quality = " + hq);
    p.QuEncHQ = hq == "1" ? "-hq" : "-nohq";
    const std::string scene = ini::GetValue("Options", "QuEncScene", tesseraIni);
    log.BugLog("QUENCDEF: Scene Detection = " + scene);
    p.QuEncScene = scene == "1" ? "-scene" : "-noscene";
    log.BugLog("QUENCDEF: Definitions OK");
    const auto analysis = listMatching(state.analysisFolder, state.analysisPattern);
    if (!analysis.empty() && text::toLower(analysis.front()) == "analysis.ecl") {
        p.QuEncodeType = "-3";
        log.BugLog("QUENCDEF: OPV ON");
    }
}

std::string outputFileName(std::string_view segment, std::string_view matrixName, std::string_view filterName) {
    const std::string_view base = segment.substr(0, segment.size() >= 4 ? segment.size() - 4 : 0);
    return std::string(base) + "_" + std::string(matrixName) + "_" + std::string(filterName) + ".m2v";
}

void BuildQuEncCommand(PreviewContext& context, PreviewState& state, std::string_view segment) {
    HostProject& p = state.project;
    std::string line = p.txtEncoder;
    line += " -i " + quoted(p, previewFile(context, "encode.avs"));
    line += " -o " + quoted(p, previewFile(context, outputFileName(segment, state.matrixName, state.FilterName)));
    line += " -b " + (p.QuEncodeType == "-3" ? p.opv_q_factor : p.BitrateFinal);
    line += " -maxbitrate " + p.vbr_brate_max;
    const auto aspect = toNumber(p.txtAspectRatio);
    line += std::string(" -aspectratio ") + (aspect && *aspect == 3 ? "16:9" : "4:3");
    line += " ";
    if (p.QuEncodeType == "-2")
        line += "-2 -vbr";
    else if (p.QuEncodeType == "-1")
        line += "-1 -vbr";
    line += " -dc ";
    if (p.DCPREC.empty() || p.DCPREC == "1")
        line += "8";
    else if (p.DCPREC == "2")
        line += "9";
    else if (p.DCPREC == "3")
        line += "10";
    line += " " + p.QuEncHQ + " " + p.QuEncScene + " " + p.QTrellis;
    line += p.txtProgressive == "0" ? " -interlaced" : " -nointerlaced";
    if (state.matrixName == "No_Matrix")
        line += " -nocmatrix";
    else
        line += " -cmatrix " + quoted(p, previewFile(context, "temp.cqm"));
    line += " -mpeg2 -auto -close";
    p.txtCmdLine = line;
}

} // namespace quire::preview
