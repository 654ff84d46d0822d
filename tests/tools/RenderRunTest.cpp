// glimmerhop-tool render runs on the real data set: PNG frames at a fixed rate, an MP4
// with the music, and the ways a run can fail without leaving a file behind.
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "FrameSink.h"
#include "Yuv420.h"
#include "tools/CommandRun.h"

#define STB_IMAGE_STATIC
#define STB_IMAGE_IMPLEMENTATION
#include <stb/stb_image.h>

namespace fs = std::filesystem;

namespace {

std::string tool() { return std::string(GH_BINARY_DIR) + "/glimmerhop-tool"; }

std::string dataDir() {
    const char* chosen = std::getenv("GLIMMERHOP_DATA_DIR");
    return chosen && *chosen ? chosen : GH_BINARY_DIR;
}

bool haveData() {
    return fs::exists(tool()) && fs::exists(dataDir() + "/Tindermoot/Pellmoor.mp3") &&
           fs::exists(dataDir() + "/Tindermoot/planb/3b.SCENE.scene");
}

bool haveProgram(const char* name) {
    return std::system((std::string("command -v ") + name + " >/dev/null 2>&1").c_str()) == 0;
}

using Result = tooltest::CommandRun;

// Runs `prefix glimmerhop-tool render --data DATA args` and collects its output.
Result render(const std::string& args, const std::string& prefix = "") {
    return tooltest::runCommand(prefix + tool() + " render --data " + dataDir() + " " + args + " 2>&1");
}

std::string capture(const std::string& command) { return tooltest::runCommand(command).output; }

// A fresh folder under the build folder's test-files/ (relative: the tool must write
// it where the test runs, not inside --data).
std::string folder(const std::string& name) {
    const std::string dir = "test-files/render-" + name;
    fs::remove_all(dir);
    fs::create_directories(dir);
    return dir;
}

struct Picture {
    int width = 0, height = 0;
    std::vector<unsigned char> rgba;
};

Picture load(const std::string& path) {
    Picture p;
    int n = 0;
    unsigned char* data = stbi_load(path.c_str(), &p.width, &p.height, &n, 4);
    if (data) p.rgba.assign(data, data + static_cast<std::size_t>(p.width) * p.height * 4);
    stbi_image_free(data);
    return p;
}

std::vector<std::string> filesIn(const std::string& dir) {
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(dir)) names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

// The data set loads through headless OpenGL (textures decoded and uploaded, effects
// compiled to GLSL) without one message box: each would print "[caption] text".
TEST(RenderRun, DataSetLoadsOnGlWithoutAMessageBox) {
    if (!haveData()) GTEST_SKIP() << "no data set or tool";
    const std::string dir = folder("boxes");
    const Result run = render("--at 1 --size 160x120 --history none --out " + dir + "/still.png");
    ASSERT_EQ(run.status, 0) << run.output;
    std::size_t boxes = 0;
    for (std::size_t at = 0; at < run.output.size(); at = run.output.find('\n', at) + 1) {
        if (run.output[at] == '[') ++boxes;
        if (run.output.find('\n', at) == std::string::npos) break;
    }
    EXPECT_EQ(boxes, 0u) << run.output;
    EXPECT_TRUE(fs::exists(dir + "/still.png"));
}

// A run and a still at the same music time draw the same frame. A still plays the
// frames before its time from 0 at 30 per second (the opening scene's history) and the
// run from 0 at 30 fps plays exactly the same times, so the camera cuts and beat latches
// agree; a run starting later would start those fresh.
TEST(RenderRun, PngFramesAtFixedRateMatchStills) {
    if (!haveData()) GTEST_SKIP() << "no data set or tool";
    const std::string dir = folder("frames");
    const Result run = render("--from 0 --to 2 --fps 30 --size 160x120 --out " + dir + "/run");
    ASSERT_EQ(run.status, 0) << run.output;
    const std::vector<std::string> names = filesIn(dir + "/run");
    ASSERT_EQ(names.size(), 60u) << run.output;
    EXPECT_EQ(names.front(), "frame00000.png");
    EXPECT_EQ(names.back(), "frame00059.png");
    EXPECT_NE(run.output.find("floor intro"), std::string::npos) << "no per-scene summary:\n" << run.output;
    EXPECT_EQ(run.output.find("outro"), std::string::npos) << "the outro only follows the end of the music";

    const Picture first = load(dir + "/run/frame00000.png");
    const Picture last = load(dir + "/run/frame00059.png");
    ASSERT_EQ(first.width, 160);
    ASSERT_EQ(first.height, 120);
    EXPECT_NE(first.rgba, last.rgba) << "the show did not move in two seconds";

    for (int k : {0, 59}) {
        char at[64];
        std::snprintf(at, sizeof at, "%.17g", k / 30.0);
        char still[128];
        std::snprintf(still, sizeof still, "%s/still%02d.png", dir.c_str(), k);
        const Result r = render(std::string("--at ") + at + " --history full --history-fps 30 --size 160x120 --out " +
                                still);
        ASSERT_EQ(r.status, 0) << r.output;
        char frame[128];
        std::snprintf(frame, sizeof frame, "%s/run/frame%05d.png", dir.c_str(), k);
        const Picture a = load(still), b = load(frame);
        ASSERT_EQ(a.rgba.size(), b.rgba.size());
        EXPECT_TRUE(a.rgba == b.rgba) << "frame " << k << " differs from the still at " << at;
    }
}

TEST(RenderRun, Mp4HasTheFramesRateSizeAndMusicOfTheSpan) {
    if (!haveData()) GTEST_SKIP() << "no data set or tool";
    if (!haveProgram("ffmpeg") || !haveProgram("ffprobe")) GTEST_SKIP() << "no ffmpeg";
    const std::string dir = folder("mp4");
    const std::string out = dir + "/piece.mp4";
    const Result run = render("--from 40 --to 41 --fps 10 --size 160x120 --out " + out);
    ASSERT_EQ(run.status, 0) << run.output;
    EXPECT_EQ(filesIn(dir), std::vector<std::string>{"piece.mp4"}) << "a partial file was left";

    const std::string video = capture(
        "ffprobe -v error -count_frames -select_streams v:0 -show_entries "
        "stream=codec_name,width,height,r_frame_rate,nb_read_frames,pix_fmt -of default=nw=1 " + out);
    EXPECT_NE(video.find("codec_name=h264"), std::string::npos) << video;
    EXPECT_NE(video.find("width=160"), std::string::npos) << video;
    EXPECT_NE(video.find("height=120"), std::string::npos) << video;
    EXPECT_NE(video.find("r_frame_rate=10/1"), std::string::npos) << video;
    EXPECT_NE(video.find("pix_fmt=yuv420p"), std::string::npos) << video;
    EXPECT_NE(video.find("nb_read_frames=10\n"), std::string::npos) << video;

    const std::string audio = capture("ffprobe -v error -select_streams a:0 -show_entries stream=codec_name,duration "
                                      "-of default=nw=1 " + out);
    EXPECT_NE(audio.find("codec_name=aac"), std::string::npos) << audio;
    const std::size_t at = audio.find("duration=");
    ASSERT_NE(at, std::string::npos) << audio;
    EXPECT_NEAR(std::atof(audio.c_str() + at + 9), 1.0, 0.05) << audio;
}

// To the end of the music with the loading screen: two seconds of loading frames before
// the music (the audio starts silent for as long), the music's last frames, then two
// seconds of outro after the music has ended.
TEST(RenderRun, Mp4WithLoadingScreenAndOutro) {
    if (!haveData()) GTEST_SKIP() << "no data set or tool";
    if (!haveProgram("ffmpeg") || !haveProgram("ffprobe")) GTEST_SKIP() << "no ffmpeg";
    const std::string dir = folder("ends");
    const std::string out = dir + "/ends.mp4";
    const Result run = render("--from 150 --with-loading --fps 10 --size 160x120 --out " + out);
    ASSERT_EQ(run.status, 0) << run.output;
    EXPECT_NE(run.output.find("loading "), std::string::npos) << run.output;
    EXPECT_NE(run.output.find("outro "), std::string::npos) << run.output;

    auto duration = [&](const char* stream) {
        const std::string text = capture(std::string("ffprobe -v error -select_streams ") + stream +
                                         " -show_entries stream=duration -of default=nw=1:nk=1 " + out);
        return std::atof(text.c_str());
    };
    const double video = duration("v:0"), audio = duration("a:0");
    // 2 s loading + the music from 150 s to its end + 2 s outro; the audio holds the
    // delay and the music only.
    EXPECT_NEAR(video - audio, 2.0, 0.06) << video << " " << audio;
    EXPECT_GT(audio, 2.0 + 1.0);

    auto maxVolume = [&](const char* span) {
        const std::string text =
            capture("ffmpeg -v info " + std::string(span) + " -i " + out + " -vn -af volumedetect -f null - 2>&1");
        const std::size_t at = text.find("max_volume: ");
        return at == std::string::npos ? 0.0 : std::atof(text.c_str() + at + 12);
    };
    EXPECT_LT(maxVolume("-t 1.9"), -80.0) << "the music starts under the loading screen";
    EXPECT_GT(maxVolume("-ss 2.2 -t 3"), -40.0) << "no music after the loading screen";
}

// The MP4 of a span holds the PNG frames of the same span, in order: the PNG frames put
// through the same colour conversion and encoder settings (the chosen preset included)
// decode to exactly the planes the MP4 decodes to.
TEST(RenderRun, Mp4FramesAreThePngFramesOfTheSameSpan) {
    if (!haveData()) GTEST_SKIP() << "no data set or tool";
    if (!haveProgram("ffmpeg")) GTEST_SKIP() << "no ffmpeg";
    const std::string dir = folder("same");
    const std::string span = "--from 84 --to 85 --fps 20 --size 160x120 --out ";
    const Result png = render(span + dir + "/frames");
    ASSERT_EQ(png.status, 0) << png.output;
    const Result mp4 = render(span + dir + "/span.mp4 --preset ultrafast");
    ASSERT_EQ(mp4.status, 0) << mp4.output;
    ASSERT_EQ(filesIn(dir + "/frames").size(), 20u);

    const std::string raw = dir + "/frames.yuv";
    {
        std::FILE* out = std::fopen(raw.c_str(), "wb");
        ASSERT_TRUE(out);
        std::vector<std::uint8_t> planes(tool::yuv420Size(160, 120));
        for (unsigned k = 0; k < 20; ++k) {
            char name[32];
            std::snprintf(name, sizeof name, "/frames/frame%05u.png", k);
            const Picture p = load(dir + name);
            ASSERT_EQ(p.width * p.height, 160 * 120);
            tool::rgbaToYuv420(p.rgba.data(), 160 * 4, 160, 120, planes.data());
            std::fwrite(planes.data(), 1, planes.size(), out);
        }
        std::fclose(out);
    }
    std::string encode = "ffmpeg -v error -y -f rawvideo -pix_fmt yuv420p -s 160x120 -r 20 -i " + raw;
    for (const std::string& a : tool::videoEncoderArguments(tool::encoderFor("ultrafast", true))) encode += " " + a;
    const std::string again = dir + "/again.mp4";
    ASSERT_EQ(std::system((encode + " " + again).c_str()), 0);
    const std::string decode = " -f rawvideo -pix_fmt yuv420p -";
    const std::string video = capture("ffmpeg -v error -i " + dir + "/span.mp4" + decode);
    const std::string frames = capture("ffmpeg -v error -i " + again + decode);
    ASSERT_EQ(video.size(), tool::yuv420Size(160, 120) * 20) << "the video has another number of frames";
    EXPECT_TRUE(video == frames) << "the video's frames are not the PNG frames";
}

// The EGL device platform with Mesa's software device draws what the surfaceless
// platform draws, and the summary says which one was used.
TEST(RenderRun, SoftwareEglDeviceDrawsTheSurfacelessPicture) {
    if (!haveData()) GTEST_SKIP() << "no data set or tool";
    const std::string dir = folder("device");
    const std::string still = "--at 85 --size 160x120 --history none --out " + dir;
    const Result surfaceless = render(still + "/surfaceless.png", "GLIMMERHOP_EGL_DEVICE=surfaceless ");
    ASSERT_EQ(surfaceless.status, 0) << surfaceless.output;
    EXPECT_NE(surfaceless.output.find("renderer: "), std::string::npos) << surfaceless.output;
    EXPECT_NE(surfaceless.output.find("EGL surfaceless platform"), std::string::npos) << surfaceless.output;
    const Result device = render(still + "/software.png", "GLIMMERHOP_EGL_DEVICE=software ");
    if (device.output.find("there is no software EGL device") != std::string::npos)
        GTEST_SKIP() << "this EGL lists no software device";
    ASSERT_EQ(device.status, 0) << device.output;
    EXPECT_NE(device.output.find("(software)"), std::string::npos) << device.output;
    const Picture a = load(dir + "/surfaceless.png"), b = load(dir + "/software.png");
    ASSERT_EQ(a.width, 160);
    EXPECT_TRUE(a.rgba == b.rgba) << "the software device drew another picture";

    // A choice that names nothing here fails with the reason, before any show is loaded.
    for (const char* choice : {"99", "first", "-1"}) {
        const Result r = render(still + "/none.png", std::string("GLIMMERHOP_EGL_DEVICE=") + choice + " ");
        EXPECT_NE(r.status, 0) << choice;
        EXPECT_NE(r.output.find(std::string("GLIMMERHOP_EGL_DEVICE=") + choice + ": "), std::string::npos)
            << r.output;
        EXPECT_FALSE(fs::exists(dir + "/none.png"));
    }
}

TEST(RenderRun, FailuresLeaveNoFile) {
    if (!haveData()) GTEST_SKIP() << "no data set or tool";
    const std::string dir = folder("fail");
    {
        std::FILE* f = std::fopen((dir + "/plain").c_str(), "w");
        ASSERT_NE(f, nullptr);
        std::fclose(f);
    }
    // A path under a regular file can never be written.
    for (const char* target : {"/plain/x.mp4", "/plain/frames"}) {
        const Result r = render("--from 0 --to 1 --fps 10 --size 160x120 --out " + dir + target);
        EXPECT_NE(r.status, 0) << target << "\n" << r.output;
        EXPECT_NE(r.output.find("cannot write"), std::string::npos) << r.output;
    }
    // Spans outside the music, or empty.
    for (const char* span : {"--from 500 --to 501", "--from -1 --to 1", "--from 5 --to 4", "--from 100 --to 1000"}) {
        const Result r = render(std::string(span) + " --fps 10 --size 160x120 --out " + dir + "/span.mp4");
        EXPECT_NE(r.status, 0) << span << "\n" << r.output;
        EXPECT_NE(r.output.find("not inside the music"), std::string::npos) << span << "\n" << r.output;
        const Result p = render(std::string(span) + " --fps 10 --size 160x120 --out " + dir + "/span-frames");
        EXPECT_NE(p.status, 0) << span;
    }
    // Without ffmpeg an MP4 is refused with advice, and PNG frames still work.
    const Result none = render("--from 0 --to 0.2 --fps 10 --size 160x120 --out " + dir + "/no.mp4",
                               "GLIMMERHOP_FFMPEG=/nonexistent/ffmpeg ");
    EXPECT_NE(none.status, 0);
    EXPECT_NE(none.output.find("ffmpeg"), std::string::npos) << none.output;
    const Result png = render("--from 0 --to 0.2 --fps 10 --size 160x120 --out " + dir + "/no-ffmpeg",
                              "GLIMMERHOP_FFMPEG=/nonexistent/ffmpeg ");
    EXPECT_EQ(png.status, 0) << png.output;
    EXPECT_EQ(filesIn(dir), (std::vector<std::string>{"no-ffmpeg", "plain"}));
    EXPECT_EQ(filesIn(dir + "/no-ffmpeg").size(), 2u);
}

TEST(RenderRun, InterruptedVideoIsRemoved) {
    if (!haveData()) GTEST_SKIP() << "no data set or tool";
    if (!haveProgram("ffmpeg")) GTEST_SKIP() << "no ffmpeg";
    const std::string dir = folder("interrupt");
    const std::string out = dir + "/long.mp4";
    const std::string data = dataDir();
    const pid_t pid = fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
        std::freopen("/dev/null", "w", stdout);
        std::freopen("/dev/null", "w", stderr);
        execl(tool().c_str(), tool().c_str(), "render", "--data", data.c_str(), "--from", "0", "--to", "60", "--fps",
              "30", "--size", "160x120", "--out", out.c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
    // Interrupt once ffmpeg is writing the partial file.
    const std::string partial = dir + "/long.partial.mp4";
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (!fs::exists(partial) && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_TRUE(fs::exists(partial));
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    kill(pid, SIGINT);
    int status = 0;
    waitpid(pid, &status, 0);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 128 + SIGINT);
    EXPECT_TRUE(filesIn(dir).empty()) << filesIn(dir).front();
}

}  // namespace
