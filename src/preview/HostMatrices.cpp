// The host matrix assignment.
#include "HostMatrices.h"

#include "app/IniManager.h"

namespace quire::preview {

void ApplyHostMatrix(PreviewContext& context, const PreviewState& state) {
    const std::string& file = state.matrixFile;
    if (!state.optApply || *state.optApply < 0 || *state.optApply > 3 || file.size() < 4)
        return;
    ini::SetValue("options", kHostMatrixKeys[static_cast<std::size_t>(*state.optApply)],
                  std::string_view(file).substr(0, file.size() - 4), context.tesseraIni());
}

} // namespace quire::preview
