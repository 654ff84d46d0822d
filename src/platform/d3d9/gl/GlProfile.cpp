// What the device renders on, and the cost of each draw call: a timer query and a
// samples-passed query around it, labelled by the effect pass that drew it.
#include <epoxy/gl.h>

#include <cstring>

#include "platform/d3d9/gl/GlDevice.h"

namespace d3d9::detail {

namespace {

std::string glText(GLenum name) {
    const auto* text = reinterpret_cast<const char*>(glGetString(name));
    return text ? text : "";
}

// Mesa's and others' rasterisers on the CPU name themselves in GL_RENDERER.
bool cpuRenderer(const std::string& renderer) {
    for (const char* word : {"llvmpipe", "softpipe", "swrast", "Software Rasterizer", "SwiftShader"})
        if (renderer.find(word) != std::string::npos) return true;
    return false;
}

}  // namespace

bool GlDevice::describeRenderer(RendererInfo& info) {
    info.vendor = glText(GL_VENDOR);
    info.renderer = glText(GL_RENDERER);
    info.version = glText(GL_VERSION);
    const EglDisplayChoice& choice = context_.headlessChoice();
    info.platform = context_.headless() ? choice.platform : "window";
    info.software = cpuRenderer(info.renderer) || (context_.headless() && choice.softwareDevice);
    info.hardwareDevices = context_.headless() ? choice.hardwareDevices : 0;
    return true;
}

void GlDevice::profileDraws(bool on) { profiling_ = on; }

void GlDevice::beginDrawQueries() {
    // A query object keeps the target it was first used with: one pool for each.
    unsigned ids[2];
    for (int k = 0; k < 2; ++k) {
        std::vector<unsigned>& pool = freeQueries_[k];
        if (pool.empty()) {
            glGenQueries(1, &ids[k]);
        } else {
            ids[k] = pool.back();
            pool.pop_back();
        }
    }
    drawQueries_.push_back(DrawQuery{labelEffect_, labelTechnique_, labelPass_, ids[0], ids[1]});
    glBeginQuery(GL_TIME_ELAPSED, ids[0]);
    glBeginQuery(GL_SAMPLES_PASSED, ids[1]);
}

void GlDevice::endDrawQueries() {
    glEndQuery(GL_SAMPLES_PASSED);
    glEndQuery(GL_TIME_ELAPSED);
}

bool GlDevice::collectDrawTimings(std::vector<DrawTiming>& timings) {
    for (const DrawQuery& q : drawQueries_) {
        GLuint64 ns = 0, samples = 0;
        glGetQueryObjectui64v(q.time, GL_QUERY_RESULT, &ns);
        glGetQueryObjectui64v(q.samples, GL_QUERY_RESULT, &samples);
        timings.push_back(DrawTiming{q.effect, q.technique, q.pass, ns, samples});
        freeQueries_[0].push_back(q.time);
        freeQueries_[1].push_back(q.samples);
    }
    drawQueries_.clear();
    return true;
}

void GlDevice::releaseProfiling() {
    for (const DrawQuery& q : drawQueries_) {
        freeQueries_[0].push_back(q.time);
        freeQueries_[1].push_back(q.samples);
    }
    drawQueries_.clear();
    for (std::vector<unsigned>& pool : freeQueries_) {
        if (!pool.empty()) glDeleteQueries(static_cast<GLsizei>(pool.size()), pool.data());
        pool.clear();
    }
}

}  // namespace d3d9::detail
