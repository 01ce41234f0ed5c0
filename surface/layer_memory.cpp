#include "layer_memory.h"

#include <cstdlib>

namespace {

class SystemLayerMemory final : public LayerMemory {
public:
    std::uint32_t* allocate(std::size_t words) override
    {
        return static_cast<std::uint32_t*>(std::calloc(words, sizeof(std::uint32_t)));
    }
    void deallocate(std::uint32_t* pixels, std::size_t) override { std::free(pixels); }
};

} // namespace

LayerMemory& systemLayerMemory()
{
    static SystemLayerMemory memory;
    return memory;
}
