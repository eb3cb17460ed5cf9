#include "AllocationCount.h"

#include <cstddef>
#include <cstdlib>
#include <new>

extern "C" {
void* __libc_malloc(std::size_t size);
void* __libc_calloc(std::size_t count, std::size_t size);
void* __libc_realloc(void* p, std::size_t size);
void* __libc_memalign(std::size_t alignment, std::size_t size);
void __libc_free(void* p);
}

namespace {

thread_local bool counting = false;
thread_local std::int64_t allocations = 0;

void Count()
{
    if (counting) ++allocations;
}

void* NewOrThrow(std::size_t size)
{
    Count();
    if (void* p = __libc_malloc(size ? size : 1)) return p;
    throw std::bad_alloc();
}

void* AlignedNewOrThrow(std::size_t size, std::align_val_t alignment)
{
    Count();
    if (void* p = __libc_memalign(std::size_t(alignment), size ? size : 1)) return p;
    throw std::bad_alloc();
}

}  // namespace

extern "C" {
void* malloc(std::size_t size)
{
    Count();
    return __libc_malloc(size);
}
void* calloc(std::size_t count, std::size_t size)
{
    Count();
    return __libc_calloc(count, size);
}
void* realloc(void* p, std::size_t size)
{
    Count();
    return __libc_realloc(p, size);
}
void* memalign(std::size_t alignment, std::size_t size)
{
    Count();
    return __libc_memalign(alignment, size);
}
void* aligned_alloc(std::size_t alignment, std::size_t size)
{
    Count();
    return __libc_memalign(alignment, size);
}
int posix_memalign(void** out, std::size_t alignment, std::size_t size)
{
    Count();
    *out = __libc_memalign(alignment, size);
    return *out ? 0 : 12;  // ENOMEM
}
void free(void* p) { __libc_free(p); }
}

void* operator new(std::size_t size) { return NewOrThrow(size); }
void* operator new[](std::size_t size) { return NewOrThrow(size); }
void* operator new(std::size_t size, const std::nothrow_t&) noexcept
{
    Count();
    return __libc_malloc(size ? size : 1);
}
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept
{
    Count();
    return __libc_malloc(size ? size : 1);
}
void* operator new(std::size_t size, std::align_val_t alignment) { return AlignedNewOrThrow(size, alignment); }
void* operator new[](std::size_t size, std::align_val_t alignment) { return AlignedNewOrThrow(size, alignment); }
void operator delete(void* p) noexcept { __libc_free(p); }
void operator delete[](void* p) noexcept { __libc_free(p); }
void operator delete(void* p, std::size_t) noexcept { __libc_free(p); }
void operator delete[](void* p, std::size_t) noexcept { __libc_free(p); }
void operator delete(void* p, std::align_val_t) noexcept { __libc_free(p); }
void operator delete[](void* p, std::align_val_t) noexcept { __libc_free(p); }
void operator delete(void* p, std::size_t, std::align_val_t) noexcept { __libc_free(p); }
void operator delete[](void* p, std::size_t, std::align_val_t) noexcept { __libc_free(p); }

TAllocationCount::TAllocationCount()
{
    allocations = 0;
    counting = true;
}
TAllocationCount::~TAllocationCount() { counting = false; }
std::int64_t TAllocationCount::Allocations() const { return allocations; }
void TAllocationCount::Pause() { counting = false; }
void TAllocationCount::Resume() { counting = true; }
