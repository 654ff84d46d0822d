// The equalizer and the finale.
//   TextPlane   the tile grid lying in the plane z = 1 of the equalizer, a mosaic of tiles
//               that rise in waves with "time" (scene time, seconds).
//               pass 0  each tile a piece of "tex0" (floorTexture) with "tex1"'s highlight.
//               pass 1  the tiles' rims ("tex0" floorTile) lit in rolling colours, added,
//                       with a warm glint from "tex2" (floorSpecular2) in the middle.
//   Stencil     the light curtain behind the bars: vertical laser lines and a sweeping
//               scan line, added, writing no depth.
//   GreetFloor  the finale's screen of tiles.
//               pass 0  the starry sky ("tex0" floorTexture2) as a mosaic; the greetings
//                       ("tex1") brighten tile by tile in a wave, rims from "tex2" (floorTile).
//               pass 1  over the sculpture: a few tiles flash as glints.
//   PlanB       the sculpture of the finale. The show draws it still; the effect moves it
//               with "time": it breathes, twists and shines in colours that wander.
//               pass 0  plain lit preview; pass 1  the show's look, "tex2" (floorTile)
//               printed on every facet.
float4x4 matWorldViewProjection;
// The camera sends all of these; effects that do not use some still declare them.
float4x4 matView;
float4x4 matProjection;
float3 CameraTarget = {0, 0, 0};
float4x4 matViewProjection;
float4x4 matWorld;
float3 CameraPosition = {0, -120, 60};
float time = 0;
texture tex0;
texture tex1;
texture tex2;

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
sampler2D clamp2 = sampler_state
{
    Texture = <tex2>;
    MinFilter = Linear; MagFilter = Linear; MipFilter = None;
    AddressU = Clamp; AddressV = Clamp;
};

float3 hue(float h)
{
    return saturate(abs(frac(h + float3(0.0, 2.0 / 3.0, 1.0 / 3.0)) * 6.0 - 3.0) - 1.0);
}

float hash(float n)
{
    return frac(sin(n * 12.9898 + 4.1414) * 43758.5453);
}

struct VS_IN { float3 pos : POSITION; float3 nrm : NORMAL; float2 uv : TEXCOORD0; };

struct VS_TILE
{
    float4 pos : POSITION;
    float2 grid : TEXCOORD0;    // position in tiles: the integer part is the column, row
    float2 screen : TEXCOORD1;  // 0..1 over the whole grid, v down
    float lift : TEXCOORD2;
};

// The tile grids number their tiles in the normal, but the first vertex of each tile
// carries the number of the tile before it; the tile is therefore found from the
// position, per pixel.
struct Tile
{
    float2 cell;
    float2 local;
    float number;
};

Tile tileAt(float2 grid, float columns, float rows)
{
    Tile t;
    t.cell = clamp(floor(grid), float2(0, 0), float2(columns - 1.0, rows - 1.0));
    t.local = grid - t.cell;
    t.number = t.cell.y * columns + t.cell.x;
    return t;
}

VS_TILE tileVertex(VS_IN i, float columns, float rows, bool wave)
{
    VS_TILE o;
    float2 size = float2(640.0 / columns, 480.0 / rows);
    o.grid = (i.pos.xy + float2(320.0, 240.0)) / size;
    o.screen = float2((i.pos.x + 320.0) / 640.0, (240.0 - i.pos.y) / 480.0);
    float lift = wave ? pow(saturate(sin(time * 2.2 - length(i.pos.xy) * 0.018)), 4.0) : 0.0;
    o.lift = lift;
    float3 p = i.pos;
    p.z += lift * 14.0;
    o.pos = mul(float4(p, 1), matWorldViewProjection);
    return o;
}

VS_TILE VSTextPlane(VS_IN i) { return tileVertex(i, 26.0, 19.0, true); }
VS_TILE VSGreetFloor(VS_IN i) { return tileVertex(i, 39.0, 29.0, false); }

float4 PSTextBase(VS_TILE i) : COLOR
{
    Tile t = tileAt(i.grid, 26.0, 19.0);
    float2 pick = float2(hash(t.number), hash(t.number + 7.0));
    float3 c = tex2D(wrap0, (floor(pick * 4.0) + t.local) / 4.0).rgb;
    float glint = tex2D(clamp1, t.local).r;
    return float4(c * (0.35 + 0.5 * i.lift) + glint * 0.15, 0.9);
}

float4 PSTextGlow(VS_TILE i) : COLOR
{
    Tile t = tileAt(i.grid, 26.0, 19.0);
    float rim = tex2D(clamp0, t.local).r;
    float3 colour = hue(t.cell.x * 0.04 + t.cell.y * 0.02 - time * 0.25);
    float glint = tex2D(clamp2, t.local).r;
    float3 c = colour * rim * rim * (0.25 + 0.9 * i.lift) + float3(1.0, 0.7, 0.4) * glint * i.lift * 0.5;
    return float4(c, 1.0);
}

technique TextPlane
{
    pass P0
    {
        VertexShader = compile vs_3_0 VSTextPlane();
        PixelShader = compile ps_3_0 PSTextBase();
    }
    pass P1
    {
        VertexShader = compile vs_3_0 VSTextPlane();
        PixelShader = compile ps_3_0 PSTextGlow();
        AlphaBlendEnable = true; SrcBlend = One; DestBlend = One; BlendOp = Add;
    }
}

struct VS_CURTAIN { float4 pos : POSITION; float2 uv : TEXCOORD0; };

VS_CURTAIN VSCurtain(VS_IN i)
{
    VS_CURTAIN o;
    o.pos = mul(float4(i.pos, 1), matWorldViewProjection);
    o.uv = i.uv;
    return o;
}

float4 PSCurtain(VS_CURTAIN i) : COLOR
{
    float lines = pow(0.5 + 0.5 * sin(i.uv.x * 120.0 + time * 1.5), 40.0);
    float scan = pow(0.5 + 0.5 * sin(i.uv.y * 6.0 - time * 3.0), 30.0);
    float fade = (1.0 - i.uv.y * 0.2) * saturate(i.uv.y * 8.0);   // soft top edge
    float3 c = lerp(float3(0.2, 0.9, 1.0), float3(1.0, 0.3, 0.9), 0.5 + 0.5 * sin(time + i.uv.x * 3.0));
    return float4(c, saturate(lines * 0.7 + scan * 0.4) * fade);
}

technique Stencil
{
    pass P0
    {
        VertexShader = compile vs_2_0 VSCurtain();
        PixelShader = compile ps_2_0 PSCurtain();
        ZWriteEnable = false;
        AlphaBlendEnable = true; SrcBlend = SrcAlpha; DestBlend = One; BlendOp = Add;
    }
}

float4 PSGreetBack(VS_TILE i) : COLOR
{
    Tile t = tileAt(i.grid, 39.0, 29.0);
    float2 offset = (float2(hash(t.number), hash(t.number + 3.0)) - 0.5) * 0.01;
    float3 sky = tex2D(wrap0, i.screen * float2(1.6, 1.2) + offset + float2(time * 0.01, 0.0)).rgb;
    float reveal = 0.55 + 0.45 * saturate(2.0 * sin(time * 0.9 - (t.cell.x + t.cell.y) * 0.09) + 0.6);
    float4 words = tex2D(clamp1, i.screen);
    float rim = tex2D(clamp2, t.local).r;
    float3 c = sky * (0.75 + 0.25 * rim) + words.rgb * words.a * reveal;
    return float4(c, 1.0);
}

float4 PSGreetGlint(VS_TILE i) : COLOR
{
    Tile t = tileAt(i.grid, 39.0, 29.0);
    float blink = step(0.93, hash(t.number + floor(time * 4.0) * 17.0));
    float rim = tex2D(clamp2, t.local).r;
    float3 colour = lerp(float3(1.0, 1.0, 1.0), hue(hash(t.number + 11.0)), 0.5);
    return float4(colour * rim, blink * 0.3 * rim);
}

technique GreetFloor
{
    pass P0
    {
        VertexShader = compile vs_3_0 VSGreetFloor();
        PixelShader = compile ps_3_0 PSGreetBack();
    }
    pass P1
    {
        VertexShader = compile vs_3_0 VSGreetFloor();
        PixelShader = compile ps_3_0 PSGreetGlint();
    }
}

struct VS_SHAPE
{
    float4 pos : POSITION;
    float2 uv : TEXCOORD0;
    float3 world : TEXCOORD1;
    float3 normal : TEXCOORD2;
};

float3 twist(float3 p)
{
    float a = time * 0.35 + p.z * 0.012 * sin(time * 0.6);
    float s = sin(a), c = cos(a);
    return float3(p.x * c - p.y * s, p.x * s + p.y * c, p.z);
}

VS_SHAPE VSShape(VS_IN i)
{
    VS_SHAPE o;
    float3 w = mul(float4(i.pos, 1), matWorld).xyz;
    float breathe = 1.0 + 0.08 * sin(time * 3.0 - length(w) * 0.06);
    w = twist(w * breathe);
    o.pos = mul(float4(w, 1), matViewProjection);
    o.uv = i.uv;
    o.world = w;
    o.normal = twist(mul(float4(i.nrm, 0), matWorld).xyz);
    return o;
}

float4 PSShapePreview(VS_SHAPE i) : COLOR
{
    float3 n = normalize(i.normal);
    return float4(float3(0.6, 0.6, 0.7) * (0.3 + 0.7 * saturate(dot(n, normalize(float3(0.3, -0.5, 0.8))))), 1.0);
}

float4 PSShape(VS_SHAPE i) : COLOR
{
    float3 n = normalize(i.normal);
    float3 toEye = normalize(CameraPosition - i.world);
    float3 base = hue(dot(n, float3(0.15, 0.25, 0.1)) + time * 0.07 + length(i.world) * 0.004);
    float3 l1 = normalize(float3(sin(time), cos(time), 0.7));
    float3 l2 = normalize(float3(-0.6, 0.3, -0.5));
    float diffuse = 0.25 + 0.75 * saturate(dot(n, l1)) + 0.3 * saturate(dot(n, l2));
    float glint = pow(saturate(dot(reflect(-toEye, n), l1)), 32.0);
    float rimLight = pow(1.0 - saturate(abs(dot(n, toEye))), 3.0);
    float tile = tex2D(clamp2, frac(i.uv)).r;
    float3 c = base * diffuse * (0.55 + 0.45 * tile) + glint + rimLight * float3(0.6, 0.7, 1.0) * 0.8;
    return float4(c, 1.0);
}

technique PlanB
{
    pass P0
    {
        VertexShader = compile vs_3_0 VSShape();
        PixelShader = compile ps_3_0 PSShapePreview();
    }
    pass P1
    {
        VertexShader = compile vs_3_0 VSShape();
        PixelShader = compile ps_3_0 PSShape();
        ZWriteEnable = true;
        AlphaBlendEnable = false;
    }
}
