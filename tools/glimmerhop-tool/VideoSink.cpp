#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "FrameSink.h"
#include "Yuv420.h"

extern char** environ;

namespace tool {

namespace {

bool endsWith(const std::string& s, const char* suffix) {
    const std::size_t n = std::strlen(suffix);
    if (s.size() < n) return false;
    for (std::size_t i = 0; i < n; ++i) {
        char c = s[s.size() - n + i];
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
        if (c != suffix[i]) return false;
    }
    return true;
}

std::string number(double value) {
    char text[64];
    std::snprintf(text, sizeof text, "%.6f", value);
    return text;
}

}  // namespace

bool isVideoPath(const std::string& path) { return endsWith(path, ".mp4"); }

std::string findFfmpeg() {
    if (const char* own = std::getenv("GLIMMERHOP_FFMPEG"); own && *own)
        return access(own, X_OK) == 0 ? own : "";
    const char* path = std::getenv("PATH");
    if (!path) return "";
    std::string dirs = path;
    std::size_t start = 0;
    while (start <= dirs.size()) {
        std::size_t end = dirs.find(':', start);
        if (end == std::string::npos) end = dirs.size();
        const std::string dir = end > start ? dirs.substr(start, end - start) : ".";
        const std::string candidate = dir + "/ffmpeg";
        struct stat st {};
        if (stat(candidate.c_str(), &st) == 0 && S_ISREG(st.st_mode) && access(candidate.c_str(), X_OK) == 0)
            return candidate;
        start = end + 1;
    }
    return "";
}

std::string VideoSink::partialPathFor(const std::string& path) {
    return path.substr(0, path.size() - 4) + ".partial.mp4";
}

VideoSink::VideoSink(std::string path, unsigned width, unsigned height, unsigned fps, AudioSpan audio,
                     EncoderChoice encoder)
    : path_(std::move(path)), partial_(partialPathFor(path_)), encoder_(std::move(encoder)), width_(width),
      height_(height), fps_(fps), audio_(std::move(audio)) {}

VideoSink::~VideoSink() {
    if (pid_ > 0) abort();
}

bool VideoSink::check() {
    ffmpeg_ = findFfmpeg();
    if (ffmpeg_.empty()) {
        std::fprintf(stderr,
                     "render: the ffmpeg program was not found, so no MP4 can be made.\n"
                     "Install it (for example: apt-get install ffmpeg), or give --out a folder to "
                     "get numbered PNG frames instead.\n");
        return false;
    }
    // Creating the partial file now tells at once whether the folder can be written,
    // before the show is loaded.
    const int fd = ::open(partial_.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (fd < 0) {
        std::fprintf(stderr, "render: cannot write %s: %s\n", partial_.c_str(), std::strerror(errno));
        return false;
    }
    close(fd);
    std::remove(partial_.c_str());
    return true;
}

bool VideoSink::open() {
    const std::string size = std::to_string(width_) + "x" + std::to_string(height_);
    const std::string rate = std::to_string(fps_);
    std::vector<std::string> args = {
        ffmpeg_, "-hide_banner", "-nostats", "-loglevel", "error", "-y",
        "-f", "rawvideo", "-pix_fmt", "yuv420p", "-s", size, "-r", rate, "-i", "-",
        "-ss", number(audio_.start), "-t", number(audio_.seconds), "-i", audio_.path,
        "-map", "0:v:0", "-map", "1:a:0"};
    for (std::string& a : videoEncoderArguments(encoder_)) args.push_back(std::move(a));
    for (const char* a : {"-c:a", "aac"}) args.push_back(a);
    if (audio_.delay > 0) {
        // The loading frames come before the music starts.
        const long ms = static_cast<long>(audio_.delay * 1000.0 + 0.5);
        args.push_back("-af");
        args.push_back("adelay=" + std::to_string(ms) + ":all=1");
    }
    for (const char* a : {"-movflags", "+faststart", "-f", "mp4"}) args.push_back(a);
    args.push_back(partial_);

    int fds[2];
    if (pipe(fds) != 0) {
        std::fprintf(stderr, "render: cannot make a pipe: %s\n", std::strerror(errno));
        return false;
    }
    fcntl(fds[1], F_SETFD, FD_CLOEXEC);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, fds[0], 0);
    posix_spawn_file_actions_addclose(&actions, fds[0]);
    // Its own process group: Ctrl-C reaches the tool only, which then stops ffmpeg and
    // removes the partial file, rather than ffmpeg closing a file of its own accord.
    posix_spawnattr_t attr;
    posix_spawnattr_init(&attr);
    posix_spawnattr_setpgroup(&attr, 0);
    sigset_t defaults;
    sigemptyset(&defaults);
    sigaddset(&defaults, SIGPIPE);
    sigaddset(&defaults, SIGINT);
    sigaddset(&defaults, SIGTERM);
    posix_spawnattr_setsigdefault(&attr, &defaults);
    posix_spawnattr_setflags(&attr, POSIX_SPAWN_SETPGROUP | POSIX_SPAWN_SETSIGDEF);

    std::vector<char*> argv;
    for (std::string& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    const int rc = posix_spawn(&pid_, ffmpeg_.c_str(), &actions, &attr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attr);
    close(fds[0]);
    if (rc != 0) {
        pid_ = -1;
        close(fds[1]);
        std::fprintf(stderr, "render: cannot start %s: %s\n", ffmpeg_.c_str(), std::strerror(rc));
        return false;
    }
    pipe_ = fds[1];
    // A frame is a megabyte or more: a larger pipe moves it in fewer wake-ups of either side.
    fcntl(pipe_, F_SETPIPE_SZ, 1 << 20);
    // The encoder runs behind the renderer with frames queued for it. Where the renderer
    // is on the CPU (llvmpipe), its threads meet at every frame, and an encoder thread
    // taking one of their cores holds up all of them; at a lower priority the encoder
    // takes the time they leave, and gets all of it when the queue is full. Its threads
    // are made after this (when the first frame arrives), so they inherit it.
    runBehind(static_cast<id_t>(pid_));
    return true;
}

bool VideoSink::write(const std::uint8_t* rgba) { return writePlanes(rgba, static_cast<std::ptrdiff_t>(width_) * 4); }

bool VideoSink::writeBottomUp(const std::uint8_t* rows, unsigned width, unsigned height) {
    if (width != width_ || height != height_) return FrameSink::writeBottomUp(rows, width, height);
    const auto row = static_cast<std::ptrdiff_t>(width_) * 4;
    return writePlanes(rows + row * (height_ - 1), -row);
}

bool VideoSink::writePlanes(const std::uint8_t* rgba, std::ptrdiff_t rowStep) {
    planes_.resize(yuv420Size(width_, height_));
    rgbaToYuv420(rgba, rowStep, width_, height_, planes_.data());
    return writeAll(planes_.data(), planes_.size());
}

bool VideoSink::writeAll(const std::uint8_t* data, std::size_t size) {
    while (size > 0) {
        const ssize_t n = ::write(pipe_, data, size);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            std::fprintf(stderr, "render: ffmpeg stopped taking frames (%s)\n", std::strerror(errno));
            return false;
        }
        data += n;
        size -= static_cast<std::size_t>(n);
    }
    return true;
}

bool VideoSink::waitFfmpeg() {
    int status = 0;
    pid_t r;
    do r = waitpid(pid_, &status, 0);
    while (r < 0 && errno == EINTR);
    pid_ = -1;
    return r > 0 && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

bool VideoSink::finish() {
    if (pid_ <= 0) return false;
    close(pipe_);
    pipe_ = -1;
    if (!waitFfmpeg()) {
        std::remove(partial_.c_str());
        std::fprintf(stderr, "render: ffmpeg failed; no video was written\n");
        return false;
    }
    if (std::rename(partial_.c_str(), path_.c_str()) != 0) {
        std::fprintf(stderr, "render: cannot name the video %s: %s\n", path_.c_str(), std::strerror(errno));
        std::remove(partial_.c_str());
        return false;
    }
    return true;
}

void VideoSink::abort() {
    if (pipe_ >= 0) close(pipe_);
    pipe_ = -1;
    if (pid_ > 0) {
        kill(pid_, SIGTERM);
        waitFfmpeg();
    }
    std::remove(partial_.c_str());
}

std::string VideoSink::describe() const { return path_; }

EncoderChoice encoderFor(const std::string& asked, bool softwareRenderer) {
    if (!asked.empty()) return {asked, 18};
    // Measured on the show's frames at 1280x720: ultrafast at CRF 21 costs 13 ms of CPU a
    // frame against superfast's 29 at CRF 18, for the same PSNR and a file 1.5 times larger.
    // One thread spares x264's hand-overs between threads, about a tenth of its time; a
    // frame takes it far less than the renderer's frame.
    return softwareRenderer ? EncoderChoice{"ultrafast", 21, 1} : EncoderChoice{"superfast", 18};
}

std::vector<std::string> videoEncoderArguments(const EncoderChoice& choice) {
    std::vector<std::string> args = {"-c:v", "libx264", "-preset", choice.preset, "-crf", std::to_string(choice.crf)};
    if (choice.threads > 0) {
        args.push_back("-threads");
        args.push_back(std::to_string(choice.threads));
    }
    for (const char* a : {"-pix_fmt", "yuv420p", "-colorspace", "bt709", "-color_primaries", "bt709", "-color_trc",
                          "bt709", "-color_range", "tv", "-chroma_sample_location", "center"})
        args.push_back(a);
    return args;
}

}  // namespace tool
