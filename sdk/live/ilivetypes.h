#pragma once
// The live SDK's own string, pair and vector types. Everything that crosses the SDK boundary
// (strings in frames, device lists, message elements) is held in these, with memory from
// iliveMalloc and given back with iliveFree, so that both sides agree on who frees what.

#include <cstddef>
#include <cstdint>
#include <new>
#include <utility>

namespace ilive {

void *iliveMalloc(size_t size);
void iliveFree(void *p);

// A byte string, always NUL-terminated; UTF-8 by convention.
class String {
public:
  String();
  String(const char *text);                 // NOLINT: converting on purpose; null = empty
  String(const char *bytes, size_t length); // may hold NUL bytes
  String(const String &other);
  String(String &&other) noexcept;
  String &operator=(const String &other);
  String &operator=(String &&other) noexcept;
  ~String();

  const char *c_str() const { return m_data ? m_data : ""; }
  size_t size() const { return m_size; }
  bool empty() const { return m_size == 0; }
  bool operator==(const String &other) const;
  bool operator!=(const String &other) const { return !(*this == other); }

private:
  void assign(const char *bytes, size_t length);
  char *m_data = nullptr;
  size_t m_size = 0;
};

template <typename A, typename B> struct Pair {
  Pair() = default;
  Pair(const A &a, const B &b) : first(a), second(b) {}
  A first{};
  B second{};
};

// A growable array. Elements are copied in and destroyed with the vector.
template <typename T> class Vector {
public:
  Vector() = default;
  Vector(const Vector &other) { copyFrom(other); }
  Vector(Vector &&other) noexcept { swap(other); }
  Vector &operator=(const Vector &other) {
    if (this != &other) {
      clear();
      copyFrom(other);
    }
    return *this;
  }
  Vector &operator=(Vector &&other) noexcept {
    swap(other);
    return *this;
  }
  ~Vector() {
    clear();
    iliveFree(m_data);
  }

  void push_back(const T &value) {
    reserve(m_size + 1);
    new (m_data + m_size) T(value);
    ++m_size;
  }
  void pop_back() {
    if (m_size > 0)
      m_data[--m_size].~T();
  }
  void erase(size_t index) {
    if (index >= m_size)
      return;
    for (size_t i = index; i + 1 < m_size; ++i)
      m_data[i] = std::move(m_data[i + 1]);
    pop_back();
  }
  void clear() {
    while (m_size > 0)
      pop_back();
  }
  size_t size() const { return m_size; }
  bool empty() const { return m_size == 0; }
  T &operator[](size_t i) { return m_data[i]; }
  const T &operator[](size_t i) const { return m_data[i]; }
  T &back() { return m_data[m_size - 1]; }
  const T &back() const { return m_data[m_size - 1]; }
  T *begin() { return m_data; }
  T *end() { return m_data + m_size; }
  const T *begin() const { return m_data; }
  const T *end() const { return m_data + m_size; }

private:
  void reserve(size_t wanted) {
    if (wanted <= m_capacity)
      return;
    size_t capacity = m_capacity ? m_capacity * 2 : 4;
    while (capacity < wanted)
      capacity *= 2;
    T *grown = static_cast<T *>(iliveMalloc(capacity * sizeof(T)));
    for (size_t i = 0; i < m_size; ++i) {
      new (grown + i) T(std::move(m_data[i]));
      m_data[i].~T();
    }
    iliveFree(m_data);
    m_data = grown;
    m_capacity = capacity;
  }
  void copyFrom(const Vector &other) {
    reserve(other.m_size);
    for (size_t i = 0; i < other.m_size; ++i)
      push_back(other.m_data[i]);
  }
  void swap(Vector &other) noexcept {
    std::swap(m_data, other.m_data);
    std::swap(m_size, other.m_size);
    std::swap(m_capacity, other.m_capacity);
  }

  T *m_data = nullptr;
  size_t m_size = 0;
  size_t m_capacity = 0;
};

} // namespace ilive
