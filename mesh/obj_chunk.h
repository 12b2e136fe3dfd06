// Parsing of OBJ lines into the geometry they hold, one stretch of a file at a time, so that
// stretches can be read side by side. What must happen in file order (console lines, group
// and material names, reading MTL files) is recorded as events for the caller to apply in
// order; the geometry only needs appending in order.
#pragma once

#include "mesh/corner_lists.h"
#include "mesh/index_lists.h"
#include "mesh/vec.h"

#include <climits>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

struct ObjEvent {
    enum class Kind {
        message,        // text is a line for standard error
        group,          // "g" with its word
        useMaterial,    // "usemtl" with its word
        materialLibrary // "mtllib" with its first word ("" when it has none)
    };
    Kind kind;
    std::string text;
    std::size_t faces = 0; // faces of the chunk read before the event
};

// The most that one file may hold: face corners (the index lists' offsets are 32-bit) and
// faces (numbered with int by every pass after reading).
struct ObjLimits {
    std::size_t corners = UINT32_MAX;
    std::size_t faces = INT_MAX;
};

// Which limit a file passed; reading stops there.
enum class ObjOverflow { none, corners, faces };

// What a stretch of OBJ lines holds, in file order.
struct ObjChunk {
    std::vector<Vec3> vertices;  // one per "v" line
    std::vector<Vec3> normals;   // one per "vn" line
    std::vector<Vec2> texCoords; // one per "vt" line
    // One colour per "v" line while every "v" line so far carried one ("v x y z r g b");
    // emptied, and allColoured cleared, at the first that does not.
    std::vector<Vec3> colours;
    bool allColoured = true;
    IndexLists faces;          // one per accepted "f" line
    CornerLists texCoordFaces; // one per accepted "f" line with texture indices
    CornerLists normalFaces;   // one per accepted "f" line with normal indices
    std::vector<ObjEvent> events;
    ObjLimits limits;                         // kept by clear
    ObjOverflow overflow = ObjOverflow::none; // a limit was passed: reading stopped
    std::size_t overflowCorners = 0;          // then: the corners read, the refused face's too

    // Appends other's geometry after this one's; its events are left to the caller. Sets
    // overflow instead when the corners or faces would pass the limits (or other passed them),
    // to the limit that reading both as one stretch would have found passed.
    void append(const ObjChunk& other);
    // Empties the chunk, keeping the memory for the next stretch.
    void clear();
    // Makes room, without touching it, for what a file of fileBytes typically holds, so that
    // the arrays are filled in place rather than grown by copying (only the pages used ever
    // become resident). A file that holds more grows the arrays as usual.
    void reserveForFile(std::size_t fileBytes);
};

// Reads every line of lines (each ending with '\n' except possibly the last) into chunk.
void readObjLines(std::string_view lines, ObjChunk& chunk);
