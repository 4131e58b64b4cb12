#include "decode/fifo.h"

#include <pthread.h>

#include <gtest/gtest.h>

#include "runtime/error.h"
#include "support/errors.h"

using namespace vostel;

namespace {
const Packet A{1, 2, 3}, B{4, 5, 6, 7}, C{8, 9, 10};
}

TEST(Fifo, ANewQueueIsEmptyAndGivesTheEmptyReference) {
    FIFO q;
    EXPECT_EQ(q.getSize(), 0);
    EXPECT_TRUE(q.isEmpty());
    EXPECT_EQ(q.getElement(), std::nullopt);
    EXPECT_EQ(q.getSize(), 0);
    EXPECT_TRUE(q.isEmpty());
}

TEST(Fifo, ValuesComeOutInTheOrderTheyWentIn) {
    FIFO q;
    q.addElement(A);
    q.addElement(B);
    q.addElement(C);
    EXPECT_EQ(q.getSize(), 3);
    EXPECT_FALSE(q.isEmpty());
    EXPECT_EQ(q.getElement(), A);
    EXPECT_EQ(q.getElement(), B);
    EXPECT_EQ(q.getSize(), 1);
    EXPECT_FALSE(q.isEmpty());
    EXPECT_EQ(q.getElement(), C);
    EXPECT_TRUE(q.isEmpty());
    EXPECT_EQ(q.getElement(), std::nullopt);
}

TEST(Fifo, InterleavedUseAndRefillingAfterTakingTheOnlyValue) {
    FIFO q;
    q.addElement(A);
    q.addElement(B);
    EXPECT_EQ(q.getElement(), A);
    q.addElement(C);
    EXPECT_EQ(q.getElement(), B);
    EXPECT_EQ(q.getElement(), C);
    EXPECT_EQ(q.getElement(), std::nullopt);
    // Taking the only value clears both ends; each step re-checks the queue's rule.
    for (int round = 0; round < 3; ++round) {
        q.addElement(A);
        EXPECT_EQ(q.getSize(), 1);
        EXPECT_EQ(q.getElement(), A);
        EXPECT_EQ(q.getSize(), 0);
        EXPECT_TRUE(q.isEmpty());
    }
    q.addElement(B);
    q.addElement(C);
    EXPECT_EQ(q.getElement(), B);
    EXPECT_EQ(q.getElement(), C);
}

TEST(Fifo, KeepsItsOwnCopy) {
    FIFO q;
    Packet arr{10, 20, 30};
    q.addElement(arr);
    arr[1] = 99;
    arr.push_back(7);
    EXPECT_EQ(q.getElement(), (Packet{10, 20, 30}));
}

TEST(Fifo, AFullQueueRefusesTheNextValueWhole) {
    FIFO q;
    for (int i = 0; i < 32767; ++i) q.addElement(Packet{static_cast<int16_t>(i % 255), 0, 0});
    EXPECT_EQ(q.getSize(), 32767);
    EXPECT_EQ(vostel::testing::errorOf([&] { q.addElement(A); }).number(), 6);
    EXPECT_EQ(q.getSize(), 32767);
    for (int i = 0; i < 32767; ++i) ASSERT_EQ(q.getElement(), (Packet{static_cast<int16_t>(i % 255), 0, 0}));
    EXPECT_TRUE(q.isEmpty());
    q.addElement(C);
    EXPECT_EQ(q.getElement(), C);
}

namespace {
void* fillAndDestroy(void*) {
    {
        FIFO q;
        for (int i = 0; i < 32767; ++i) q.addElement(Packet{1, 2, 3});
    }
    return nullptr;
}
}  // namespace

TEST(Fifo, ReleasingAFullQueueNeedsLittleStack) {
    // A destructor that followed the chain would need one frame per node;
    // 64 KiB of stack holds far fewer than 32,767 of them.
    pthread_attr_t attr;
    pthread_attr_init(&attr);
    ASSERT_EQ(pthread_attr_setstacksize(&attr, 64 * 1024), 0);
    pthread_t thread;
    ASSERT_EQ(pthread_create(&thread, &attr, fillAndDestroy, nullptr), 0);
    pthread_join(thread, nullptr);
    pthread_attr_destroy(&attr);
}
