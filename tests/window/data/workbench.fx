// The effect the workbench window test and the README picture use: a lit surface with
// stripes along u, a rim that a slider brightens, and a second technique that shows
// the normals.
float4x4 WorldViewProj : WORLDVIEWPROJECTION;
float4x4 World : WORLD;
float3 LightPosition;
float3 CameraPosition;
float Time : TIME;

float3 SurfaceColor : DIFFUSE <
    string UIName = "Surface colour";
> = {0.2, 0.45, 0.9};

float RimGlow <
    string UIName = "Rim glow";
    string UIHelp = "How bright the edge facing away from the camera glows";
    string UIWidget = "Slider";
    float UIMin = 0.0;
    float UIMax = 2.0;
    float UIStep = 0.05;
> = 0.0;

float StripeCount <
    string UIName = "Stripes";
    float UIMin = 1.0;
    float UIMax = 24.0;
    float UIStep = 1.0;
> = 8.0;

bool Animate < string UIName = "Move the stripes"; > = true;

struct VsIn {
    float4 position : POSITION;
    float3 normal : NORMAL;
    float2 uv : TEXCOORD0;
};
struct VsOut {
    float4 position : POSITION;
    float2 uv : TEXCOORD0;
    float3 normal : TEXCOORD1;
    float3 toLight : TEXCOORD2;
    float3 toEye : TEXCOORD3;
};

VsOut Vs(VsIn i)
{
    VsOut o;
    float3 world = mul(i.position, World).xyz;
    o.position = mul(i.position, WorldViewProj);
    o.uv = i.uv;
    o.normal = mul(i.normal, (float3x3)World);
    o.toLight = LightPosition - world;
    o.toEye = CameraPosition - world;
    return o;
}

float4 ShadedPs(VsOut i) : COLOR
{
    float3 n = normalize(i.normal);
    float diffuse = 0.15 + 0.85 * saturate(dot(n, normalize(i.toLight)));
    float shift = Animate ? Time * 0.1 : 0.0;
    float stripe = frac((i.uv.x + shift) * StripeCount) < 0.5 ? 1.0 : 0.55;
    float rim = pow(1.0 - saturate(dot(n, normalize(i.toEye))), 2.0) * RimGlow;
    return float4(SurfaceColor * diffuse * stripe + rim, 1.0);
}

float4 NormalsPs(VsOut i) : COLOR
{
    return float4(normalize(i.normal) * 0.5 + 0.5, 1.0);
}

technique Shaded
{
    pass P0
    {
        VertexShader = compile vs_2_0 Vs();
        PixelShader = compile ps_2_0 ShadedPs();
        ZEnable = true;
        CullMode = CCW;
    }
}

technique Normals
{
    pass P0
    {
        VertexShader = compile vs_2_0 Vs();
        PixelShader = compile ps_2_0 NormalsPs();
        ZEnable = true;
        CullMode = CCW;
    }
}
