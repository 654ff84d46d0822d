// HLSL that fxc takes and glslang's HLSL front end does not, rewritten into forms both
// take. Every rewrite keeps the line structure, so messages still point at the file.
#pragma once

#include <string>

namespace fx {

// One pass stage's HLSL, rewritten: `matrix<float,4,3>` and `vector<float,3>` become
// float4x3 and float3; `_centroid` on a semantic goes (GL interpolates at the centre
// unless told, and D3D9 only hints); VPOS and VFACE become the system values they name;
// normalize() of a scalar is the sign fxc gives it. Returns the text unchanged when none
// of these occur. It also applies aliasEqualStructs and rewriteInitializers.
std::string rewriteHlsl(const std::string& hlsl);

// `float4 a[2] = { 8 scalars }` gets a constructor per element and `float m[2][3] =
// { 6 scalars }` braces per row; `(float[3]) v` as an initializer becomes the list of
// v's components; `float4(a, b) = e;` assigns e's
// components to a and b in turn (their sizes from their declarations). Anything else,
// and any of these whose parts do not add up, stays as written.
std::string rewriteInitializers(const std::string& hlsl);

// A struct declared with the same members as an earlier one becomes a typedef of it:
// fxc converts between the two, glslang does not.
std::string aliasEqualStructs(const std::string& hlsl);

// Static globals whose initial value calls a function get it at the start of the entry
// point `entry` instead (no line moves); the text unchanged when there are none.
std::string initializeStaticsInEntry(const std::string& hlsl, const std::string& entry);

// `m._m30_m31_m32` (or `m._41_42_43`) as a constructor of the entries one by one, which
// glslang gets right for local matrices too; the text unchanged when there is none.
std::string splitMatrixSwizzles(const std::string& hlsl);

// True when the text names VPOS or VFACE: they compile as plain semantics, but read as
// D3D9 fills them only once rewritten into the system values they name.
bool namesSystemValue(const std::string& hlsl);

}  // namespace fx
