// A technique with no shaders at all: the device's fixed-function pipeline draws it.
technique Plain
{
    pass P0
    {
        CullMode = None;
        ZEnable = false;
    }
}

// The texture stages set by the pass itself, the factor from a parameter.
float4 factor = {0, 0, 1, 1};
technique FromThePass
{
    pass P0
    {
        CullMode = None;
        ZEnable = false;
        TextureFactor = <factor>;
        ColorOp[0] = SelectArg1;
        ColorArg1[0] = TFactor;
    }
}
