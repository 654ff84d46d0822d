// The twenty dancers of the disco scene: fixed places and turns, drawn farthest first.
#pragma once

#include "platform/d3dx9/d3dx9math.h"

namespace show {

constexpr unsigned kDancerCount = 20;

struct Dancer {
    D3DXVECTOR3 position;
    float roll;  // radians about z
    D3DXMATRIX world;
    float distance;  // from the camera's eye
};

// Fills the table for a camera at `eye` and the draw order, farthest dancer first
// (equal distances keep their order).
void buildDancerTable(const D3DXVECTOR3& eye, Dancer (&table)[kDancerCount],
                      unsigned (&order)[kDancerCount]);

// The disco camera's shot-local time: a 9-second sawtooth, -2 at the scene's start.
float discoShotTime(float t);

}  // namespace show
