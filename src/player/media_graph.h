#pragma once
// One playback graph of the built-in player: it loads one file, plays,
// pauses, stops, seeks and reports its duration and position.  The player
// core works through this interface only, so tests put a recording fake in
// place of the GStreamer graphs.

#include <QString>

#include <cstdint>
#include <functional>
#include <stdexcept>

// A failure of the media service; the message is the service's text followed
// by " ($code).".
class EMediaError : public std::runtime_error {
public:
    explicit EMediaError(const QString& message)
        : std::runtime_error(message.toStdString()), Message(message) {}
    QString Message;
};

// The message of a media error: text, then the code in hexadecimal digits.
QString MediaErrorText(const QString& text, unsigned code);

class IMediaGraph {
public:
    virtual ~IMediaGraph() = default;
    virtual bool Active() const = 0;
    // Makes the graph usable; done once before the first file is loaded.
    virtual void Activate() = 0;
    // Builds the chain that decodes the file and readies it, so that Play
    // starts at once; the graph stays stopped.  Throws EMediaError.
    virtual void RenderFile(const QString& path) = 0;
    virtual void Play() = 0;
    virtual void Pause() = 0;
    virtual void Stop() = 0;
    // Stops the graph and drops its file: an empty active graph.
    virtual void Clear() = 0;
    virtual void SeekToStart() = 0;
    virtual void Seek(std::uint32_t ms) = 0;
    virtual std::uint32_t DurationMs() const = 0;
    virtual std::uint32_t PositionMs() const = 0;
    virtual bool Playing() const = 0;

    // Called on the window thread: the whole file has been played; an error
    // happened while the graph ran.
    std::function<void()> OnComplete;
    std::function<void(const QString& message)> OnError;
};
