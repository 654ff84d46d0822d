// Effect syntax beyond the show's own files: constant sizes and values, compile
// arguments, shader variables, passes without shaders, indexed and fixed-function
// states, annotations, strings and shared parameters.
static const int kTaps = 2 * 3 - 1;
static const float kScale = 0.5;

shared float4x4 matViewProj : VIEWPROJECTION;
float3 lightDir < string UIName = "Light"; float UIMin = -1; int2 UISteps = {4, 8}; bool UIHidden = true; >
    = normalize(float3(1, 1, 1));
float weights[kTaps] = {1, 2, 3, 4, 5 * kScale};
int boneCount = 1;
string Caption < string Usage = "title"; > = "Glow" "worm";

struct VsOut {
    float4 pos : POSITION;
    float4 col : COLOR0;
};

VsOut VS(float4 p : POSITION, uniform int bones)
{
    VsOut o;
    o.pos = mul(p, matViewProj) * bones;
    o.col = float4(lightDir * weights[kTaps - 1], 1);
    return o;
}

float4 PS(float4 c : COLOR0, uniform bool dark, uniform float gain) : COLOR
{
    return dark ? c * gain : c;
}

VertexShader skinned[2] = { compile vs_2_0 VS(1), compile vs_2_0 VS(2) };
PixelShader darkPS = compile ps_2_0 PS(true, kScale * 2);

technique Bound < string Group = "tests"; int Order = 3; >
{
    pass Plain < float Weight = 0.25; >
    {
        VertexShader = compile vs_2_0 VS(1);
        PixelShader = compile ps_2_0 PS(false, 1.0);
        ZEnable = true;
        AlphaRef = kTaps * 10;
    }
    pass FromVariables
    {
        VertexShader = (skinned[boneCount]);
        PixelShader = <darkPS>;
        Lighting = FALSE;
        ColorOp[1] = Modulate;
        Sampler[0] = NULL;
        VertexShaderConstant4[kTaps] = <matViewProj>;
    }
}

technique Fixed
{
    pass NoShaders
    {
        VertexShader = NULL;
        PixelShader = NULL;
        WorldTransform[0] = <matViewProj>;
        CullMode = None;
    }
    pass VertexOnly { VertexShader = compile vs_2_0 VS(1); }
}
