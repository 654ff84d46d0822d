// The recording device: all checks and state copies of the shared device part, no
// drawing, and its trace switched on.
#include <cstdio>
#include <new>

#include "platform/d3d9/Backends.h"

namespace d3d9::detail {
namespace {

class TraceDevice final : public DeviceBase {
public:
    TraceDevice(IDirect3D9* d3d, TraceSink* sink, const D3DPRESENT_PARAMETERS& params)
        : DeviceBase(Backend::Trace, sink, d3d) {
        width_ = params.BackBufferWidth;
        height_ = params.BackBufferHeight;
        samples_ = params.MultiSampleType >= 2 ? static_cast<DWORD>(params.MultiSampleType) : 0u;
        initStates(params.EnableAutoDepthStencil != FALSE);
    }
};

}  // namespace

DeviceBase* createTraceDevice(IDirect3D9* d3d, TraceSink* sink, const D3DPRESENT_PARAMETERS& params) {
    auto* device = new (std::nothrow) TraceDevice(d3d, sink, params);
    if (device) {
        char line[160];
        const int n = std::snprintf(line, sizeof line, "CreateDevice %u %u %u %d 0x%x",
                                    params.BackBufferWidth, params.BackBufferHeight,
                                    static_cast<unsigned>(params.MultiSampleType), params.Windowed,
                                    params.PresentationInterval);
        if (n > 0) device->traceText(line, static_cast<std::size_t>(n) < sizeof line ? n : sizeof line - 1);
    }
    return device;
}

}  // namespace d3d9::detail
