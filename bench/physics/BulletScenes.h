// The benchmark scenes written directly against Bullet, with the solver settings the Newton
// layer uses, as the baseline for the library's overhead.
#pragma once

#include <memory>

namespace bench {

class BulletScene {
  public:
    BulletScene();
    ~BulletScene();
    BulletScene(const BulletScene&) = delete;
    BulletScene& operator=(const BulletScene&) = delete;

    // A flat two-triangle static mesh at y = 0.
    void AddFloor(float halfSize);
    // A square grid of cells x cells squares (two triangles each) of side cellSize, centred
    // on the origin at y = 0.
    void AddGridFloor(int cells, float cellSize);
    // A 1 x 1 x 1 box under gravity, turned by yaw radians about Y.
    void AddUnitBox(float mass, float x, float y, float z, float yaw = 0);
    void Step(float timestep);
    // Height of the last box added (a check that both sides simulate the same thing).
    float LastBoxHeight() const;

  private:
    void AddFloorBody();

    struct Impl;
    std::unique_ptr<Impl> impl_;
};

} // namespace bench
