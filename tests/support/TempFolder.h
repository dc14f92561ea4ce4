// A fresh temporary folder for one test, removed with everything in it afterwards.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace quire::test {

class TempFolder {
public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::filesystem::path& path() const { return m_path; }
    std::filesystem::path operator/(std::string_view name) const { return m_path / name; }

    // Writes bytes to a file below the folder (creating its folders) and returns its path.
    std::filesystem::path write(std::string_view name, std::string_view bytes) const;
    // The bytes of a file below the folder; empty text when it is missing.
    std::string read(std::string_view name) const;

private:
    std::filesystem::path m_path;
};

// The bytes of any file; empty text when it is missing.
std::string readBytes(const std::filesystem::path& file);
// Writes bytes to any file, creating its folders.
void writeBytes(const std::filesystem::path& file, std::string_view bytes);

} // namespace quire::test
