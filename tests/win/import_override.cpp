#include "import_override.h"

// The import address table entry of the main program that holds target.
static void** find_slot(void* target) {
  auto* base = reinterpret_cast<BYTE*>(GetModuleHandleA(nullptr));
  auto* dos = reinterpret_cast<IMAGE_DOS_HEADER*>(base);
  auto* nt = reinterpret_cast<IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
  const IMAGE_DATA_DIRECTORY& imports =
      nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
  if (!imports.VirtualAddress) return nullptr;
  for (auto* entry = reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR*>(base + imports.VirtualAddress);
       entry->Name; ++entry) {
    for (auto* thunk = reinterpret_cast<void**>(base + entry->FirstThunk); *thunk; ++thunk)
      if (*thunk == target) return thunk;
  }
  return nullptr;
}

static void write_slot(void** slot, void* value) {
  DWORD old_protection;
  VirtualProtect(slot, sizeof *slot, PAGE_READWRITE, &old_protection);
  *slot = value;
  VirtualProtect(slot, sizeof *slot, old_protection, &old_protection);
}

import_override::import_override(const char* dll, const char* function, void* replacement) {
  HMODULE module = GetModuleHandleA(dll);
  void* target = module ? reinterpret_cast<void*>(GetProcAddress(module, function)) : nullptr;
  if (!target) return;
  slot_ = find_slot(target);
  if (!slot_) return;
  original_ = *slot_;
  write_slot(slot_, replacement);
}

import_override::~import_override() {
  if (slot_) write_slot(slot_, original_);
}
