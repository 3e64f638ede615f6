// The scene's first-person camera: a look-at from its position along its direction, steered
// by move, strafe and mouse look. Angles are degrees; Yaw turns about Y, Pitch about X.
#pragma once

#include "common/QuarnMath.h"

namespace quarn {

class TQGLCamera {
  public:
    // Moves the system cursor (screen coordinates) after clearing the swallow flag of the
    // window procedure; mouse look uses it to put the cursor back at the centre.
    using CursorWarp = void (*)(int x, int y);
    // The screen position of the window's client origin: the centre is relative to it.
    using ClientOrigin = void (*)(int& x, int& y);

    TQGLCamera(int width, int height, const Vec3& position);

    // gluLookAt(position, position + direction, up) on the current model-view matrix.
    void ApplyView() const;
    // Direction from the angles: (-1, 0, 0) * Rx(pitch) * (Rz(roll) * Ry(yaw)).
    void UpdateDirection();
    void MouseLook(int x, int y);
    void Move(double amount);
    void Strafe(double amount);

    void SetPosition(const Vec3& p) { position = p; }
    void SetDirection(const Vec3& d) { direction = d; }
    void SetCentre(int x, int y) {
        centreX = x;
        centreY = y;
    }
    void SetCursorWarp(CursorWarp warp) { cursorWarp_ = warp; }
    void SetClientOrigin(ClientOrigin origin) { clientOrigin_ = origin; }
    // The centre in screen coordinates, where mouse look puts the cursor back.
    void ScreenCentre(int& x, int& y) const;

    Vec3 direction{-1.0f, 0.0f, 0.0f};
    Vec3 up{0.0f, 1.0f, 0.0f};
    Vec3 position;
    float pitch = 0, yaw = 0, roll = 0;
    double speed = 0.25; // stored and returned only
    double mouseSensitivity = 0.25;
    int centreX = 0, centreY = 0;
    bool invertMouse = false;

  private:
    CursorWarp cursorWarp_ = nullptr;
    ClientOrigin clientOrigin_ = nullptr;
};

} // namespace quarn
