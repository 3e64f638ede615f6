/* QuarnTyreCall32.h - qpVehicleAddTyre on 32-bit Windows, included by QuarnPhysics.h there.
 *
 * There the export uses a register convention: the vehicle, the position pointer and the pin
 * pointer travel in EAX, EDX and ECX, the six singles are pushed in argument order (mass
 * first, so suspension length lies nearest the return address) and the callee removes them
 * (24 bytes). GCC and Clang state this as regparm(3) with stdcall and the stack parameters
 * declared in reverse; the inline function gives C hosts the ordinary argument order. */
#ifndef QUARN_TYRE_CALL32_H
#define QUARN_TYRE_CALL32_H

#if !defined(__GNUC__)
#error                                                                                             \
    "qpVehicleAddTyre's register convention needs GCC or Clang here; call it from assembly otherwise"
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* Neither dllexport nor dllimport: the export table names it (the attribute directives would
 * carry the assembler name), and hosts reach it through the import library's thunk. */
TqpTyreHandle __attribute__((regparm(3), stdcall))
qpVehicleAddTyreRegisterCall(TqpVehicleHandle vehicle, const TQUARNVector* position,
                             const TQUARNVector* pin, float length, float spring, float shock,
                             float radius, float width, float mass) __asm__("_qpVehicleAddTyre@24");

static __inline TqpTyreHandle
qpVehicleAddTyre(TqpVehicleHandle vehicle, const TQUARNVector* position, const TQUARNVector* pin,
                 float mass, float width, float radius, float shock, float spring, float length) {
    return qpVehicleAddTyreRegisterCall(vehicle, position, pin, length, spring, shock, radius,
                                        width, mass);
}

#ifdef __cplusplus
}
#endif

#endif /* QUARN_TYRE_CALL32_H */
