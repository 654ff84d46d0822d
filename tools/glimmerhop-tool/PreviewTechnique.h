// Drawing one technique of an effect for the preview: its passes in the order its script
// names them (or as declared), each into the targets its script sets, on the mesh or over
// the target; where a post-process script leaves room for the host's scene, a built-in
// scene (the mesh, lit and checkered) is drawn.
#pragma once

#include <string>
#include <vector>

#include "PreviewBinder.h"
#include "PreviewMesh.h"
#include "PreviewPass.h"
#include "PreviewScript.h"

namespace tool {

// The mesh's vertex and index buffers and its declaration on the device.
struct MeshBuffers {
    IDirect3DVertexBuffer9* vertices = nullptr;
    IDirect3DIndexBuffer9* indices = nullptr;
    IDirect3DVertexDeclaration9* declaration = nullptr;
    UINT vertexCount = 0, triangleCount = 0;
    ~MeshBuffers();
    bool create(IDirect3DDevice9* device, const PreviewMesh& mesh);
    void bind(IDirect3DDevice9* device) const;
    void draw(IDirect3DDevice9* device) const;
};

// The scene a post-process effect expects the host to have drawn: the mesh with the
// built-in checker, lit from the preview's light, through an effect of the tool's own.
class HostScene {
public:
    ~HostScene();
    // `scratch`: a folder for its effect file. False when it cannot be made.
    bool create(IDirect3DDevice9* device, const std::string& scratch, IDirect3DTexture9* checker,
                const PreviewScene& scene);
    void draw(const MeshBuffers& mesh) const;

private:
    IDirect3DDevice9* device_ = nullptr;
    ID3DXEffect* effect_ = nullptr;
};

struct TechniqueRun {
    UINT passes = 0;          // passes of the technique
    std::vector<std::string> steps;  // what the script did, for the printout
    std::string why;          // why it stopped, when it did
};

// Clears the frame to `background`, then draws the technique (Present is the caller's);
// false when the effect refused.
bool drawTechnique(ID3DXEffect* effect, const fx::EffectDescription& description, std::size_t technique,
                   const std::vector<PassPlan>& plans, const MeshBuffers& mesh, PreviewTargets& targets,
                   const HostScene* scene, D3DCOLOR background, TechniqueRun& run);

}  // namespace tool
