// Outside programs started with QProcess and waited for in a local event loop.
#include "platform/QtRunner.h"

#include "platform/CommandLine.h"

#include <QEventLoop>
#include <QProcess>
#include <QStringList>

namespace quire {

RunResult QtRunner::run(std::string_view commandLine, WindowStyle) {
    const std::vector<std::string> arguments = splitCommandLine(commandLine);
    if (arguments.empty() || arguments.front().empty())
        return RunResult::couldNotStart("The command line names no program.");

    QProcess process;
    process.setProgram(QString::fromStdString(arguments.front()));
    QStringList rest;
    for (std::size_t i = 1; i < arguments.size(); ++i)
        rest << QString::fromStdString(arguments[i]);
    process.setArguments(rest);
    process.setStandardInputFile(QProcess::nullDevice());
    process.setProcessChannelMode(QProcess::ForwardedChannels);

    QEventLoop loop;
    bool failedToStart = false;
    QObject::connect(&process, &QProcess::finished, &loop, &QEventLoop::quit);
    QObject::connect(&process, &QProcess::errorOccurred, &loop, [&](QProcess::ProcessError error) {
        if (error == QProcess::FailedToStart) {
            failedToStart = true;
            loop.quit();
        }
    });
    process.start();
    // The start may already have failed (and reported it) before the loop runs.
    if (!failedToStart && process.state() != QProcess::NotRunning)
        loop.exec(QEventLoop::ExcludeUserInputEvents);
    if (failedToStart || process.error() == QProcess::FailedToStart) {
        return RunResult::couldNotStart("The program " + arguments.front() +
                                        " could not be started: " + process.errorString().toStdString());
    }
    if (process.state() != QProcess::NotRunning)
        process.waitForFinished(-1);
    if (process.exitStatus() == QProcess::CrashExit)
        return RunResult::ran(-1, "The program " + arguments.front() + " ended abnormally.");
    return RunResult::ran(process.exitCode());
}

} // namespace quire
