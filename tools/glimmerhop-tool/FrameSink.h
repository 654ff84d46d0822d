// Where the frames of a render run go: a folder of numbered PNGs or an MP4 made by the
// ffmpeg program. Neither leaves a half-written file under a final name: a PNG is
// renamed into place once whole, the MP4 once ffmpeg has finished it.
#pragma once

#include <sys/types.h>

#include <cstdint>
#include <string>
#include <vector>

namespace tool {

class FrameSink {
public:
    virtual ~FrameSink() = default;
    // One frame of width x height RGBA8 pixels, rows top first. False with a message.
    virtual bool write(const std::uint8_t* rgba) = 0;
    // The same frame as GL reads it back: rows bottom first, alpha undefined. Unless a
    // sink does better, turned upright and opaque, then written.
    virtual bool writeBottomUp(const std::uint8_t* rows, unsigned width, unsigned height);
    // Completes the output under its final name. False with a message (nothing kept).
    virtual bool finish() = 0;
    // Stops early: removes what is not complete.
    virtual void abort() = 0;
    // What the user gets, for the closing line ("frames in DIR", "FILE").
    virtual std::string describe() const = 0;

private:
    std::vector<std::uint8_t> upright_;
};

// frame00000.png, frame00001.png, ... in `folder`, created when missing.
class PngFolderSink : public FrameSink {
public:
    PngFolderSink(std::string folder, unsigned width, unsigned height);
    // Creates the folder and proves it can be written. False with a message.
    bool open();
    bool write(const std::uint8_t* rgba) override;
    bool finish() override;
    void abort() override;
    std::string describe() const override;
    static std::string frameName(unsigned index);

private:
    std::string folder_;
    unsigned width_, height_;
    unsigned next_ = 0;
};

// The x264 preset, CRF and threads of a video. A renderer on the CPU (llvmpipe) shares
// the cores with the encoder, so the encoder takes the cheapest preset, at a CRF that
// gives the picture quality of the other case (superfast at 18) for a larger file, on one
// thread; a GPU leaves the cores to the encoder. A preset asked for keeps CRF 18.
struct EncoderChoice {
    std::string preset;
    int crf;
    int threads = 0;  // 0: as many as x264 likes
};
EncoderChoice encoderFor(const std::string& asked, bool softwareRenderer);

// ffmpeg's arguments for the video stream of `choice`: H.264 in yuv420p, tagged with the
// matrix, range and chroma siting of the planes Yuv420.h makes.
std::vector<std::string> videoEncoderArguments(const EncoderChoice& choice);

// True when `path` names an MP4 file (by its extension) rather than a folder.
bool isVideoPath(const std::string& path);

// The music span the video carries: `seconds` of `path` from `start`, beginning
// `delay` seconds into the video (after the loading frames).
struct AudioSpan {
    std::string path;
    double start = 0;
    double seconds = 0;
    double delay = 0;
};

// H.264 (yuv420p) with AAC audio through `ffmpeg`, fed raw Y'CbCr 4:2:0 frames on a
// pipe, converted on the writer's thread. The file is written as NAME.partial.mp4 beside
// the final name and renamed when ffmpeg succeeds.
class VideoSink : public FrameSink {
public:
    VideoSink(std::string path, unsigned width, unsigned height, unsigned fps, AudioSpan audio,
              EncoderChoice encoder);
    ~VideoSink() override;
    // Finds ffmpeg and proves the folder can be written; does not start ffmpeg yet.
    bool check();
    // Starts ffmpeg. False with a message.
    bool open();
    bool write(const std::uint8_t* rgba) override;
    // Straight from the read-back rows, last row first (the alpha is not encoded).
    bool writeBottomUp(const std::uint8_t* rows, unsigned width, unsigned height) override;
    bool finish() override;
    void abort() override;
    std::string describe() const override;
    const std::string& partialPath() const { return partial_; }
    static std::string partialPathFor(const std::string& path);

private:
    bool waitFfmpeg();
    bool writePlanes(const std::uint8_t* rgba, std::ptrdiff_t rowStep);
    bool writeAll(const std::uint8_t* data, std::size_t size);
    std::vector<std::uint8_t> planes_;
    std::string path_, partial_, ffmpeg_;
    EncoderChoice encoder_;
    unsigned width_, height_, fps_;
    AudioSpan audio_;
    pid_t pid_ = -1;
    int pipe_ = -1;
};

// Puts process or thread `who` ten steps of niceness below the caller, so that it takes
// the CPU time the renderer leaves (and all of it when the renderer waits for it).
void runBehind(id_t who);

// The ffmpeg program on PATH (or GLIMMERHOP_FFMPEG), "" when there is none.
std::string findFfmpeg();

}  // namespace tool
