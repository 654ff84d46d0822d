// Heap allocations made through the global operator new of glimmerhop-tool, counted so
// that `bench` can tell which frames allocate. The other commands only pay the increment.
#pragma once

namespace tool {
unsigned long allocationCount();
}
