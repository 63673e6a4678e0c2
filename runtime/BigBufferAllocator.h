// SPDX-FileCopyrightText: 2026 Orthovane developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <sys/mman.h>
#include <cstddef>
#include <cstdlib>
#include <limits>
#include <memory>
#include <new>

namespace runtime {

// Memory for the big buffers of a long word list, asked for in huge pages where the system has
// them. Filling a million-word list touches some 30 MB of new memory, and each doubling of a
// growing buffer touches fresh memory again; on a virtual machine the first touch of each 4 KB
// page is a trap, and those traps were two thirds of the load (measured with perf). A 2 MB page
// traps once for 512 of them. Small buffers come from the usual heap.
template <class T>
struct BigBufferAllocator {
    using value_type = T;
    static constexpr std::size_t HugePage = std::size_t(2) << 20;

    BigBufferAllocator() = default;
    template <class U>
    BigBufferAllocator(const BigBufferAllocator<U>&) {}

    T* allocate(std::size_t n) {
        if (n > std::numeric_limits<std::size_t>::max() / sizeof(T)) throw std::bad_alloc();
        const std::size_t bytes = n * sizeof(T);
        if (bytes < HugePage) return std::allocator<T>().allocate(n);
        const std::size_t rounded = (bytes + HugePage - 1) / HugePage * HugePage;
        void* p = std::aligned_alloc(HugePage, rounded);
        if (!p) throw std::bad_alloc();
#ifdef MADV_HUGEPAGE
        ::madvise(p, rounded, MADV_HUGEPAGE);  // only advice: without it, plain pages
#endif
        return static_cast<T*>(p);
    }
    void deallocate(T* p, std::size_t n) {
        if (n * sizeof(T) < HugePage) {
            std::allocator<T>().deallocate(p, n);
        } else {
            std::free(p);
        }
    }
    template <class U>
    bool operator==(const BigBufferAllocator<U>&) const {
        return true;
    }
};

}  // namespace runtime
