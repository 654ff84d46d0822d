// Counts every allocation through the global operator new of this test program.
#pragma once

namespace showtest {
unsigned long allocationCount();
}
