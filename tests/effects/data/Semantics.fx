// Vertex usages the device has no fixed attribute location for, indexed semantics
// between the stages, a depth output, and struct parameters.
struct Light {
    float3 direction;
    float4 color;
};
struct Material {
    float4 diffuse;
    Light rim;
};

Light lights[2];
Material material;
float4x4 matWorldViewProjection;

struct VsIn {
    float3 position : POSITION0;
    float3 target : POSITION1;  // a morph target
    float2 extra : TEXCOORD8;
    float weight : BLENDWEIGHT1;
    float4 tint : COLOR2;
};

struct VsOut {
    float4 position : POSITION0;
    float4 tint : COLOR2;
    float2 extra : BLENDWEIGHT0;
};

VsOut VS(VsIn v) {
    VsOut o;
    o.position = mul(float4(lerp(v.position, v.target, v.weight), 1), matWorldViewProjection);
    o.tint = v.tint;
    o.extra = v.extra;
    return o;
}

struct PsOut {
    float4 color : COLOR0;
    float depth : DEPTH;
};

PsOut PS(float2 extra : BLENDWEIGHT0, float4 tint : COLOR2) {
    PsOut o;
    o.color = float4(extra.x * lights[1].color.r, extra.y * material.diffuse.g, tint.b * material.rim.color.b, 1);
    o.depth = 0.25;
    return o;
}

float4 Flat(float4 tint : COLOR2) : COLOR0 { return float4(1, 1, 1, 1); }

technique Indexed {
    pass P0 { VertexShader = compile vs_3_0 VS(); PixelShader = compile ps_3_0 PS(); }
}

technique Behind {
    pass P0 { VertexShader = compile vs_3_0 VS(); PixelShader = compile ps_3_0 Flat(); }
}

// Known only by the handle GetTechnique gives.
technique {
    pass { VertexShader = compile vs_3_0 VS(); PixelShader = compile ps_3_0 Flat(); }
}
