#pragma once
// tralu-cli news: rebuilds the new-music list of a music root.

#include "cli/cli.h"

namespace cli {

int RunNews(const Args& args, std::ostream& out, std::ostream& err);

} // namespace cli
