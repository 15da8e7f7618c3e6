// Owners for the COM resources of the page fetcher: interface pointers,
// BSTRs and VARIANTs are released or cleared on every path.
#pragma once

#include <oleauto.h>
#include <windows.h>

#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace quorlin {

template <typename Interface>
class ComPtr {
 public:
  ComPtr() = default;
  ComPtr(ComPtr&& other) noexcept : pointer_(std::exchange(other.pointer_, nullptr)) {}
  ComPtr& operator=(ComPtr&& other) noexcept {
    if (this != &other) {
      Reset();
      pointer_ = std::exchange(other.pointer_, nullptr);
    }
    return *this;
  }
  ComPtr(const ComPtr&) = delete;
  ComPtr& operator=(const ComPtr&) = delete;
  ~ComPtr() { Reset(); }

  Interface* Get() const { return pointer_; }
  Interface* operator->() const { return pointer_; }
  explicit operator bool() const { return pointer_ != nullptr; }

  // For an out-parameter: releases what is held first.
  Interface** Put() {
    Reset();
    return &pointer_;
  }
  void** PutVoid() { return reinterpret_cast<void**>(Put()); }

  void Reset() {
    if (pointer_) std::exchange(pointer_, nullptr)->Release();
  }

 private:
  Interface* pointer_ = nullptr;
};

class UniqueBstr {
 public:
  UniqueBstr() = default;
  explicit UniqueBstr(BSTR value) : value_(value) {}
  UniqueBstr(UniqueBstr&& other) noexcept : value_(std::exchange(other.value_, nullptr)) {}
  UniqueBstr& operator=(UniqueBstr&&) = delete;
  UniqueBstr(const UniqueBstr&) = delete;
  ~UniqueBstr() { SysFreeString(value_); }

  BSTR Get() const { return value_; }
  BSTR Release() { return std::exchange(value_, nullptr); }

 private:
  BSTR value_ = nullptr;
};

class UniqueVariant {
 public:
  UniqueVariant() { VariantInit(&value_); }
  UniqueVariant(const UniqueVariant&) = delete;
  UniqueVariant& operator=(const UniqueVariant&) = delete;
  ~UniqueVariant() { VariantClear(&value_); }

  VARIANT* Get() { return &value_; }
  // For an out-parameter: clears what is held first.
  VARIANT* Put() {
    VariantClear(&value_);
    return &value_;
  }

 private:
  VARIANT value_;
};

// The arguments of one IDispatch::Invoke, stored last argument first as
// Invoke takes them, and cleared together.
class InvokeArguments {
 public:
  InvokeArguments() = default;
  InvokeArguments(const InvokeArguments&) = delete;
  InvokeArguments& operator=(const InvokeArguments&) = delete;
  ~InvokeArguments() {
    for (VARIANT& value : reversed_) VariantClear(&value);
  }

  // A BSTR argument; the string is made with SysAllocString, so it ends at a
  // NUL character of the text.
  void AddString(const std::wstring& text) {
    VARIANT value;
    VariantInit(&value);
    value.vt = VT_BSTR;
    value.bstrVal = SysAllocString(text.c_str());
    reversed_.insert(reversed_.begin(), value);
  }
  void AddBool(VARIANT_BOOL flag) {
    VARIANT value;
    VariantInit(&value);
    value.vt = VT_BOOL;
    value.boolVal = flag;
    reversed_.insert(reversed_.begin(), value);
  }

  UINT Count() const { return static_cast<UINT>(reversed_.size()); }
  VARIANT* Reversed() { return reversed_.empty() ? nullptr : reversed_.data(); }

 private:
  std::vector<VARIANT> reversed_;
};

// The narrow text (ANSI code page) as UTF-16, terminator included in the
// conversion.
inline std::wstring WidenText(std::string_view text) {
  const std::string terminated(text);
  const int units = MultiByteToWideChar(CP_ACP, 0, terminated.c_str(), -1, nullptr, 0);
  if (units <= 0) return std::wstring();
  std::wstring wide(static_cast<std::size_t>(units), L'\0');
  MultiByteToWideChar(CP_ACP, 0, terminated.c_str(), -1, wide.data(), units);
  wide.resize(static_cast<std::size_t>(units) - 1);
  return wide;
}

// UTF-16 as narrow text in the ANSI code page, up to the first NUL. The
// buffer is as large as the conversion says it needs, whatever the code page.
inline std::string NarrowText(const wchar_t* units, std::size_t count) {
  std::size_t length = 0;
  while (length < count && units[length] != L'\0') ++length;
  if (length == 0) return std::string();
  const int size =
      WideCharToMultiByte(CP_ACP, 0, units, static_cast<int>(length), nullptr, 0, nullptr, nullptr);
  if (size <= 0) return std::string();
  std::string narrow(static_cast<std::size_t>(size), '\0');
  WideCharToMultiByte(CP_ACP, 0, units, static_cast<int>(length), narrow.data(), size, nullptr,
                      nullptr);
  return narrow;
}

}  // namespace quorlin
