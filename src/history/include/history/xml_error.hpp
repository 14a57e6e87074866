#pragma once

#include <cstdint>
#include <exception>
#include <utility>

#include "base/reason.hpp"

namespace palvarin {

// The COM-style status the XML layer raises with when memory runs out.
inline constexpr std::uint32_t kErrorOutOfMemory = 0x8007000E;  // no memory for a text

// The one exception of the XML layer: a failing status and its reason.
class XmlError : public std::exception {
 public:
  XmlError(std::uint32_t status, Reason reason) : status_(status), reason_(std::move(reason)) {}
  std::uint32_t Status() const { return status_; }
  const Reason& Why() const { return reason_; }
  const char* what() const noexcept override { return "palvarin::XmlError"; }

 private:
  std::uint32_t status_;
  Reason reason_;
};

}  // namespace palvarin
