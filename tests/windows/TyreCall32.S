/* void* __cdecl CallTyreAsHost(void* fn, void* vehicle, const void* position, const void* pin,
 *                              const float* six, int* bytesLeft)
 * Calls qpVehicleAddTyre the way a 32-bit Windows host of the register convention does:
 * vehicle, position pointer and pin pointer in EAX, EDX and ECX; mass, width, radius, shock,
 * spring and length pushed in that order; the callee removes them. bytesLeft receives what
 * the callee left on the stack (0 when it removed all 24 bytes). */
    .text
    .globl _CallTyreAsHost
_CallTyreAsHost:
    pushl %ebp
    movl %esp, %ebp
    pushl %ebx
    pushl %esi
    pushl %edi
    movl 24(%ebp), %esi
    movl %esp, %ebx
    pushl 0(%esi)
    pushl 4(%esi)
    pushl 8(%esi)
    pushl 12(%esi)
    pushl 16(%esi)
    pushl 20(%esi)
    movl 12(%ebp), %eax
    movl 16(%ebp), %edx
    movl 20(%ebp), %ecx
    movl 8(%ebp), %edi
    call *%edi
    movl %ebx, %ecx
    subl %esp, %ecx
    movl %ebx, %esp
    movl 28(%ebp), %edx
    movl %ecx, (%edx)
    popl %edi
    popl %esi
    popl %ebx
    popl %ebp
    ret
