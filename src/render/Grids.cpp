#include "render/Grids.h"

#include <cstring>
#include <vector>

#include "app/globals/DisplaySettings.h"
#include "assets/Mesh.h"
#include "render/D3DError.h"
#include "render/VertexFormat.h"

namespace {
struct GridVertex {
    float x, y, z;
    float nx, ny, nz;
    float u, v;
};
static_assert(sizeof(GridVertex) == 32);

constexpr DWORD kGridUsage = D3DUSAGE_DYNAMIC | D3DUSAGE_WRITEONLY;
constexpr DWORD kGridFvf = D3DFVF_XYZ | D3DFVF_NORMAL | D3DFVF_TEX1;

// 16-bit indices reach 65,536 vertices at most.
constexpr std::uint64_t kMaxVertices = 65536;

// Each factor is rounded to single precision once; each coordinate is then formed in
// double precision and rounded once more.
std::vector<GridVertex> gridPoints(std::uint32_t columns, std::uint32_t rows, float width,
                                   float height, float originX, float originY) {
    const double stepU = 1.0 / static_cast<double>(columns - 1);
    const double stepV = 1.0 / static_cast<double>(rows - 1);
    const float factorX = static_cast<float>(static_cast<double>(width) * stepU);
    const float factorY = static_cast<float>(static_cast<double>(height) * stepV);
    const float factorU = static_cast<float>(stepU);
    const float factorV = static_cast<float>(stepV);
    std::vector<GridVertex> points(static_cast<std::size_t>(columns) * rows);
    for (std::uint32_t r = 0; r < rows; ++r) {
        for (std::uint32_t c = 0; c < columns; ++c) {
            GridVertex& p = points[static_cast<std::size_t>(r) * columns + c];
            p.x = static_cast<float>(static_cast<double>(originX) + c * static_cast<double>(factorX));
            p.y = static_cast<float>(static_cast<double>(originY) + r * static_cast<double>(factorY));
            p.z = 1.0f;
            p.nx = 0.0f;
            p.ny = 0.0f;
            p.nz = 1.0f;
            p.u = static_cast<float>(c * static_cast<double>(factorU));
            p.v = -static_cast<float>(r * static_cast<double>(factorV));
        }
    }
    return points;
}

std::vector<std::uint16_t> cellIndices(std::uint32_t columns, std::uint32_t rows) {
    std::vector<std::uint16_t> indices;
    indices.reserve(static_cast<std::size_t>(6) * (columns - 1) * (rows - 1));
    for (std::uint32_t r = 0; r + 1 < rows; ++r) {
        for (std::uint32_t c = 0; c + 1 < columns; ++c) {
            const std::uint32_t p = r * columns + c;
            for (std::uint32_t i : {p, p + 1, p + columns, p + columns + 1, p + columns, p + 1})
                indices.push_back(static_cast<std::uint16_t>(i));
        }
    }
    return indices;
}

bool argumentsFit(std::uint32_t columns, std::uint32_t rows, std::uint64_t vertices,
                  const char* name) {
    if (columns >= 2 && rows >= 2 && vertices <= kMaxVertices) return true;
    showD3DError(D3DERR_INVALIDCALL, "VertexBuffer", name);
    return false;
}

// Creates, fills and stores both buffers and the declaration. On any failure the
// report names the grid, what was created is released and the mesh stays empty.
void storeGrid(Mesh& mesh, const GridVertex* vertices, std::uint32_t vertexCount,
               const std::uint16_t* indices, std::uint32_t indexCount, const char* name) {
    IDirect3DVertexBuffer9* vb = nullptr;
    IDirect3DIndexBuffer9* ib = nullptr;
    IDirect3DVertexDeclaration9* decl = nullptr;
    const UINT vertexBytes = vertexCount * sizeof(GridVertex);
    const UINT indexBytes = indexCount * sizeof(std::uint16_t);
    void* locked = nullptr;

    HRESULT hr = gDevice ? gDevice->CreateVertexBuffer(vertexBytes, kGridUsage, kGridFvf,
                                                       D3DPOOL_DEFAULT, &vb, nullptr)
                         : D3DERR_INVALIDCALL;
    if (FAILED(hr) || !vb) {
        showD3DError(FAILED(hr) ? hr : E_FAIL, "VertexBuffer", name);
        return;
    }
    hr = vb->Lock(0, 0, &locked, 0);
    if (FAILED(hr) || !locked) {
        showD3DError(FAILED(hr) ? hr : E_FAIL, "VertexBuffer", name);
        vb->Release();
        return;
    }
    std::memcpy(locked, vertices, vertexBytes);
    vb->Unlock();

    hr = gDevice->CreateIndexBuffer(indexBytes, D3DUSAGE_WRITEONLY, D3DFMT_INDEX16,
                                    D3DPOOL_MANAGED, &ib, nullptr);
    locked = nullptr;
    if (SUCCEEDED(hr) && ib) hr = ib->Lock(0, 0, &locked, 0);
    if (FAILED(hr) || !ib || !locked) {
        showD3DError(FAILED(hr) ? hr : E_FAIL, "IndexBuffer", name);
        if (ib) ib->Release();
        vb->Release();
        return;
    }
    std::memcpy(locked, indices, indexBytes);
    ib->Unlock();

    VertexStaging layout;
    layout.formatMask = VERTEX_MASK_GRID;
    if (!createDeclarationFromMask(layout, &decl)) {
        ib->Release();
        vb->Release();
        return;
    }
    mesh.vertexBuffer = vb;
    mesh.indexBuffer = ib;
    mesh.vertexDecl = decl;
    mesh.vertexCount = vertexCount;
    mesh.vertexStride = sizeof(GridVertex);
    mesh.triangleCount = indexCount / 3;
}
}  // namespace

void buildGridMesh(Mesh& mesh, std::uint32_t columns, std::uint32_t rows, float width,
                   float height, float originX, float originY) {
    if (!argumentsFit(columns, rows, static_cast<std::uint64_t>(columns) * rows, "GridMesh"))
        return;
    const std::vector<GridVertex> points = gridPoints(columns, rows, width, height, originX, originY);
    const std::vector<std::uint16_t> indices = cellIndices(columns, rows);
    storeGrid(mesh, points.data(), static_cast<std::uint32_t>(points.size()), indices.data(),
              static_cast<std::uint32_t>(indices.size()), "GridMesh");
}

void buildTileGrid(Mesh& mesh, std::uint32_t columns, std::uint32_t rows, float width,
                   float height, float originX, float originY) {
    const std::uint64_t cells = columns >= 2 && rows >= 2
                                    ? static_cast<std::uint64_t>(columns - 1) * (rows - 1)
                                    : 0;
    if (!argumentsFit(columns, rows, cells * 6, "TileGrid")) return;
    const std::vector<GridVertex> points = gridPoints(columns, rows, width, height, originX, originY);
    const std::vector<std::uint16_t> indices = cellIndices(columns, rows);

    const float tileX = 0.0015f;  // bit pattern 0x3AC49BA6
    const float tileY = 0.0018f;  // bit pattern 0x3AEBEDFA
    std::vector<GridVertex> expanded(indices.size());
    std::vector<std::uint16_t> order(indices.size());
    std::uint32_t tile = 0;
    std::uint32_t inTile = 0;
    for (std::size_t k = 0; k < indices.size(); ++k) {
        if (k >= 1) ++inTile;
        GridVertex v = points[indices[k]];
        v.nx = static_cast<float>(tile * static_cast<double>(tileX));
        v.ny = static_cast<float>(tile * static_cast<double>(tileY));
        v.nz = 1.0f;
        expanded[k] = v;
        order[k] = static_cast<std::uint16_t>(k);
        if (inTile > 5) {
            ++tile;
            inTile = 0;
        }
    }
    storeGrid(mesh, expanded.data(), static_cast<std::uint32_t>(expanded.size()), order.data(),
              static_cast<std::uint32_t>(order.size()), "TileGrid");
}
