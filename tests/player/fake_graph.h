#pragma once
// A media graph that records what the player asks of it, for tests without
// audio.  Files whose path contains "bad" fail to load.

#include "player/media_graph.h"

#include <QStringList>

class TFakeGraph : public IMediaGraph {
public:
    TFakeGraph(int number, QStringList& log) : Number(number), Log(log) {}
    bool Active() const override { return IsActive; }
    void Activate() override {
        IsActive = true;
        Note(QStringLiteral("Activate"));
    }
    void RenderFile(const QString& path) override {
        Note(QStringLiteral("RenderFile ") + path);
        if (path.contains(QStringLiteral("bad")))
            throw EMediaError(MediaErrorText(QStringLiteral("Cannot decode"), 0x7));
        File = path;
    }
    void Play() override {
        Note(QStringLiteral("Play"));
        IsPlaying = true;
    }
    void Pause() override {
        Note(QStringLiteral("Pause"));
        IsPlaying = false;
    }
    void Stop() override {
        Note(QStringLiteral("Stop"));
        IsPlaying = false;
    }
    void Clear() override {
        Note(QStringLiteral("Clear"));
        IsPlaying = false;
        File.clear();
    }
    void SeekToStart() override { Note(QStringLiteral("SeekToStart")); }
    void Seek(std::uint32_t ms) override { Note(QStringLiteral("Seek %1").arg(ms)); }
    std::uint32_t DurationMs() const override { return Duration; }
    std::uint32_t PositionMs() const override { return Position; }
    bool Playing() const override { return IsPlaying; }

    void Note(const QString& what) { Log.append(QStringLiteral("%1:%2").arg(Number).arg(what)); }

    int Number;
    QStringList& Log;
    bool IsActive = false;
    bool IsPlaying = false;
    QString File;
    std::uint32_t Duration = 60000;
    std::uint32_t Position = 0;
};
