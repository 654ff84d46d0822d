#include "parts/stop.fxh"
