#include "platform/heap.h"

#include <malloc.h>

namespace Heap {

void giveBackFreeMemory()
{
    malloc_trim(0);
}

} // namespace Heap
