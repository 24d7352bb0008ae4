// CRC-32 of zip (reflected polynomial 0xEDB88320) over the output of a member.
#pragma once

#include <cstddef>
#include <cstdint>

// The caller presets the register to 0xFFFFFFFF and complements it at the end.
[[nodiscard]] std::uint32_t crc32_update(std::uint32_t crc, const std::uint8_t* data, std::size_t count);

// The same by tables alone (the path of processors without carry-less
// multiplication); crc32_update gives the same values.
[[nodiscard]] std::uint32_t crc32_update_tables(std::uint32_t crc, const std::uint8_t* data, std::size_t count);
