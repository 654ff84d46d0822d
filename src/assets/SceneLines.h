// Reading a .scene file line by line: "IIIIname.extPPPP", ids in four characters, the
// node kind from the length of the extension, and the byte 0xFF as the end.
#pragma once

#include <cstddef>
#include <cstdint>

#include "assets/FileChecks.h"

enum class NodeKind { Mesh, Light, Camera, MaterialList, Unknown };

constexpr std::size_t SCENE_MIN_LINE = 8;
constexpr std::size_t SCENE_MAX_LINE = 255;
constexpr unsigned char SCENE_END_BYTE = 0xFF;

struct SceneLine {
    unsigned number = 0;        // 1-based line number
    std::size_t offset = 0;     // byte offset of the line's start
    std::size_t length = 0;     // characters, without the line end
    char text[SCENE_MAX_LINE + 1] = {};
    std::int32_t id = 0;
    std::int32_t parentId = 0;
    char name[SCENE_MAX_LINE + 1] = {};  // the node file name
    NodeKind kind = NodeKind::Unknown;
};

enum class SceneStep {
    Line,     // `line` holds a well-formed line (its kind may still be Unknown)
    BadLine,  // a line the format excludes; `fault` says why; go on with the next
    End,      // the 0xFF byte was read
    Truncated // the data ended without the 0xFF byte; `fault` says so
};

struct SceneReader {
    const std::uint8_t* data;
    std::size_t size;
    std::size_t pos = 0;
    unsigned lineNumber = 0;

    // Reads the next line. A carriage return right before a line feed is dropped; the
    // characters of an unfinished line before 0xFF (or the end of the data) are dropped.
    SceneStep next(SceneLine& line, FileCheck& fault);
};

// A decimal number within `width` characters: leading blanks, a sign, digits up to the
// first other character; no digits gives 0.
std::int32_t parseIdField(const char* text, std::size_t width);

// The kind of a line of `length` characters from the position of its last '.'.
NodeKind nodeKindOfLine(const char* text, std::size_t length);

const char* nodeKindName(NodeKind kind);
