#pragma once
#include <cstdint>

// The English text of a socket error number ("" for a number without one).
const char* SocketErrorText(int32_t code);
