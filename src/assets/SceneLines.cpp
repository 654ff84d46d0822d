#include "assets/SceneLines.h"

#include <cctype>
#include <cstring>

std::int32_t parseIdField(const char* text, std::size_t width) {
    std::size_t i = 0;
    while (i < width && std::isspace(static_cast<unsigned char>(text[i]))) ++i;
    bool negative = false;
    if (i < width && (text[i] == '-' || text[i] == '+')) negative = text[i++] == '-';
    std::int32_t value = 0;
    for (; i < width && text[i] >= '0' && text[i] <= '9'; ++i) value = value * 10 + (text[i] - '0');
    return negative ? -value : value;
}

NodeKind nodeKindOfLine(const char* text, std::size_t length) {
    std::size_t dot = 0;
    for (std::size_t i = length; i-- > 0;) {
        if (text[i] == '.') {
            dot = i;
            break;
        }
    }
    switch (length - dot) {
        case 9: return NodeKind::Mesh;
        case 10: return NodeKind::Light;
        case 11: return NodeKind::Camera;
        case 13: return NodeKind::MaterialList;
        default: return NodeKind::Unknown;
    }
}

const char* nodeKindName(NodeKind kind) {
    switch (kind) {
        case NodeKind::Mesh: return "mesh";
        case NodeKind::Light: return "light";
        case NodeKind::Camera: return "camera";
        case NodeKind::MaterialList: return "material list";
        case NodeKind::Unknown: break;
    }
    return "unknown";
}

SceneStep SceneReader::next(SceneLine& line, FileCheck& fault) {
    for (;;) {
        line = SceneLine{};
        line.offset = pos;
        line.number = ++lineNumber;
        std::size_t length = 0;
        bool zeroByte = false;
        for (;;) {
            if (pos >= size) {
                fault.fail(pos, "the file ends without the 0xFF end byte");
                fault.line = line.number;
                return SceneStep::Truncated;
            }
            const std::uint8_t b = data[pos++];
            if (b == SCENE_END_BYTE) {
                // Text cut off by the end byte is no whole line: it is dropped, and said so.
                if (length > 0) {
                    fault.fail(line.offset, "a line of %zu characters runs into the 0xFF end byte", length);
                    fault.line = line.number;
                }
                return SceneStep::End;
            }
            if (b == '\n') break;
            // Text mode: a carriage return in front of a line feed is dropped.
            if (b == '\r' && pos < size && data[pos] == '\n') continue;
            if (b == 0) zeroByte = true;
            if (length < SCENE_MAX_LINE) line.text[length] = static_cast<char>(b);
            ++length;
        }
        line.length = length;
        if (length == 0) continue;  // blank lines carry nothing
        fault.line = line.number;
        if (length > SCENE_MAX_LINE) {
            line.length = SCENE_MAX_LINE;
            fault.fail(line.offset, "line of %zu characters; at most %zu", length, SCENE_MAX_LINE);
            return SceneStep::BadLine;
        }
        if (length < SCENE_MIN_LINE) {
            fault.fail(line.offset, "line of %zu characters; at least %zu", length, SCENE_MIN_LINE);
            return SceneStep::BadLine;
        }
        if (zeroByte) {
            fault.fail(line.offset, "line holds a zero byte");
            return SceneStep::BadLine;
        }
        fault.line = 0;
        line.id = parseIdField(line.text, 4);
        line.parentId = parseIdField(line.text + length - 4, 4);
        std::memcpy(line.name, line.text + 4, length - 8);
        line.name[length - 8] = '\0';
        line.kind = nodeKindOfLine(line.text, length);
        return SceneStep::Line;
    }
}
