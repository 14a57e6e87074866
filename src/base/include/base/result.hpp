#pragma once

#include <optional>
#include <utility>

#include "base/reason.hpp"

namespace palvarin {

// What went wrong, on its way into a Result of any kind.
struct Failure {
  Reason reason;
};

// A value, or the reason there is none: the one way the core reports a failure. It tests like
// pugixml's xml_parse_result (true on success) and reads like the value it holds.
template <typename T = void>
class Result {
 public:
  Result(T value) : value_(std::move(value)) {}                    // NOLINT: a value is a success
  Result(Failure failure) : reason_(std::move(failure.reason)) {}  // NOLINT: and so a failure

  explicit operator bool() const { return value_.has_value(); }
  T& operator*() { return *value_; }
  const T& operator*() const { return *value_; }
  T* operator->() { return &*value_; }
  const T* operator->() const { return &*value_; }

  // ReasonKind::None on success.
  const Reason& reason() const { return reason_; }
  // errno of the failure; 0 on success.
  int code() const { return reason_.code; }

 private:
  std::optional<T> value_;
  Reason reason_;
};

// Success, or what went wrong.
template <>
class Result<void> {
 public:
  Result() = default;
  Result(Failure failure) : ok_(false), reason_(std::move(failure.reason)) {}  // NOLINT

  explicit operator bool() const { return ok_; }
  const Reason& reason() const { return reason_; }
  int code() const { return reason_.code; }

 private:
  bool ok_ = true;
  Reason reason_;
};

}  // namespace palvarin
