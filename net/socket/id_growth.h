#pragma once
#include <cstddef>
#include <string>

// How the byte stores of the layer (buffer, memory stream) grow: makes room for `needed`
// bytes in all, growing geometrically (fourfold past a few megabytes). A large area is
// made afresh and advised for large pages before anything touches it, then the bytes
// move in.
void ReserveBytes(std::string& bytes, size_t needed);
