#pragma once
// The GStreamer media graphs of the built-in player.  Each graph decodes its
// file into an appsink in one fixed format; one output pipeline
// (appsrc ! audioconvert ! audioresample ! sink) plays the samples of the
// graph that plays, so the output never stops between two songs and a join
// is sample-exact.  For MPEG audio the encoder delay and padding of the LAME
// header are cut from the decoded samples.  The sink is autoaudiosink, or
// the element description in TRALU_AUDIO_SINK.

#include "player/media_graph.h"

#include <QObject>
#include <QPointer>

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <thread>

struct _GstElement;
class TGstSource;

// The output pipeline and the thread that feeds it from the playing graph.
class TGstOutput {
public:
    TGstOutput(); // throws EMediaError when the sink cannot be made
    ~TGstOutput();
    TGstOutput(const TGstOutput&) = delete;
    TGstOutput& operator=(const TGstOutput&) = delete;

    static constexpr int Rate = 44100;
    static constexpr int Channels = 2;
    static constexpr int FrameBytes = Channels * 4; // 32-bit float

    // The source plays (the output runs); a paused source resumes.
    void Play(const std::shared_ptr<TGstSource>& source);
    // Holds the output while the source is the playing one.
    void Pause(const std::shared_ptr<TGstSource>& source);
    // The source no longer plays.  Its samples still queued are dropped,
    // unless it has delivered all of them (a song that ended plays out).
    void Release(const std::shared_ptr<TGstSource>& source);
    // Drops what is queued when the source plays (after a seek).
    void Flush(const std::shared_ptr<TGstSource>& source);
    // Waits until every queued sample has been played (at most timeoutMs).
    bool Drain(int timeoutMs);

private:
    void Feed();
    void Restart(); // the output to READY and back, its queue emptied

    _GstElement* FPipeline = nullptr;
    _GstElement* FSource = nullptr;
    std::thread FThread;
    std::mutex FMutex;
    std::condition_variable FWake;
    std::shared_ptr<TGstSource> FCurrent;
    bool FRunning = false; // output PLAYING and fed
    bool FQuit = false;
    bool FStale = true; // the stream must restart before new samples
    bool FDrained = false;
    std::uint64_t FFrames = 0;
    std::uint64_t FEpoch = 0;
};

class TGstGraph : public QObject, public IMediaGraph {
    Q_OBJECT
public:
    explicit TGstGraph(TGstOutput& output, QObject* parent = nullptr);
    ~TGstGraph() override;

    bool Active() const override { return FActive; }
    void Activate() override { FActive = true; }
    void RenderFile(const QString& path) override;
    void Play() override;
    void Pause() override;
    void Stop() override;
    void Clear() override;
    void SeekToStart() override;
    void Seek(std::uint32_t ms) override;
    std::uint32_t DurationMs() const override;
    std::uint32_t PositionMs() const override;
    bool Playing() const override { return FPlaying; }

private:
    void Completed(unsigned generation);
    void Failed(unsigned generation, const QString& message);

    TGstOutput& FOutput;
    std::shared_ptr<TGstSource> FSourceObj;
    bool FActive = false;
    bool FPlaying = false;
    std::atomic<unsigned> FGeneration{0};
};
