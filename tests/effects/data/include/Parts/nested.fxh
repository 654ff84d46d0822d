// Found beside the file that includes it.
float4 tint = float4(1, 0, 0, 1);
