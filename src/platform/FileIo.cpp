// Whole-file reads and atomic writes.
#include "FileIo.h"

#include "Text1252.h"

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <random>
#include <system_error>

namespace quire::fileio {

std::optional<std::string> readFile(const fs::path& file) {
    std::error_code ec;
    if (!fs::is_regular_file(file, ec))
        return std::nullopt;
    std::ifstream in(file, std::ios::binary);
    if (!in)
        return std::nullopt;
    std::string data;
    in.seekg(0, std::ios::end);
    const auto size = in.tellg();
    if (size > 0) {
        data.resize(static_cast<std::size_t>(size));
        in.seekg(0, std::ios::beg);
        in.read(data.data(), size);
        data.resize(static_cast<std::size_t>(in.gcount()));
    }
    if (in.bad())
        return std::nullopt;
    return data;
}

bool writeFileAtomic(const fs::path& file, std::string_view bytes) {
    std::error_code ec;
    const fs::path folder = file.has_parent_path() ? file.parent_path() : fs::path(".");
    if (!fs::is_directory(folder, ec))
        return false;
    // A read-only file stays as it is, as it would on Windows.
    const auto before = fs::status(file, ec);
    const bool existed = !ec && fs::exists(before);
    if (existed && (before.permissions() & fs::perms::owner_write) == fs::perms::none)
        return false;
    std::random_device rd;
    const fs::path temp = folder / (".~" + file.filename().string() + "." + std::to_string(rd()) + ".tmp");
    {
        std::ofstream out(temp, std::ios::binary | std::ios::trunc);
        if (!out)
            return false;
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        out.flush();
        if (!out) {
            out.close();
            fs::remove(temp, ec);
            return false;
        }
    }
    // Keep the permissions of the file being replaced.
    if (existed)
        fs::permissions(temp, before.permissions(), ec);
    fs::rename(temp, file, ec);
    if (ec) {
        std::error_code ignored;
        fs::remove(temp, ignored);
        return false;
    }
    return true;
}

bool appendFile(const fs::path& file, std::string_view bytes) {
    std::ofstream out(file, std::ios::binary | std::ios::app);
    if (!out)
        return false;
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(out);
}

bool isRegularFile(const fs::path& file) {
    std::error_code ec;
    return fs::is_regular_file(file, ec);
}

bool isDirectory(const fs::path& folder) {
    std::error_code ec;
    return fs::is_directory(folder, ec);
}

namespace {

bool endsWithoutCase(std::string_view name, std::string_view extension) {
    return name.size() > extension.size() &&
           text::toLower(name.substr(name.size() - extension.size())) == text::toLower(extension);
}

} // namespace

std::vector<std::string> listFiles(const fs::path& folder, std::initializer_list<std::string_view> extensions) {
    std::vector<std::string> names;
    std::error_code ec;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        std::error_code typeError;
        if (!it->is_regular_file(typeError))
            continue;
        const std::string name = it->path().filename().string();
        if (name.front() == '.')
            continue;
        if (std::any_of(extensions.begin(), extensions.end(),
                        [&name](std::string_view extension) { return endsWithoutCase(name, extension); }))
            names.push_back(name);
    }
    std::sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) { return lessByName(a, b); });
    return names;
}

bool lessByName(std::string_view a, std::string_view b) {
    // Native names are UTF-8: fold the ones Windows-1252 can hold, compare the others as they are.
    const std::string foldedA = text::toLower(text::fromUtf8(a).value_or(std::string(a)));
    const std::string foldedB = text::toLower(text::fromUtf8(b).value_or(std::string(b)));
    const auto asBytes = [](char x, char y) { return static_cast<unsigned char>(x) < static_cast<unsigned char>(y); };
    if (foldedA != foldedB)
        return std::lexicographical_compare(foldedA.begin(), foldedA.end(), foldedB.begin(), foldedB.end(), asBytes);
    return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), asBytes);
}

std::string pathToText(const fs::path& path) {
    return text::fromUtf8(path.string()).value_or(std::string());
}

fs::path textToPath(std::string_view cp1252) {
    return fs::path(text::toUtf8(cp1252));
}

} // namespace quire::fileio
