#pragma once
// tralu-cli tags show|set|remove: the ID3v1 and ID3v2 tags of MP3 files.

#include "cli/cli.h"

namespace cli {

int RunTags(const Args& args, std::ostream& out, std::ostream& err);

} // namespace cli
