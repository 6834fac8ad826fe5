#pragma once
// One board of a document: the image its page shows. Shared between file records.

#include <string>

struct BoardPage {
  std::wstring imageUrl;
};
