#pragma once
#include "nested.fxh"
#define SCALE 2.0
