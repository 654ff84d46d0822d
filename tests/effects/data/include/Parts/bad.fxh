float4 fine;

float4 broken(float4 p) { return p + undefinedName; }
