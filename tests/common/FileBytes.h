#pragma once

#include <fstream>
#include <iterator>
#include <string>

namespace ostrel::test {

// The bytes of the file at path; empty when it cannot be read.
inline std::string ReadFileBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

// Replaces the file at path with bytes.
inline void WriteFileBytes(const std::string& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

}  // namespace ostrel::test
