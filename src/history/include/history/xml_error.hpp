#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>

namespace palvarin {

// COM-style status codes the XML layer raises with.
inline constexpr std::uint32_t kErrorPointer = 0x80004003;      // asked of an empty handle
inline constexpr std::uint32_t kErrorOutOfMemory = 0x8007000E;  // no memory for a text
inline constexpr std::uint32_t kErrorFail = 0x80004005;         // the file could not be written

// The one exception of the XML layer: a failing status and a description.
class XmlError : public std::runtime_error {
 public:
  XmlError(std::uint32_t status, const std::string& description)
      : std::runtime_error(description), status_(status) {}
  std::uint32_t Status() const { return status_; }

 private:
  std::uint32_t status_;
};

}  // namespace palvarin
