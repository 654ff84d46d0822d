// The disco: background, floor, dancers, box and the overlays of every scene.
//   BackGround       screen grid: a slow plasma drawn through the colour map "tex1"
//                    (colormap01) with the glass tile "tex0" printed faintly over it.
//   DiscoFloor       the tile grid as a floor or a wall ("tex0", "tex1" as the passes say):
//                    pass 0  dark glossy tiles ("tex0" floorTexture) with the camera's
//                            highlight ("tex1" floorSpecular); opaque, writes depth.
//                    pass 1  the lit glass ("tex0" floorTile): each tile takes a colour
//                            and a light that change on every beat of "time"; semi-transparent, so what was drawn under it
//                            (the mirrored dancers) shows through. "const1" (the beat
//                            pulse of the box room) brightens it.
//                    pass 2  walls: a drifting coloured haze from "tex0", added.
//                    pass 3  walls: tile rims ("tex0" floorTile) lit as equalizer columns.
//   DiscoDancer      the dancer card, "tex0" char01. "const0" is the dancer's own phase
//                    (its distance and the time): sway, bounce and tint.
//                    pass 0  the reflection: drawn through "matMirror" (mirrored in the
//                            floor), faded and tinted, before the glass pass covers it.
//                    pass 1  the dancer.
//   DiscoBox         the box: "tex0" the panels (floorTexture), "tex1" a glass sheen
//                    (floorTile); "const1" the beat pulse swells it and lights its edges.
//                    pass 0  the dim far side (the show culls the near faces for it).
//                    pass 1  the glassy near side with glowing rims and highlights.
//   DiscoBox2        the hall of the equalizer from outside: "tex0" (floorTexture2) night sky
//                    with twinkling stars and glowing edges.
//   AdditiveOverlay  a picture over the whole screen: "tex0" at strength "const0" (0..1),
//                    alpha-blended; a non-zero "const1" makes it wobble slightly.
float4x4 matWorldViewProjection;
// The camera sends all of these; effects that do not use some still declare them.
float4x4 matView;
float4x4 matProjection;
float4x4 matViewProjection;
float3 CameraTarget = {0, 0, 0};
float4x4 matWorld;
float4x4 matMirror;
float3 CameraPosition = {0, -300, 100};
float time = 0;
float const0 = 1;
float const1 = 0;
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
sampler2D wrap1 = sampler_state
{
    Texture = <tex1>;
    MinFilter = Linear; MagFilter = Linear; MipFilter = Linear;
    AddressU = Wrap; AddressV = Wrap;
};
sampler2D clamp1 = sampler_state
{
    Texture = <tex1>;
    MinFilter = Linear; MagFilter = Linear; MipFilter = None;
    AddressU = Clamp; AddressV = Clamp;
};

static const float BEAT = 0.4625;     // seconds per beat of the music
static const float TILES = 19.0;      // tiles per side of the floor grid
static const float TILE_SIZE = 500.0 / 19.0;

float3 hue(float h)
{
    return saturate(abs(frac(h + float3(0.0, 2.0 / 3.0, 1.0 / 3.0)) * 6.0 - 3.0) - 1.0);
}

float hash(float n)
{
    return frac(sin(n * 12.9898 + 4.1414) * 43758.5453);
}

struct VS_IN { float3 pos : POSITION; float3 nrm : NORMAL; float2 uv : TEXCOORD0; };

// --- BackGround ---------------------------------------------------------------------

struct VS_BACK { float4 pos : POSITION; float2 xy : TEXCOORD0; };

VS_BACK VSBack(VS_IN i)
{
    VS_BACK o;
    o.pos = mul(float4(i.pos, 1), matWorldViewProjection);
    o.xy = i.pos.xy;
    return o;
}

float4 PSBack(VS_BACK i) : COLOR
{
    float2 p = i.xy;
    float v = sin(p.x * 0.019 + time * 0.9) + sin(p.y * 0.023 - time * 1.3)
            + sin((p.x + p.y) * 0.013 + time * 0.7) + sin(length(p) * 0.028 - time * 2.1);
    float3 plasma = tex2D(clamp1, float2(frac(v * 0.125 + time * 0.05), 0.45)).rgb;
    float tile = tex2D(wrap0, p / 64.0).r;
    float vignette = saturate(1.25 - length(p / float2(420.0, 320.0)));
    float spot = pow(saturate(1.0 - length(p - float2(180.0 * sin(time * 0.5), 120.0 * cos(time * 0.7))) / 260.0), 2.0);
    return float4(plasma * (0.14 + 0.08 * tile + 0.25 * spot) * vignette, 1.0);
}

technique BackGround
{
    pass P0
    {
        VertexShader = compile vs_2_0 VSBack();
        PixelShader = compile ps_2_0 PSBack();
        ZEnable = false; ZWriteEnable = false;
    }
}

// --- DiscoFloor ---------------------------------------------------------------------

struct VS_FLOOR
{
    float4 pos : POSITION;
    float2 grid : TEXCOORD0;    // position in tiles: the integer part is the tile's column, row
    float3 world : TEXCOORD1;
    float3 normal : TEXCOORD2;
};

// The tile grid numbers its tiles in the normal, but the first vertex of each tile carries
// the number of the tile before it; the tile is therefore found from the position, per pixel.
struct Tile
{
    float2 cell;    // column, row
    float2 local;   // 0..1 across the tile
    float number;   // row * 19 + column, the number the normal carries
};

Tile tileAt(float2 grid)
{
    Tile t;
    t.cell = clamp(floor(grid), 0.0, TILES - 1.0);
    t.local = grid - t.cell;
    t.number = t.cell.y * TILES + t.cell.x;
    return t;
}

VS_FLOOR VSFloor(VS_IN i)
{
    VS_FLOOR o;
    o.pos = mul(float4(i.pos, 1), matWorldViewProjection);
    o.grid = (i.pos.xy + 250.0) / TILE_SIZE;
    o.world = mul(float4(i.pos, 1), matWorld).xyz;
    // The normal's z is the grid's own (0, 0, 1); x and y hold the tile number.
    o.normal = mul(float4(0, 0, i.nrm.z, 0), matWorld).xyz;
    return o;
}

float4 PSFloorBase(VS_FLOOR i) : COLOR
{
    Tile t = tileAt(i.grid);
    float3 n = normalize(i.normal);
    float3 toEye = normalize(CameraPosition - i.world);
    float3 r = reflect(-toEye, n);
    float3 base = tex2D(wrap0, i.grid / 4.0).rgb;
    float3 glint = tex2D(clamp1, r.xy * 0.5 + 0.5).rgb * pow(saturate(abs(r.z)), 2.0);
    return float4(base * 0.3 + glint * 0.25, 1.0);
}

float tileLight(float tile, out float3 colour)
{
    float beat = time / BEAT;
    float b = floor(beat);
    float id = hash(tile);
    colour = hue(id + b * 0.17);
    float on = step(0.55, hash(tile * 1.37 + b * 3.1));
    return on * (0.45 + 0.9 * exp(-frac(beat) * 2.5));
}

float4 PSFloorGlass(VS_FLOOR i) : COLOR
{
    Tile t = tileAt(i.grid);
    float3 colour;
    float light = tileLight(t.number, colour) + 0.6 * saturate(const1);
    float glass = tex2D(clamp0, t.local).r;
    float3 toEye = normalize(CameraPosition - i.world);
    float3 n = normalize(i.normal);
    float sheen = tex2D(clamp1, t.local).r * pow(saturate(abs(dot(n, toEye))), 0.5);
    float3 c = colour * glass * (0.12 + light) + sheen * 0.08;
    return float4(c, 0.5 + 0.35 * saturate(light));
}

float4 PSWallHaze(VS_FLOOR i) : COLOR
{
    float2 uv = i.world.xz / 300.0 + float2(time * 0.03, -time * 0.05) + i.world.y / 500.0;
    float3 c = tex2D(wrap0, uv).rgb * hue(time * 0.05 + i.world.z * 0.001);
    return float4(c, 0.35);
}

float4 PSWallBars(VS_FLOOR i) : COLOR
{
    Tile t = tileAt(i.grid);
    float level = (0.5 + 0.5 * sin(time * 3.0 + t.cell.x * 0.7) * sin(time * 1.3 + t.cell.x * 0.23))
                * TILES * (0.7 + 0.3 * saturate(const1));
    float lit = step(t.cell.y, level);
    float rim = tex2D(clamp0, t.local).r;
    float3 c = hue(t.cell.y / TILES * 0.35 + 0.55) * rim * rim;
    return float4(c, lit * 0.8);
}

technique DiscoFloor
{
    pass P0
    {
        VertexShader = compile vs_3_0 VSFloor();
        PixelShader = compile ps_3_0 PSFloorBase();
        ZWriteEnable = true;
    }
    pass P1
    {
        VertexShader = compile vs_3_0 VSFloor();
        PixelShader = compile ps_3_0 PSFloorGlass();
        ZWriteEnable = false;
    }
    pass P2
    {
        VertexShader = compile vs_3_0 VSFloor();
        PixelShader = compile ps_3_0 PSWallHaze();
        ZWriteEnable = false;
        AlphaBlendEnable = true; SrcBlend = SrcAlpha; DestBlend = One;
    }
    pass P3
    {
        VertexShader = compile vs_3_0 VSFloor();
        PixelShader = compile ps_3_0 PSWallBars();
        ZWriteEnable = false;
        AlphaBlendEnable = true; SrcBlend = SrcAlpha; DestBlend = One;
    }
}

// --- DiscoDancer --------------------------------------------------------------------

struct VS_CARD { float4 pos : POSITION; float2 uv : TEXCOORD0; float h : TEXCOORD1; };

float3 dancePose(float3 p)
{
    float h = saturate(p.z / 72.0);   // 0 at the feet, 1 at the head
    p.x += sin(const0 * 2.7) * 10.0 * h * h + sin(const0 * 5.4 + h * 2.0) * 2.0 * h;
    p.z *= 1.0 + 0.06 * sin(const0 * 5.4);
    return p;
}

VS_CARD VSDancerMirror(VS_IN i)
{
    VS_CARD o;
    o.pos = mul(float4(dancePose(i.pos), 1), matMirror);
    o.uv = i.uv;
    o.h = saturate(i.pos.z / 72.0);
    return o;
}

VS_CARD VSDancer(VS_IN i)
{
    VS_CARD o;
    o.pos = mul(float4(dancePose(i.pos), 1), matWorldViewProjection);
    o.uv = i.uv;
    o.h = saturate(i.pos.z / 72.0);
    return o;
}

float4 PSDancerMirror(VS_CARD i) : COLOR
{
    float4 c = tex2D(clamp0, i.uv);
    float3 tint = lerp(float3(0.5, 0.55, 1.0), hue(const0 * 0.05), 0.3);
    return float4(c.rgb * tint, c.a * 0.55 * (1.0 - 0.8 * i.h));
}

float4 PSDancer(VS_CARD i) : COLOR
{
    float4 c = tex2D(clamp0, i.uv);
    float3 tint = lerp(float3(1, 1, 1), hue(const0 * 0.05), 0.3);
    return float4(c.rgb * tint * (1.0 + 0.25 * i.h), c.a);
}

technique DiscoDancer
{
    pass P0
    {
        VertexShader = compile vs_2_0 VSDancerMirror();
        PixelShader = compile ps_2_0 PSDancerMirror();
        ZWriteEnable = false;
    }
    pass P1
    {
        VertexShader = compile vs_2_0 VSDancer();
        PixelShader = compile ps_2_0 PSDancer();
        ZWriteEnable = false;
    }
}

// --- DiscoBox, DiscoBox2 ------------------------------------------------------------

struct VS_BOX
{
    float4 pos : POSITION;
    float2 uv : TEXCOORD0;
    float3 world : TEXCOORD1;
    float3 normal : TEXCOORD2;
};

VS_BOX VSBox(VS_IN i)
{
    VS_BOX o;
    float3 p = i.pos * (1.0 + 0.15 * saturate(const1));
    o.pos = mul(float4(p, 1), matWorldViewProjection);
    o.uv = i.uv;
    o.world = mul(float4(p, 1), matWorld).xyz;
    o.normal = mul(float4(i.nrm, 0), matWorld).xyz;
    return o;
}

// 1 on the edges of a face, 0 inside.
float faceEdge(float2 uv, float width)
{
    float2 d = min(uv, 1.0 - uv);
    return 1.0 - smoothstep(0.0, width, min(d.x, d.y));
}

float4 PSBoxBack(VS_BOX i) : COLOR
{
    float3 panel = tex2D(wrap0, i.uv).rgb;
    float3 colour = hue(time * 0.1 + i.world.z * 0.002);
    float3 c = panel * 0.3 + colour * faceEdge(i.uv, 0.06) * 0.5;
    return float4(c, 0.85);
}

float4 PSBoxFront(VS_BOX i) : COLOR
{
    float3 n = normalize(i.normal);
    float3 toEye = normalize(CameraPosition - i.world);
    float3 panel = tex2D(wrap0, i.uv).rgb;
    float glass = tex2D(clamp1, i.uv).r;
    float pulse = saturate(const1);
    float facing = abs(dot(n, toEye));
    float3 colour = hue(time * 0.1 + i.world.z * 0.002);
    float3 glow = colour * (faceEdge(i.uv, 0.07) * (0.9 + 1.6 * pulse) + glass * (0.12 + 0.35 * pulse));
    float glint = pow(saturate(dot(reflect(-toEye, n), normalize(float3(0.3, -0.4, 0.85)))), 20.0);
    float3 c = panel * (0.45 + 0.6 * facing) + glow + glint * 0.6;
    return float4(c, 0.7 + 0.3 * pulse);
}

float4 PSBoxSky(VS_BOX i) : COLOR
{
    float3 sky = tex2D(wrap0, i.uv * 2.0).rgb;
    float twinkle = 0.75 + 0.25 * sin(time * 5.0 + i.world.x * 0.05 + i.world.y * 0.07);
    return float4(sky * twinkle + float3(0.5, 0.3, 0.9) * faceEdge(i.uv, 0.02), 0.65);
}

technique DiscoBox
{
    pass P0
    {
        VertexShader = compile vs_3_0 VSBox();
        PixelShader = compile ps_3_0 PSBoxBack();
    }
    pass P1
    {
        VertexShader = compile vs_3_0 VSBox();
        PixelShader = compile ps_3_0 PSBoxFront();
    }
}

technique DiscoBox2
{
    pass P0
    {
        VertexShader = compile vs_3_0 VSBox();
        PixelShader = compile ps_3_0 PSBoxSky();
    }
}

// --- AdditiveOverlay ----------------------------------------------------------------

struct VS_SCREEN { float4 pos : POSITION; float2 uv : TEXCOORD0; };

VS_SCREEN VSScreen(VS_IN i)
{
    VS_SCREEN o;
    o.pos = mul(float4(i.pos, 1), matWorldViewProjection);
    o.uv = float2((i.pos.x + 320.0) / 640.0, (240.0 - i.pos.y) / 480.0);
    return o;
}

float4 PSOverlay(VS_SCREEN i) : COLOR
{
    float2 uv = i.uv;
    uv.x += sin(uv.y * 17.0 + time * 5.0) * 0.004 * saturate(abs(const1));
    float4 c = tex2D(clamp0, uv);
    return float4(c.rgb, c.a * saturate(const0));
}

technique AdditiveOverlay
{
    pass P0
    {
        VertexShader = compile vs_2_0 VSScreen();
        PixelShader = compile ps_2_0 PSOverlay();
        ZEnable = false;
        AlphaBlendEnable = true; SrcBlend = SrcAlpha; DestBlend = InvSrcAlpha; BlendOp = Add;
    }
}
