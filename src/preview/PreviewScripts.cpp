// The preview scripts and the player calls that show them.
#include "PreviewScripts.h"

#include "platform/FileIo.h"
#include "preview/ScriptText.h"
#include "preview/WorkFolders.h"
#include "ui/SetupLogic.h"

namespace quire::preview {
namespace {

namespace fs = std::filesystem;

std::string subtitle(std::string_view text, std::string_view position, std::string_view size, std::string_view colour) {
    return "Subtitle(\"" + std::string(text) + "\"" + std::string(position) +
           ",font=\"Arial\", size=" + std::string(size) + ",text_color=$" + std::string(colour) +
           ",halo_color=$ffffff)";
}

// The lines of a script, each followed by CR LF.
std::string scriptText(std::initializer_list<std::string_view> lines) {
    std::string out;
    for (const auto line : lines)
        out.append(line).append("\r\n");
    return out;
}

// Hands the script to the player and starts it.
void play(PreviewContext& context, const fs::path& script) {
    context.view.setPlayerFile(script);
    context.view.play();
}

} // namespace

std::string noticeColour(std::string_view backColor) {
    setup::Parts parts = setup::splitHex(setup::hexText(backColor));
    setup::raiseZeroParts(parts);
    return parts[2] + parts[1] + parts[0];
}

std::string idleCaption() {
    return subtitle("Tessera's Matrix Editor", ",y=150", "44", "16102255");
}
std::string interleavedCaption() {
    return subtitle("ILVU Segment!", ",y=150", "73", "ff0080");
}
std::string blankedCaption(std::string_view colour) {
    return subtitle("You blanked this segment!", ",x=10,y=150", "40", colour);
}
std::string slideShowCaption(std::string_view colour) {
    return subtitle("You 'slideshowed' this segment!", ",x=5,y=150", "35", colour);
}

bool WriteEditorScript(PreviewContext& context, PreviewState& state) {
    state.txtAvsOr = idleCaption();
    context.log.BugLog("EDAVS0001: OK");
    const fs::path script = context.programFolder / kPreviewFolder / "editor.avs";
    if (!fileio::writeFileAtomic(script, scriptText({"BlankClip(length=1, width=480, height=273)", state.txtAvsOr})))
        return false;
    context.log.BugLog("EDAVS0002: OK");
    context.view.setPlayerFile(script);
    context.log.BugLog("EDAVS0003: OK");
    context.view.play();
    context.log.BugLog("EDAVS0004: OK");
    return true;
}

bool WritePreviewScript(PreviewContext& context, PreviewState& state) {
    const HostProject& p = state.project;
    const fs::path script = context.programFolder / kPreviewFolder / "preview.avs";
    std::string content;
    if (p.ILVU == "1" || p.ActionInf == "1" || p.ActionInf == "2") {
        const std::string colour = noticeColour(state.backColor);
        if (p.ILVU == "1")
            state.txtAvsOr = interleavedCaption();
        else if (p.ActionInf == "1")
            state.txtAvsOr = blankedCaption(colour);
        else
            state.txtAvsOr = slideShowCaption(colour);
        content = scriptText({"BlankClip(length=12, width=480, height=273)", state.txtAvsOr});
    } else {
        state.txtAvsOr = fileio::readFile(context.workFolder / fileio::textToPath(state.segment)).value_or("");
        if (toNumber(p.txtMode).value_or(0) > 1)
            state.txtAvsOr = replaced(state.txtAvsOr, "ConvertToYV12", "ConvertToYUY2");
        if (state.videoFormat == 0)
            content = scriptText({state.txtAvsOr, "BilinearResize(480,273)"});
        else if (state.videoFormat == 1)
            content = scriptText({state.txtAvsOr, "BilinearResize(480,384)"});
        else
            content = scriptText({state.txtAvsOr});
    }
    if (!fileio::writeFileAtomic(script, content))
        return false;
    play(context, script);
    context.view.enablePlayPause();
    context.view.setActionCaptions(kChooseMatrixCaption);
    return true;
}

} // namespace quire::preview
