#include "common/CountedArray.h"
#include "common/ObjectList.h"
#include "quarn/QuarnExposedTypes.h"

#include <gtest/gtest.h>

#include <cstdint>

using namespace quarn;

TEST(CountedArray, CountSitsJustBeforeTheFirstElement) {
    CountedArray<TQUARNVector> a;
    const TQUARNVector src[3] = {{1, 2, 3}, {4, 5, 6}, {7, 8, 9}};
    TQUARNVector* first = a.Assign(src, 3);
    EXPECT_EQ(QUARN_ARRAY_COUNT(first), 3);
    EXPECT_EQ(CountedArrayLength(first), 3);
    EXPECT_FLOAT_EQ(first[2].z, 9.0f);
    EXPECT_EQ(reinterpret_cast<uintptr_t>(first) % 8, 0u);
}

TEST(CountedArray, PointerElementsStayAlignedAndStorageIsReused) {
    CountedArray<void*> a;
    void** p = a.Resize(2);
    EXPECT_EQ(reinterpret_cast<uintptr_t>(p) % alignof(void*), 0u);
    p[0] = &a;
    p[1] = nullptr;
    EXPECT_EQ(CountedArrayLength(p), 2);
    void** q = a.Resize(0);
    EXPECT_EQ(CountedArrayLength(q), 0); // empty arrays still carry their count
    EXPECT_EQ(QUARN_ARRAY_COUNT(static_cast<void**>(nullptr)), 0);
}

TEST(ObjectList, BadIndexRaisesTheListError) {
    ObjectList<int> list;
    list.Add(std::make_unique<int>(5));
    EXPECT_EQ(*list.Get(0), 5);
    try {
        list.Get(3);
        FAIL() << "no error raised";
    } catch (const EngineError& e) {
        EXPECT_STREQ(e.what(), "List index out of bounds (3)");
    }
    EXPECT_THROW(list.Delete(-1), EngineError);
}

TEST(ObjectList, RemoveFreesAndExtractHandsOver) {
    ObjectList<int> list;
    int* a = list.AddNew(std::make_unique<int>(1));
    int* b = list.AddNew(std::make_unique<int>(2));
    EXPECT_TRUE(list.Remove(a));
    EXPECT_FALSE(list.Remove(a));
    std::unique_ptr<int> owned = list.Extract(b);
    ASSERT_TRUE(owned);
    EXPECT_EQ(*owned, 2);
    EXPECT_TRUE(list.Empty());
}
