// Rasteriser, blending and sampler states set through passes and sampler_state blocks.
float4x4 matWorldViewProjection;
float4 color = float4(1, 1, 1, 1);
texture checker;

sampler2D bordered = sampler_state
{
    Texture = <checker>;
    MinFilter = Point; MagFilter = Point; MipFilter = None;
    AddressU = Border; AddressV = Border;
    BorderColor = 0xff00ff00;
};
sampler2D mirroredOnce = sampler_state
{
    Texture = <checker>;
    MinFilter = Point; MagFilter = Point; MipFilter = None;
    AddressU = MirrorOnce; AddressV = Clamp;
};
sampler2D biased = sampler_state
{
    Texture = <checker>;
    MinFilter = Point; MagFilter = Point; MipFilter = Point;
    MipMapLodBias = 1.0;
};
sampler2D detailLimited = sampler_state
{
    Texture = <checker>;
    MinFilter = Point; MagFilter = Point; MipFilter = Point;
    MaxMipLevel = 1;
};
sampler2D heldLevel = sampler_state
{
    Texture = <checker>;
    MinFilter = Point; MagFilter = Point; MipFilter = None;
    MaxMipLevel = 1;
};
sampler2D decoded = sampler_state
{
    Texture = <checker>;
    MinFilter = Point; MagFilter = Point; MipFilter = None;
    SRGBTexture = true;
};
sampler2D plain = sampler_state
{
    Texture = <checker>;
    MinFilter = Point; MagFilter = Point; MipFilter = Point;
    MaxAnisotropy = 4;
};

// A cube map read along one direction, the same for every pixel.
textureCUBE environment;
float3 lookDirection = float3(0, 0, 1);
samplerCUBE cubeFaces = sampler_state
{
    Texture = <environment>;
    MinFilter = Point; MagFilter = Point; MipFilter = None;
};

struct VertexIn { float3 pos : POSITION; float2 uv : TEXCOORD0; };
struct VertexOut { float4 pos : POSITION; float2 uv : TEXCOORD0; };

VertexOut Transform(VertexIn i)
{
    VertexOut o;
    o.pos = mul(float4(i.pos, 1), matWorldViewProjection);
    o.uv = i.uv;
    return o;
}

// Points sized by the shader.
struct PointOut { float4 pos : POSITION; float size : PSIZE; };
PointOut Sized(VertexIn i)
{
    PointOut o;
    o.pos = mul(float4(i.pos, 1), matWorldViewProjection);
    o.size = 7;
    return o;
}

float4 Flat(VertexOut i) : COLOR { return color; }
float4 Bordered(VertexOut i) : COLOR { return tex2D(bordered, i.uv); }
float4 MirroredOnce(VertexOut i) : COLOR { return tex2D(mirroredOnce, i.uv); }
float4 Biased(VertexOut i) : COLOR { return tex2D(biased, i.uv); }
float4 DetailLimited(VertexOut i) : COLOR { return tex2D(detailLimited, i.uv); }
float4 HeldLevel(VertexOut i) : COLOR { return tex2D(heldLevel, i.uv); }
float4 Decoded(VertexOut i) : COLOR { return tex2D(decoded, i.uv); }
float4 Plain(VertexOut i) : COLOR { return tex2D(plain, i.uv); }
// D3D9's system values: the pixel's position (centres on integers, rows from the top)
// and its facing (+1 front, -1 back).
float4 PixelPosition(float2 p : VPOS) : COLOR { return float4(p.x / 64, p.y / 64, 0, 1); }
float4 Facing(float side : VFACE) : COLOR { return side > 0 ? float4(0, 1, 0, 1) : float4(-side, 0, 0, 1); }
float4 CubeLook(VertexOut i) : COLOR { return texCUBE(cubeFaces, lookDirection); }

#define SHADERS(ps) VertexShader = compile vs_2_0 Transform(); PixelShader = compile ps_2_0 ps();

technique Flat { pass { SHADERS(Flat) ZEnable = false; CullMode = None; } }
technique SizedPoints
{
    pass { VertexShader = compile vs_2_0 Sized(); PixelShader = compile ps_2_0 Flat(); ZEnable = false; }
}
technique Depth { pass { SHADERS(Flat) ZEnable = true; ZWriteEnable = true; ZFunc = LessEqual; CullMode = None; } }
technique Bordered { pass { SHADERS(Bordered) ZEnable = false; CullMode = None; } }
technique MirroredOnce { pass { SHADERS(MirroredOnce) ZEnable = false; CullMode = None; } }
technique Biased { pass { SHADERS(Biased) ZEnable = false; CullMode = None; } }
technique DetailLimited { pass { SHADERS(DetailLimited) ZEnable = false; CullMode = None; } }
technique HeldLevel { pass { SHADERS(HeldLevel) ZEnable = false; CullMode = None; } }
technique Decoded { pass { SHADERS(Decoded) ZEnable = false; CullMode = None; } }
technique Plain { pass { SHADERS(Plain) ZEnable = false; CullMode = None; } }
technique PixelPosition { pass { VertexShader = compile vs_3_0 Transform(); PixelShader = compile ps_3_0 PixelPosition(); ZEnable = false; CullMode = None; } }
technique Facing { pass { VertexShader = compile vs_3_0 Transform(); PixelShader = compile ps_3_0 Facing(); ZEnable = false; CullMode = None; } }
technique CulledFlat { pass { SHADERS(Flat) ZEnable = false; CullMode = CCW; } }
technique CubeLook { pass { SHADERS(CubeLook) ZEnable = false; CullMode = None; } }

// Every state of the pass, for the trace.
technique AllStates
{
    pass
    {
        SHADERS(Flat)
        FillMode = Wireframe;
        DepthBias = -0.001;
        SlopeScaleDepthBias = 2;
        ScissorTestEnable = true;
        ColorWriteEnable1 = Red | Green;
        TwoSidedStencilMode = true;
        CCW_StencilFail = Zero;
        CCW_StencilZFail = Invert;
        CCW_StencilPass = IncrSat;
        CCW_StencilFunc = NotEqual;
        SeparateAlphaBlendEnable = true;
        SrcBlendAlpha = BlendFactor;
        DestBlendAlpha = InvSrcAlpha;
        BlendOpAlpha = RevSubtract;
        BlendFactor = 0x80402010;
        SRGBWriteEnable = true;
        PointSize = 4.5;
        PointSize_Max = 16;
        MultiSampleMask = 0x5;
        ClipPlaneEnable = 3;
        ShadeMode = Flat;
        Wrap0 = 1;
    }
}
