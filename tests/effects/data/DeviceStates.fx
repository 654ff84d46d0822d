// Fixed-function, texture stage, sampler, transform, light and material states of a pass.
float4x4 world = {1, 0, 0, 0,  0, 2, 0, 0,  0, 0, 3, 0,  4, 5, 6, 1};
float3 lightDir = {0, -1, 0};
float4 diffuse = {1, 0.5, 0.25, 1};
float fogStart = 2;
int stage = 1;
texture tex0;
texture tex1;
sampler2D samp = sampler_state
{
    Texture = <tex1>;
    MinFilter = Linear;
    MagFilter = Point;
    AddressU = Clamp;
    AddressV = Mirror;
};

technique Fixed
{
    pass P0
    {
        Lighting = true;
        FogEnable = TRUE;
        FogTableMode = Exp2;
        FogStart = <fogStart>;
        FogEnd = 10;
        FogColor = 0xff8000ff;
        Ambient = {0.0, 0.5, 1.0, 1.0};
        DiffuseMaterialSource = Color1;
        D3DRS_SPECULARENABLE = FALSE;
        ColorOp[0] = Modulate2x;
        ColorArg1[0] = Texture;
        ColorArg2[0] = D3DTA_DIFFUSE;
        ColorArg0[0] = Texture | Complement;
        AlphaOp[1] = disable;
        TexCoordIndex[1] = CameraSpaceNormal | 1;
        TextureTransformFlags[0] = Count2 | Projected;
        ResultArg[0] = Temp;
        Constant[2] = (diffuse);
        BumpEnvLScale[0] = (fogStart * 0.25);
        WorldTransform[0] = <world>;
        WorldTransform[1] = (world);
        ViewTransform = {1, 0, 0, 0,  0, 1, 0, 0,  0, 0, 1, 0,  0, 0, 7, 1};
        TextureTransform[1] = <world>;
        LightEnable[0] = true;
        LightType[0] = Directional;
        LightDirection[0] = <lightDir>;
        LightDiffuse[0] = <diffuse>;
        LightRange[0] = 100;
        LightPhi[0] = (fogStart + 0.5);
        MaterialDiffuse = <diffuse>;
        MaterialPower = 8;
        Texture[0] = <tex0>;
        Texture[2] = NULL;
        MinFilter[0] = Linear;
        AddressU[1] = Clamp;
        MaxAnisotropy[0] = 8;
        MipMapLodBias[0] = -0.5;
        Sampler[3] = <samp>;
        ClipPlane[1] = (float4(0, 1, 0, -fogStart));
        FVF = XYZ | Normal | D3DFVF_TEX1;
    }
}
