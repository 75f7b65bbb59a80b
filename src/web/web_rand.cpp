// rand() and srand() as the Linux build's C library draws them: the additive
// feedback generator of degree 31 (r[i] = r[i-31] + r[i-3], seeded through the
// 16807 multiplier and run 310 steps before its first result). Emscripten's
// own rand() is another generator, so without this ?seed=N would lay out a
// different star field from `orvane --seed N`; with it, the page and the
// Linux programs draw the same nebula for the same seed.
#include <cstdint>
#include <cstdlib>

namespace {

constexpr int degree = 31;
constexpr int separation = 3;
uint32_t table[degree];
int front = separation;
int rear = 0;
bool seeded = false;

uint32_t step() {
  table[front] += table[rear];
  const uint32_t result = table[front] >> 1;
  front = (front + 1) % degree;
  rear = (rear + 1) % degree;
  return result;
}

}  // namespace

extern "C" void srand(unsigned seed) {
  int32_t word = seed == 0 ? 1 : static_cast<int32_t>(seed);
  table[0] = static_cast<uint32_t>(word);
  for (int i = 1; i < degree; ++i) {
    // 16807 * word mod (2^31 - 1), without overflow (Schrage's method).
    const int32_t hi = word / 127773, lo = word % 127773;
    word = 16807 * lo - 2836 * hi;
    if (word < 0) word += 2147483647;
    table[i] = static_cast<uint32_t>(word);
  }
  front = separation;
  rear = 0;
  for (int i = 0; i < 10 * degree; ++i) step();
  seeded = true;
}

extern "C" int rand() {
  if (!seeded) srand(1);  // as the C library: no srand() means srand(1)
  return static_cast<int>(step());
}
