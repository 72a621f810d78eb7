#pragma once
// tralu-cli: the command-line tool over the tag and record libraries.
// Each command group ("tags", later "rename", "db") lives in a file of its
// own and is listed in the table of cli.cpp.

#include <ostream>
#include <string>
#include <string_view>
#include <vector>

namespace cli {

using Args = std::vector<std::string>;

// Runs the tool with its arguments (without the program name); returns the
// exit status: 0, or 1 after one line on `err`.
int Run(const Args& args, std::ostream& out, std::ostream& err);

// A failure of a command: its message is the one line written to standard
// error.
struct Failure {
    std::string message;
};

// A value for a KEY=VALUE line: a backslash is written "\\", a newline
// "\n", a carriage return "\r".
std::string EscapeValue(std::string_view value);

// Command-line options of one command: "--name value", "--name=value" and
// flags; anything else is an operand.  "--" ends the options.
class Options {
public:
    // `valued` names the options that take a value, `flags` those that do
    // not; any other option is a Failure.
    Options(const Args& args, std::size_t first, const std::vector<std::string>& valued,
            const std::vector<std::string>& flags);
    bool Has(const std::string& name) const;
    const std::string* Value(const std::string& name) const;           // null when not given
    std::vector<std::string> AllValues(const std::string& name) const; // in the order given
    const Args& Operands() const { return operands_; }

private:
    std::vector<std::pair<std::string, std::string>> values_;
    std::vector<std::string> flags_;
    Args operands_;
};

} // namespace cli
