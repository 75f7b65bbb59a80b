// Replaces the C allocator's entry points and operator new in this program,
// so that every heap allocation, ours or a library's, is counted. Memory
// still comes from the C library's own allocator.
#include "alloc_counter.h"

#include <cerrno>
#include <cstddef>
#include <new>

extern "C" {
void* __libc_malloc(size_t size);
void* __libc_calloc(size_t count, size_t size);
void* __libc_realloc(void* p, size_t size);
void* __libc_memalign(size_t alignment, size_t size);
void __libc_free(void* p);
// The linker's bounds of this program's own code.
extern const char __executable_start[];
extern const char etext[];
}

namespace {

// Plain counters: the per-thread one needs no lock, the shared one is only
// read between frames, where a torn read does not matter on x86-64.
__thread int64_t thread_allocs;
__thread int64_t thread_news;
__thread int64_t thread_own;
int64_t all_allocs;

// caller: the return address of the malloc or operator new call.
inline void count(const void* caller) {
  ++thread_allocs;
  __atomic_add_fetch(&all_allocs, 1, __ATOMIC_RELAXED);
  const char* c = static_cast<const char*>(caller);
  if (c >= __executable_start && c < etext) ++thread_own;
}

void* counted_malloc(size_t size, const void* caller) {
  count(caller);
  return __libc_malloc(size);
}

}  // namespace

alloc_counts current_alloc_counts() {
  return {thread_allocs, __atomic_load_n(&all_allocs, __ATOMIC_RELAXED), thread_news, thread_own};
}

extern "C" {

void* malloc(size_t size) { return counted_malloc(size, __builtin_return_address(0)); }

void* calloc(size_t n, size_t size) {
  count(__builtin_return_address(0));
  return __libc_calloc(n, size);
}

void* realloc(void* p, size_t size) {
  count(__builtin_return_address(0));
  return __libc_realloc(p, size);
}

void free(void* p) { __libc_free(p); }

void* memalign(size_t alignment, size_t size) {
  count(__builtin_return_address(0));
  return __libc_memalign(alignment, size);
}

void* aligned_alloc(size_t alignment, size_t size) {
  count(__builtin_return_address(0));
  return __libc_memalign(alignment, size);
}

int posix_memalign(void** out, size_t alignment, size_t size) {
  if (alignment < sizeof(void*) || (alignment & (alignment - 1)) != 0) return EINVAL;
  count(__builtin_return_address(0));
  void* p = __libc_memalign(alignment, size);
  if (!p) return ENOMEM;
  *out = p;
  return 0;
}

}  // extern "C"

// Counted where new was called, not here. Whatever calls operator new in
// libstdc++ on our behalf lies outside our code and is not counted as ours.
void* operator new(size_t size) {
  ++thread_news;
  void* p = counted_malloc(size ? size : 1, __builtin_return_address(0));
  if (!p) throw std::bad_alloc();
  return p;
}
void* operator new[](size_t size) {
  ++thread_news;
  void* p = counted_malloc(size ? size : 1, __builtin_return_address(0));
  if (!p) throw std::bad_alloc();
  return p;
}
void operator delete(void* p) noexcept { free(p); }
void operator delete[](void* p) noexcept { free(p); }
void operator delete(void* p, size_t) noexcept { free(p); }
void operator delete[](void* p, size_t) noexcept { free(p); }
