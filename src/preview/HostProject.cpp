// Loading a prepared Tessera project and listing its segments.
#include "HostProject.h"

#include "app/IniManager.h"
#include "platform/FileIo.h"
#include "platform/Text1252.h"
#include "platform/WinePath.h"
#include "preview/EncoderCommand.h"

#include <algorithm>
#include <system_error>

namespace quire::preview {
namespace {

namespace fs = std::filesystem;

constexpr std::string_view kEclAbortLog = "WARNING: 'Tessera.ecl' could not be read - ABORTING!!!";
constexpr std::string_view kInfAbortLog = "WARNING: 'Tessera.inf' could not be read - ABORTING!!!";

// Whether the name matches a pattern of "*" and "?" without regard to case.
bool matches(std::string_view name, std::string_view pattern) {
    std::size_t n = 0;
    std::size_t p = 0;
    std::size_t starP = std::string_view::npos;
    std::size_t starN = 0;
    while (n < name.size()) {
        if (p < pattern.size() && (pattern[p] == '?' || text::lowerChar(pattern[p]) == text::lowerChar(name[n]))) {
            ++n;
            ++p;
        } else if (p < pattern.size() && pattern[p] == '*') {
            starP = p++;
            starN = n;
        } else if (starP != std::string_view::npos) {
            p = starP + 1;
            n = ++starN;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == '*')
        ++p;
    return p == pattern.size();
}

void abortLoad(PreviewContext& context, std::string_view file, std::string_view log) {
    context.prompter.message("The file '" + std::string(file) + "' doesn't exist!\n" + std::string(kPrepareLine),
                             kAppTitle, PromptButtons::Ok, PromptIcon::None);
    context.log.BugLog(log);
    context.view.closeWindow();
}

// Bitrate, txtDif and Percent from the first segment's sectors and frames; false when a value is
// missing or not a number, or the bitrate comes to nothing.
bool computeBitrate(HostProject& p) {
    const auto frames = toNumber(p.Frames);
    const auto sectors = toNumber(p.videoSectors);
    const auto average = toNumber(p.EclBitrate);
    if (!frames || !sectors || !average || *frames == 0)
        return false;
    const double rate = p.frameRate == "3" ? 25.0 : 23.976;
    const double duration = *frames / rate;
    const std::string bitrate = formatWhole(*sectors * 2048 * 8 / duration / 1000);
    if (bitrate.empty())
        return false;
    const double whole = *toNumber(bitrate);
    const double difference = *average - whole;
    p.Bitrate = bitrate;
    p.txtDif = formatPlain(difference);
    p.Percent = formatPercent(difference * 100 / whole);
    return true;
}

} // namespace

fs::path projectFolder(const fs::path& tesseraFolder) {
    const fs::path ini = tesseraFolder / "Tessera.ini";
    return winePath(ini::GetValue("Paths", "Working", ini), ini) / "D2VAVS";
}

std::vector<std::string> listMatching(const fs::path& folder, std::string_view pattern) {
    std::vector<std::string> names;
    std::error_code ec;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        std::error_code typeError;
        if (!it->is_regular_file(typeError))
            continue;
        std::string name = fileio::pathToText(it->path().filename());
        if (!name.empty() && name.front() != '.' && matches(name, pattern))
            names.push_back(std::move(name));
    }
    std::sort(names.begin(), names.end(), fileio::lessByName);
    return names;
}

bool LoadPreview(PreviewContext& context, PreviewState& state) {
    HostProject& p = state.project;
    const auto& log = context.log;
    const fs::path tesseraIni = context.tesseraIni();
    const fs::path inf = context.infFile();
    const fs::path ecl = context.eclFile();
    auto logValue = [&log](std::string_view code, const std::string& value) { log.BugLog(std::string(code) + value); };

    context.view.disableEncoderIndicators();
    state.encoder.reset();
    log.BugLog("LPREV0001: Disabled 'not used' Encoders OK");
    p.txtMode = ini::GetValue("Status", "mode", inf);
    logValue("LPREV0002: Mode= ", p.txtMode);
    p.txtCCE = ini::GetValue("Status", "ccetype", inf);
    logValue("LPREV0003: CCEType= ", p.txtCCE);
    p.txtProgressive = ini::GetValue("item", "progressive", ecl);
    logValue("LPREV0004: Progressive/Interlaced Def.= ", p.txtProgressive);
    p.vbr_brate_max = ini::GetValue("item", "vbr_brate_max", ecl);
    logValue("LPREV0005: Max VBR Def.= ", p.vbr_brate_max);
    p.txtHCQuality = ini::GetValue("Options", "HC_Quality", tesseraIni);
    logValue("LPREV0006: HC Quality Def.= ", p.txtHCQuality);
    p.HC_VBR_Bias = ini::GetValue("Options", "HC_VBR_Bias", tesseraIni);
    logValue("LPREV0007: HC VBR Bias Def.= ", p.HC_VBR_Bias);

    const std::string procoder = ini::GetValue("Paths", "Procoder", tesseraIni);
    if (procoder.size() < 4) {
        log.BugLog("LPREV0008: EclPRO not found!");
    } else {
        const std::string settings = procoder.substr(0, procoder.size() - 4) + ".INI";
        p.ProcoderPath = fileio::pathToText(winePath(settings, tesseraIni));
        logValue("LPREV0008: EclPRO.INI Path = ", p.ProcoderPath);
    }

    p.txt1stSection = ini::GetSectionName(context.prompter, inf, 2);
    logValue("LPREV0009: 1STSECTi = ", p.txt1stSection);
    p.txtFirstSection = ini::GetSectionName(context.prompter, inf, 0);
    logValue("LPREV0010: FSTSECTi = ", p.txtFirstSection);
    if (p.txtFirstSection == "ILVU") {
        p.txt1stSection = ini::GetSectionName(context.prompter, inf, 3);
        log.BugLog("LPREV0011: 1STSECT = " + p.txt1stSection + " [UPDATED!]");
    }
    p.audioSectors = ini::GetValue(p.txt1stSection, "Audio_Sub_Sectors", inf);
    logValue("LPREV0012: Audio Sectors = ", p.audioSectors);
    p.OPVHC = ini::GetValue("Options", "HC_OPV", tesseraIni);
    logValue("LPREV0013: HC OPV = ", p.OPVHC);
    p.OPVCCE = ini::GetValue("CCEOptions", "OPV", tesseraIni);
    logValue("LPREV0014: CCE OPV = ", p.OPVCCE);
    p.DCPREC = ini::GetValue("Options", "DCPREC", tesseraIni);
    logValue("LPREV0015: DCPREC = ", p.DCPREC);
    p.opv_q_factor = ini::GetValue("item", "opv_q_factor", ecl);
    logValue("LPREV0016: OPV Factor = ", p.opv_q_factor);
    if (p.HC_VBR_Bias.empty()) {
        p.HC_VBR_Bias = "20";
        logValue("LPREV0017: HC VBR Bias was 'Null' - reset to ", p.HC_VBR_Bias);
    }

    if (p.txtProgressive.empty()) {
        abortLoad(context, "Tessera.ecl", kEclAbortLog);
        return false;
    }
    if (p.txtMode.empty()) {
        abortLoad(context, "Tessera.inf", kInfAbortLog);
        return false;
    }
    if (p.txtMode == "0") {
        context.prompter.message(kReJigMessage, kAppTitle, PromptButtons::Ok, PromptIcon::None);
        log.BugLog("LPREV0018: ReJig Mode Selected - ABORTING!");
        context.view.closeWindow();
        return false;
    }

    if (p.OPVHC.empty()) {
        p.OPVHC = "0";
        logValue("LPREV0019: HC OPV was 'Null' - reset to ", p.OPVHC);
    }
    if (p.OPVCCE.empty()) {
        p.OPVCCE = "0";
        logValue("LPREV0019: CCE OPV was 'Null' - reset to ", p.OPVCCE);
    }
    if (const auto factor = toNumber(p.opv_q_factor)) {
        p.hc_opv_q_factor = formatPlain(*factor / 10, context.separators.decimal);
        p.hc_opv_point = p.hc_opv_q_factor;
        std::replace(p.hc_opv_point.begin(), p.hc_opv_point.end(), ',', '.');
        logValue("LPREV0020: HC OPV Factor calculated as: ", p.hc_opv_point);
    } else {
        log.BugLog("WARNING: HC OPV Factor couldn't be Calculated");
    }
    p.txtNumKeys = std::to_string(ini::NumKeys(context.prompter, ecl, "item"));
    logValue("LPREV0021: ECL Keys count: ", p.txtNumKeys);

    // From here on any failure ends the load as a missing control list does.
    if (!DetectEncoder(context, state)) {
        abortLoad(context, "Tessera.ecl", kEclAbortLog);
        return false;
    }
    context.view.setActionCaptions(kSelectSegmentCaption);
    p.Frames = ini::GetValue(p.txt1stSection, "Frames", inf);
    logValue("LPREV0022: Frames: ", p.Frames);
    p.frameRate = ini::GetValue(p.txt1stSection, "Frame_Rate_Code", inf);
    logValue("LPREV0023: Frame Rate: ", p.frameRate);
    p.EclBitrate = ini::GetValue("item", "vbr_brate_avg", ecl);
    logValue("LPREV0024: ECL Avrg Bitrate: ", p.EclBitrate);
    p.videoSectors = ini::GetValue(p.txt1stSection, "Video_Sectors", inf);
    logValue("LPREV0025: Video Sectors: ", p.videoSectors);
    if (!computeBitrate(p)) {
        abortLoad(context, "Tessera.ecl", kEclAbortLog);
        return false;
    }
    log.BugLog("LPREV0026: Bitrate Calculation OK_ Value Codes= " + p.Bitrate + " | " + p.txtDif + " | " + p.Percent);
    BuildEncoderCommand(context, state);
    state.analysisFolder = context.workFolder;
    if (state.encoder == EncoderKind::QuEnc) {
        log.BugLog("LPREV0027: QuEnc Mode Activated");
        ReadQuEncOptions(context, state);
    }
    log.BugLog("LPREV0028: AVS creation");
    context.view.playIdleScript();
    context.view.disableApplyOptions();
    BuildSegmentList(context, state);
    return true;
}

void RefreshSegmentList(PreviewContext& context, PreviewState& state) {
    const auto& log = context.log;
    const std::string mainVts = ini::GetValue("Status", "MainVTS", context.infFile());
    log.BugLog("SEGL00001: INF Loaded");
    if (!state.movie && state.extras) {
        log.BugLog("SEGL00002: List 'Extras' Only");
    } else if (state.movie && !state.extras) {
        state.segmentPattern = "V" + mainVts + "*.avs";
        log.BugLog("SEGL00003: List 'Main Movie' Only");
    } else if (!state.movie && !state.extras) {
        state.movie = state.extras = true;
        context.view.setFilterBoxes(true, true);
        log.BugLog("SEGL00004: List All Segments");
    }
    if (state.movie && state.extras) {
        state.segmentPattern = "*.avs";
        log.BugLog("SEGL00005: List All Segments");
    }
    state.segmentFiles = listMatching(context.workFolder, state.segmentPattern);
    log.BugLog("SEGL00006: Segments List Refreshed");
    BuildSegmentList(context, state);
    if (state.segmentList.empty() || state.segmentList.front().empty()) {
        state.segmentList = {"No 'Extras' found!", "", "Make sure you didn't select", "'MOVIE ONLY' Under",
                             "Tessera's Menu Mode!"};
        context.view.showSegmentList(state.segmentList);
        log.BugLog("SEGL00007: No 'Extras' found!");
    }
    state.analysisPattern = "ANALYSIS.ECL";
    log.BugLog("SEGL00008: Analysis Pattern OK");
}

void BuildSegmentList(PreviewContext& context, PreviewState& state) {
    const auto& log = context.log;
    const std::string mainVts = ini::GetValue("Status", "MainVTS", context.infFile());
    if (mainVts.empty())
        log.BugLog("SEGU00002: 'Main Movie detection' FAILED!!!");
    state.segmentList.clear();
    log.BugLog("SEGU00001: 'Main Movie detection' OK");
    const bool extrasOnly = state.extras && !state.movie;
    for (const auto& name : state.segmentFiles) {
        if (extrasOnly) {
            // A name too short to carry a title set is no part of the main movie.
            const auto titleSet = midText(name, 2, static_cast<long>(name.size()) - 17);
            if (titleSet && *titleSet == mainVts)
                continue;
            log.BugLog("SEGU00003: 'Extras' Segment Loaded OK");
        }
        state.segmentList.push_back(name);
    }
    context.view.showSegmentList(state.segmentList);
    log.BugLog("SEGU00004: Segment Loaded OK");
}

} // namespace quire::preview
