#pragma once
// tralu-cli tags normalize: the tags of every song of a record made from
// the names of the songs and folders.

#include "cli/cli.h"

namespace cli {

// args begins with "normalize".
int RunTagsNormalize(const Args& args, std::ostream& out, std::ostream& err);

} // namespace cli
