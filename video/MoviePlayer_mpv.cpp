// The movie player on libmpv: the library decodes, scales and keeps picture and
// sound in step; it draws through its OpenGL render interface into the movie
// canvas, which is copied into the game's frame. Its own audio output plays the
// sound (none when silent).
#include <dlfcn.h>
#include <mpv/client.h>
#include <mpv/render_gl.h>

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <mutex>

#include "video/MovieCanvas.h"
#include "video/MoviePlayer.h"

namespace {
// A movie that has not shown its first picture after this long counts as broken.
constexpr auto kOpenTimeout = std::chrono::seconds(10);
// The largest picture side taken from a file; anything larger is a broken header.
constexpr int64_t kMaxPictureSide = 16384;

using Clock = std::chrono::steady_clock;

// Options that keep the library to playing the one local file it is given: no
// configuration, scripts, on-screen display, key bindings, or files it finds
// beside the movie or through references inside it.
const char* const kPlayerOptions[][2] = {
    {"config", "no"},
    {"terminal", "no"},
    {"load-scripts", "no"},
    {"ytdl", "no"},
    {"osc", "no"},
    {"osd-level", "0"},
    {"input-default-bindings", "no"},
    {"input-vo-keyboard", "no"},
    {"sub-auto", "no"},
    {"audio-file-auto", "no"},
    {"cover-art-auto", "no"},
    {"access-references", "no"},
    {"demuxer-lavf-o", "protocol_whitelist=file"},
    {"resume-playback", "no"},
    {"save-position-on-quit", "no"},
    {"idle", "yes"},
    {"pause", "yes"},
    {"keep-open", "yes"},
    {"keepaspect", "no"},
    {"hwdec", "no"},
    {"gpu-hwdec-interop", "no"},
    {"video-timing-offset", "0"},
    {"audio-fallback-to-null", "yes"},
};

// The library's functions, each named once here. It is loaded when the first movie
// plays, so that the programs that show none do not load it and the many
// libraries it stands on.
#define MPV_FUNCTIONS(FUNCTION)                  \
    FUNCTION(command)                            \
    FUNCTION(create)                             \
    FUNCTION(get_property)                       \
    FUNCTION(initialize)                         \
    FUNCTION(observe_property)                   \
    FUNCTION(render_context_create)              \
    FUNCTION(render_context_free)                \
    FUNCTION(render_context_render)              \
    FUNCTION(render_context_set_update_callback) \
    FUNCTION(render_context_update)              \
    FUNCTION(set_option_string)                  \
    FUNCTION(set_property)                       \
    FUNCTION(set_wakeup_callback)                \
    FUNCTION(terminate_destroy)                  \
    FUNCTION(wait_event)

struct MpvLibrary {
#define DECLARE_FUNCTION(name) decltype(&::mpv_##name) name = nullptr;
    MPV_FUNCTIONS(DECLARE_FUNCTION)
#undef DECLARE_FUNCTION
};
MpvLibrary g_mpv;

template <typename Function>
bool Bind(void* library, const char* name, Function& function) {
    function = reinterpret_cast<Function>(dlsym(library, name));
    return function != nullptr;
}

bool BindAll(void* library) {
#define BIND_FUNCTION(name) &&Bind(library, "mpv_" #name, g_mpv.name)
    return true MPV_FUNCTIONS(BIND_FUNCTION);
#undef BIND_FUNCTION
}

// Loads the library once; false when it is not installed or lacks a function.
bool LoadMpvLibrary() {
    static const bool loaded = [] {
        for (const char* name : {"libmpv.so.2", "libmpv.so.1", "libmpv.so"}) {
            void* library = dlopen(name, RTLD_NOW | RTLD_LOCAL);
            if (library && BindAll(library)) return true;
            if (library) dlclose(library);
        }
        return false;
    }();
    return loaded;
}

enum class PlayerState { Idle, Loading, Loaded, Failed, Playing, Ended };

class MpvMoviePlayer : public MoviePlayer {
  public:
    explicit MpvMoviePlayer(const MoviePlayerSettings& settings) : m_settings(settings) {}
    ~MpvMoviePlayer() override;

    // Starts the library and its drawing; false when either cannot be had.
    bool Start();

    bool Open(const std::string& path, bool loop) override;
    MovieNews WaitForNews(int milliseconds) override;
    int PictureWidth() const override { return m_width; }
    int PictureHeight() const override { return m_height; }
    bool Play() override;
    void DrawPicture(const MoviePlacement& placement) override;
    void Stop() override;

  private:
    static void Wake(void* player);
    static void* GLFunction(void* player, const char* name);
    void WaitForWake(int milliseconds);
    void HandleEvent(const mpv_event& event);
    void FileLoaded();
    void PictureReady();
    void FileEnded();
    bool TrackFlag(const char* property);
    void ReportFigures();

    MoviePlayerSettings m_settings;
    mpv_handle* m_mpv = nullptr;
    mpv_render_context* m_render = nullptr;
    MovieCanvas m_canvas;

    // Set by the library's threads, read by the game's.
    std::mutex m_mutex;
    std::condition_variable m_wakeUp;
    bool m_woken = false;

    PlayerState m_state = PlayerState::Idle;
    bool m_reportedLoaded = false;
    Clock::time_point m_startedAt;  // the player's start, loading the library included
    Clock::time_point m_openedAt;
    double m_firstPictureMilliseconds = -1;
    double m_drawingMilliseconds = 0;
    long m_picturesDrawn = 0;
    int m_width = 0;
    int m_height = 0;
};

MpvMoviePlayer::~MpvMoviePlayer() {
    if (m_render) {
        ForeignDrawingScope scope;
        g_mpv.render_context_free(m_render);
    }
    if (m_mpv) g_mpv.terminate_destroy(m_mpv);
}

void MpvMoviePlayer::Wake(void* player) {
    auto* self = static_cast<MpvMoviePlayer*>(player);
    std::lock_guard<std::mutex> lock(self->m_mutex);
    self->m_woken = true;
    self->m_wakeUp.notify_one();
}

void* MpvMoviePlayer::GLFunction(void* player, const char* name) {
    return static_cast<MpvMoviePlayer*>(player)->m_settings.glFunction(name);
}

bool MpvMoviePlayer::Start() {
    m_startedAt = Clock::now();
    if (!m_settings.glFunction || !LoadMpvLibrary()) return false;
    m_mpv = g_mpv.create();
    if (!m_mpv) return false;
    // Options this library version does not know are left out.
    for (const auto& option : kPlayerOptions) g_mpv.set_option_string(m_mpv, option[0], option[1]);
    if (g_mpv.set_option_string(m_mpv, "vo", "libmpv") < 0) return false;
    if (m_settings.silent) g_mpv.set_option_string(m_mpv, "ao", "null");
    if (m_settings.everyPicture) g_mpv.set_option_string(m_mpv, "framedrop", "no");
    if (g_mpv.initialize(m_mpv) < 0) return false;
    g_mpv.observe_property(m_mpv, 0, "eof-reached", MPV_FORMAT_FLAG);

    mpv_opengl_init_params gl{GLFunction, this};
    mpv_render_param params[] = {
        {MPV_RENDER_PARAM_API_TYPE, const_cast<char*>(MPV_RENDER_API_TYPE_OPENGL)},
        {MPV_RENDER_PARAM_OPENGL_INIT_PARAMS, &gl},
        {MPV_RENDER_PARAM_INVALID, nullptr}};
    {
        ForeignDrawingScope scope;
        if (g_mpv.render_context_create(&m_render, m_mpv, params) < 0) {
            m_render = nullptr;
            return false;
        }
    }
    g_mpv.render_context_set_update_callback(m_render, Wake, this);
    g_mpv.set_wakeup_callback(m_mpv, Wake, this);
    return true;
}

// A name without a leading slash is made "./name", so that nothing in it is taken
// for a protocol or for standard input.
bool MpvMoviePlayer::Open(const std::string& path, bool loop) {
    if (!m_mpv || path.empty()) return false;
    std::string file = path[0] == '/' ? path : "./" + path;
    g_mpv.set_option_string(m_mpv, "loop-file", loop ? "inf" : "no");
    const char* command[] = {"loadfile", file.c_str(), nullptr};
    if (g_mpv.command(m_mpv, command) < 0) return false;
    m_state = PlayerState::Loading;
    m_openedAt = Clock::now();
    return true;
}

void MpvMoviePlayer::WaitForWake(int milliseconds) {
    std::unique_lock<std::mutex> lock(m_mutex);
    m_wakeUp.wait_for(lock, std::chrono::milliseconds(milliseconds), [this] { return m_woken; });
    m_woken = false;
}

MovieNews MpvMoviePlayer::WaitForNews(int milliseconds) {
    WaitForWake(milliseconds);
    for (;;) {
        mpv_event* event = g_mpv.wait_event(m_mpv, 0);
        if (event->event_id == MPV_EVENT_NONE) break;
        HandleEvent(*event);
    }
    if (m_state == PlayerState::Loading && Clock::now() - m_openedAt > kOpenTimeout)
        m_state = PlayerState::Failed;
    switch (m_state) {
        case PlayerState::Failed:
            return MovieNews::Failed;
        case PlayerState::Loaded:
            if (m_reportedLoaded) return MovieNews::Nothing;
            m_reportedLoaded = true;
            return MovieNews::Loaded;
        case PlayerState::Playing:
        case PlayerState::Ended:
            // The last picture may be due together with the end: it is shown first.
            if (g_mpv.render_context_update(m_render) & MPV_RENDER_UPDATE_FRAME)
                return MovieNews::NewPicture;
            return m_state == PlayerState::Ended ? MovieNews::Ended : MovieNews::Nothing;
        default:
            return MovieNews::Nothing;
    }
}

void MpvMoviePlayer::HandleEvent(const mpv_event& event) {
    switch (event.event_id) {
        case MPV_EVENT_FILE_LOADED:
            FileLoaded();
            break;
        case MPV_EVENT_VIDEO_RECONFIG:
            PictureReady();
            break;
        case MPV_EVENT_END_FILE:
            FileEnded();
            break;
        case MPV_EVENT_PROPERTY_CHANGE: {
            const auto* change = static_cast<const mpv_event_property*>(event.data);
            bool atEnd = change->format == MPV_FORMAT_FLAG && *static_cast<int*>(change->data);
            if (atEnd && m_state == PlayerState::Playing) m_state = PlayerState::Ended;
            break;
        }
        default:
            break;
    }
}

bool MpvMoviePlayer::TrackFlag(const char* property) {
    int flag = 0;
    return g_mpv.get_property(m_mpv, property, MPV_FORMAT_FLAG, &flag) >= 0 && flag;
}

// Only a moving picture is a movie: no picture track, or a still picture (a
// picture file, a cover), is not one.
void MpvMoviePlayer::FileLoaded() {
    if (m_state != PlayerState::Loading) return;
    int64_t track = 0;
    bool hasPicture =
        g_mpv.get_property(m_mpv, "current-tracks/video/id", MPV_FORMAT_INT64, &track) >= 0;
    if (!hasPicture || TrackFlag("current-tracks/video/image") ||
        TrackFlag("current-tracks/video/albumart"))
        m_state = PlayerState::Failed;
}

// The first picture is decoded: its display size is known.
void MpvMoviePlayer::PictureReady() {
    if (m_state != PlayerState::Loading) return;
    int64_t width = 0, height = 0;
    g_mpv.get_property(m_mpv, "dwidth", MPV_FORMAT_INT64, &width);
    g_mpv.get_property(m_mpv, "dheight", MPV_FORMAT_INT64, &height);
    if (width <= 0 || height <= 0) return;
    if (width > kMaxPictureSide || height > kMaxPictureSide) {
        m_state = PlayerState::Failed;
        return;
    }
    m_width = int(width);
    m_height = int(height);
    m_state = PlayerState::Loaded;
}

// An end while opening means the file could not be played; a redirection (a
// playlist) is no movie either.
void MpvMoviePlayer::FileEnded() {
    if (m_state == PlayerState::Loading || m_state == PlayerState::Loaded)
        m_state = PlayerState::Failed;
    else if (m_state == PlayerState::Playing)
        m_state = PlayerState::Ended;
}

bool MpvMoviePlayer::Play() {
    if (m_state != PlayerState::Loaded) return false;
    int paused = 0;
    if (g_mpv.set_property(m_mpv, "pause", MPV_FORMAT_FLAG, &paused) < 0) return false;
    m_state = PlayerState::Playing;
    return true;
}

void MpvMoviePlayer::DrawPicture(const MoviePlacement& placement) {
    if (!m_render || !m_canvas.Prepare(placement.width, placement.height)) return;
    Clock::time_point start = Clock::now();
    ForeignDrawingScope scope;
    mpv_opengl_fbo target{int(m_canvas.FrameBuffer()), m_canvas.Width(), m_canvas.Height(), 0};
    int flipY = 1;  // the canvas, like the game's frame, counts rows from the bottom
    int blockForTargetTime = 0;
    mpv_render_param params[] = {{MPV_RENDER_PARAM_OPENGL_FBO, &target},
                                 {MPV_RENDER_PARAM_FLIP_Y, &flipY},
                                 {MPV_RENDER_PARAM_BLOCK_FOR_TARGET_TIME, &blockForTargetTime},
                                 {MPV_RENDER_PARAM_INVALID, nullptr}};
    g_mpv.render_context_render(m_render, params);
    m_canvas.CopyInto(scope.DrawTarget(), placement);
    Clock::time_point end = Clock::now();
    m_drawingMilliseconds += std::chrono::duration<double, std::milli>(end - start).count();
    if (m_picturesDrawn++ == 0)
        m_firstPictureMilliseconds =
            std::chrono::duration<double, std::milli>(end - m_startedAt).count();
}

// KIP_MOVIE_FIGURES=1 prints what a movie cost: the time from starting the player
// (loading the library, opening the file) to the first picture, the pictures drawn,
// the mean time to draw one, and those the library dropped.
void MpvMoviePlayer::ReportFigures() {
    const char* wanted = std::getenv("KIP_MOVIE_FIGURES");
    if (!wanted || !*wanted || *wanted == '0') return;
    int64_t dropped = -1, decoderDropped = -1;
    g_mpv.get_property(m_mpv, "frame-drop-count", MPV_FORMAT_INT64, &dropped);
    g_mpv.get_property(m_mpv, "decoder-frame-drop-count", MPV_FORMAT_INT64, &decoderDropped);
    double meanDrawing = m_picturesDrawn ? m_drawingMilliseconds / m_picturesDrawn : 0;
    std::fprintf(stderr,
                 "movie: first picture after %.1f ms, %ld pictures drawn (%.1f ms each), %ld "
                 "dropped by the output, %ld by the decoder\n",
                 m_firstPictureMilliseconds, m_picturesDrawn, meanDrawing, long(dropped),
                 long(decoderDropped));
}

void MpvMoviePlayer::Stop() {
    if (!m_mpv) return;
    if (m_state == PlayerState::Playing || m_state == PlayerState::Ended) ReportFigures();
    const char* command[] = {"stop", nullptr};
    g_mpv.command(m_mpv, command);
    m_state = PlayerState::Idle;
}
}  // namespace

std::unique_ptr<MoviePlayer> CreateMoviePlayer(const MoviePlayerSettings& settings) {
    auto player = std::make_unique<MpvMoviePlayer>(settings);
    if (player->Start()) return player;
    return std::make_unique<NullMoviePlayer>();
}
