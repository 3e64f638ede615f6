#include "physics/world/ContactCallbacks.h"

#include "physics/world/Body.h"
#include "physics/world/World.h"

#include <exception>

namespace quarn {

namespace {

TqpContactInfo g_contact{};
// The material handed to the host is valid only while its contact-process callback runs: only
// there is a contact point for the material exports to change.
TqpMaterialHandle g_liveMaterial = nullptr;

// Runs a host contact callback (with pointLive, the process callback: its material is live
// meanwhile); whatever it throws becomes the world's failure (the contact is kept).
template <class F> int CallHost(TqpWorld& world, bool pointLive, F&& call) noexcept {
    const TqpMaterialHandle outer = g_liveMaterial;
    g_liveMaterial = pointLive ? g_contact.Material : nullptr;
    int result = 1;
    try {
        result = call();
    } catch (const std::exception& e) {
        world.NoteFailure(e.what());
    } catch (...) {
        world.NoteFailure("unknown exception");
    }
    g_liveMaterial = outer;
    return result;
}

TqpWorld* ContactWorld() {
    TqpBody* body = TqpBody::FromHandle(g_contact.Body0);
    return body ? &body->World() : nullptr;
}

TqpMaterialHandle MaterialHandle(const NewtonMaterial* material) {
    return reinterpret_cast<TqpMaterialHandle>(const_cast<NewtonMaterial*>(material));
}

} // namespace

TqpContactInfo& CurrentContact() {
    return g_contact;
}

bool IsLiveMaterial(TqpMaterialHandle material) {
    return material && material == g_liveMaterial;
}

int ContactBeginCallback(const NewtonMaterial* material, const NewtonBody* body0,
                         const NewtonBody* body1) {
    TqpBody* first = TqpBody::FromNewton(body0);
    TqpBody* second = TqpBody::FromNewton(body1);
    g_contact.Body0 = first ? first->Handle() : nullptr;
    g_contact.Body1 = second ? second->Handle() : nullptr;
    g_contact.Material = MaterialHandle(material);
    g_contact.Position = TQUARNVector{0, 0, 0};
    g_contact.Normal = TQUARNVector{0, 0, 0};
    TqpWorld* world = ContactWorld();
    if (!world || !world->ContactBeginCallback()) return 1;
    TqpContactBeginCallback callback = world->ContactBeginCallback();
    return CallHost(*world, false, [&] { return callback(g_contact); });
}

int ContactProcessCallback(const NewtonMaterial* material, const NewtonContact*) {
    g_contact.Material = MaterialHandle(material);
    NewtonMaterialGetContactPositionAndNormal(material, &g_contact.Position.x, &g_contact.Normal.x);
    TqpWorld* world = ContactWorld();
    if (!world || !world->ContactProcessCallback()) return 1;
    TqpContactProcessCallback callback = world->ContactProcessCallback();
    return CallHost(*world, true, [&] { return callback(g_contact); });
}

void ContactEndCallback(const NewtonMaterial* material) {
    g_contact.Material = MaterialHandle(material);
    TqpWorld* world = ContactWorld();
    if (!world || !world->ContactEndCallback()) return;
    TqpContactEndCallback callback = world->ContactEndCallback();
    CallHost(*world, false, [&] {
        callback(g_contact);
        return 1;
    });
}

} // namespace quarn
