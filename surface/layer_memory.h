#pragma once

#include <cstddef>
#include <cstdint>

// Where a surface keeps its layer. Memory comes zeroed, and a fresh layer is
// never written in full: the system hands out pages that read as zero until
// they are first painted, so a layer costs memory only where it is painted.
class LayerMemory {
public:
    virtual ~LayerMemory() = default;
    // `words` zeroed words, or nullptr when there is no memory for them.
    virtual std::uint32_t* allocate(std::size_t words) = 0;
    // Words past `keptWords` of those `allocate` gave are no longer used:
    // where the memory allows, their pages go back to the system. From then
    // on the block counts `keptWords` words.
    virtual void giveBack(std::uint32_t* pixels, std::size_t words, std::size_t keptWords) = 0;
    virtual void deallocate(std::uint32_t* pixels, std::size_t words) = 0;
};

// The system's memory: fresh pages mapped for each layer where the system
// allows it, calloc elsewhere.
LayerMemory& systemLayerMemory();
