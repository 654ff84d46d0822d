#include <gtest/gtest.h>

#include <algorithm>
#include <regex>

#include "effects/EffectTestSupport.h"
#include "platform/d3dx9/effect/CompiledEffect.h"

namespace {

std::shared_ptr<const fx::CompiledEffect> compile(const std::string& source, std::string& errors,
                                                  const char* name = "Tindermoot\\test.fx") {
    return fx::compileEffect(source, name, {}, fxtest::attributeLocation, errors);
}

const fx::UniformMember* member(const fx::CompiledProgram& p, const fx::CompiledEffect& e, const char* name) {
    for (const fx::UniformMember& m : p.members)
        if (e.description.parameters[static_cast<std::size_t>(m.parameter)].name == name) return &m;
    return nullptr;
}

// The location a GLSL declaration line gives a variable ("layout(location = 3) in vec2 gh_v_TEXCOORD0;").
int locationOf(const std::string& glsl, const std::string& qualifier, const std::string& name) {
    std::regex re("layout\\(location = (\\d+)\\) " + qualifier + " \\w+ " + name + ";");
    std::smatch m;
    if (!std::regex_search(glsl, m, re)) return -1;
    return std::stoi(m[1]);
}

TEST(EffectCompiler, CompilesEveryPassOnce) {
    std::string errors;
    auto effect = compile(fxtest::readData("Showcase.fx"), errors);
    ASSERT_TRUE(effect) << errors;
    // VS+PS and VS+PSFlat: shared by the four passes.
    ASSERT_EQ(effect->programs.size(), 2u);
    ASSERT_EQ(effect->passPrograms.size(), 2u);
    EXPECT_EQ(effect->passPrograms[1], (std::vector<int>{1, 0, 0}));
    EXPECT_EQ(effect->passPrograms[0], (std::vector<int>{0}));

    const fx::CompiledProgram& p = effect->programs[0];
    // std140 layout of the globals, reflected.
    const fx::UniformMember* wvp = member(p, *effect, "matWorldViewProjection");
    ASSERT_TRUE(wvp);
    EXPECT_EQ(wvp->offset % 16, 0u);
    EXPECT_EQ(wvp->matrixStride, 16u);
    // HLSL's default (column_major) packing: columns are contiguous.
    EXPECT_TRUE(wvp->columnsInMemory);
    const fx::UniformMember* alpha = member(p, *effect, "usealpha");
    ASSERT_TRUE(alpha);
    EXPECT_GE(p.blockSize, alpha->offset + 4);

    // Samplers: one unit each, bound to the texture of their sampler_state.
    ASSERT_EQ(p.samplers.size(), 2u);
    EXPECT_EQ(p.samplers[0].name, "sampler0");
    EXPECT_EQ(p.samplers[0].texture, effect->description.findParameter("tex0"));
    EXPECT_EQ(p.samplers[1].texture, effect->description.findParameter("tex1"));
    EXPECT_NE(p.fragmentGlsl.find("layout(binding = 1) uniform sampler2D sampler1;"), std::string::npos)
        << p.fragmentGlsl;

    // Inputs by the device's attribute locations, varyings by semantic.
    EXPECT_EQ(locationOf(p.vertexGlsl, "in", "gh_in_POSITION0"), 0) << p.vertexGlsl;
    EXPECT_EQ(locationOf(p.vertexGlsl, "in", "gh_in_TEXCOORD0"), 2);
    EXPECT_EQ(locationOf(p.vertexGlsl, "out", "gh_v_TEXCOORD0"), fx::varyingLocation("TEXCOORD0"));
    EXPECT_EQ(locationOf(p.vertexGlsl, "out", "gh_v_COLOR0"), fx::varyingLocation("COLOR0"));
    EXPECT_EQ(locationOf(p.fragmentGlsl, "in", "gh_v_COLOR0"), fx::varyingLocation("COLOR0"));
    EXPECT_EQ(locationOf(p.fragmentGlsl, "out", "gh_out0"), 0);
    // POSITION out is the clip position, shifted by half a pixel.
    EXPECT_NE(p.vertexGlsl.find("gl_Position = "), std::string::npos);
    EXPECT_NE(p.vertexGlsl.find("gl_Position.xy += gh_pixelOffset * gl_Position.w;"), std::string::npos);
    EXPECT_NE(p.fragmentGlsl.find("if (!gh_alphaPasses(gh_out0.a)) discard;"), std::string::npos);
}

TEST(EffectCompiler, StructMembersAndIndexedSemanticsAreBound) {
    std::string errors;
    auto effect = compile(fxtest::readData("Semantics.fx"), errors);
    ASSERT_TRUE(effect) << errors;
    const fx::CompiledProgram& p = effect->programs[0];
    const fx::UniformMember* first = member(p, *effect, "lights[0].color");
    const fx::UniformMember* second = member(p, *effect, "lights[1].color");
    ASSERT_TRUE(first && second && member(p, *effect, "material.rim.color"));
    EXPECT_EQ(second->offset - first->offset, 32u);  // std140: a float3 and a float4
    EXPECT_EQ(fxtest::param(effect->description, "material.rim.direction").cols, 3);
    // POSITION1, TEXCOORD8, BLENDWEIGHT1 and COLOR2 have no fixed location: each takes a
    // free one, which the device learns to feed from that usage.
    std::vector<int> taken{0};
    for (const fx::AttributeSlot& slot : p.attributeSlots) {
        EXPECT_EQ(std::count(taken.begin(), taken.end(), slot.location), 0);
        taken.push_back(slot.location);
        if (slot.usage == D3DDECLUSAGE_TEXCOORD && slot.usageIndex == 8)
            EXPECT_EQ(locationOf(p.vertexGlsl, "in", "gh_in_TEXCOORD8"), slot.location) << p.vertexGlsl;
    }
    EXPECT_EQ(taken.size(), 5u);
    EXPECT_EQ(locationOf(p.vertexGlsl, "out", "gh_v_BLENDWEIGHT0"),
              locationOf(p.fragmentGlsl, "in", "gh_v_BLENDWEIGHT0"));
}

TEST(EffectCompiler, MatrixInputsArrayOutputsAndInoutPositionsTakeTheirLocations) {
    // An instance matrix in TEXCOORD1..4, three taps in TEXCOORD1..3, the clip position
    // through an inout parameter.
    const char* src =
        "void VS(inout float4 p : POSITION, float4x4 world : TEXCOORD1, out float4 taps[3] : TEXCOORD1)\n"
        "{ p = mul(p, world); taps[0] = p; taps[1] = p * 2; taps[2] = p * 3; }\n"
        "float4 PS(float4 taps[3] : TEXCOORD1) : COLOR0 { return taps[0] + taps[2]; }\n"
        "technique T { pass P { VertexShader = compile vs_3_0 VS(); PixelShader = compile ps_3_0 PS(); } }\n";
    std::string errors;
    auto effect = compile(src, errors);
    ASSERT_TRUE(effect) << errors;
    const fx::CompiledProgram& p = effect->programs[0];
    ASSERT_EQ(p.attributeSlots.size(), 4u);
    for (std::size_t k = 0; k < 4; ++k) {
        EXPECT_EQ(p.attributeSlots[k].usageIndex, 1 + k);
        EXPECT_EQ(p.attributeSlots[k].location, p.attributeSlots[0].location + k);
    }
    EXPECT_NE(p.vertexGlsl.find("#define gh_outPosition gl_Position"), std::string::npos) << p.vertexGlsl;
    const int taps = locationOf(p.vertexGlsl, "out", "gh_v_TEXCOORD1\\[3\\]");
    EXPECT_EQ(taps, fx::varyingLocation("TEXCOORD1")) << p.vertexGlsl;
    EXPECT_EQ(locationOf(p.fragmentGlsl, "in", "gh_v_TEXCOORD1\\[3\\]"), taps) << p.fragmentGlsl;
}

TEST(EffectCompiler, StagesLinkBySemanticNotOrder) {
    // The pixel shader takes its inputs in the opposite order to the vertex outputs, and
    // spells COLOR0 as COLOR.
    const char* src =
        "struct V { float4 p : POSITION; float4 c : COLOR0; float2 uv : TEXCOORD1; };\n"
        "V VS(float4 p : POSITION, float2 uv : TEXCOORD0) { V o; o.p = p; o.c = p; o.uv = uv; return o; }\n"
        "float4 PS(float2 uv : TEXCOORD1, float4 c : COLOR) : COLOR { return c * uv.x; }\n"
        "technique T { pass P { VertexShader = compile vs_2_0 VS(); PixelShader = compile ps_2_0 PS(); } }\n";
    std::string errors;
    auto effect = compile(src, errors);
    ASSERT_TRUE(effect) << errors;
    const fx::CompiledProgram& p = effect->programs[0];
    EXPECT_EQ(locationOf(p.vertexGlsl, "out", "gh_v_TEXCOORD1"), locationOf(p.fragmentGlsl, "in", "gh_v_TEXCOORD1"));
    EXPECT_EQ(locationOf(p.vertexGlsl, "out", "gh_v_COLOR0"), locationOf(p.fragmentGlsl, "in", "gh_v_COLOR0"));
    EXPECT_NE(locationOf(p.fragmentGlsl, "in", "gh_v_COLOR0"), locationOf(p.fragmentGlsl, "in", "gh_v_TEXCOORD1"));
    EXPECT_EQ(p.blockSize, 0u);
}

// A source the shader compiler itself dies on (found by fuzzing: a postfix -- on an
// undeclared name passed to a function) is an error of the effect, not of the program.
TEST(EffectCompiler, SourceThatKillsTheCompilerIsACompileError) {
    std::string errors;
    auto effect = compile("float4x4 m;\nfloat4 VS(float4 p : POSITION) : POSITION { return mul(p, m--x); }\n"
                          "float4 PS() : COLOR { return 1; }\n"
                          "technique T { pass P { VertexShader = compile vs_2_0 VS();\n"
                          " PixelShader = compile ps_2_0 PS(); } }\n",
                          errors, "crash.fx");
    EXPECT_FALSE(effect);
    EXPECT_NE(errors.find("crash.fx: error: the shader compiler crashed on VS (vertex shader)"), std::string::npos)
        << errors;
    // The compiler is still there for the next file.
    errors.clear();
    EXPECT_TRUE(compile("float4x4 m;\nfloat4 VS(float4 p : POSITION) : POSITION { return mul(p, m); }\n"
                        "float4 PS() : COLOR { return 1; }\n"
                        "technique T { pass P { VertexShader = compile vs_2_0 VS();\n"
                        " PixelShader = compile ps_2_0 PS(); } }\n",
                        errors, "fine.fx"))
        << errors;
}

TEST(EffectCompiler, ErrorsNameTheFileAndLine) {
    std::string src = fxtest::readData("Showcase.fx");
    // Break the body of PSFlat (line 68 of the file).
    std::size_t at = src.find("return float4(uv, const1, 1);");
    ASSERT_NE(at, std::string::npos);
    src.replace(at, 6, "retrun");
    std::string errors;
    auto effect = compile(src, errors, "Tindermoot\\broken.fx");
    EXPECT_FALSE(effect);
    EXPECT_NE(errors.find("Tindermoot\\broken.fx(68): error: "), std::string::npos) << errors;

    errors.clear();
    effect = compile("float4 PS() : COLOR { return 1; }\n\ntechnique T { pass P {\n"
                     " VertexShader = compile vs_2_0 Missing();\n PixelShader = compile ps_2_0 PS(); } }\n",
                     errors, "x.fx");
    EXPECT_FALSE(effect);
    EXPECT_NE(errors.find("x.fx"), std::string::npos);
    EXPECT_NE(errors.find("Missing"), std::string::npos) << errors;

    // glslang's link message without a line ("Recursion detected", the calls on the lines
    // after it) becomes one that names the function and where it is.
    errors.clear();
    effect = compile("float f(float x) { return f(x); }\nfloat4 PS() : COLOR { return f(1); }\n"
                     "technique T { pass P { PixelShader = compile ps_2_0 PS(); } }\n",
                     errors, "r.fx");
    EXPECT_FALSE(effect);
    EXPECT_NE(errors.find("r.fx(1): error: 'f' calls itself"), std::string::npos) << errors;

    errors.clear();
    effect = compile("\n\ntechnique T { pass P { CullMode = Sideways; } }\n", errors, "y.fx");
    EXPECT_FALSE(effect);
    EXPECT_NE(errors.find("y.fx(3): error: "), std::string::npos) << errors;
}

TEST(EffectCompiler, SecondCompileComesFromTheCache) {
    std::string src = fxtest::readData("Showcase.fx") + "\n// cache probe\n";
    std::string errors;
    auto first = compile(src, errors);
    ASSERT_TRUE(first) << errors;
    auto second = compile(src, errors);
    EXPECT_EQ(first.get(), second.get());
    auto other = fx::compileEffect(src, "other.fx", {}, fxtest::attributeLocation, errors);
    EXPECT_NE(first.get(), other.get());
}

}  // namespace

#include <cstring>

#include "platform/d3dx9/effect/UniformBlock.h"

namespace {

TEST(EffectCompiler, ParameterValuesLandAtTheReflectedOffsets) {
    const char* src =
        "float weights[3] = {1, 2, 3};\n"
        "float2 offset = {4, 5};\n"
        "float4x4 world;\n"
        "row_major float4x4 rows;\n"
        "int count = 7;\n"
        "bool flag = true;\n"
        "float4 VS(float4 p : POSITION) : POSITION {\n"
        "  return mul(p, world) + mul(p, rows) + weights[0] + weights[2] + offset.y + count + flag;\n"
        "}\n"
        "float4 PS() : COLOR { return 1; }\n"
        "technique T { pass P { VertexShader = compile vs_2_0 VS(); PixelShader = compile ps_2_0 PS(); } }\n";
    std::string errors;
    auto effect = compile(src, errors);
    ASSERT_TRUE(effect) << errors;
    const fx::CompiledProgram& p = effect->programs.at(0);

    // Every parameter's words, D3DX order; the two matrices hold 0..15 and 100..115.
    std::vector<std::uint32_t> values, offsets;
    for (const fx::Parameter& param : effect->description.parameters) {
        offsets.push_back(static_cast<std::uint32_t>(values.size()));
        values.insert(values.end(), param.initial.begin(), param.initial.end());
    }
    auto setMatrix = [&](const char* name, float base) {
        std::size_t at = offsets[static_cast<std::size_t>(effect->description.findParameter(name))];
        for (int i = 0; i < 16; ++i) {
            float f = base + static_cast<float>(i);
            std::memcpy(&values[at + static_cast<std::size_t>(i)], &f, 4);
        }
    };
    setMatrix("world", 0.0f);
    setMatrix("rows", 100.0f);
    std::vector<std::uint8_t> block(p.blockSize, 0);
    fx::fillUniformBlock(*effect, p, values.data(), offsets, block);

    auto floatAt = [&](std::size_t at) {
        float f;
        std::memcpy(&f, block.data() + at, 4);
        return f;
    };
    auto wordAt = [&](std::size_t at) {
        std::uint32_t w;
        std::memcpy(&w, block.data() + at, 4);
        return w;
    };
    const fx::UniformMember* w = member(p, *effect, "weights");
    ASSERT_TRUE(w);
    EXPECT_EQ(w->arrayStride, 16u);  // std140 arrays of float
    EXPECT_EQ(floatAt(w->offset), 1.0f);
    EXPECT_EQ(floatAt(w->offset + 32), 3.0f);
    const fx::UniformMember* o = member(p, *effect, "offset");
    ASSERT_TRUE(o);
    EXPECT_EQ(floatAt(o->offset + 4), 5.0f);
    const fx::UniformMember* c = member(p, *effect, "count");
    ASSERT_TRUE(c);
    EXPECT_EQ(wordAt(c->offset), 7u);
    const fx::UniformMember* f = member(p, *effect, "flag");
    ASSERT_TRUE(f);
    EXPECT_EQ(wordAt(f->offset), 1u);
    // Default packing: the block holds columns, M(row 1, col 0) = 4 sits second.
    const fx::UniformMember* world = member(p, *effect, "world");
    ASSERT_TRUE(world);
    EXPECT_TRUE(world->columnsInMemory);
    EXPECT_EQ(floatAt(world->offset + 4), 4.0f);
    EXPECT_EQ(floatAt(world->offset + world->matrixStride), 1.0f);
    // row_major: the block holds rows, as D3DX keeps the matrix.
    const fx::UniformMember* rows = member(p, *effect, "rows");
    ASSERT_TRUE(rows);
    EXPECT_FALSE(rows->columnsInMemory);
    EXPECT_EQ(floatAt(rows->offset + 4), 101.0f);
    EXPECT_EQ(floatAt(rows->offset + rows->matrixStride), 104.0f);
}

}  // namespace
