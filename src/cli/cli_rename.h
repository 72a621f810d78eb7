#pragma once
// tralu-cli rename from-tags|cut: renaming the songs of a record folder.

#include "cli/cli.h"

namespace cli {

int RunRename(const Args& args, std::ostream& out, std::ostream& err);

} // namespace cli
