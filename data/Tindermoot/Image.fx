// The opening scene: the dance floor scene, the flashing stage-light picture and the
// dancer laid over it.
//   db01        the picture "tex0" over the whole screen as added light; "const0" (0..1) is
//               the beat flash; "usealpha" on (once the dancer is on) keeps the beams up
//               between beats, off lets them live on the flash alone.
//   Dancer      the dancer picture on the screen grid; "const0" grows with time and jumps
//               on beats: it drives the sway, the bounce and the tint.
//   DanceFloor  the floor scene's meshes with their own pictures ("tex0" the surface,
//               "tex1" a colour ramp). Pass 1 is the show's: glass tiles lit in colours
//               that change on every beat of "time", a dark slab, a sparkling mirror ball.
//               Pass 0 is a plain lit preview of the same meshes.
float4x4 matWorldViewProjection;
// The camera sends all of these; effects that do not use some still declare them.
float4x4 matView;
float4x4 matProjection;
float4x4 matViewProjection;
float3 CameraTarget = {0, 0, 0};
float4x4 matWorld;
float3 CameraPosition = {0, 200, -200};
float time = 0;
float const0 = 0;
bool usealpha = false;
texture tex0;
texture tex1;

sampler2D sampler0 = sampler_state
{
    Texture = <tex0>;
    MinFilter = Linear; MagFilter = Linear; MipFilter = Linear;
    AddressU = Clamp; AddressV = Clamp;
};
sampler2D sampler1 = sampler_state
{
    Texture = <tex1>;
    MinFilter = Linear; MagFilter = Linear; MipFilter = None;
    AddressU = Wrap; AddressV = Clamp;
};

static const float BEAT = 0.4625;   // seconds per beat of the music

float3 hue(float h)
{
    return saturate(abs(frac(h + float3(0.0, 2.0 / 3.0, 1.0 / 3.0)) * 6.0 - 3.0) - 1.0);
}

float hash(float2 p)
{
    return frac(sin(dot(p, float2(12.9898, 78.233))) * 43758.5453);
}

struct VS_IN  { float3 pos : POSITION; float3 nrm : NORMAL; float2 uv : TEXCOORD0; };
struct VS_SCREEN { float4 pos : POSITION; float2 uv : TEXCOORD0; };

// --- db01 ---------------------------------------------------------------------------

VS_SCREEN VSScreen(VS_IN i)
{
    VS_SCREEN o;
    o.pos = mul(float4(i.pos, 1), matWorldViewProjection);
    o.uv = float2((i.pos.x + 320.0) / 640.0, (240.0 - i.pos.y) / 480.0);
    return o;
}

float4 PSFlash(VS_SCREEN i) : COLOR
{
    float4 c = tex2D(sampler0, i.uv);
    float flash = saturate(const0);
    float strength = usealpha ? 0.45 + 0.55 * flash : 0.1 + 0.9 * flash;
    return float4(c.rgb * (1.0 + 0.5 * flash), c.a * strength);
}

technique db01
{
    pass P0
    {
        VertexShader = compile vs_2_0 VSScreen();
        PixelShader = compile ps_2_0 PSFlash();
        ZEnable = false;
        AlphaBlendEnable = true; SrcBlend = SrcAlpha; DestBlend = One; BlendOp = Add;
    }
}

// --- Dancer -------------------------------------------------------------------------

VS_SCREEN VSDancer(VS_IN i)
{
    VS_SCREEN o;
    float h = saturate((i.pos.y + 250.0) / 256.0);   // 0 at the feet, 1 at the head
    float3 p = i.pos;
    p.x += sin(const0 * 2.2) * 22.0 * h * h + sin(const0 * 4.4 + h * 3.0) * 4.0 * h;
    p.y = -250.0 + (p.y + 250.0) * (1.0 + 0.05 * sin(const0 * 4.4));
    o.pos = mul(float4(p, 1), matWorldViewProjection);
    o.uv = float2(i.uv.x, 1.0 + i.uv.y);   // grid v runs 0 (bottom) to -1 (top)
    return o;
}

float4 PSDancer(VS_SCREEN i) : COLOR
{
    float4 c = tex2D(sampler0, i.uv);
    float3 tint = lerp(float3(1, 1, 1), hue(const0 * 0.07), 0.35);
    return float4(c.rgb * tint * 1.1, c.a);
}

technique Dancer
{
    pass P0
    {
        VertexShader = compile vs_2_0 VSDancer();
        PixelShader = compile ps_2_0 PSDancer();
        ZEnable = false;
        AlphaBlendEnable = true; SrcBlend = SrcAlpha; DestBlend = InvSrcAlpha; BlendOp = Add;
    }
}

// --- DanceFloor ---------------------------------------------------------------------

struct VS_WORLD
{
    float4 pos : POSITION;
    float2 uv : TEXCOORD0;
    float3 world : TEXCOORD1;
    float3 normal : TEXCOORD2;
    float3 centre : TEXCOORD3;
    float3 place : TEXCOORD4;
};

VS_WORLD VSWorld(VS_IN i)
{
    VS_WORLD o;
    o.pos = mul(float4(i.pos, 1), matWorldViewProjection);
    o.uv = i.uv;
    o.world = mul(float4(i.pos, 1), matWorld).xyz;
    o.normal = mul(float4(i.nrm, 0), matWorld).xyz;
    o.centre = mul(float4(0, 0, 0, 1), matWorld).xyz;   // where this mesh stands
    // The same place with the floor's turn taken back out, so that a tile keeps its
    // colour while the floor turns: (centre x R^T), R the turn in matWorld.
    o.place = mul(matWorld, float4(o.centre, 0)).xyz;
    return o;
}

float4 PSPreview(VS_WORLD i) : COLOR
{
    float3 n = normalize(i.normal);
    float light = 0.3 + 0.7 * saturate(dot(n, normalize(float3(0.3, 1.0, -0.4))));
    return float4(tex2D(sampler0, i.uv).rgb * light, 1.0);
}

float4 PSDanceFloor(VS_WORLD i) : COLOR
{
    float3 n = normalize(i.normal);
    float3 toEye = normalize(CameraPosition - i.world);
    float3 surface = tex2D(sampler0, i.uv).rgb;
    float beat = time / BEAT;
    float sinceBeat = frac(beat);
    float3 colour;
    if (i.centre.y > 50.0)
    {
        // The mirror ball: each facet catches one of four turning lights.
        float3 r = reflect(-toEye, n);
        float sparkle = 0.0;
        for (int k = 0; k < 4; ++k)
        {
            float a = time * 0.7 + k * 1.5708;
            float3 l = normalize(float3(cos(a), 0.5 * sin(time + k), sin(a)));
            sparkle += pow(saturate(dot(r, l)), 60.0);
        }
        float3 tint = tex2D(sampler1, float2(frac(time * 0.1 + n.y * 0.3), 0.5)).rgb;
        colour = surface * (0.25 + 0.2 * tint) + sparkle * lerp(float3(1, 1, 1), tint, 0.4) * 2.0;
    }
    else if (length(i.centre.xz) < 1.0)
    {
        // The slab under the tiles: dark, with a soft colour wash running round.
        float wash = 0.5 + 0.5 * sin(atan2(i.world.z, i.world.x) * 3.0 - time * 2.0);
        float3 tint = tex2D(sampler1, float2(frac(time * 0.05), 0.5)).rgb;
        colour = float3(0.03, 0.02, 0.06) + tint * 0.12 * wash * saturate(n.y);
    }
    else
    {
        // A glass tile: its own colour from the ramp, a new one on every beat; about half
        // of the tiles light up on each beat and fade until the next.
        float id = hash(floor(i.place.xz / 30.0));   // tile centres lie half-way between multiples of 30
        float beatIndex = floor(beat);
        float3 tint = tex2D(sampler1, float2(frac(id + beatIndex * 0.13), 0.5)).rgb;
        float on = step(0.45, frac(id * 7.13 + beatIndex * 0.618));
        float glow = 0.18 + on * (0.5 + 1.1 * exp(-sinceBeat * 3.0));
        float top = saturate(n.y);
        float3 glint = pow(saturate(dot(reflect(-toEye, n), normalize(float3(0.2, 1.0, 0.3)))), 24.0);
        colour = (0.3 + 0.7 * surface) * tint * glow * (0.45 + 0.55 * top) + glint * 0.4;
    }
    return float4(colour, 1.0);
}

technique DanceFloor
{
    pass P0
    {
        VertexShader = compile vs_3_0 VSWorld();
        PixelShader = compile ps_3_0 PSPreview();
        ZEnable = true; ZWriteEnable = true; CullMode = CCW;
        AlphaBlendEnable = false;
    }
    pass P1
    {
        VertexShader = compile vs_3_0 VSWorld();
        PixelShader = compile ps_3_0 PSDanceFloor();
        ZEnable = true; ZWriteEnable = true; CullMode = CCW;
        AlphaBlendEnable = false;
    }
}
