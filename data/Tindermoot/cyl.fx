// The tunnel.
//   DiscoCylinder  the spinning tube seen from inside.
//                  pass 0  dark glossy panels ("tex0" floorTexture) lit by rings of light
//                          that race along the tube with "time"; "tex1" (floorSpecular)
//                          adds a highlight to each panel. Opaque.
//                  pass 1  the tiles ("tex0" floorTile) flash on in coloured spirals, added
//                          on top, fading into the distance.
//   Plane01        a greeting plate: "tex0" holds 4 x 4 cells of greetings (256 x 64 pixels
//                  each) and "const0", the plate's number, picks the cell (number modulo
//                  16). Plates numbered beyond the row (2^32 for the ones already gone)
//                  stay invisible. The plate shimmers with "time".
float4x4 matWorldViewProjection;
// The camera sends all of these; effects that do not use some still declare them.
float4x4 matView;
float4x4 matProjection;
float4x4 matViewProjection;
float3 CameraTarget = {0, 0, 0};
float4x4 matWorld;
float3 CameraPosition = {-600, 0, 0};
float time = 0;
float const0 = 0;
texture tex0;
texture tex1;

sampler2D wrap0 = sampler_state
{
    Texture = <tex0>;
    MinFilter = Linear; MagFilter = Linear; MipFilter = Linear;
    AddressU = Wrap; AddressV = Wrap;
};
sampler2D clamp0 = sampler_state
{
    Texture = <tex0>;
    MinFilter = Linear; MagFilter = Linear; MipFilter = None;
    AddressU = Clamp; AddressV = Clamp;
};
sampler2D clamp1 = sampler_state
{
    Texture = <tex1>;
    MinFilter = Linear; MagFilter = Linear; MipFilter = None;
    AddressU = Clamp; AddressV = Clamp;
};

float3 hue(float h)
{
    return saturate(abs(frac(h + float3(0.0, 2.0 / 3.0, 1.0 / 3.0)) * 6.0 - 3.0) - 1.0);
}

struct VS_IN { float3 pos : POSITION; float3 nrm : NORMAL; float2 uv : TEXCOORD0; };

struct VS_TUBE
{
    float4 pos : POSITION;
    float2 uv : TEXCOORD0;
    float along : TEXCOORD1;    // x along the tube
    float dist : TEXCOORD2;     // distance from the eye
};

VS_TUBE VSTube(VS_IN i)
{
    VS_TUBE o;
    o.pos = mul(float4(i.pos, 1), matWorldViewProjection);
    o.uv = i.uv * float2(4.0, 1.0);   // 16 panels around, one per 60 units along
    o.along = i.pos.x;
    float3 world = mul(float4(i.pos, 1), matWorld).xyz;
    o.dist = length(world - CameraPosition);
    return o;
}

float4 PSTubeWall(VS_TUBE i) : COLOR
{
    float phase = i.along * 0.03 - time * 7.0;
    float ring = pow(0.5 + 0.5 * cos(phase), 10.0);
    float3 ringColour = hue(floor(phase / 6.2831853) * 0.13 + 0.6);
    float3 panel = tex2D(wrap0, i.uv).rgb;
    float glint = tex2D(clamp1, frac(i.uv)).r;
    float fog = exp(-i.dist / 650.0);
    float3 c = panel * (0.25 + 1.4 * ring * ringColour) + glint * glint * 0.15 + ringColour * ring * 0.35;
    return float4(c * fog, 1.0);
}

float4 PSTubeTiles(VS_TUBE i) : COLOR
{
    float2 cell = floor(i.uv);
    float spiral = frac((cell.x + cell.y) / 8.0 - time * 1.1);
    float on = pow(spiral, 6.0);
    float tile = tex2D(wrap0, i.uv).r;
    float fog = exp(-i.dist / 500.0);
    float3 c = hue(cell.y * 0.07 + time * 0.2) * tile * tile * on * 1.2;
    return float4(c * fog, 1.0);
}

technique DiscoCylinder
{
    pass P0
    {
        VertexShader = compile vs_2_0 VSTube();
        PixelShader = compile ps_2_0 PSTubeWall();
        AlphaBlendEnable = false;
    }
    pass P1
    {
        VertexShader = compile vs_2_0 VSTube();
        PixelShader = compile ps_2_0 PSTubeTiles();
        AlphaBlendEnable = true; SrcBlend = One; DestBlend = One; BlendOp = Add;
    }
}

struct VS_PLATE { float4 pos : POSITION; float2 uv : TEXCOORD0; };

VS_PLATE VSPlate(VS_IN i)
{
    VS_PLATE o;
    o.pos = mul(float4(i.pos, 1), matWorldViewProjection);
    o.uv = i.uv;
    return o;
}

float4 PSPlate(VS_PLATE i) : COLOR
{
    float n = fmod(const0, 16.0);
    float2 cell = float2(fmod(n, 4.0), floor(n / 4.0));
    float2 uv = (cell + clamp(i.uv, 0.01, 0.99)) / 4.0;
    float4 c = tex2D(clamp0, uv);
    float shimmer = 1.0 + 0.35 * pow(0.5 + 0.5 * sin(time * 3.0 + const0 * 0.9 - i.uv.x * 4.0), 8.0);
    float shown = const0 < 1000.0 ? 1.0 : 0.0;
    return float4(c.rgb * shimmer, c.a * shown);
}

technique Plane01
{
    pass P0
    {
        VertexShader = compile vs_2_0 VSPlate();
        PixelShader = compile ps_2_0 PSPlate();
        CullMode = None;
    }
}
