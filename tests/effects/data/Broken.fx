// Line 9 reads a name that does not exist.
float4x4 matWorldViewProjection;

float4 VS(float4 p : POSITION) : POSITION
{
    return mul(p, matWorldViewProjection);
}

float4 PS() : COLOR { return undefinedColour; }

technique T
{
    pass P0
    {
        VertexShader = compile vs_2_0 VS();
        PixelShader = compile ps_2_0 PS();
    }
}
