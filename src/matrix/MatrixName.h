// Whether a name the user typed can name a matrix file here and on Windows, where Tessera reads
// the same folder.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace quire {

// The reason the name (UTF-8, as typed) cannot name a matrix file, as a message for the user;
// empty optional when it can. Refused: a name that is empty after trimming, "." or "..", one
// holding / \ : * ? " < > | or a control character, one ending in a dot or a blank, a Windows
// device name (CON, PRN, AUX, NUL, COM1-COM9, LPT1-LPT9, with or without an extension), one
// that Windows-1252 cannot hold, and one that cannot name its section of the description index
// as it stands (a leading blank, "]").
std::optional<std::string> matrixNameProblem(std::string_view name);

} // namespace quire
