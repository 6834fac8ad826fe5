#include "sdk/live/ilivetypes.h"

#include <cstdlib>
#include <cstring>

namespace ilive {

void *iliveMalloc(size_t size) {
  void *p = std::malloc(size ? size : 1);
  if (!p)
    throw std::bad_alloc();
  return p;
}

void iliveFree(void *p) { std::free(p); }

String::String() = default;

String::String(const char *text) {
  if (text)
    assign(text, std::strlen(text));
}

String::String(const char *bytes, size_t length) { assign(bytes, length); }

String::String(const String &other) { assign(other.m_data, other.m_size); }

String::String(String &&other) noexcept : m_data(other.m_data), m_size(other.m_size) {
  other.m_data = nullptr;
  other.m_size = 0;
}

String &String::operator=(const String &other) {
  if (this != &other) {
    String copy(other);
    *this = std::move(copy);
  }
  return *this;
}

String &String::operator=(String &&other) noexcept {
  if (this != &other) {
    iliveFree(m_data);
    m_data = other.m_data;
    m_size = other.m_size;
    other.m_data = nullptr;
    other.m_size = 0;
  }
  return *this;
}

String::~String() { iliveFree(m_data); }

bool String::operator==(const String &other) const {
  return m_size == other.m_size && (m_size == 0 || std::memcmp(m_data, other.m_data, m_size) == 0);
}

void String::assign(const char *bytes, size_t length) {
  if (!bytes || length == 0)
    return;
  m_data = static_cast<char *>(iliveMalloc(length + 1));
  std::memcpy(m_data, bytes, length);
  m_data[length] = '\0';
  m_size = length;
}

} // namespace ilive
