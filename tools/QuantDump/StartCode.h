// Finding MPEG start code prefixes (00 00 01) quickly in a block of bytes.
#pragma once

#include <cstddef>
#include <cstdint>

namespace quire::quantdump {

inline constexpr std::size_t kNoStartCode = static_cast<std::size_t>(-1);

// Position of the first prefix 00 00 01 lying wholly in data[from, size), or kNoStartCode.
// Uses the fastest of the versions below that the processor runs.
std::size_t findStartCode(const std::uint8_t* data, std::size_t from, std::size_t size);

// The versions, each with the same contract. A version the processor or the compiler lacks falls
// back on the one before it (scalar < SSE2 < AVX2).
std::size_t findStartCodeScalar(const std::uint8_t* data, std::size_t from, std::size_t size);
std::size_t findStartCodeSse2(const std::uint8_t* data, std::size_t from, std::size_t size);
std::size_t findStartCodeAvx2(const std::uint8_t* data, std::size_t from, std::size_t size);
bool processorHasAvx2();

} // namespace quire::quantdump
