// The loading screen.
//   tull  the loading picture on the full-screen quad. "var1" fades it: 1 shows the
//         picture, 0 is black; while it fades the picture also sinks back a little.
float4x4 matWorldViewProjection;
// The camera sends all of these; effects that do not use some still declare them.
float4x4 matView;
float4x4 matProjection;
float4x4 matViewProjection;
float3 CameraPosition = {0, 0, -100};
float3 CameraTarget = {0, 0, 0};
float var1 = 1.0;   // fade, 1 = full picture
texture tex0;       // the loading picture

sampler2D picture = sampler_state
{
    Texture = <tex0>;
    MinFilter = Linear; MagFilter = Linear; MipFilter = None;
    AddressU = Clamp; AddressV = Clamp;
};

struct VS_IN  { float3 pos : POSITION; float3 nrm : NORMAL; float2 uv : TEXCOORD0; };
struct VS_OUT { float4 pos : POSITION; float2 uv : TEXCOORD0; };

VS_OUT VS(VS_IN i)
{
    VS_OUT o;
    o.pos = mul(float4(i.pos, 1), matWorldViewProjection);
    // The quad overlaps the 640 x 480 screen by 2 units: map the picture to the screen.
    o.uv = float2((i.pos.x + 320.0) / 640.0, (240.0 - i.pos.y) / 480.0);
    return o;
}

float4 PS(VS_OUT i) : COLOR
{
    float f = saturate(var1);
    float2 uv = 0.5 + (i.uv - 0.5) * (0.94 + 0.06 * f);
    float3 c = tex2D(picture, uv).rgb;
    return float4(c * f * f * (3.0 - 2.0 * f), 1.0);
}

technique tull
{
    pass P0
    {
        VertexShader = compile vs_2_0 VS();
        PixelShader = compile ps_2_0 PS();
        ZEnable = false;
        AlphaBlendEnable = false;
    }
}
