// The description index of the matrix folder: Matrix_Info.ini (the built-in descriptions, then
// the user's) and Matrix_Info_Custom.ini (the user's only), one section per matrix named by its
// lower-cased file name, keys Info1 and Info2.
#pragma once

#include "platform/Prompter.h"

#include <filesystem>
#include <string>
#include <string_view>

namespace quire::descriptions {

namespace fs = std::filesystem;

inline constexpr std::string_view kInfoFile = "Matrix_Info.ini";
inline constexpr std::string_view kCustomFile = "Matrix_Info_Custom.ini";

struct Description {
    std::string info1;
    std::string info2;
    // What the main window shows: Info1, one blank, Info2.
    std::string shown() const { return info1 + " " + info2; }
};

// The section name of a matrix file name (Windows-1252): the name lower-cased.
std::string sectionName(std::string_view matrixFileName);

// A typed description as it is stored: every line break (CR LF, LF or CR) becomes one blank.
std::string oneLine(std::string_view typed);
// Info1 as stored: oneLine, and a single blank when that is empty.
std::string storedInfo1(std::string_view typed);

// Info1 and Info2 of a matrix from Matrix_Info.ini of the folder; missing keys read as empty.
Description read(const fs::path& matrixFolder, std::string_view matrixFileName);

// Writes Info1 and Info2 (already in stored form) into the matrix's section of one index file.
void write(const fs::path& indexFile, std::string_view matrixFileName, std::string_view info1, std::string_view info2);

// Deletes the matrix's section from Matrix_Info.ini, then from Matrix_Info_Custom.ini; a missing
// file shows the file-not-found message.
void remove(Prompter& prompter, const fs::path& matrixFolder, std::string_view matrixFileName);

// Matrix_Info.ini made anew: the default text, a line break, the text of Matrix_Info_Custom.ini
// (empty when it cannot be read), a line break. False when the file cannot be written.
bool rebuild(const fs::path& matrixFolder, std::string_view defaultText);

} // namespace quire::descriptions
