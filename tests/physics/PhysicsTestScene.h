// Small scene builders for tests that drive libQuarnPhysics through its exports only.
#pragma once

#include "quarn/QuarnPhysics.h"

#include <cstring>
#include <vector>

namespace physics_test {

// Host-side counted arrays: the int32 count sits just before element 0.
template <class T> class HostArray {
  public:
    explicit HostArray(const std::vector<T>& items)
        : storage_(sizeof(int64_t) + sizeof(T) * items.size() + sizeof(T)) {
        const int32_t count = static_cast<int32_t>(items.size());
        unsigned char* base = storage_.data() + sizeof(int64_t);
        std::memcpy(base - 4, &count, 4);
        if (!items.empty()) std::memcpy(base, items.data(), sizeof(T) * items.size());
    }
    T* data() { return reinterpret_cast<T*>(storage_.data() + sizeof(int64_t)); }

  private:
    std::vector<unsigned char> storage_;
};

struct Mesh {
    std::vector<TQUARNVector> vertices;
    std::vector<TQUARNIntVector> faces;
};

// Face data for a mesh; keeps the counted arrays alive while it lives.
class FaceData {
  public:
    explicit FaceData(const Mesh& mesh);
    TQUARNFaceData* get() { return &data_; }

  private:
    HostArray<TQUARNVector> vertices_;
    HostArray<TQUARNIntVector> faces_;
    TQUARNFaceData data_;
};

// A square of half-width halfSize at height y, tilted by slopeDegrees about Z (two triangles,
// facing up).
Mesh FloorMesh(float halfSize, float y, float slopeDegrees = 0);
// The eight corners and twelve triangles of an axis-aligned box.
Mesh BoxMesh(TQUARNVector lo, TQUARNVector hi);

TqpBodyHandle AddTreeFloor(TqpWorldHandle world, float halfSize, float y, float slopeDegrees = 0);
TqpBodyHandle AddBox(TqpWorldHandle world, TQUARNVector size, float mass, TQUARNVector position);
TqpBodyHandle AddSphere(TqpWorldHandle world, float radius, float mass, TQUARNVector position);

TqpMatrix Translation(TQUARNVector position);
TqpMatrix RotationZ(float degrees, TQUARNVector position);
TQUARNVector Position(TqpBodyHandle body);
TQUARNVector Velocity(TqpBodyHandle body);
// Fixed 1/60 s steps for the given simulated time.
void Simulate(TqpWorldHandle world, float seconds);

} // namespace physics_test

namespace physics_test {

// Force-and-torque callback adding gravity (9.8 down) for the body's mass.
void QUARN_CALL ApplyGravity(TqpBodyHandle body);
// A dynamic box or sphere with gravity that never falls asleep.
TqpBodyHandle AddFallingBox(TqpWorldHandle world, TQUARNVector size, float mass,
                            TQUARNVector position);

} // namespace physics_test
