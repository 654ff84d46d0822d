// A struct parameter with an initial value: the components fill its members in order.
struct Inner {
    float2 scale;
};
struct Tint {
    float strength;
    Inner inner;
    float4 color;
    int steps[2];
};

Tint tint = { 0.5, { 2, 3 }, 0.25, 0.5, 0.75, 1, 4, 5 };
float after = 7;

float4 Shade() : COLOR { return tint.color * tint.strength * tint.inner.scale.x * tint.steps[1]; }

technique Tinted { pass P0 { PixelShader = compile ps_2_0 Shade(); } }
