#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>

namespace palvarin {

// The COM-style status the XML layer raises with when memory runs out.
inline constexpr std::uint32_t kErrorOutOfMemory = 0x8007000E;  // no memory for a text

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
