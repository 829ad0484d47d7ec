#pragma once
// The two 128 by 128 RGBA flag PNGs carried inside the program: the United
// States flag marks the English line, the French flag the French line.
#include <cstddef>
#include <cstdint>
#include <span>

namespace vokabino {

std::span<const std::uint8_t> UsFlagPng();
std::span<const std::uint8_t> FrenchFlagPng();

}  // namespace vokabino
