#pragma once
#include <cstddef>

// Asks the system to back a large memory area that nothing has touched yet with large
// pages: filling tens of megabytes then takes a fraction of the page faults. Only a hint;
// where the system cannot, nothing changes.
void AdviseLargeMemory(void* data, size_t size);
