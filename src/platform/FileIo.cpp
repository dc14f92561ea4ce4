// Whole-file reads and atomic writes.
#include "FileIo.h"

#include "Text1252.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <fstream>
#include <random>
#include <system_error>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

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

namespace {

// Linux stops following a chain of symbolic links after 40 of them; so does a write.
constexpr int kMostLinks = 40;

// The file a write reaches: the path itself, or the end of its chain of symbolic links, each link
// read relative to its own folder. Empty when a link cannot be read or the chain does not end.
std::optional<fs::path> linkTarget(const fs::path& file) {
    fs::path at = file;
    for (int links = 0; links <= kMostLinks; ++links) {
        std::error_code ec;
        const auto status = fs::symlink_status(at, ec);
        if (status.type() == fs::file_type::not_found)
            return at; // a file still to be made
        if (ec)
            return std::nullopt;
        if (!fs::is_symlink(status))
            return at;
        const fs::path next = fs::read_symlink(at, ec);
        if (ec)
            return std::nullopt;
        at = next.is_absolute() ? next : at.parent_path() / next;
    }
    return std::nullopt;
}

bool writeAllAt(int fd, std::string_view bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::pwrite(fd, bytes.data() + done, bytes.size() - done, static_cast<off_t>(done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        done += static_cast<std::size_t>(n);
    }
    return true;
}

bool replaceContent(int fd, std::string_view bytes) {
    return writeAllAt(fd, bytes) && ::ftruncate(fd, static_cast<off_t>(bytes.size())) == 0 && ::fsync(fd) == 0;
}

// Rewrites the file where it stands, for a file whose owner a new file cannot take over (it belongs
// to another user or to a group the writer is not in). The open checks the writer's right to write
// it; a write that fails half-way puts the old bytes back.
bool overwriteInPlace(const fs::path& file, std::string_view bytes) {
    const auto old = readFile(file);
    if (!old)
        return false;
    const int fd = ::open(file.c_str(), O_WRONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    const bool written = replaceContent(fd, bytes);
    if (!written)
        replaceContent(fd, *old);
    return ::close(fd) == 0 && written;
}

} // namespace

bool writeFileAtomic(const fs::path& path, std::string_view bytes) {
    // A link stays a link: the write goes to the file at the end of the chain.
    const auto target = linkTarget(path);
    if (!target)
        return false;
    const fs::path& file = *target;
    std::error_code ec;
    const fs::path folder = file.has_parent_path() ? file.parent_path() : fs::path(".");
    if (!fs::is_directory(folder, ec))
        return false;
    // A read-only file stays as it is, as it would on Windows.
    struct stat before {};
    const bool existed = ::stat(file.c_str(), &before) == 0;
    const auto mode = static_cast<fs::perms>(before.st_mode) & fs::perms::mask;
    if (existed && (mode & fs::perms::owner_write) == fs::perms::none)
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
    if (existed) {
        // The new file takes the old one's owner, group and permissions (in that order: a change of
        // owner clears the set-id bits). When the system will not hand the owner over, the old file
        // is rewritten where it stands instead, which keeps them all.
        if (::chown(temp.c_str(), before.st_uid, before.st_gid) != 0) {
            fs::remove(temp, ec);
            return overwriteInPlace(file, bytes);
        }
        fs::permissions(temp, mode, ec);
    }
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
