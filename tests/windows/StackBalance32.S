/* int __cdecl CallMeasured(void* fn, const uint32_t* words, int count)
 * Pushes count 32-bit words (words[0] nearest the return address, as a C caller lays out its
 * arguments), clears EAX, EDX and ECX, calls fn and returns the bytes fn left on the stack:
 * 0 for a callee that removes its arguments (stdcall), 4 * count for one that does not. The
 * x87 stack is reset after the call, as a float result would otherwise stay on it. The
 * callee's EAX is kept in CallMeasuredResult. */
    .data
    .globl _CallMeasuredResult
_CallMeasuredResult:
    .long 0
    .text
    .globl _CallMeasured
_CallMeasured:
    pushl %ebp
    movl %esp, %ebp
    pushl %ebx
    pushl %esi
    pushl %edi
    movl 12(%ebp), %esi
    movl 16(%ebp), %ecx
    movl %esp, %ebx
1:  testl %ecx, %ecx
    jz 2f
    decl %ecx
    pushl (%esi,%ecx,4)
    jmp 1b
2:  movl 8(%ebp), %edi
    xorl %eax, %eax
    xorl %edx, %edx
    xorl %ecx, %ecx
    call *%edi
    movl %eax, _CallMeasuredResult
    fninit
    movl %ebx, %eax
    subl %esp, %eax
    movl %ebx, %esp
    popl %edi
    popl %esi
    popl %ebx
    popl %ebp
    ret
