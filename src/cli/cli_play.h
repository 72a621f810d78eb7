#pragma once
#include "cli/cli.h"

namespace cli {
// tralu-cli play PATH...: plays songs and record folders through the
// built-in player and its graphs.
int RunPlay(const Args& args, std::ostream& out, std::ostream& err);
} // namespace cli
