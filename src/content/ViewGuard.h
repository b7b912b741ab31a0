#pragma once
// Reading a mapped view safely: when the file behind it shrinks while it is read (another program
// truncates it, a network drive goes away), touching the lost pages raises an access fault. Such a
// fault inside the guarded range ends the guarded call instead of the program.
#include <cstddef>

// Calls fn(context) once. Returns true and stores its result in *result when it returned; false
// when it faulted on a read inside [begin, begin + size) (other faults are not touched). The
// function must own nothing that needs cleaning up: on a fault its frames are abandoned.
bool CallWithViewGuard(const void* begin, size_t size, bool (*fn)(void* context), void* context, bool* result);
