// The filter text and where it goes.
#include "Filters.h"

#include "platform/FileIo.h"
#include "platform/ProfileString.h"
#include "platform/Text1252.h"
#include "preview/ScriptText.h"
#include "preview/WorkFolders.h"

#include <system_error>

namespace quire::preview {

namespace fs = std::filesystem;

void BuildDeenCall(FilterPanel& f) {
    const std::string method = f.method.size() > 1 ? f.method.substr(1) : std::string();
    std::string call = "Deen(\"" + method + f.mode + "\",rad=" + f.radius + ",thrY=" + f.thrY + ",thrUV=" + f.thrUV;
    if (f.mode == "3d")
        call += ",tthY=" + f.tthY + ",tthUV=" + f.tthUV;
    f.DeenData = call + ",min=" + f.min + ")";
}

void UpdateFilterChoice(PreviewState& state) {
    FilterPanel& f = state.filters;
    auto enableButtons = [&f](bool on) { f.applyFiltersEnabled = f.clearFiltersEnabled = on; };
    std::string first;
    std::string second;
    if (f.undot) {
        first = "Undot() ";
        state.FilterName = "Undot";
        enableButtons(true);
    } else {
        state.FilterName = "No_Filter";
        enableButtons(false);
    }
    if (f.deen) {
        second = f.DeenData + " ";
        state.FilterName = "Deen";
        enableButtons(true);
        f.advancedEnabled = true;
        if (f.advanced)
            f.deenPanelVisible = true;
    } else {
        state.FilterName = "No_Filter";
        enableButtons(false);
        f.advancedEnabled = false;
        f.deenPanelVisible = false;
    }
    if (f.undot) {
        state.FilterName = "Undot";
        enableButtons(true);
    }
    if (f.undot && f.deen)
        state.FilterName = "Undot_Deen";
    f.txtScript = first + second;
    f.Filters = "0";
    f.applyAvsEnabled = true;
}

void resetDeenParameters(FilterPanel& f) {
    const FilterPanel initial;
    f.DeenData = kDeenDefault;
    f.method = initial.method;
    f.mode = initial.mode;
    f.radius = initial.radius;
    f.thrY = initial.thrY;
    f.thrUV = initial.thrUV;
    f.min = initial.min;
    f.tthY = initial.tthY;
    f.tthUV = initial.tthUV;
}

bool WriteEncodeScript(PreviewContext& context, const PreviewState& state) {
    const auto script = fileio::readFile(context.workFolder / fileio::textToPath(state.segment));
    if (!script)
        return false;
    std::string text = replaced(*script, "# AVS File Created by DVD Tessera", "# AVS File Created by Quire");
    text = replaced(text, "#------------------", "#------------------------");
    if (toNumber(state.project.txtMode).value_or(0) > 1)
        text = replaced(text, "ConvertToYV12", "ConvertToYUY2");
    if (!state.filters.txtScript.empty())
        text = replaced(text, "Convert", state.filters.txtScript + "\r\nConvert");
    return fileio::writeFileAtomic(context.programFolder / kPreviewFolder / "encode.avs", text + "\r\n");
}

bool WriteHostFilters(PreviewContext& context, const PreviewState& state) {
    const fs::path ini = context.tesseraIni();
    const auto before = fileio::readFile(ini);
    std::error_code ec;
    if (!before && fs::exists(ini, ec))
        return false;
    const auto lines = text::splitLines(state.filters.txtScript);
    std::string content = before.value_or("");
    for (std::size_t n = 1; n <= 99; ++n) {
        const std::string key =
            "AVSfilter" + std::string(1, static_cast<char>('0' + n / 10)) + static_cast<char>('0' + n % 10);
        content = profile::withValue(content, "Options", key, n <= lines.size() ? lines[n - 1] : std::string());
    }
    return content == before || fileio::writeFileAtomic(ini, content);
}

} // namespace quire::preview
