#include "cli/cli.h"

#include "cli/cli_db.h"
#include "cli/cli_news.h"
#include "cli/cli_play.h"
#include "cli/cli_rename.h"
#include "cli/cli_tags.h"

#include <algorithm>

namespace cli {

namespace {

struct CommandGroup {
    const char* name;
    const char* summary;
    int (*run)(const Args& args, std::ostream& out, std::ostream& err);
};

// The command groups, one file each.
constexpr CommandGroup kGroups[] = {
    {"tags", "show, set, remove and normalize the ID3v1 and ID3v2 tags of MP3 files", RunTags},
    {"rename", "rename the songs of a record from their tags or by cutting their names", RunRename},
    {"db", "build the record database of a music root, list and search it", RunDb},
    {"news", "rebuild the new-music list of a music root", RunNews},
    {"play", "play songs and record folders through the built-in player", RunPlay},
};

void PrintHelp(std::ostream& out) {
    out << "Usage: tralu-cli GROUP COMMAND [ARGUMENTS...]\n"
           "       tralu-cli GROUP --help\n\n"
           "Command groups:\n";
    for (const CommandGroup& g : kGroups)
        out << "  " << g.name
            << std::string(10 - std::min<std::size_t>(9, std::char_traits<char>::length(g.name)),
                           ' ')
            << g.summary << "\n";
}

} // namespace

std::string EscapeValue(std::string_view value) {
    std::string out;
    out.reserve(value.size());
    for (char c : value) {
        if (c == '\\')
            out += "\\\\";
        else if (c == '\n')
            out += "\\n";
        else if (c == '\r')
            out += "\\r";
        else
            out += c;
    }
    return out;
}

Options::Options(const Args& args, std::size_t first, const std::vector<std::string>& valued,
                 const std::vector<std::string>& flags) {
    const auto known = [](const std::vector<std::string>& list, const std::string& name) {
        return std::find(list.begin(), list.end(), name) != list.end();
    };
    bool optionsEnded = false;
    for (std::size_t i = first; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (optionsEnded || a.size() < 3 || a.compare(0, 2, "--") != 0) {
            if (!optionsEnded && a == "--") {
                optionsEnded = true;
                continue;
            }
            operands_.push_back(a);
            continue;
        }
        const std::size_t eq = a.find('=');
        const std::string name = a.substr(2, eq == std::string::npos ? std::string::npos : eq - 2);
        if (known(valued, name)) {
            if (eq != std::string::npos) {
                values_.emplace_back(name, a.substr(eq + 1));
            } else if (i + 1 < args.size()) {
                values_.emplace_back(name, args[++i]);
            } else {
                throw Failure{"option --" + name + " needs a value"};
            }
        } else if (known(flags, name) && eq == std::string::npos) {
            flags_.push_back(name);
        } else {
            throw Failure{"unknown option: " + a};
        }
    }
}

bool Options::Has(const std::string& name) const {
    return std::find(flags_.begin(), flags_.end(), name) != flags_.end() || Value(name);
}

const std::string* Options::Value(const std::string& name) const {
    const std::string* found = nullptr;
    for (const auto& [n, v] : values_)
        if (n == name)
            found = &v; // the last one given counts
    return found;
}

std::vector<std::string> Options::AllValues(const std::string& name) const {
    std::vector<std::string> found;
    for (const auto& [n, v] : values_)
        if (n == name)
            found.push_back(v);
    return found;
}

int Run(const Args& args, std::ostream& out, std::ostream& err) {
    if (args.empty()) {
        err << "tralu-cli: missing command group; try tralu-cli --help\n";
        return 1;
    }
    if (args[0] == "--help" || args[0] == "-h" || args[0] == "help") {
        PrintHelp(out);
        return 0;
    }
    for (const CommandGroup& g : kGroups) {
        if (args[0] == g.name) {
            try {
                return g.run(Args(args.begin() + 1, args.end()), out, err);
            } catch (const Failure& f) {
                err << "tralu-cli " << g.name << ": " << f.message << "\n";
                return 1;
            }
        }
    }
    err << "tralu-cli: unknown command group: " << args[0] << "\n";
    return 1;
}

} // namespace cli
