// The workbench's camera: it circles a target point at a distance, turned by dragging,
// moved closer by the wheel, its target slid sideways by a right-drag.
#pragma once

#include "platform/d3dx9/d3dx9math.h"

namespace tool {

class OrbitCamera {
public:
    // Looks at `centre` from a little above and in front, far enough back that a sphere
    // of `radius` fills most of the view.
    void frame(const D3DXVECTOR3& centre, float radius);
    // Pixels dragged: a full window width turns about half a circle.
    void turn(float dx, float dy);
    void pan(float dx, float dy);
    // Wheel steps: each one moves a tenth of the way in (positive) or out.
    void zoom(float steps);

    D3DXVECTOR3 eye() const;
    D3DXMATRIX view() const;
    D3DXMATRIX projection(unsigned width, unsigned height) const;
    float yaw() const { return yaw_; }

private:
    D3DXVECTOR3 target_{0, 0, 0};
    float yaw_ = 0.6f, pitch_ = 0.35f;
    float distance_ = 2.75f;
    float radius_ = 1.0f;
};

}  // namespace tool
