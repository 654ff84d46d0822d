// Saved with a byte-order mark; its include is found only through an include folder.
#include "nested.fxh"
float4 vs(float4 p : POSITION0) : POSITION0 { return p; }
float4 ps() : COLOR0 { return tint; }
technique t { pass p { VertexShader = compile vs_2_0 vs(); PixelShader = compile ps_2_0 ps(); } }
