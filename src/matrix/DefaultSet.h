// The sixteen built-in default matrices, in the order they are written, and the built-in
// default description text whose sections describe them.
#pragma once

#include <array>
#include <filesystem>
#include <string_view>

namespace quire {

// The file names of the default set, in the order in which WriteDefaultMatrices writes them.
inline constexpr std::array<std::string_view, 16> kDefaultMatrixNames = {
    "1-High_High(4000+).mtx",
    "2-High_Medium(4000).mtx",
    "3-High_Low(3500-4000).mtx",
    "4-Medium_High(3200-4000).mtx",
    "5-Medium_Medium(2800-3500).mtx",
    "6-Medium_Low(2500-3200).mtx",
    "7-Low_High(1800-2500).mtx",
    "8-Low_Low(1800-).mtx",
    "Seraph BestLow (1900-2500).mtx",
    "Seraph BestVeryLow (1200-1900).mtx",
    "Marlo (1500-2500).mtx",
    "Tamsin's 1CD (1500-2500).mtx",
    "Lorin Comic Low (CG) (2500-3800).mtx",
    "QuEnc Lower Bitrate (QLB).mtx",
    "Dovan (2500-3000).mtx",
    "Smooth (CG)(3800+).mtx",
};

// The built-in text of a default matrix: 16 lines of 8 values, each line ended by CR LF.
// Empty text for a name that is not in kDefaultMatrixNames.
std::string_view defaultMatrixText(std::string_view fileName);

// The built-in default description text (txtMatrixInfo): sixteen sections, one per default
// matrix, keys Info1 and Info2, CR LF line ends, ending with a line break.
std::string_view defaultMatrixInfo();

// Writes every default matrix into the folder, in table order: each file is created or
// overwritten with its text followed by CR LF. Other files are never touched. A file that
// cannot be written stops the writing there; the files before it stay written.
// Returns the number of files written (kDefaultMatrixNames.size() when all were).
int WriteDefaultMatrices(const std::filesystem::path& folder);

} // namespace quire
