// Pass states whose values come from parameters when the pass begins.
float cutoff = 0.5;
float alpha = 0.25;
bool add = false;
int mode = 1;
float4 tint = {1.0, 0.5, 0.0, 1.0};
float weights[3] = {10, 20, 30};
int pick = 7;
static const int kBase = 3;

technique Expressions
{
    pass P0
    {
        AlphaBlendEnable = (alpha > 0.5);
        SrcBlend = (add ? 2 : 5);
        AlphaRef = (int)(cutoff * 255);
        StencilRef = mode * kBase + 1;
        StencilMask = !(add || mode == 2) && alpha < 1 ? 7 / 2 : 40 % 6;
        ColorWriteEnable = (mode == 1 ? Red | Green : Blue);
        DestBlend = (tint.y * 4 + min(mode, 3));
        ZFunc = 0xFFFFFFFF;
        StencilWriteMask = weights[pick] + tint[3];
        DepthBias = <cutoff>;
        SlopeScaleDepthBias = (alpha * 8);
        BlendFactor = <tint>;
    }
}
