// A technique with no shaders at all: the device's fixed-function pipeline draws it.
technique Plain
{
    pass P0
    {
        CullMode = None;
        ZEnable = false;
    }
}
