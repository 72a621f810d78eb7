#pragma once
// tralu-cli news: rebuilds the new-music list of a music root.

#include "cli/cli.h"

#include <QString>

namespace cli {

int RunNews(const Args& args, std::ostream& out, std::ostream& err);

// The settings of the new-music and bookmark lists as the window reads them.
struct TNewsSettings {
    int Days = 30;
    QString Dir = QStringLiteral("News");
    QString BookmarkDir = QStringLiteral("Bookmark");
    bool UseDirDate = false;
};
TNewsSettings ReadNewsSettings();

} // namespace cli
