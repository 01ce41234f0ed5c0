#include "layer_memory.h"

#include <cstdint>
#include <cstdlib>

#if defined(__linux__) && !defined(__EMSCRIPTEN__)
#include <sys/mman.h>
#include <unistd.h>
#endif

namespace {

// The allocator would hand a layer below its mapping threshold, which it
// raises as large blocks come and go, from pages it keeps and clears in
// full; mapping the layer's pages directly keeps them unwritten until they
// are painted, and unmapping gives them back at once.
class SystemLayerMemory final : public LayerMemory {
public:
#if defined(__linux__) && !defined(__EMSCRIPTEN__)
    std::uint32_t* allocate(std::size_t words) override
    {
        if (words > SIZE_MAX / sizeof(std::uint32_t))
            return nullptr;
        void* pages
            = mmap(nullptr, words * sizeof(std::uint32_t), PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
        return pages == MAP_FAILED ? nullptr : static_cast<std::uint32_t*>(pages);
    }
    void giveBack(std::uint32_t* pixels, std::size_t words, std::size_t keptWords) override
    {
        const std::uintptr_t page = std::uintptr_t(sysconf(_SC_PAGESIZE));
        const std::uintptr_t start = std::uintptr_t(pixels);
        const std::uintptr_t keptEnd = (start + keptWords * sizeof(std::uint32_t) + page - 1) / page * page;
        const std::uintptr_t end = (start + words * sizeof(std::uint32_t) + page - 1) / page * page;
        if (keptEnd < end)
            munmap(reinterpret_cast<void*>(keptEnd), end - keptEnd);
    }
    void deallocate(std::uint32_t* pixels, std::size_t words) override
    {
        munmap(pixels, words * sizeof(std::uint32_t));
    }
#else
    std::uint32_t* allocate(std::size_t words) override
    {
        return static_cast<std::uint32_t*>(std::calloc(words, sizeof(std::uint32_t)));
    }
    // A shrinking block would be copied; the page keeps its memory anyway.
    void giveBack(std::uint32_t*, std::size_t, std::size_t) override { }
    void deallocate(std::uint32_t* pixels, std::size_t) override { std::free(pixels); }
#endif
};

} // namespace

LayerMemory& systemLayerMemory()
{
    static SystemLayerMemory memory;
    return memory;
}
