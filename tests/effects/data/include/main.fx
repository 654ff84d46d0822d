// Includes through a backslash and another case, as Windows projects write them.
#include "parts\common.FXH"
float4 vs(float4 p : POSITION) : POSITION { return p * SCALE; }
float4 ps() : COLOR { return tint; }
technique t { pass p { VertexShader = compile vs_2_0 vs(); PixelShader = compile ps_2_0 ps(); } }
