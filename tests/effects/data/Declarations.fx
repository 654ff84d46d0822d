// Declarations as files from other projects write them: several names in one
// statement, arrays sized by their values, initial values folded with intrinsics,
// swizzles, casts and the comma operator, D3D10's sampler Filter, blocks whose last
// state has no ';', a pixel input read from VPOS through a struct, a scalar bound to a
// vector parameter, entries of a local matrix picked together, and texbeml.
shared texture albedoTex, bumpTex < string ResourceName = "bump.png"; >, glowTex : GLOW;
float gain = 2, bias : BIAS < float UIMin = -1; > = 0.25;
float4 viewport = float4(640, 480, 0, 1);
float width = viewport.x, texel = 1 / viewport.y;
float pi = acos(-1);
float3 scale = (1, 2, 3);
float2 corner = float4(5, 6, 7, 8).zy;
int truncated = (int)2.75;
float lengths = length(float2(3, 4)) + atan2(0, 1);
float ramp[] = { 0.5, 1, (float)viewport.y / 480 };
float2 pairs[] = { 1, 2, 3, 4 };
static const int kPick[] = { 3, 1, 2 };
float picked = kPick[1] + pairs[1].y;

sampler2D albedo = sampler_state {
    Texture = <albedoTex>;
    Filter = MIN_MAG_MIP_LINEAR;
    MinFilter = Linear;
    AddressU = Clamp
};
sampler2D glow = sampler_state { Texture = <glowTex>; MagFilter = Point; Filter = NONE; BorderColor = {1, 0.5, 0, 1} };

struct PsIn {
    float2 pos : VPOS;
    float2 uv : TEXCOORD0;
};

float4 VS(float4 p : POSITION, inout float2 uv : TEXCOORD0) : POSITION
{
    float4x4 m = float4x4(p, p, p, p);
    return float4(m._m30_m31_m32, 1) * gain + bias;
}

float4 PS(PsIn i, uniform float2 shift) : COLOR
{
    float w = ramp[kPick[2] - 1] * width;
    return tex2D(albedo, i.uv + shift) * tex2D(glow, i.pos * texel) * w + scale.x * pi;
}

technique Declared
{
    pass P0
    {
        VertexShader = compile vs_3_0 VS();
        PixelShader = compile ps_3_0 PS(0);
        CullMode = None
    }
}

technique Bumped
{
    pass P0
    {
        BumpEnvLScale[1] = <0.25 * 2>;
        PixelShader = asm { ps_1_1
            tex t0
            texbeml t1, t0
            mov r0, t1 };
    }
}
