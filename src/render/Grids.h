// Generated flat grids in the plane z = 1: shared-vertex grids and tile grids whose
// vertices carry their tile number in the normal.
#pragma once

#include <cstdint>

struct Mesh;

// `columns` and `rows` count grid points (at least 2 each). Both fill a fresh Mesh.
void buildGridMesh(Mesh& mesh, std::uint32_t columns, std::uint32_t rows, float width,
                   float height, float originX, float originY);
void buildTileGrid(Mesh& mesh, std::uint32_t columns, std::uint32_t rows, float width,
                   float height, float originX, float originY);
