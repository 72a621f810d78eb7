#pragma once
// tralu-cli db build|list|neighbours: the record database of a music root.

#include "cli/cli.h"

namespace cli {

int RunDb(const Args& args, std::ostream& out, std::ostream& err);

} // namespace cli
