#include "golden_avenue.h"
#include "mountains_and_water.h"
#include "surface.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <new>

// AddressSanitizer brings its own operator new; counting is for the plain
// build.
#if defined(__SANITIZE_ADDRESS__)
#define TUXING_COUNTS_ALLOCATIONS 0
#else
#define TUXING_COUNTS_ALLOCATIONS 1
#endif

namespace {

std::atomic<long> allocations { 0 };
std::atomic<bool> counting { false };

class CountingScope {
public:
    CountingScope()
    {
        allocations = 0;
        counting = true;
    }
    ~CountingScope() { counting = false; }
    long count() const { return allocations; }
};

class IgnoringPresenter : public Presenter {
public:
    int presents = 0;
    void present(std::span<const PixelRect>) override { ++presents; }
};

constexpr PixelSize kMaximized { 1280, 1024 };

} // namespace

#if TUXING_COUNTS_ALLOCATIONS
void* operator new(std::size_t size)
{
    if (counting)
        ++allocations;
    if (void* memory = std::malloc(size ? size : 1))
        return memory;
    throw std::bad_alloc();
}

void operator delete(void* memory) noexcept { std::free(memory); }

void operator delete(void* memory, std::size_t) noexcept { std::free(memory); }
#endif

class Allocation : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!TUXING_COUNTS_ALLOCATIONS)
            GTEST_SKIP() << "allocations are not counted under AddressSanitizer";
        surface.setPresenter(&presenter);
    }

    Surface surface { kMaximized };
    IgnoringPresenter presenter;
};

TEST_F(Allocation, pointsAllocateNothingAtAnyPenWidth)
{
    for (int width : { 1, 2, 3, 66 }) {
        ASSERT_EQ(surface.DrawWidth(width), SurfaceStatus::Ok);
        CountingScope scope;
        for (int i = 0; i < 200000; ++i)
            ASSERT_EQ(surface.PSet({ float(i % 12000), float(i % 8000) }, QBColor(i % 16)), SurfaceStatus::Ok);
        EXPECT_EQ(scope.count(), 0) << "pen width " << width;
    }
}

TEST_F(Allocation, wholePictureAllocatesOnlyForItsPenWidths)
{
    // Setting a pen width may build the dot's row table; nothing else
    // allocates, whatever the number of points.
    {
        CountingScope scope;
        CmdGsls_Click(surface);
        EXPECT_LE(scope.count(), 3);
    }
    {
        CountingScope scope;
        CmdJgdd_Click(surface);
        EXPECT_LE(scope.count(), 5);
    }
    {
        CountingScope scope;
        CmdGsls_Click(surface);
        CmdJgdd_Click(surface);
        surface.present();
        ASSERT_EQ(surface.Cls(), SurfaceStatus::Ok);
        EXPECT_LE(scope.count(), 8);
    }
}
