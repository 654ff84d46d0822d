// The parser of effect syntax, shared by its two files: EffectParser.cpp reads the
// global declarations (parameters, textures, samplers, annotations, function
// signatures), TechniqueParser.cpp the techniques, passes and their states. Effect
// syntax is blanked out of the text as it is read, so that what is left is plain HLSL
// with every line where it was.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "platform/d3dx9/effect/ConstantEval.h"
#include "platform/d3dx9/effect/EffectDescription.h"
#include "platform/d3dx9/effect/EffectLexer.h"
#include "platform/d3dx9/effect/StateTables.h"

namespace fx {

struct DeviceStateInfo;

// "float3" -> Float, 1 row, 3 columns; false for what is not a value type.
bool parseValueType(const std::string& name, ValueKind& kind, int& rows, int& cols);
bool isTextureType(const std::string& name);
// `n` words of a value of this kind; a single value fills every one.
std::vector<std::uint32_t> constantWords(ValueKind kind, std::size_t n, const ConstantValue& values);

class EffectSyntaxParser {
public:
    EffectSyntaxParser(const std::string& text, EffectDescription& out, ParseError& error)
        : text_(text), tokens_(tokenize(text)), out_(out), error_(error) {}

    bool run();

private:
    struct Edit {
        std::size_t begin, end;
        std::string replacement;  // used when `blank` is false
        bool blank;
    };
    // A shader declared as a variable: `VertexShader vs = compile vs_2_0 f();`, or an
    // array of them.
    struct ShaderVariable {
        std::string name;
        bool vertex = false;
        std::vector<ShaderBinding> shaders;  // an empty entry for NULL
    };

    const Token& peek(std::size_t ahead = 0) const {
        std::size_t i = pos_ + ahead;
        return i < tokens_.size() ? tokens_[i] : tokens_.back();
    }
    const Token& next() {
        const Token& t = peek();
        if (pos_ < tokens_.size() - 1) ++pos_;
        return t;
    }
    void fail(const Token& t, const std::string& message);
    bool expect(char c, const std::string& what);
    void blank(std::size_t begin, std::size_t end) { edits_.push_back({begin, end, {}, true}); }
    std::string applyEdits();
    bool skipGroup(char open, char close);
    void skipStatement();
    std::string textOf(std::size_t first, std::size_t last) const;  // tokens [first, last)

    // EffectParser.cpp
    void parseAnnotations(std::vector<Annotation>& out);
    void parseDeclaration();
    void parseFunction(const Token& returnType);
    void parseValueNames(const Token& first, const Token& type, bool isStatic, bool isConst, bool isShared);
    bool arraySize(const std::string& name, int& size);
    // StructParser.cpp: struct types, and parameters of them as D3DX reflects them: one
    // parameter per member, named "light.color" and "lights[1].color".
    struct StructMember {
        std::string name, typeName;  // typeName: a value type or another struct
        int arraySize = 0;
    };
    struct StructType {
        std::string name;
        std::vector<StructMember> members;
    };
    void parseStruct();
    const StructType* findStruct(const std::string& name) const;
    void parseStructNames(const StructType& type, bool isShared);
    void addStructMembers(const StructType& type, const std::string& prefix, bool isShared, const Token& at,
                          int depth, std::size_t& budget);
    void addStructArray(const StructType& type, const std::string& name, int count, bool isShared, const Token& at,
                        int depth, std::size_t& budget);
    void skipInitializer();
    bool structInitialValue(const std::string& name, std::size_t firstMember, std::size_t eq);
    bool initialValue(Parameter& p, bool value, bool parameter, std::size_t emptyBrackets);
    bool sizeFromValue(Parameter& p, std::size_t components, const Token& at, int& elements);
    void addParameter(const Parameter& p, const Token& at);
    void parseTexture(const Token& first, bool isShared);
    void parseStringParameter(const Token& first, const Token& type);
    void parseSampler();
    void samplerAssignment(SamplerDescription& s);
    bool constantValue(const StateInfo& info, const std::vector<const Token*>& value, DWORD& out);

    // TechniqueParser.cpp
    void parseTechnique();
    void parsePass(TechniqueDescription& technique);
    void passAssignment(PassDescription& pass);
    bool shaderValue(std::size_t first, std::size_t last, bool vertex, ShaderBinding& out, bool& isNull);
    bool shaderAssignment(PassDescription& pass, const Token& state, bool vertex, std::size_t first,
                          std::size_t last);
    void parseShaderVariable(const Token& first, const Token& type);

    // PassStateParser.cpp
    using ValueNameFn = std::function<bool(const std::string&, DWORD&)>;
    bool renderState(PassDescription& pass, const Token& state, const StateInfo& info, std::size_t first,
                     std::size_t last);
    void deviceState(PassDescription& pass, const Token& state, const DeviceStateInfo& info, bool indexed, int index,
                     std::size_t first, std::size_t last);
    // Whether tokens [first, last) name a parameter (and not a value of the state).
    bool namesParameter(std::size_t first, std::size_t last, const ValueNameFn& valueName) const;
    bool readExpression(const Token& state, std::size_t first, std::size_t last, const ValueNameFn& valueName,
                        StateExpression& out);
    bool namedWords(std::size_t first, std::size_t last, const ValueNameFn& valueName, DWORD& out);

    // AsmBinding.cpp
    bool asmShader(std::size_t first, std::size_t last, bool vertex, ShaderBinding& out);
    // True when `state` is a shader-constant state (taken, or failed with a message).
    bool shaderConstantState(PassDescription& pass, const Token& state, int index, std::size_t first,
                             std::size_t last);
    void bindAsmSamplers(const PassDescription& pass);
    std::string finishAsm();  // the register files' declarations, once the file is read
    struct AsmEntry {
        std::string entry;
        std::vector<int> samplers;
    };
    std::vector<AsmEntry> asmEntries_;
    bool asmRegisters_ = false;

    const std::string& text_;
    std::vector<Token> tokens_;
    std::size_t pos_ = 0;
    EffectDescription& out_;
    ParseError& error_;
    std::vector<Edit> edits_;
    ConstantScope constants_;
    std::vector<ShaderVariable> shaderVariables_;
    std::vector<StructType> structs_;
    bool ok_ = true;
};

// Binds `compile` arguments: gives `binding` an entry point of its own that calls its
// function with the arguments in place of the uniform parameters, appended to `hlsl`.
bool bindShaderArguments(EffectDescription& effect, ShaderBinding& binding, std::string& error);

}  // namespace fx
