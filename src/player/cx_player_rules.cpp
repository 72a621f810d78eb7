#include "player/cx_player_rules.h"

#include "player/media_graph.h"

#include <QStringList>

QString MediaErrorText(const QString& text, unsigned code) {
    return text + QStringLiteral(" ($%1).").arg(code, 0, 16);
}

bool PreloadDue(std::uint32_t positionMs, std::uint32_t durationMs) {
    return std::uint32_t(durationMs - positionMs) < durationMs / 20;
}

int IndexAfterDelete(int current, int top, int bottom) {
    const int n = bottom - top + 1;
    if (bottom <= current)
        return current - n;
    if (top <= current)
        return top - 1;
    return current;
}

QString PlaylistRowText(const QString& path) {
    const QStringList parts = path.split(QLatin1Char('/'));
    const int n = int(parts.size());
    const QString one = n >= 2 ? parts[n - 2] : QString();
    const QString two = n >= 3 ? parts[n - 3] : QString();
    return two + QLatin1Char('/') + one + QLatin1Char('/') + parts[n - 1];
}

TNowPlayingParts SplitNowPlaying(const QString& path) {
    TNowPlayingParts p;
    QString rest = path;
    if (rest.size() >= 2 && rest[1] == QLatin1Char(':')) {
        p.Drive = rest.left(2);
        rest = rest.mid(2);
    }
    const qsizetype slash = rest.lastIndexOf(QLatin1Char('/'));
    p.Folder = rest.left(slash + 1);
    p.Name = rest.mid(slash + 1);
    return p;
}

bool ShortenNowPlayingStep(TNowPlayingParts& p) {
    static const QString ellipsis = QStringLiteral(".../");
    if (p.Drive.isEmpty() && p.Folder.isEmpty())
        return false;
    if (p.Folder == QStringLiteral("/.../")) {
        p.Drive.clear();
        p.Folder = ellipsis;
    } else if (p.Folder.isEmpty()) {
        p.Drive.clear();
    } else if (p.Folder == QStringLiteral("/")) {
        p.Folder.clear();
    } else {
        QString folder = p.Folder;
        const bool lead = folder.startsWith(QLatin1Char('/'));
        if (lead)
            folder.remove(0, 1);
        // Only the "..." put there by an earlier step is dropped: a folder
        // whose own name begins with a dot is cut like any other.
        if (folder.startsWith(ellipsis))
            folder.remove(0, ellipsis.size());
        const qsizetype slash = folder.indexOf(QLatin1Char('/'));
        if (slash < 0)
            folder.clear();
        else
            folder = ellipsis + folder.mid(slash + 1);
        if (lead)
            folder.prepend(QLatin1Char('/'));
        p.Folder = folder;
    }
    return true;
}

QString ShortenNowPlaying(const QString& path, int maxWidth,
                          const std::function<int(const QString&)>& width) {
    TNowPlayingParts p = SplitNowPlaying(path);
    QString text = p.Text();
    while (width(text) > maxWidth && ShortenNowPlayingStep(p))
        text = p.Text();
    return text;
}
