#include "physics/newton/ContactMaterial.h"

#include "physics/newton/RigidBody.h"

#include <algorithm>
#include <cstdint>

namespace quarn::newton {

namespace {

struct PairKey {
    uintptr_t low, high;
};

PairKey KeyOf(const btPersistentManifold* m) {
    const auto a = reinterpret_cast<uintptr_t>(m->getBody0());
    const auto b = reinterpret_cast<uintptr_t>(m->getBody1());
    return {std::min(a, b), std::max(a, b)};
}

struct ByPair {
    bool operator()(const btPersistentManifold* x, const btPersistentManifold* y) const {
        const PairKey a = KeyOf(x), b = KeyOf(y);
        return a.low != b.low ? a.low < b.low : a.high < b.high;
    }
};

bool SamePair(const btPersistentManifold* x, const btPersistentManifold* y) {
    const PairKey a = KeyOf(x), b = KeyOf(y);
    return a.low == b.low && a.high == b.high;
}

bool Participates(const btPersistentManifold* m) {
    if (m->getNumContacts() == 0) return false;
    const NewtonBody* a = NewtonBody::FromBullet(m->getBody0());
    const NewtonBody* b = NewtonBody::FromBullet(m->getBody1());
    if (!a || !b || a->pendingDestroy || b->pendingDestroy) return false;
    // Resting islands keep stale points; Newton reports only pairs that are simulated.
    return m->getBody0()->isActive() || m->getBody1()->isActive();
}

btVector3 VelocityAt(const btCollisionObject* object, const btVector3& point) {
    const btRigidBody* body = btRigidBody::upcast(object);
    if (!body) return btVector3(0, 0, 0);
    return body->getVelocityInLocalPoint(point - body->getCenterOfMassPosition());
}

btVector3 RelativeVelocity(const btPersistentManifold& m, const btManifoldPoint& p) {
    return VelocityAt(m.getBody0(), p.getPositionWorldOnA()) -
           VelocityAt(m.getBody1(), p.getPositionWorldOnB());
}

// Newton's softness 0.01 (stiff) .. 2 (soft) as the share of penetration removed per step.
btScalar ContactErp(float softness) {
    const float s = std::clamp(softness, 0.01f, 2.0f);
    return btScalar(std::clamp(0.8f / (1.0f + s), 0.05f, 0.8f));
}

void ApplyPointSettings(const ContactSettings& settings, btManifoldPoint& p) {
    p.m_combinedRestitution = settings.restitution;
    p.m_combinedFriction = settings.friction;
    p.m_contactERP = settings.erp;
    p.m_contactPointFlags |= BT_CONTACT_FLAG_HAS_CONTACT_ERP;
    // Friction directions are Bullet's own unless this update's process callback sets them.
    p.m_contactPointFlags &= ~BT_CONTACT_FLAG_LATERAL_FRICTION_INITIALIZED;
    p.m_contactMotion1 = 0;
    p.m_contactMotion2 = 0;
}

// Gives the contact explicit tangents (Bullet's if none were set yet) so a motion can be set.
void EnsureTangents(btManifoldPoint& p) {
    if (p.m_contactPointFlags & BT_CONTACT_FLAG_LATERAL_FRICTION_INITIALIZED) return;
    btPlaneSpace1(p.m_normalWorldOnB, p.m_lateralFrictionDir1, p.m_lateralFrictionDir2);
    p.m_contactPointFlags |= BT_CONTACT_FLAG_LATERAL_FRICTION_INITIALIZED;
}

void ProcessRun(NewtonMaterial& material, btPersistentManifold* const* run, int count) {
    const NewtonBody* body0 = NewtonBody::FromBullet(run[0]->getBody0());
    const NewtonBody* body1 = NewtonBody::FromBullet(run[0]->getBody1());
    if (material.begin && material.begin(&material, body0, body1) == 0) {
        for (int i = 0; i < count; ++i)
            run[i]->clearManifold();
        return;
    }
    // Read after begin: it may change the pair's settings.
    const ContactSettings settings = SettingsOf(material);
    for (int i = 0; i < count; ++i) {
        btPersistentManifold* m = run[i];
        for (int k = 0; k < m->getNumContacts();) {
            btManifoldPoint& p = m->getContactPoint(k);
            ApplyPointSettings(settings, p);
            bool keep = true;
            if (material.process) {
                material.manifold = m;
                material.point = &p;
                keep = material.process(&material, reinterpret_cast<const NewtonContact*>(&p)) != 0;
                material.point = nullptr;
                material.manifold = nullptr;
            }
            if (keep)
                ++k;
            else
                m->removeContactPoint(k); // the last point moves into slot k
        }
    }
    if (material.end) material.end(&material);
}

} // namespace

bool HasListeners(const NewtonMaterial& material) {
    return material.begin || material.process || material.end;
}

ContactSettings SettingsOf(const NewtonMaterial& material) {
    return {std::clamp(material.elasticity, 0.0f, 1.0f), std::max(material.kineticFriction, 0.0f),
            ContactErp(material.softness)};
}

void ApplyPairSettings(const ContactSettings& settings, btPersistentManifold& manifold) {
    // Bullet rewrites a point from the bodies' own materials whenever the narrow phase
    // finds it again, so every step sets them anew.
    for (int k = 0; k < manifold.getNumContacts(); ++k)
        ApplyPointSettings(settings, manifold.getContactPoint(k));
}

void RunContactPass(NewtonMaterial& material, btDispatcher& dispatcher,
                    btAlignedObjectArray<btPersistentManifold*>& scratch) {
    scratch.resize(0);
    const int total = dispatcher.getNumManifolds();
    for (int i = 0; i < total; ++i) {
        btPersistentManifold* m = dispatcher.getManifoldByIndexInternal(i);
        if (Participates(m)) scratch.push_back(m);
    }
    if (scratch.size() == 0) return;
    // A compound pair has one manifold per touching child: group them so that begin and end
    // run once per body pair.
    scratch.quickSort(ByPair());
    int start = 0;
    while (start < scratch.size()) {
        int stop = start + 1;
        while (stop < scratch.size() && SamePair(scratch[start], scratch[stop]))
            ++stop;
        ProcessRun(material, &scratch[start], stop - start);
        start = stop;
    }
}

void RotateTangent(NewtonMaterial& material, const btVector3& direction) {
    if (!material.point) return;
    btManifoldPoint& p = *material.point;
    const btVector3& n = p.m_normalWorldOnB;
    btVector3 t = direction - n * n.dot(direction);
    if (t.length2() < btScalar(1e-12)) return; // along the normal: no tangent to align
    t.normalize();
    p.m_lateralFrictionDir1 = t;
    p.m_lateralFrictionDir2 = n.cross(t);
    p.m_contactPointFlags |= BT_CONTACT_FLAG_LATERAL_FRICTION_INITIALIZED;
}

void SetTangentAcceleration(NewtonMaterial& material, float acceleration, int index) {
    if (!material.point || !material.manifold || (index != 0 && index != 1)) return;
    btManifoldPoint& p = *material.point;
    EnsureTangents(p);
    // Bullet's friction row targets a relative velocity: this update's change is a*h.
    const btVector3 v = RelativeVelocity(*material.manifold, p);
    const btVector3& dir = index == 0 ? p.m_lateralFrictionDir1 : p.m_lateralFrictionDir2;
    const btScalar target = v.dot(dir) + btScalar(acceleration) * material.timestep;
    (index == 0 ? p.m_contactMotion1 : p.m_contactMotion2) = target;
}

} // namespace quarn::newton
