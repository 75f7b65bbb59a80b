// Heap allocation counts of this benchmark program: malloc and its kin and
// operator new are replaced by counting versions (alloc_counter.cpp).
#pragma once

#include <cstdint>

struct alloc_counts {
  int64_t this_thread;  // malloc-family calls made on the calling thread
  int64_t all_threads;  // ... on any thread (the GL driver has its own)
  int64_t news;         // operator new calls on the calling thread
  int64_t own_code;     // ... of those on the calling thread, the ones made
                        // straight from this program's code (ours, linked in)
};

alloc_counts current_alloc_counts();
