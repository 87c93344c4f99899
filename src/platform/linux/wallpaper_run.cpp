// The one way the wallpaper backends run another program: an argument vector,
// no shell, empty standard input, a time limit, and a failure told on stderr.
#include "platform/linux/wallpaper_backends.h"

#include <QFile>
#include <QProcess>
#include <QStringList>

#include <cstdio>

namespace platform::wallpaper {

namespace {

// The first line of a program's error output, for the report.
std::string firstLine(const QByteArray& text) {
    const QByteArray line = text.trimmed().split('\n').value(0).trimmed();
    return line.toStdString();
}

} // namespace

std::string backgroundHex(const Placement& placement) {
    char text[8];
    std::snprintf(text, sizeof text, "#%06x", unsigned(placement.background & 0xFFFFFF));
    return text;
}

std::string_view placementWord(const Placement& placement,
                               const std::array<std::string_view, 6>& names) {
    const auto index = std::size_t(placement.mode);
    return index < names.size() ? names[index] : names[0];
}

void reportFailure(std::string_view message) {
    std::string line(message);
    for (char& c : line)
        if (c == '\n' || c == '\r')
            c = ' ';
    std::fprintf(stderr, "quorvane: %s\n", line.c_str());
}

ProgramRun runProgram(const std::string& program, const std::vector<std::string>& args,
                      std::chrono::milliseconds timeout) {
    QStringList arguments;
    for (const std::string& a : args)
        arguments << QFile::decodeName(QByteArray::fromStdString(a));

    QProcess process;
    process.setProgram(QFile::decodeName(QByteArray::fromStdString(program)));
    process.setArguments(arguments);
    process.setStandardInputFile(QProcess::nullDevice());
    process.start();

    ProgramRun run;
    const int ms = int(timeout.count());
    if (!process.waitForStarted(ms)) {
        run.status = ProgramRun::Status::Missing;
        reportFailure(program + " could not be started: " + process.errorString().toStdString());
        return run;
    }
    run.status = ProgramRun::Status::Failed;
    if (!process.waitForFinished(ms)) {
        process.kill();
        process.waitForFinished(1000);
        reportFailure(program + " did not finish within " + std::to_string(ms / 1000) +
                      " seconds and was stopped");
        return run;
    }
    run.output = process.readAllStandardOutput().toStdString();
    if (process.exitStatus() != QProcess::NormalExit) {
        reportFailure(program + " crashed");
    } else if (process.exitCode() != 0) {
        const std::string why = firstLine(process.readAllStandardError());
        reportFailure(program + " failed with exit code " + std::to_string(process.exitCode()) +
                      (why.empty() ? std::string() : ": " + why));
    } else {
        run.status = ProgramRun::Status::Done;
    }
    return run;
}

} // namespace platform::wallpaper
