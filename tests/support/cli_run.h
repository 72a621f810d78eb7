#pragma once
// Running tralu-cli in tests: in-process through cli::Run, or the built
// program itself.  Header only: each test program links the command-line
// library itself.
#include "cli/cli.h"

#include <QByteArray>
#include <QProcess>
#include <QString>
#include <QStringList>

#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>
#include <string>

namespace tralu::test {

// What one in-process run gave: its exit status and both outputs.
struct CliResult {
    int status;
    std::string out;
    std::string err;
};

inline CliResult Cli(const cli::Args& args) {
    std::ostringstream out, err;
    const int status = cli::Run(args, out, err);
    return {status, out.str(), err.str()};
}

// A failed run: status 1, one line on standard error, nothing on standard
// output.
inline void ExpectFailure(const CliResult& r) {
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
    EXPECT_TRUE(r.out.empty()) << r.out;
}

// What one run of the built program gave.
struct ProgramResult {
    bool finished; // within 30 seconds
    int status;
    QByteArray out;
    QByteArray err;
};

// Runs the built tralu-cli with the arguments (and the environment, when
// one is given) and waits for its end.
inline ProgramResult RunProgram(const QStringList& args,
                                const QProcessEnvironment& env = QProcessEnvironment()) {
    QProcess p;
    if (!env.isEmpty())
        p.setProcessEnvironment(env);
    p.start(QStringLiteral(TRALU_BINARY_DIR "/src/cli/tralu-cli"), args);
    const bool finished = p.waitForFinished(30000);
    return {finished, p.exitCode(), p.readAllStandardOutput(), p.readAllStandardError()};
}

} // namespace tralu::test
