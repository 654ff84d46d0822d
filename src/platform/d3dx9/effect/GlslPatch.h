// Text patches on the GLSL that SPIRV-Cross writes: code injected into main, varyings
// widened or zeroed where the two stages of a pass disagree the way D3D9 allows.
#pragma once

#include <string>

namespace fx {

// Inserts declarations after the #version/#extension lines and code at the end of main
// (the last closing brace: SPIRV-Cross writes main last, with no early return).
bool inject(std::string& glsl, const std::string& declarations, const std::string& endOfMain);
// Declares the input `name` with `wide` components and reads the first `used` of them
// wherever the shader used the narrow one.
bool widenInput(std::string& glsl, const std::string& name, unsigned used, unsigned wide);
// Declares the input `name` with the `written` components the other stage writes and
// makes the `used`-component variable the shader reads from it (0 for the rest, w 1).
bool narrowInput(std::string& glsl, const std::string& name, unsigned used, unsigned written);
// Makes the output `name` the built-in `builtin` (gl_FragDepth, gl_Position), whose type it has.
bool builtinOutput(std::string& glsl, const std::string& name, const char* builtin);
// Turns the input declaration of `name` into a global that holds zero.
bool zeroInput(std::string& glsl, const std::string& name);
// VPOS and VFACE as D3D9 gives them: the pixel's position with its centre on integers,
// rows counted from the top of the target (GL's window rows count from the bottom of
// the back buffer, from the top of texture targets: the uniform kVposUniform says how),
// and a facing of +1 or -1.
void patchSystemValues(std::string& glsl);
// The alpha test of the fixed pipeline, which GL core no longer has, on `colorOutput`.
bool injectAlphaTest(std::string& glsl, const std::string& colorOutput);

}  // namespace fx
