// The runner of outside programs on real processes: a missing or non-executable program, exit
// statuses, quoted paths with blanks, no shell in between, and timers that go on during the wait.
#include "GuiSupport.h"

#include "platform/QtRunner.h"

using namespace quire;
using namespace quire::test;
namespace fs = std::filesystem;

namespace {

std::string quoted(const fs::path& path) {
    return "\"" + path.string() + "\"";
}

} // namespace

class QtRunnerTest : public QObject {
    Q_OBJECT
private slots:
    void programsThatCannotStart() {
        TempFolder folder;
        const fs::path notExecutable = folder.write("plain file", "just text");
        fs::permissions(notExecutable, fs::perms::owner_read | fs::perms::owner_write);
        QtRunner runner;
        // Each description names what could not start.
        const std::pair<std::string, std::string> lines[] = {
            {quoted(folder / "no such program") + " x", "no such program"},
            {quoted(notExecutable), "plain file"},
            {"", ""},
            {"\"\" arg", ""}};
        for (const auto& [line, named] : lines) {
            const RunResult result = runner.run(line, WindowStyle::Minimised);
            QVERIFY2(result.outcome == RunResult::Outcome::CouldNotStart && !result.description.empty(), line.c_str());
            QVERIFY2(result.description.find(named) != std::string::npos, result.description.c_str());
        }
    }
    void exitStatusesArePassedOn() {
        // A program that ran but failed is not "could not start"; timers go on while the runner waits.
        QTimer timer;
        int ticks = 0;
        connect(&timer, &QTimer::timeout, [&ticks] { ++ticks; });
        timer.start(20);
        QtRunner runner;
        const struct {
            const char* line;
            int exitCode;
        } rows[] = {{"\"/bin/true\"", 0}, {"/bin/false", 1}, {"/bin/sleep 0.4", 0}};
        for (const auto& row : rows) {
            const RunResult result = runner.run(row.line, WindowStyle::Normal);
            QVERIFY2(result.started(), row.line);
            QCOMPARE(result.exitCode, row.exitCode);
        }
        QVERIFY2(ticks >= 3, std::to_string(ticks).c_str());
    }
    void quotedPathsReachTheProgramWithoutAShell() {
        TempFolder folder;
        fs::create_directories(folder / "tools dir");
        fs::copy_file("/bin/cp", folder / "tools dir" / "my cp");
        const fs::path source = folder.write("in put/a b.txt", "payload");
        fs::create_directories(folder / "out dir");
        QtRunner runner;
        const std::string line = quoted(folder / "tools dir" / "my cp") + " " + quoted(source) + " \"" +
                                 (folder / "out dir").string() + "/c \\\"d\\\" e.txt\"";
        const RunResult result = runner.run(line, WindowStyle::Minimised);
        QVERIFY2(result.started(), result.description.c_str());
        QCOMPARE(result.exitCode, 0);
        QCOMPARE(readBytes(folder / "out dir" / "c \"d\" e.txt"), std::string("payload"));

        const std::string target = (folder / "b; touch pwned $(touch pwned2) && touch pwned3").string();
        QCOMPARE(runner.run("/bin/cp " + quoted(source) + " \"" + target + "\"", WindowStyle::Normal).exitCode, 0);
        QCOMPARE(readBytes(target), std::string("payload"));
        for (const char* name : {"pwned", "pwned2", "pwned3"})
            QVERIFY2(!fs::exists(folder / name) && !fs::exists(name), name);
    }
};

QTEST_MAIN(QtRunnerTest)
#include "QtRunnerTest.moc"
