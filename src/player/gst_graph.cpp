#include "player/gst_graph.h"

#include "player/cx_lame_header.h"

#include <QByteArray>
#include <QFile>
#include <QMetaObject>

#include <gst/app/gstappsink.h>
#include <gst/app/gstappsrc.h>
#include <gst/gst.h>

#include <chrono>
#include <mutex>

namespace {

void InitGstreamer() {
    static std::once_flag once;
    std::call_once(once, [] { gst_init(nullptr, nullptr); });
}

QString ErrorOf(GstMessage* message) {
    GError* error = nullptr;
    gchar* debug = nullptr;
    gst_message_parse_error(message, &error, &debug);
    const QString text = MediaErrorText(QString::fromUtf8(error ? error->message : "Error"),
                                        error ? unsigned(error->code) : 0u);
    if (error)
        g_error_free(error);
    g_free(debug);
    return text;
}

const char* SampleCaps() {
    return "audio/x-raw,format=F32LE,rate=44100,channels=2,layout=interleaved";
}

} // namespace

// One decoding pipeline and what the output needs to take its samples: the
// appsink, the cut at both ends, the count of samples delivered.
class TGstSource {
public:
    explicit TGstSource(GstElement* pipeline, GstElement* sink) : Pipeline(pipeline), Sink(sink) {}
    ~TGstSource() {
        gst_element_set_state(Pipeline, GST_STATE_NULL);
        gst_object_unref(Sink);
        gst_object_unref(Pipeline);
    }
    TGstSource(const TGstSource&) = delete;
    TGstSource& operator=(const TGstSource&) = delete;

    // The next samples to play (possibly none yet); eos once every sample
    // has been delivered.  Called by the output's thread only.
    QByteArray Pull(bool& eos) {
        eos = false;
        GstSample* sample = gst_app_sink_try_pull_sample(GST_APP_SINK(Sink), 20 * GST_MSECOND);
        std::lock_guard lock(Mutex);
        if (!sample) {
            if (gst_app_sink_is_eos(GST_APP_SINK(Sink))) {
                Pending.clear(); // the encoder's padding
                eos = true;
            }
            return {};
        }
        GstBuffer* buffer = gst_sample_get_buffer(sample);
        GstMapInfo map;
        if (buffer && gst_buffer_map(buffer, &map, GST_MAP_READ)) {
            std::size_t offset = 0;
            if (SkipBytes > 0) {
                offset = std::min<std::size_t>(SkipBytes, map.size);
                SkipBytes -= offset;
            }
            Pending.append(reinterpret_cast<const char*>(map.data) + offset,
                           qsizetype(map.size - offset));
            gst_buffer_unmap(buffer, &map);
        }
        gst_sample_unref(sample);
        QByteArray out;
        if (std::uint64_t(Pending.size()) > TailBytes) {
            const qsizetype n = Pending.size() - qsizetype(TailBytes);
            out = Pending.left(n);
            Pending.remove(0, n);
        }
        Delivered += std::uint64_t(out.size()) / TGstOutput::FrameBytes;
        return out;
    }

    // After a seek: the cut at the start applies again only from the start.
    void Restart(std::uint32_t baseMs) {
        std::lock_guard lock(Mutex);
        Pending.clear();
        SkipBytes = baseMs == 0 ? StartBytes : 0;
        Delivered = 0;
        BaseMs = baseMs;
        Finished = false;
    }

    void Notify(unsigned what, const QString& message = {}) {
        std::lock_guard lock(OwnerMutex);
        if (!Owner)
            return;
        const unsigned generation = Generation;
        // The graph is the context: the call is dropped if it is gone.
        QMetaObject::invokeMethod(
            Owner,
            [hook = OwnerHook, what, generation, message] { hook(what, generation, message); },
            Qt::QueuedConnection);
    }
    void Detach() {
        std::lock_guard lock(OwnerMutex);
        Owner = nullptr;
    }

    GstElement* Pipeline;
    GstElement* Sink;
    GstElement* Convert = nullptr;
    std::mutex Mutex;
    QByteArray Pending;
    std::uint64_t StartBytes = 0, SkipBytes = 0, TailBytes = 0;
    std::uint64_t TrimMs = 0;
    std::atomic<std::uint64_t> Delivered{0};
    std::atomic<std::uint32_t> BaseMs{0};
    std::atomic<bool> Finished{false};
    std::atomic<bool> Prerolled{false};
    std::atomic<bool> Linked{false};
    std::atomic<bool> NoAudio{false};
    QString FirstError; // under Mutex

    std::mutex OwnerMutex;
    TGstGraph* Owner = nullptr;
    unsigned Generation = 0;
    std::function<void(unsigned, unsigned, const QString&)> OwnerHook;
};

// ---------------------------------------------------------------- output

namespace {
// Samples queued ahead of the sink: enough to cover the window thread's
// answer to the end of a song, short enough for pause and seek to feel
// immediate.
constexpr std::uint64_t QueueBytes = std::uint64_t(TGstOutput::Rate) * TGstOutput::FrameBytes / 2;
} // namespace

TGstOutput::TGstOutput() {
    InitGstreamer();
    QByteArray sink = qgetenv("TRALU_AUDIO_SINK").trimmed();
    if (sink.isEmpty())
        sink = "autoaudiosink";
    const QByteArray description =
        QByteArray("appsrc name=src ! audioconvert ! audioresample ! ") + sink;
    GError* error = nullptr;
    FPipeline = gst_parse_launch(description.constData(), &error);
    if (error) {
        const QString text =
            MediaErrorText(QString::fromUtf8(error->message), unsigned(error->code));
        g_error_free(error);
        if (FPipeline)
            gst_object_unref(FPipeline);
        throw EMediaError(text);
    }
    FSource = gst_bin_get_by_name(GST_BIN(FPipeline), "src");
    GstCaps* caps = gst_caps_from_string(SampleCaps());
    g_object_set(FSource, "caps", caps, "format", GST_FORMAT_TIME, "block", FALSE, "max-bytes",
                 guint64(QueueBytes * 8), nullptr);
    gst_caps_unref(caps);
    GstBus* bus = gst_element_get_bus(FPipeline);
    gst_bus_set_sync_handler(
        bus,
        [](GstBus*, GstMessage* message, gpointer self) -> GstBusSyncReply {
            auto* out = static_cast<TGstOutput*>(self);
            if (GST_MESSAGE_TYPE(message) == GST_MESSAGE_EOS ||
                GST_MESSAGE_TYPE(message) == GST_MESSAGE_ERROR) {
                std::lock_guard lock(out->FMutex);
                out->FDrained = true;
                out->FWake.notify_all();
            }
            gst_message_unref(message);
            return GST_BUS_DROP;
        },
        this, nullptr);
    gst_object_unref(bus);
    if (gst_element_set_state(FPipeline, GST_STATE_READY) == GST_STATE_CHANGE_FAILURE) {
        gst_object_unref(FSource);
        gst_object_unref(FPipeline);
        throw EMediaError(MediaErrorText(QStringLiteral("The audio output cannot be opened"), 0));
    }
    FThread = std::thread([this] { Feed(); });
}

TGstOutput::~TGstOutput() {
    {
        std::lock_guard lock(FMutex);
        FQuit = true;
        FWake.notify_all();
    }
    FThread.join();
    gst_element_set_state(FPipeline, GST_STATE_NULL);
    GstBus* bus = gst_element_get_bus(FPipeline);
    gst_bus_set_sync_handler(bus, nullptr, nullptr, nullptr);
    gst_object_unref(bus);
    gst_object_unref(FSource);
    gst_object_unref(FPipeline);
}

void TGstOutput::Restart() {
    gst_element_set_state(FPipeline, GST_STATE_READY);
    std::lock_guard lock(FMutex);
    FFrames = 0;
    ++FEpoch;
    FStale = false;
    FDrained = false;
}

void TGstOutput::Play(const std::shared_ptr<TGstSource>& source) {
    bool restart;
    std::uint64_t queuedNs;
    {
        std::lock_guard lock(FMutex);
        FCurrent = source;
        restart = FStale;
        queuedNs = gst_util_uint64_scale(FFrames, GST_SECOND, Rate);
    }
    if (restart) {
        // The stream goes on when the samples of the song before are still
        // being played (a song that could not be loaded came between):
        // restarting would cut them.
        gint64 played = 0;
        if (gst_element_query_position(FPipeline, GST_FORMAT_TIME, &played) && played >= 0 &&
            std::uint64_t(played) + 20 * GST_MSECOND < queuedNs) {
            std::lock_guard lock(FMutex);
            FStale = false;
        } else {
            Restart();
        }
    }
    gst_element_set_state(FPipeline, GST_STATE_PLAYING);
    std::lock_guard lock(FMutex);
    FRunning = true;
    FWake.notify_all();
}

void TGstOutput::Pause(const std::shared_ptr<TGstSource>& source) {
    {
        std::lock_guard lock(FMutex);
        if (FCurrent != source)
            return;
        FRunning = false;
    }
    gst_element_set_state(FPipeline, GST_STATE_PAUSED);
}

void TGstOutput::Release(const std::shared_ptr<TGstSource>& source) {
    bool finished;
    {
        std::lock_guard lock(FMutex);
        if (!source || FCurrent != source)
            return;
        FCurrent.reset();
        FRunning = false;
        finished = source->Finished;
        // A song that ended plays out what is queued; the next Play starts
        // a new stream.
        FStale = true;
    }
    if (!finished)
        Restart();
}

void TGstOutput::Flush(const std::shared_ptr<TGstSource>& source) {
    bool running;
    {
        std::lock_guard lock(FMutex);
        if (FCurrent != source)
            return;
        running = FRunning;
    }
    Restart();
    if (running) {
        gst_element_set_state(FPipeline, GST_STATE_PLAYING);
        std::lock_guard lock(FMutex);
        FRunning = true;
        FWake.notify_all();
    } else {
        gst_element_set_state(FPipeline, GST_STATE_PAUSED);
    }
}

bool TGstOutput::Drain(int timeoutMs) {
    {
        std::lock_guard lock(FMutex);
        if (FStale && FFrames == 0)
            return true;
        FDrained = false;
    }
    gst_element_set_state(FPipeline, GST_STATE_PLAYING);
    gst_app_src_end_of_stream(GST_APP_SRC(FSource));
    std::unique_lock lock(FMutex);
    const bool done =
        FWake.wait_for(lock, std::chrono::milliseconds(timeoutMs), [this] { return FDrained; });
    FStale = true;
    return done;
}

void TGstOutput::Feed() {
    for (;;) {
        std::shared_ptr<TGstSource> source;
        std::uint64_t epoch;
        {
            std::unique_lock lock(FMutex);
            FWake.wait_for(lock, std::chrono::milliseconds(5), [this] {
                return FQuit ||
                       (FRunning && FCurrent && !FCurrent->Finished &&
                        gst_app_src_get_current_level_bytes(GST_APP_SRC(FSource)) < QueueBytes);
            });
            if (FQuit)
                return;
            if (!FRunning || !FCurrent || FCurrent->Finished ||
                gst_app_src_get_current_level_bytes(GST_APP_SRC(FSource)) >= QueueBytes)
                continue;
            source = FCurrent;
            epoch = FEpoch;
        }
        bool eos = false;
        const QByteArray bytes = source->Pull(eos);
        std::lock_guard lock(FMutex);
        if (FCurrent != source || FEpoch != epoch)
            continue; // the stream restarted or the graph changed meanwhile
        if (!bytes.isEmpty()) {
            const std::uint64_t frames = std::uint64_t(bytes.size()) / FrameBytes;
            GstBuffer* buffer = gst_buffer_new_memdup(bytes.constData(), gsize(bytes.size()));
            GST_BUFFER_PTS(buffer) = gst_util_uint64_scale(FFrames, GST_SECOND, Rate);
            GST_BUFFER_DURATION(buffer) = gst_util_uint64_scale(frames, GST_SECOND, Rate);
            FFrames += frames;
            gst_app_src_push_buffer(GST_APP_SRC(FSource), buffer);
        }
        if (eos) {
            source->Finished = true;
            source->Notify(0);
        }
    }
}

// ---------------------------------------------------------------- graph

TGstGraph::TGstGraph(TGstOutput& output, QObject* parent) : QObject(parent), FOutput(output) {}

TGstGraph::~TGstGraph() {
    Clear();
}

void TGstGraph::Completed(unsigned generation) {
    if (generation != FGeneration || !FSourceObj)
        return;
    FPlaying = false;
    if (OnComplete)
        OnComplete();
}

void TGstGraph::Failed(unsigned generation, const QString& message) {
    if (generation != FGeneration || !FSourceObj)
        return;
    FPlaying = false;
    if (OnError)
        OnError(message);
}

void TGstGraph::RenderFile(const QString& path) {
    Clear();
    const unsigned generation = ++FGeneration;
    GstElement* pipeline = gst_pipeline_new(nullptr);
    GstElement* decode = gst_element_factory_make("uridecodebin", nullptr);
    GstElement* convert = gst_element_factory_make("audioconvert", nullptr);
    GstElement* resample = gst_element_factory_make("audioresample", nullptr);
    GstElement* sink = gst_element_factory_make("appsink", nullptr);
    if (!pipeline || !decode || !convert || !resample || !sink) {
        for (GstElement* e : {pipeline, decode, convert, resample, sink})
            if (e)
                gst_object_unref(e);
        throw EMediaError(MediaErrorText(QStringLiteral("GStreamer elements are missing"), 0));
    }
    gst_bin_add_many(GST_BIN(pipeline), decode, convert, resample, sink, nullptr);
    gst_element_link_many(convert, resample, sink, nullptr);
    GstCaps* caps = gst_caps_from_string(SampleCaps());
    g_object_set(sink, "caps", caps, "sync", FALSE, "max-buffers", 16u, "drop", FALSE, nullptr);
    gst_caps_unref(caps);
    gchar* uri = gst_filename_to_uri(QFile::encodeName(path).constData(), nullptr);
    g_object_set(decode, "uri", uri ? uri : "", nullptr);
    g_free(uri);

    auto source = std::make_shared<TGstSource>(pipeline, GST_ELEMENT(gst_object_ref(sink)));
    source->Convert = convert;
    source->Generation = generation;
    source->Owner = this;
    source->OwnerHook = [this](unsigned what, unsigned gen, const QString& message) {
        if (what == 0)
            Completed(gen);
        else
            Failed(gen, message);
    };
    // The audio pad of the decoder feeds the converter; other streams are
    // left alone.
    g_signal_connect(decode, "pad-added", G_CALLBACK(+[](GstElement*, GstPad* pad, gpointer data) {
                         auto* s = static_cast<TGstSource*>(data);
                         GstCaps* c = gst_pad_get_current_caps(pad);
                         if (!c)
                             c = gst_pad_query_caps(pad, nullptr);
                         const bool audio =
                             c && gst_caps_get_size(c) > 0 &&
                             g_str_has_prefix(gst_structure_get_name(gst_caps_get_structure(c, 0)),
                                              "audio/");
                         if (c)
                             gst_caps_unref(c);
                         if (!audio || s->Linked)
                             return;
                         GstPad* target = gst_element_get_static_pad(s->Convert, "sink");
                         if (gst_pad_link(pad, target) == GST_PAD_LINK_OK)
                             s->Linked = true;
                         gst_object_unref(target);
                     }),
                     source.get());
    g_signal_connect(decode, "no-more-pads", G_CALLBACK(+[](GstElement*, gpointer data) {
                         auto* s = static_cast<TGstSource*>(data);
                         if (!s->Linked)
                             s->NoAudio = true;
                     }),
                     source.get());
    GstBus* bus = gst_element_get_bus(pipeline);
    gst_bus_set_sync_handler(
        bus,
        [](GstBus*, GstMessage* message, gpointer data) -> GstBusSyncReply {
            auto* s = static_cast<TGstSource*>(data);
            if (GST_MESSAGE_TYPE(message) == GST_MESSAGE_ERROR) {
                const QString text = ErrorOf(message);
                bool first;
                {
                    std::lock_guard lock(s->Mutex);
                    first = s->FirstError.isEmpty();
                    if (first)
                        s->FirstError = text;
                }
                if (first && s->Prerolled)
                    s->Notify(1, text);
            }
            gst_message_unref(message);
            return GST_BUS_DROP;
        },
        source.get(), nullptr);
    gst_object_unref(bus);

    // MPEG audio: the samples the encoder added are cut.
    if (path.endsWith(QStringLiteral(".mp3"), Qt::CaseInsensitive) ||
        path.endsWith(QStringLiteral(".mp2"), Qt::CaseInsensitive)) {
        if (const auto info = ReadLameHeader(QFile::encodeName(path).toStdString());
            info && info->SampleRate > 0) {
            const TTrim trim = GaplessTrim(*info);
            const auto scale = [&](std::uint64_t n) {
                return (n * TGstOutput::Rate + std::uint64_t(info->SampleRate) / 2) /
                       std::uint64_t(info->SampleRate);
            };
            source->StartBytes = source->SkipBytes = scale(trim.Start) * TGstOutput::FrameBytes;
            source->TailBytes = scale(trim.End) * TGstOutput::FrameBytes;
            source->TrimMs = (scale(trim.Start) + scale(trim.End)) * 1000 / TGstOutput::Rate;
        }
    }

    // Prerolled now, so that playing it later is immediate.
    gst_element_set_state(pipeline, GST_STATE_PAUSED);
    QString error;
    for (int waited = 0;; waited += 20) {
        GstState state = GST_STATE_NULL;
        const GstStateChangeReturn r =
            gst_element_get_state(pipeline, &state, nullptr, 20 * GST_MSECOND);
        {
            std::lock_guard lock(source->Mutex);
            error = source->FirstError;
        }
        if (!error.isEmpty())
            break;
        if (r == GST_STATE_CHANGE_SUCCESS && state == GST_STATE_PAUSED)
            break;
        if (source->NoAudio) {
            error = MediaErrorText(QStringLiteral("The file holds no audio stream"),
                                   unsigned(GST_STREAM_ERROR_WRONG_TYPE));
            break;
        }
        if (r == GST_STATE_CHANGE_FAILURE || waited >= 10000) {
            // The message that tells why may follow the failed change.
            for (int i = 0; i < 20 && error.isEmpty(); ++i) {
                g_usleep(10000);
                std::lock_guard lock(source->Mutex);
                error = source->FirstError;
            }
            if (!error.isEmpty())
                break;
            error = MediaErrorText(QStringLiteral("The file cannot be played"),
                                   unsigned(GST_STREAM_ERROR_FAILED));
            break;
        }
    }
    if (!error.isEmpty()) {
        source->Detach();
        throw EMediaError(error);
    }
    source->Prerolled = true;
    FSourceObj = std::move(source);
}

void TGstGraph::Play() {
    if (!FSourceObj)
        return;
    gst_element_set_state(FSourceObj->Pipeline, GST_STATE_PLAYING);
    FOutput.Play(FSourceObj);
    FPlaying = true;
}

void TGstGraph::Pause() {
    if (!FSourceObj)
        return;
    FOutput.Pause(FSourceObj);
    FPlaying = false;
}

void TGstGraph::Stop() {
    if (!FSourceObj)
        return;
    FOutput.Release(FSourceObj);
    FPlaying = false;
}

void TGstGraph::Clear() {
    ++FGeneration;
    FPlaying = false;
    if (!FSourceObj)
        return;
    FOutput.Release(FSourceObj);
    FSourceObj->Detach();
    FSourceObj.reset();
}

void TGstGraph::SeekToStart() {
    Seek(0);
}

void TGstGraph::Seek(std::uint32_t ms) {
    if (!FSourceObj)
        return;
    const std::uint64_t skipMs =
        ms == 0 ? 0 : FSourceObj->StartBytes / TGstOutput::FrameBytes * 1000 / TGstOutput::Rate;
    FSourceObj->Restart(ms);
    gst_element_seek_simple(FSourceObj->Pipeline, GST_FORMAT_TIME,
                            GstSeekFlags(GST_SEEK_FLAG_FLUSH | GST_SEEK_FLAG_ACCURATE),
                            gint64(ms + skipMs) * GST_MSECOND);
    FOutput.Flush(FSourceObj);
}

std::uint32_t TGstGraph::DurationMs() const {
    if (!FSourceObj)
        return 0;
    gint64 ns = 0;
    if (!gst_element_query_duration(FSourceObj->Pipeline, GST_FORMAT_TIME, &ns) || ns < 0)
        return 0;
    const std::uint64_t ms = std::uint64_t(ns) / GST_MSECOND;
    return std::uint32_t(ms > FSourceObj->TrimMs ? ms - FSourceObj->TrimMs : 0);
}

std::uint32_t TGstGraph::PositionMs() const {
    if (!FSourceObj)
        return 0;
    return std::uint32_t(FSourceObj->BaseMs + FSourceObj->Delivered * 1000 / TGstOutput::Rate);
}
