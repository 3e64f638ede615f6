/* qpVehicleAddTyre's register convention on 32-bit Windows, called as a host of that
 * convention would (TyreCall32.S) and through the public header's declaration. Each of the nine
 * arguments is made bad in turn: the error that comes back names the argument that arrived in
 * that place, so every value is seen where the library expects it. */
#include "quarn/QuarnPhysics.h"

#include <math.h>
#include <stdio.h>
#include <string.h>
#include <windows.h>

void* __cdecl CallTyreAsHost(void* fn, void* vehicle, const void* position, const void* pin,
                             const float* six, int* bytesLeft);

static int failures = 0;

static void Expect(int ok, const char* what) {
    if (!ok) {
        const char* e = qpGetLastError();
        fprintf(stderr, "failed: %s (last error: %s)\n", what, e ? e : "none");
        ++failures;
    }
}

static void ExpectRefusal(void* tyre, const char* words, const char* what) {
    const char* e = qpGetLastError();
    Expect(tyre == NULL && e && strstr(e, words) != NULL, what);
    qpClearLastError();
}

int main(void) {
    TQUARNVector size = {2, 1, 4}, position = {1, 0, 1}, pin = {1, 0, 0}, zero = {0, 0, 0};
    const float good[6] = {10, 0.3f, 0.5f,
                           30, 200,  0.2f}; /* mass, width, radius, shock, spring, length */
    static const char* const names[6] = {
        "mass", "width", "radius", "suspension shock", "suspension spring", "suspension length"};
    void* fn = (void*)GetProcAddress(GetModuleHandleA("QuarnPhysics.dll"), "qpVehicleAddTyre");
    TqpWorldHandle world = qpWorldCreate();
    TqpBodyHandle chassis = qpBodyCreate(world, 1, qpCollisionCreateBySize(world, 1, &size));
    TqpVehicleHandle vehicle;
    int left = -1, i;
    qpBodySetMass(chassis, 100);
    vehicle = qpVehicleCreate(chassis);
    Expect(fn != NULL && vehicle != NULL, "a vehicle and the export by name");

    Expect(CallTyreAsHost(fn, vehicle, &position, &pin, good, &left) != NULL,
           "a good tyre is added");
    Expect(left == 0, "the callee removes the six singles");

    ExpectRefusal(CallTyreAsHost(fn, NULL, &position, &pin, good, &left), "vehicle is nil",
                  "EAX is the vehicle");
    ExpectRefusal(CallTyreAsHost(fn, vehicle, NULL, &pin, good, &left), "position is nil",
                  "EDX is the position");
    ExpectRefusal(CallTyreAsHost(fn, vehicle, &position, &zero, good, &left), "pin has zero length",
                  "ECX is the pin");
    for (i = 0; i < 6; ++i) {
        float bad[6];
        char what[64];
        memcpy(bad, good, sizeof bad);
        bad[i] = NAN;
        snprintf(what, sizeof what, "stack value %d is %s", i + 1, names[i]);
        ExpectRefusal(CallTyreAsHost(fn, vehicle, &position, &pin, bad, &left), names[i], what);
        Expect(left == 0, "the stack is balanced after a refusal");
    }

    /* A C host compiled against the header reaches the same entry with ordinary arguments. */
    Expect(qpVehicleAddTyre(vehicle, &position, &pin, 10, 0.3f, 0.5f, 30, 200, 0.2f) != NULL,
           "the header's declaration adds a tyre");
    ExpectRefusal(qpVehicleAddTyre(vehicle, &position, &pin, 10, NAN, 0.5f, 30, 200, 0.2f), "width",
                  "the header passes width second");
    ExpectRefusal(qpVehicleAddTyre(vehicle, &position, &pin, 10, 0.3f, 0.5f, 30, 200, NAN),
                  "suspension length", "the header passes the suspension length last");
    ExpectRefusal(qpVehicleAddTyre(vehicle, &position, &pin, -1, 0.3f, 0.5f, 30, 200, 0.2f),
                  "mass and radius must be positive", "the header passes mass first");

    qpWorldDestroy(world);
    printf("%s\n", failures ? "register call: FAILED" : "register call: all nine arguments arrive");
    return failures != 0;
}
