// A small scene for the rigid-body layer's tests: a world, a static floor and gravity.
#pragma once

#include "physics/newton/Newton.h"

#include <array>

namespace layer_test {

using Matrix = std::array<float, 16>;

Matrix Translation(float x, float y, float z);

// Applies -9.8 m/s^2 along y times the body's mass.
void Gravity(const NewtonBody* body);

class LayerScene {
  public:
    LayerScene();
    ~LayerScene();
    LayerScene(const LayerScene&) = delete;
    LayerScene& operator=(const LayerScene&) = delete;

    NewtonWorld* World() const { return world_; }
    // A static 40 x 40 tree floor of two triangles at height y.
    NewtonBody* AddTreeFloor(float y = 0.0f);
    // A dynamic body with the shape's unit inertia times mass, placed at (x, y, z), gravity on.
    NewtonBody* AddBody(NewtonCollision* shape, float mass, float x, float y, float z);
    NewtonBody* AddBox(float size, float mass, float x, float y, float z);
    void Run(int updates, float h = 1.0f / 60.0f);

  private:
    NewtonWorld* world_;
};

std::array<float, 3> Position(const NewtonBody* body);
std::array<float, 3> Velocity(const NewtonBody* body);

} // namespace layer_test
