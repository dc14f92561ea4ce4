// QuantDump INPUT OUTPUT: writes the quantisation matrices an MPEG-1/MPEG-2 video stream (elementary
// or program stream) uses to OUTPUT, in the block layout the extraction window reads.
// Exit status: 0 written; 1 the input could not be read for its matrices (OUTPUT then holds the one
// line "QuantDump error: " and the reason, which the extraction window shows) or OUTPUT could not be
// written (no OUTPUT is left behind); 2 usage error.
#include "DumpText.h"
#include "StreamScanner.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <string_view>
#include <system_error>

namespace fs = std::filesystem;
using namespace quire::quantdump;

namespace {

constexpr std::string_view kErrorLine = "QuantDump error: ";

int fail(const std::string& reason, int status) {
    std::fprintf(stderr, "QuantDump: %s\n", reason.c_str());
    return status;
}

// Removes an output left by an earlier run; folders are never touched.
void removeOldOutput(const fs::path& output) {
    std::error_code error;
    const fs::file_status status = fs::symlink_status(output, error);
    if (!error && fs::exists(status) && !fs::is_directory(status))
        fs::remove(output, error);
}

bool writeOutput(const fs::path& output, const std::string& text, std::string& reason) {
    std::FILE* file = std::fopen(output.c_str(), "wb");
    if (file == nullptr) {
        reason = std::strerror(errno);
        return false;
    }
    const bool written = std::fwrite(text.data(), 1, text.size(), file) == text.size();
    const int writeErrno = errno;
    const bool closed = std::fclose(file) == 0;
    if (!written || !closed) {
        reason = std::strerror(written ? errno : writeErrno);
        return false;
    }
    return true;
}

// Why a scan gives no matrices to write, in words for the user; empty when it gives some.
std::string unusable(const FileScan& scan) {
    if (!scan.readable)
        return "The file cannot be read (" + scan.error + ").";
    if (!scan.sawSequenceHeader && scan.sawDamagedSequenceHeader)
        return "Its sequence header is damaged, or the file is cut short inside it.";
    if (!scan.sawSequenceHeader)
        return "It holds no MPEG video sequence header: it is not an MPEG-1 or MPEG-2 video stream.";
    if (!scan.sawPicture)
        return "It ends before the first picture coded after its sequence header: the file is cut short.";
    return {};
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 3)
        return fail("usage: QuantDump INPUT OUTPUT", 2);
    const fs::path input = argv[1];
    const fs::path output = argv[2];
    if (input.empty() || output.empty())
        return fail("usage: QuantDump INPUT OUTPUT (neither may be empty)", 2);
    std::error_code sameError;
    if (fs::equivalent(input, output, sameError))
        return fail("INPUT and OUTPUT are the same file", 2);

    removeOldOutput(output);
    const FileScan scan = scanFile(input);
    std::string reason;
    if (const std::string why = unusable(scan); !why.empty()) {
        if (!writeOutput(output, std::string(kErrorLine) + why + "\r\n", reason))
            removeOldOutput(output);
        return fail(input.string() + ": " + why, 1);
    }

    if (!writeOutput(output, dumpText(scan.first, scan.second), reason)) {
        removeOldOutput(output);
        return fail("cannot write " + output.string() + ": " + reason, 1);
    }
    return 0;
}
