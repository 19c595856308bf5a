// Counts every heap allocation of the program it is linked into: operator new is replaced, and
// malloc, calloc and realloc are wrapped by the linker (the target jq_allocation_counter adds
// the --wrap options), which also catches the runtime's own allocations through malloc.
#pragma once

long HeapAllocations();
