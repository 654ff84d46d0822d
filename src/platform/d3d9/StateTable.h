// The one table of D3D9 device states: every render, sampler, texture-stage and transform
// state as one row with its number, D3D name, the name effect files give it, the kind of
// value it holds and its value on a new device. Defaults, trace lines and the effect
// layer's state lookup all read it, so a new state is one new row.
#pragma once

#include <cstddef>
#include <span>

#include "platform/d3d9/d3d9.h"

namespace d3d9::detail {

enum class StateGroup : unsigned char { Render, Sampler, Stage, Transform };

// How a value reads: the enum it comes from, or how its bits are shown. Mask and Number
// are both plain numbers; the trace shows a mask in hexadecimal.
enum class ValueKind : unsigned char {
    Number, Mask, Bool, Float, Color, Matrix, ZBuffer, Fill, Shade, Cull, Compare, Blend,
    BlendOp, StencilOp, ColorMask, Filter, Address, FogMode, MaterialSource, TextureOp,
    TextureArg, TexCoordIndex, TransformFlags,
};

// Defaults that depend on the device: ZEnable follows the automatic depth buffer, stage 0
// differs from the others in its ops, each stage reads its own coordinate set.
enum class DefaultRule : unsigned char { Fixed, AutoDepth, FirstStageOnly, StageIndex };

struct StateRow {
    StateGroup group;
    DWORD value;        // D3DRS_, D3DSAMP_, D3DTSS_ or D3DTS_ number; first of `count`
    const char* d3dName;  // for an indexed transform a format with one %u
    const char* fxName;   // as effect files write it; null where effects name it otherwise
    ValueKind kind;
    DWORD defaultValue;   // stage 0's where the rule says stages differ
    DefaultRule rule = DefaultRule::Fixed;
    DWORD count = 1;      // transforms that take an index: D3DTS_TEXTUREn, WORLDMATRIX(n)
    bool fixedFunction = false;  // a render state only the fixed-function pipeline reads
};

std::span<const StateRow> stateRows();
// The row holding `value` in `group`, or null for a state D3D9 does not have.
const StateRow* findState(StateGroup group, DWORD value);
DWORD stateDefault(const StateRow& row, DWORD stage, bool autoDepth);

// The state's value as the trace writes it: enum names for enums (D3DTA_ with
// |modifiers for stage arguments), TRUE/FALSE for switches, hexadecimal for masks and
// colours, floats as floats, the rest in decimal.
void formatStateValue(const StateRow* row, DWORD value, char* out, std::size_t size);
// "D3DTS_VIEW", "D3DTS_TEXTURE3", "D3DTS_WORLDMATRIX(2)", or the number.
void transformName(DWORD state, char* out, std::size_t size);
// Where a transform lives in the device's array; -1 for a type D3D9 does not have.
int transformSlot(DWORD state);

// A value's D3D name for an enum kind ("D3DBLEND_SRCALPHA"), or null.
const char* valueName(ValueKind kind, DWORD value);

struct NamedValue {
    DWORD value;
    const char* name;
};
// The names of an enum kind, each with its prefix ("D3DCMP_"); empty for other kinds.
std::span<const NamedValue> valueNames(ValueKind kind);
const char* valuePrefix(ValueKind kind);

}  // namespace d3d9::detail
