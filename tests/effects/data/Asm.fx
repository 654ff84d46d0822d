// Shader assembly in both stages and as shader variables, with the states that feed
// its registers. A seed for the effect fuzzer as well.
float4x4 matWorldViewProjection : WORLDVIEWPROJECTION;
float4 tint = {1, 0.5, 0.25, 1};
float time;
texture tex0;
sampler2D s = sampler_state { Texture = <tex0>; MinFilter = Linear; };

VertexShader transform = asm {
    vs_2_0
    dcl_position v0
    dcl_texcoord0 v1
    def c8, 1, 0, 0, 0
    m4x4 oPos, v0, c0
    mova a0.x, c8.x
    mov oD0, c[a0.x + 4]
    mov oT0, v1
    sub oT1, v1, c8.y
};

technique tull {
    pass Textures {
        VertexShaderConstant[0] = <matWorldViewProjection>;
        VertexShaderConstant4[4] = <tint>;
        VertexShaderConstant[5] = {0, 1, 0, 1};
        Texture[0] = <tex0>;
        BumpEnvMat00[1] = 0.5;
        VertexShader = <transform>;
        PixelShader = asm {
            ps_1_1
            tex t0
            texbem t1, t0
            texkill t1
            mul_x2 r0, t1, v0_bx2
            + mov r0.a, 1-t0
        };
    }
    pass Flow {
        PixelShaderConstantF[0] = <tint>;
        PixelShaderConstantI[0] = {3, 0, 1, 0};
        Sampler[0] = (s);
        VertexShader = asm {
            vs_3_0
            dcl_position v0
            dcl_texcoord0 v1
            dcl_position o0
            dcl_texcoord0 o1
            defi i0, 4, 0, 1, 0
            mov r0, c0
            loop aL, i0
                add r0, r0, c[aL + 4]
            endloop
            mov o0, v0
            mov o1, v1
        };
        PixelShader = asm {
            ps_3_0
            dcl_texcoord0 v0.xy
            dcl_2d s0
            texld r0, v0, s0
            rep i0
                if_gt r0.x, c0.y
                    break
                endif
                mul r0, r0, c0
            endrep
            mov oC0, r0
        };
    }
}
