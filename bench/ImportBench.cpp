// Times the import of a 100 MB file of junk: the parse of the source file as either kind, and the
// whole browse through the core with a prompter that picks the file; checks that nothing was
// written beside the file and that the working folder stayed; prints the figures.
#include "matrix/ImportBrowse.h"
#include "platform/FileIo.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <random>
#include <string>
#include <vector>

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;
using namespace quire;

namespace {

constexpr std::size_t kJunkBytes = std::size_t{100} * 1024 * 1024;
constexpr int kRuns = 5;

// The open-file dialog answers with one file; every message box is counted and answered OK.
class PickingPrompter : public Prompter {
public:
    explicit PickingPrompter(std::string file) : m_file(std::move(file)) {}
    PromptAnswer message(std::string_view, std::string_view, PromptButtons, PromptIcon) override {
        ++messages;
        return PromptAnswer::Ok;
    }
    std::string openFile(std::string_view, const std::vector<FileFilter>&, std::string_view) override { return m_file; }
    std::string browseFolder(std::string_view, std::string_view) override { return {}; }
    int messages = 0;

private:
    std::string m_file;
};

// Writes `size` bytes made by `next` in blocks.
bool writeJunk(const fs::path& file, std::size_t size, const std::function<char()>& next) {
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    std::string block(1 << 20, '\0');
    for (std::size_t written = 0; written < size && out; written += block.size()) {
        block.resize(std::min(block.size(), size - written));
        for (char& c : block)
            c = next();
        out.write(block.data(), static_cast<std::streamsize>(block.size()));
    }
    return static_cast<bool>(out);
}

double timeMs(const std::function<void()>& work) {
    const auto start = Clock::now();
    work();
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

double worstOf(const std::function<void()>& work) {
    double worst = 0;
    for (int run = 0; run < kRuns; ++run)
        worst = std::max(worst, timeMs(work));
    return worst;
}

std::vector<std::string> namesIn(const fs::path& folder) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

const char* outcomeName(importing::CellsOutcome outcome) {
    switch (outcome) {
    case importing::CellsOutcome::Complete:
        return "complete";
    case importing::CellsOutcome::TooFewLines:
        return "too few lines";
    case importing::CellsOutcome::TooManyValues:
        return "too many values";
    }
    return "?";
}

} // namespace

int main() {
    std::random_device rd;
    const fs::path folder = fs::temp_directory_path() / ("quire-import-bench-" + std::to_string(rd()));
    std::error_code ec;
    fs::create_directories(folder, ec);
    if (ec) {
        std::fprintf(stderr, "cannot create %s\n", folder.string().c_str());
        return 1;
    }
    std::mt19937_64 random(20240601);
    const fs::path randomJunk = folder / "junk.txt";
    const fs::path lineless = folder / "lineless.txt";
    const fs::path binaryJunk = folder / "junk.cqm";
    bool ok = writeJunk(randomJunk, kJunkBytes, [&] { return static_cast<char>(random() & 0xFF); });
    // Printable junk without a single line end: one line of 100 MB.
    ok = writeJunk(lineless, kJunkBytes, [&] { return static_cast<char>('!' + random() % 90); }) && ok;
    ok = writeJunk(binaryJunk, kJunkBytes + 3, [&] { return static_cast<char>(random() & 0xFF); }) && ok;
    if (!ok) {
        std::fprintf(stderr, "cannot write the junk files\n");
        fs::remove_all(folder, ec);
        return 1;
    }
    const auto namesBefore = namesIn(folder);
    const fs::path cwd = fs::current_path();

    std::printf("import of 100 MB junk files, worst of %d runs\n", kRuns);
    const struct {
        const char* what;
        fs::path file;
        importing::SourceKind kind;
    } cases[] = {
        {"random bytes as text", randomJunk, importing::SourceKind::Text},
        {"one 100 MB line as text", lineless, importing::SourceKind::Text},
        {"random bytes as .cqm", binaryJunk, importing::SourceKind::Binary},
    };
    double worstAction = 0;
    for (const auto& c : cases) {
        MatrixCells cells;
        importing::ImportRead read;
        const double parse = worstOf([&] { read = importing::readSource(c.file, c.kind, cells); });
        int messages = 0;
        const double action = worstOf([&] {
            PickingPrompter prompter(c.file.string());
            importing::BrowseFields fields;
            importing::browse(prompter, c.kind, fields);
            messages = prompter.messages;
        });
        worstAction = std::max(worstAction, action);
        std::printf("  %-26s parse %8.3f ms, whole browse %8.3f ms (%s, %zu boxes, %d message%s)\n", c.what, parse,
                    action, read.refused ? "refused" : outcomeName(read.cells.outcome), read.cells.cellsFilled,
                    messages, messages == 1 ? "" : "s");
        ok = ok && read.opened;
    }
    // For comparison: what reading a whole junk file alone costs.
    const double wholeRead = worstOf([&] { ok = fileio::readFile(randomJunk).has_value() && ok; });
    std::printf("  (reading one whole 100 MB file, for comparison: %8.3f ms)\n", wholeRead);

    const bool untouched = namesIn(folder) == namesBefore && fs::current_path() == cwd;
    std::printf("  nothing written beside the files, working folder kept: %s\n", untouched ? "yes" : "NO");
    fs::remove_all(folder, ec);
    if (!ok || !untouched || worstAction >= 1000.0) {
        std::fprintf(stderr, "import bench: unexpected result\n");
        return 1;
    }
    return 0;
}
