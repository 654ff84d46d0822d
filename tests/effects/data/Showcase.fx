// A test effect in everyday D3DX style: several techniques, multi-pass, sampler
// states, annotations, comments and macros.
#define BRIGHTNESS 1.5
#define SCALE(x) ((x) * BRIGHTNESS)
#define USE_FOG

float4x4 matWorldViewProjection : WORLDVIEWPROJECTION;
float4x4 matWorld < string UIName = "World"; >;
float3 CameraPosition = {0.0, 1.0, -5.0};
float time = 0;
float const0 = 0.25f;
float const1 < float UIMin = 0; float UIMax = 1; > = -2 * 0.5;
float4 tint = float4(1, 0.5, 0.25, 1);
bool usealpha = true;
int mode = 3;

/* Textures with and without annotations. */
texture tex0 < string ResourceName = "floor.png"; >;
Texture tex1;

sampler2D sampler0 = sampler_state
{
    Texture = <tex0>;
    MinFilter = Linear; MAGFILTER = LINEAR;
    MipFilter = linear;
    AddressU = Clamp;
    AddressV = WRAP;
};

sampler sampler1 = sampler_state { Texture = (tex1); };

static const float PI = 3.14159265;

struct VS_INPUT
{
    float4 pos : POSITION;
    float2 uv  : TEXCOORD0;
};

struct VS_OUTPUT
{
    float4 pos : POSITION;
    float2 uv  : TEXCOORD0;
    float4 col : COLOR0;
};

VS_OUTPUT VS(VS_INPUT i)
{
    VS_OUTPUT o;
    o.pos = mul(i.pos, matWorldViewProjection);
    o.uv = i.uv;
    o.col = tint * SCALE(const0);
    return o;
}

float4 PS(VS_OUTPUT i) : COLOR
{
    float4 c = tex2D(sampler0, i.uv) * i.col;
#ifdef USE_FOG
    c.rgb += tex2D(sampler1, i.uv).rgb * sin(time * PI);
#endif
    if (usealpha) c.a = 1;
    return c;
}

float4 PSFlat(float2 uv : TEXCOORD0) : COLOR0
{
    return float4(uv, const1, 1);
}

technique Plain < string Description = "one pass"; >
{
    pass P0
    {
        VertexShader = compile vs_2_0 VS();
        PixelShader = compile ps_2_0 PS();
        ZENABLE = true;
        ZWriteEnable = FALSE;
        CullMode = None;
    }
}

technique AdditiveOverlay
{
    pass P0 < string Note = "first"; >
    {
        VertexShader = compile vs_2_0 VS();
        PixelShader  = compile ps_2_0 PSFlat();
        AlphaBlendEnable = True;
        SrcBlend = SrcAlpha;
        DestBlend = One;
        BlendOp = Add;
    }
    pass P1
    {
        VertexShader = compile vs_2_0 VS();
        PixelShader = compile ps_2_0 PS();
        AlphaBlendEnable = <usealpha>;
        SrcBlend = srcalpha;
        DestBlend = InvSrcAlpha;
        ZFunc = LessEqual;
        AlphaTestEnable = true;
        AlphaRef = 0x80;
        AlphaFunc = Greater;
    }
    pass
    {
        VertexShader = compile vs_2_0 VS();
        PixelShader = compile ps_2_0 PS();
        StencilEnable = true;
        StencilFunc = Always;
        StencilRef = 1;
        StencilPass = Replace;
        StencilFail = Keep;
        StencilZFail = Incr;
        StencilMask = 0xff;
        StencilWriteMask = 255;
        ColorWriteEnable = Red | Green | BLUE;
        FillMode = Wireframe;
        CullMode = CW;
    }
}
