// No heap allocation in the show's own code once start-up is over: malloc, calloc and
// realloc are counted (operator new goes through malloc) over a few hundred frames drawn
// on Mesa, and each allocation is put down to the first library on its call stack that
// is neither the C nor the C++ runtime. The driver allocates as it likes; the show's
// code (in this executable) must not.
#include <dlfcn.h>
#include <execinfo.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <cstring>
#include <map>
#include <string>

#include "app/clock.h"
#include "app/composer.h"
#include "assets/assets.h"
#include "glrig.h"
#include "scroller/scroller.h"

extern "C" void* __libc_malloc(size_t);
extern "C" void* __libc_calloc(size_t, size_t);
extern "C" void* __libc_realloc(void*, size_t);

namespace {

std::atomic<bool> counting{false};
thread_local bool inHook;  // an allocation made while recording one is not counted

constexpr int maxPlaces = 64;
struct Place {
  const void* base;  // load address of the object the allocation is put down to
  std::atomic<long> count;
};
Place places[maxPlaces];
std::atomic<int> placeCount{0};
std::atomic<long> unattributed{0};

bool isRuntime(const char* path) {
  return strstr(path, "/libc.so") || strstr(path, "/libstdc++.so") || strstr(path, "/libgcc_s.so");
}

void record() {
  if (!counting.load(std::memory_order_relaxed) || inHook) return;
  inHook = true;
  void* stack[32];
  const int depth = backtrace(stack, 32);
  const void* base = nullptr;
  for (int i = 1; i < depth && !base; ++i) {
    Dl_info info;
    if (dladdr(stack[i], &info) && info.dli_fname && !isRuntime(info.dli_fname) &&
        info.dli_fbase != places[0].base)
      base = info.dli_fbase;
    else if (dladdr(stack[i], &info) && info.dli_fbase == places[0].base && i > 1)
      base = info.dli_fbase;  // this executable, reached past the hook's own frame
  }
  if (!base) {
    ++unattributed;
  } else {
    int i = 0;
    const int n = placeCount.load();
    while (i < n && places[i].base != base) ++i;
    if (i == n && n < maxPlaces) places[placeCount++].base = base;
    if (i < maxPlaces) ++places[i].count;
  }
  inHook = false;
}

}  // namespace

extern "C" void* malloc(size_t n) {
  record();
  return __libc_malloc(n);
}
extern "C" void* calloc(size_t n, size_t size) {
  record();
  return __libc_calloc(n, size);
}
extern "C" void* realloc(void* p, size_t n) {
  record();
  return __libc_realloc(p, n);
}

namespace {

std::string objectName(const void* base) {
  Dl_info info;
  return dladdr(base, &info) && info.dli_fname ? info.dli_fname : "?";
}

// Slot 0 is this executable (the show's code is linked into it statically).
void startCounting() {
  Dl_info self;
  dladdr(reinterpret_cast<void*>(&drawScene), &self);
  places[0].base = self.dli_fbase;
  placeCount = 1;
  void* warm[4];
  backtrace(warm, 4);  // loads the unwinder before anything is counted
  for (int i = 0; i < maxPlaces; ++i) places[i].count = 0;
  unattributed = 0;
  counting = true;
}

}  // namespace

TEST(Allocation, NoneInTheShowsCodeAfterStartUp) {
  ASSERT_TRUE(openOffscreen());
  ASSERT_EQ(chdir(SHOW_DIR), 0);
  loadShowImages();  // start-up: allowed to allocate
  initScroller();
  resetComposer();
  for (uint32_t ms = 0; ms < 12000; ms += 500) {  // warm the driver: title and scene
    setVirtualClock(ms, ms);
    drawScene();
  }
  resetComposer();
  startCounting();
  {  // the counter itself: one allocation made here must be put down to this executable
    static void* volatile kept;
    kept = new std::string(100, 'x');
    ASSERT_GE(places[0].count.load(), 1) << "the counter missed an allocation of ours";
    delete static_cast<std::string*>(kept);
    places[0].count = 0;
  }
  // 400 frames at 60 Hz over the title's end, the first re-rolls and text changes, noFade both ways.
  for (int k = 0; k < 400; ++k) {
    const uint32_t ms = 8000 + uint32_t(k * 1000 / 60);
    if (k == 200 || k == 300) noFade = 1 - noFade;
    setVirtualClock(ms, ms);
    drawScene();
  }
  counting = false;
  long driver = 0;
  for (int i = 1; i < placeCount; ++i) {
    printf("  %ld allocations in %s\n", places[i].count.load(), objectName(places[i].base).c_str());
    driver += places[i].count;
  }
  printf("  %ld allocations with no library named on the stack\n", unattributed.load());
  printf("  %ld allocations in the show's own code over 400 frames (%ld elsewhere)\n", places[0].count.load(),
         driver + unattributed.load());
  EXPECT_EQ(places[0].count.load(), 0) << "the show's code allocated during frames";
}
