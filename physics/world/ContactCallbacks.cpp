#include "physics/world/ContactCallbacks.h"

#include "physics/body/Body.h"
#include "physics/world/World.h"

namespace quarn {

namespace {

TqpContactInfo g_contact{};

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
    return world->ContactBeginCallback()(g_contact);
}

int ContactProcessCallback(const NewtonMaterial* material, const NewtonContact*) {
    g_contact.Material = MaterialHandle(material);
    NewtonMaterialGetContactPositionAndNormal(material, &g_contact.Position.x, &g_contact.Normal.x);
    TqpWorld* world = ContactWorld();
    if (!world || !world->ContactProcessCallback()) return 1;
    return world->ContactProcessCallback()(g_contact);
}

void ContactEndCallback(const NewtonMaterial* material) {
    g_contact.Material = MaterialHandle(material);
    TqpWorld* world = ContactWorld();
    if (world && world->ContactEndCallback()) world->ContactEndCallback()(g_contact);
}

} // namespace quarn
