// DSR error bytes answered by every operation of the library.
#pragma once

#include <cstdint>

namespace kestrel::hdlib
{

constexpr int32_t kDsrOk = 0;
constexpr int32_t kDsrWriteProtected = 32;
constexpr int32_t kDsrBadAttribute = 64;
constexpr int32_t kDsrIllegalOperation = 96;
constexpr int32_t kDsrOutOfSpace = 128;
constexpr int32_t kDsrEndOfFile = 160;
constexpr int32_t kDsrDeviceError = 192;
constexpr int32_t kDsrFileError = 224;
// Internal "not found"; turned into 224 or a create step before it leaves the library,
// except where an operation documents it as its answer.
constexpr int32_t kNotFound = -1;

} // namespace kestrel::hdlib
