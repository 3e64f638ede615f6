// The contact callbacks the world registers for its default material pair. They fill the one
// library-wide contact record and forward it to the host's callbacks of the first body's world.
#pragma once

#include "physics/newton/Newton.h"
#include "quarn/QuarnPhysics.h"

namespace quarn {

// The record of the pair being processed (bodies and point of the last begin/process call).
TqpContactInfo& CurrentContact();
// True only for the material of the contact whose host process callback is running now.
bool IsLiveMaterial(TqpMaterialHandle material);

int ContactBeginCallback(const NewtonMaterial* material, const NewtonBody* body0,
                         const NewtonBody* body1);
int ContactProcessCallback(const NewtonMaterial* material, const NewtonContact* contact);
void ContactEndCallback(const NewtonMaterial* material);

} // namespace quarn
