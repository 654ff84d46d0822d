// Effects for the pixel tests: one technique per render-state case.
float4x4 matWorldViewProjection;
float4 color = float4(1, 1, 1, 1);
texture tex0;

sampler2D texSampler = sampler_state
{
    Texture = <tex0>;
    MinFilter = Point;
    MagFilter = Point;
    MipFilter = None;
    AddressU = Clamp;
    AddressV = Clamp;
};

struct VS_INPUT  { float3 pos : POSITION; float2 uv : TEXCOORD0; };
struct VS_OUTPUT { float4 pos : POSITION; float2 uv : TEXCOORD0; };

VS_OUTPUT VS(VS_INPUT i)
{
    VS_OUTPUT o;
    o.pos = mul(float4(i.pos, 1), matWorldViewProjection);
    o.uv = i.uv;
    return o;
}

float4 PSTexture(VS_OUTPUT i) : COLOR { return tex2D(texSampler, i.uv); }
float4 PSColor(VS_OUTPUT i) : COLOR { return color; }

#define PASS_SHADERS(ps) VertexShader = compile vs_2_0 VS(); PixelShader = compile ps_2_0 ps();

technique Textured
{
    pass P0 { PASS_SHADERS(PSTexture) ZEnable = false; CullMode = None; AlphaBlendEnable = false; }
}
technique Solid
{
    pass P0 { PASS_SHADERS(PSColor) ZEnable = true; ZWriteEnable = true; ZFunc = LessEqual; CullMode = None; }
}
technique NoDepth
{
    pass P0 { PASS_SHADERS(PSColor) ZEnable = false; CullMode = None; }
}
technique Blend
{
    pass P0
    {
        PASS_SHADERS(PSColor)
        ZEnable = false; CullMode = None;
        AlphaBlendEnable = true; SrcBlend = SrcAlpha; DestBlend = InvSrcAlpha; BlendOp = Add;
    }
}
technique CullCW  { pass P0 { PASS_SHADERS(PSColor) ZEnable = false; CullMode = CW; } }
technique CullCCW { pass P0 { PASS_SHADERS(PSColor) ZEnable = false; CullMode = CCW; } }
technique Plain   { pass P0 { PASS_SHADERS(PSColor) } }
technique AlphaTest
{
    pass P0 { PASS_SHADERS(PSColor) ZEnable = false; CullMode = None; AlphaTestEnable = true; AlphaRef = 128; AlphaFunc = Greater; }
}
technique RedOnly
{
    pass P0 { PASS_SHADERS(PSColor) ZEnable = false; CullMode = None; ColorWriteEnable = Red; }
}

// The vertex shader writes four components of TEXCOORD0, the pixel shader reads two.
struct WIDE_OUTPUT { float4 pos : POSITION; float4 uv : TEXCOORD0; float3 spare : NORMAL; };
WIDE_OUTPUT VSWide(VS_INPUT i)
{
    WIDE_OUTPUT o;
    o.pos = mul(float4(i.pos, 1), matWorldViewProjection);
    o.uv = float4(i.uv, 0.5, 1);
    o.spare = i.pos;
    return o;
}
float4 PSNarrow(float2 uv : TEXCOORD0) : COLOR { return float4(uv, 0, 1); }
technique Widened
{
    pass P0 { VertexShader = compile vs_2_0 VSWide(); PixelShader = compile ps_2_0 PSNarrow(); ZEnable = false; CullMode = None; }
}

// An array output fills consecutive semantics (TEXCOORD0, TEXCOORD1); the pixel shader
// reads four components of each, of which the vertex shader writes two.
struct ARRAY_OUTPUT { float4 pos : POSITION; float2 uv[2] : TEXCOORD0; };
ARRAY_OUTPUT VSArray(VS_INPUT i)
{
    ARRAY_OUTPUT o;
    o.pos = mul(float4(i.pos, 1), matWorldViewProjection);
    o.uv[0] = i.uv;
    o.uv[1] = 1 - i.uv;
    return o;
}
float4 PSWide(float4 a : TEXCOORD0, float4 b : TEXCOORD1) : COLOR { return float4(a.x, b.y, a.z + 0.5 * b.w, 1); }
technique Narrowed
{
    pass P0 { VertexShader = compile vs_2_0 VSArray(); PixelShader = compile ps_2_0 PSWide(); ZEnable = false; CullMode = None; }
}

// The same transform from a matrix declared row_major.
row_major float4x4 matRowMajor;
VS_OUTPUT VSRowMajor(VS_INPUT i)
{
    VS_OUTPUT o;
    o.pos = mul(float4(i.pos, 1), matRowMajor);
    o.uv = i.uv;
    return o;
}
technique RowMajor
{
    pass P0 { VertexShader = compile vs_2_0 VSRowMajor(); PixelShader = compile ps_2_0 PSColor(); ZEnable = false; CullMode = None; }
}

// Initializers fxc takes and glslang does not: a flat list for an array of vectors, a
// vector cast to an array, and a constructor assigned to (its parts split across names).
float4 PSInitForms(VS_OUTPUT i) : COLOR
{
    float4 table[2] = { 0.25, 0.5, 0.75, 1,
                        1, 0.75, 0.5, 0.25 };
    float3 rgb = float3(0.25, 0.5, 0.75);
    float parts[3] = (float[3]) rgb;
    float2 rg, unused;
    float b;
    float3( rg, b ) = float3(parts[0], parts[1], table[0].z);
    return float4(rg, b, table[1].w * 4);
}
technique InitForms
{
    pass P0 { PASS_SHADERS(PSInitForms) ZEnable = false; CullMode = None; }
}

// A pixel shader picked from an array by an int parameter each time the pass begins.
int shade = 0;
float4 PSRed(VS_OUTPUT i) : COLOR { return float4(1, 0, 0, 1); }
float4 PSGreen(VS_OUTPUT i) : COLOR { return float4(0, 1, 0, 1); }
PixelShader shades[2] = { compile ps_2_0 PSRed(), compile ps_2_0 PSGreen() };
technique Chosen
{
    pass P0 { VertexShader = compile vs_2_0 VS(); PixelShader = (shades[shade]); ZEnable = false; CullMode = None; }
}
