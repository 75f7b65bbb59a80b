// Points one of the test program's imports at a function of the test's own
// for the life of the object. The host is linked in statically, so every call
// it makes to that platform function goes through the one slot replaced here:
// a test can make a call fail, or stand in for a platform component.
#pragma once

#include <windows.h>

class import_override {
 public:
  // replacement must have the imported function's signature and convention.
  import_override(const char* dll, const char* function, void* replacement);
  ~import_override();
  import_override(const import_override&) = delete;
  import_override& operator=(const import_override&) = delete;

  // Whether the import was found and replaced.
  bool active() const { return slot_ != nullptr; }

 private:
  void** slot_ = nullptr;
  void* original_ = nullptr;
};
