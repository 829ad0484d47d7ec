#include "assets/flags.h"

namespace vokabino {

extern const std::uint8_t kus_flag_png[];
extern const std::size_t kus_flag_png_size;
extern const std::uint8_t kfr_flag_png[];
extern const std::size_t kfr_flag_png_size;

std::span<const std::uint8_t> UsFlagPng() { return {kus_flag_png, kus_flag_png_size}; }
std::span<const std::uint8_t> FrenchFlagPng() { return {kfr_flag_png, kfr_flag_png_size}; }

}  // namespace vokabino
