// The runner of outside programs on real processes: a missing or non-executable program, exit
// statuses, quoted paths with blanks, no shell in between, and timers that go on during the wait.
#include "GuiSupport.h"

#include "platform/QtRunner.h"

#include <QTimer>

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
    void programsThatCannotStart();
    void exitStatusesArePassedOn();
    void quotedPathsWithBlanksReachTheProgram();
    void noShellInterpretsTheLine();
    void timersRunWhileItWaits();
};

void QtRunnerTest::programsThatCannotStart() {
    TempFolder folder;
    const fs::path notExecutable = folder.write("plain file", "just text");
    fs::permissions(notExecutable, fs::perms::owner_read | fs::perms::owner_write);
    fs::create_directories(folder / "a folder");
    QtRunner runner;
    const std::string cases[] = {quoted(folder / "no such program") + " x",
                                 quoted(notExecutable),
                                 quoted(folder / "a folder"),
                                 "",
                                 "   ",
                                 "\"\" arg"};
    for (const std::string& line : cases) {
        const RunResult result = runner.run(line, WindowStyle::Minimised);
        QVERIFY2(result.outcome == RunResult::Outcome::CouldNotStart, line.c_str());
        QVERIFY2(!result.description.empty(), line.c_str());
    }
    const RunResult missing = runner.run(quoted(folder / "no such program"), WindowStyle::Normal);
    QVERIFY(missing.description.find((folder / "no such program").string()) != std::string::npos);
}

void QtRunnerTest::exitStatusesArePassedOn() {
    QtRunner runner;
    const RunResult ok = runner.run("\"/bin/true\"", WindowStyle::Normal);
    QVERIFY(ok.started());
    QCOMPARE(ok.exitCode, 0);
    const RunResult failed = runner.run("/bin/false", WindowStyle::Minimised);
    QVERIFY(failed.started());
    QCOMPARE(failed.exitCode, 1);
    // A program that ran but failed is not "could not start".
    const RunResult cpFailed = runner.run("/bin/cp \"/no/such/source\" \"/no/such/target\"", WindowStyle::Normal);
    QVERIFY(cpFailed.started());
    QVERIFY(cpFailed.exitCode != 0);
}

void QtRunnerTest::quotedPathsWithBlanksReachTheProgram() {
    TempFolder folder;
    fs::create_directories(folder / "tools dir");
    fs::copy_file("/bin/cp", folder / "tools dir" / "my cp");
    const fs::path source = folder.write("in put/a b.txt", "payload");
    fs::create_directories(folder / "out dir");
    const fs::path target = folder / "out dir" / "c \"d\" e.txt";
    QtRunner runner;
    const std::string line = quoted(folder / "tools dir" / "my cp") + " " + quoted(source) + " \"" +
                             (folder / "out dir").string() + "/c \\\"d\\\" e.txt\"";
    const RunResult result = runner.run(line, WindowStyle::Minimised);
    QVERIFY2(result.started(), result.description.c_str());
    QCOMPARE(result.exitCode, 0);
    QCOMPARE(readBytes(target), std::string("payload"));
}

void QtRunnerTest::noShellInterpretsTheLine() {
    TempFolder folder;
    const fs::path source = folder.write("src.txt", "x");
    const std::string target = (folder / "b; touch pwned $(touch pwned2) && touch pwned3").string();
    QtRunner runner;
    const RunResult result = runner.run("/bin/cp " + quoted(source) + " \"" + target + "\"", WindowStyle::Normal);
    QVERIFY(result.started());
    QCOMPARE(result.exitCode, 0);
    QVERIFY(fs::exists(target));
    for (const char* name : {"pwned", "pwned2", "pwned3"})
        QVERIFY2(!fs::exists(folder / name) && !fs::exists(name), name);
}

void QtRunnerTest::timersRunWhileItWaits() {
    QTimer timer;
    int ticks = 0;
    connect(&timer, &QTimer::timeout, [&ticks] { ++ticks; });
    timer.start(20);
    QtRunner runner;
    const RunResult result = runner.run("/bin/sleep 0.4", WindowStyle::Minimised);
    QVERIFY(result.started());
    QCOMPARE(result.exitCode, 0);
    QVERIFY2(ticks >= 3, std::to_string(ticks).c_str());
}

QTEST_MAIN(QtRunnerTest)
#include "QtRunnerTest.moc"
