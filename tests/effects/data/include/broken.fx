#include "parts/common.fxh"
#include "parts/bad.fxh"
float4 vs(float4 p : POSITION) : POSITION { return broken(p); }
float4 ps() : COLOR { return 1; }
technique t { pass p { VertexShader = compile vs_2_0 vs(); PixelShader = compile ps_2_0 ps(); } }
