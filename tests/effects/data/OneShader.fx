// Passes that bring one shader: the device's fixed-function pipeline does the other stage.
struct VsOut { float4 pos : POSITION; float2 uv : TEXCOORD0; float4 colour : COLOR0; };

// Clip-space positions as given; a colour the texture stage modulates.
VsOut passOn(float3 p : POSITION, float2 uv : TEXCOORD0) {
    VsOut o;
    o.pos = float4(p.xy, 0.5, 1);
    o.uv = uv;
    o.colour = float4(1, 1, 0.5, 1);
    return o;
}

// Reads the vertex colour and the first coordinate set the fixed-function vertex stage writes.
float4 showInputs(float4 colour : COLOR0, float2 uv : TEXCOORD0) : COLOR { return float4(colour.r, uv.x, uv.y, 1); }

technique VertexOnly { pass P0 { VertexShader = compile vs_2_0 passOn(); PixelShader = null; CullMode = None; ZEnable = false; } }
technique PixelOnly { pass P0 { VertexShader = null; PixelShader = compile ps_2_0 showInputs(); CullMode = None; ZEnable = false; } }
