// Geometry builders for the generated meshes: faces, boxes, tubes, balls and rings, all in
// the 32-byte vertex layout with outward normals and clockwise front faces.
#pragma once

#include "MeshWriter.h"

namespace assetgen {

// A flat face centred on `centre`, spanning +-`across` and +-`up`, cut into columns x rows
// cells. u runs 0..1 along `across`, v runs 0..1 from the +`up` edge (the top of a picture)
// to the -`up` edge. The face looks towards `normal`; when across x up points the other way
// the u direction is mirrored so that the face still winds clockwise seen from the front.
void addFace(MeshData& mesh, Vec3 centre, Vec3 across, Vec3 up, Vec3 normal, int columns = 1, int rows = 1);

// An axis-aligned box centred on `centre` with the given edge lengths; each face maps the
// whole texture.
void addBox(MeshData& mesh, Vec3 centre, Vec3 size);

// A tube along x from x0 to x1, seen from inside (normals point to the axis). u goes
// `uTurns` times around, v grows by 1 every `vLength` units along x.
void addInsideTube(MeshData& mesh, float x0, float x1, float radius, int segments, int rings, float uTurns,
                   float vLength);

// A faceted ball: flat latitude-longitude facets, each with its own normal and the whole
// texture, like the mirrors of a disco ball.
void addFacetBall(MeshData& mesh, Vec3 centre, float radius, int segments, int rings);

// A smooth ring (torus) around the z axis.
void addRing(MeshData& mesh, Vec3 centre, float radius, float tube, int segments, int sides);

}  // namespace assetgen
