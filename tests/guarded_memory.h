#pragma once

#include "layer_memory.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

// Hands out memory with guard words on both sides and checks them, so a test
// sees a store outside a buffer however far off it lands, within the guards:
// at least guardWords, and up to eight buffers' worth.
// It can also refuse to give memory, as a machine without any would.
class GuardedMemory : public LayerMemory {
public:
    static constexpr std::uint32_t kGuard = 0xdeadbeefu;

    explicit GuardedMemory(std::size_t guardWords = 1 << 16)
        : m_minimumGuardWords(guardWords)
    {
    }

    GuardedMemory(const GuardedMemory&) = delete;
    GuardedMemory& operator=(const GuardedMemory&) = delete;
    ~GuardedMemory() override
    {
        for (const Block& block : m_blocks)
            delete[] block.words;
    }

    bool refuses = false;

    // True when every guard of every live allocation is intact.
    bool guardsIntact() const
    {
        for (const Block& block : m_blocks) {
            const std::size_t bytes = block.guardWords * sizeof(std::uint32_t);
            if (std::memcmp(block.words, m_pattern.data(), bytes) != 0
                || std::memcmp(block.words + block.guardWords + block.payloadWords, m_pattern.data(), bytes) != 0)
                return false;
            // Words given back are guards too.
            for (std::size_t i = block.keptWords; i < block.payloadWords; ++i) {
                if (block.words[block.guardWords + i] != kGuard)
                    return false;
            }
        }
        return true;
    }

private:
    struct Block {
        std::uint32_t* words;
        std::size_t payloadWords;
        std::size_t guardWords;
        std::size_t keptWords;
    };

    std::uint32_t* allocate(std::size_t payloadWords) override
    {
        if (refuses)
            return nullptr;
        const std::size_t guardWords = std::max(m_minimumGuardWords, std::min<std::size_t>(8 * payloadWords, 1 << 16));
        if (m_pattern.size() < guardWords)
            m_pattern.assign(guardWords, kGuard);
        auto* words = new std::uint32_t[2 * guardWords + payloadWords]();
        for (std::size_t i = 0; i < guardWords; ++i)
            words[i] = words[guardWords + payloadWords + i] = kGuard;
        m_blocks.push_back({ words, payloadWords, guardWords, payloadWords });
        return words + guardWords;
    }

    void giveBack(std::uint32_t* memory, std::size_t, std::size_t keptWords) override
    {
        for (Block& block : m_blocks) {
            if (block.words + block.guardWords == memory) {
                block.keptWords = std::min(block.keptWords, keptWords);
                std::fill(memory + block.keptWords, memory + block.payloadWords, kGuard);
            }
        }
    }

    void deallocate(std::uint32_t* memory, std::size_t) override
    {
        for (std::size_t i = 0; i < m_blocks.size(); ++i) {
            if (m_blocks[i].words + m_blocks[i].guardWords == memory) {
                delete[] m_blocks[i].words;
                m_blocks.erase(m_blocks.begin() + std::ptrdiff_t(i));
                return;
            }
        }
    }

    std::size_t m_minimumGuardWords;
    std::vector<Block> m_blocks;
    std::vector<std::uint32_t> m_pattern;
};
