#pragma once

#include <memory>

#include "converter.h"

namespace kinorex {

// The converter the application runs: PS2AVI where the engine provides it.
std::unique_ptr<Converter> makeConverter();

}  // namespace kinorex
