// Compiles only with WANTED defined by the caller; WANTED passes.
#ifndef WANTED
#error WANTED must be defined
#endif

float4 VS(float4 p : POSITION) : POSITION { return p; }
float4 PS() : COLOR { return float4(1, 0, 0, 1); }

technique Twice
{
#if WANTED >= 1
    pass A { VertexShader = compile vs_2_0 VS(); PixelShader = compile ps_2_0 PS(); }
#endif
#if WANTED >= 2
    pass B { VertexShader = compile vs_2_0 VS(); PixelShader = compile ps_2_0 PS(); }
#endif
}
