// Owning wrappers for Windows handles: one type per kind of handle, told apart
// by its invalid value and the function that closes it. A wrapper closes its
// handle exactly once, on destruction or reset; it can be moved, not copied.
#pragma once

#include <utility>

namespace nimbra::win32 {

// Traits: `using Type = ...;`, `static Type invalid() noexcept;`,
// `static void close(Type) noexcept;` (called only for valid handles).
template <typename Traits>
class UniqueAny {
 public:
  using Type = typename Traits::Type;

  UniqueAny() noexcept = default;
  explicit UniqueAny(Type handle) noexcept : handle_(handle) {}
  ~UniqueAny() { reset(); }

  UniqueAny(UniqueAny&& other) noexcept : handle_(other.release()) {}
  UniqueAny& operator=(UniqueAny&& other) noexcept {
    if (this != &other) reset(other.release());
    return *this;
  }
  UniqueAny(const UniqueAny&) = delete;
  UniqueAny& operator=(const UniqueAny&) = delete;

  Type get() const noexcept { return handle_; }
  bool valid() const noexcept { return handle_ != Traits::invalid(); }
  explicit operator bool() const noexcept { return valid(); }

  // Gives up ownership without closing.
  Type release() noexcept { return std::exchange(handle_, Traits::invalid()); }
  // Closes the held handle, if any, and takes the new one.
  void reset(Type handle = Traits::invalid()) noexcept {
    const Type old = std::exchange(handle_, handle);
    if (old != Traits::invalid()) Traits::close(old);
  }

  // For out-parameters (`RegOpenKeyExA(..., key.put())`): closes what is held first.
  Type* put() noexcept {
    reset();
    return &handle_;
  }

 private:
  Type handle_ = Traits::invalid();
};

}  // namespace nimbra::win32
