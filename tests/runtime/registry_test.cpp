// SPDX-License-Identifier: MIT
#include "runtime/registry.h"

#include "runtime/strings.h"
#include "tests/support/faulty_platform.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

struct Record {
    void *handle;
    int32_t value;
};

ObjectRegistry *current = nullptr;
std::vector<int32_t> released; // numbers the release routine closed
std::vector<int32_t> asked;    // every number the release routine was run on

void Release(int32_t number) {
    asked.push_back(number);
    if (!LookupObject(current, number)) return;
    released.push_back(number);
    ReleaseObject(current, number);
}

Record *Use(int32_t number, int32_t value) {
    auto *record = static_cast<Record *>(AllocateObject(current, number));
    record->handle = reinterpret_cast<void *>(static_cast<intptr_t>(0x1000 + value));
    record->value = value;
    return record;
}

class Registry : public testing::Test {
  protected:
    void SetUp() override {
        current = CreateObjectRegistry(sizeof(Record), 16, Release);
        released.clear();
        asked.clear();
    }
    // The product keeps its registries until the heaps go at the end; a test's registry goes
    // with the test, records and entry table first.
    void TearDown() override {
        int32_t number = 0;
        BeginObjectWalk(current);
        while (NextObject(current, &number))
            ReleaseObject(current, number);
        while (current->autoRecords) // records whose owner never stored a handle
            FreeListNode(&current->autoRecords, RecordOf(current->autoRecords));
        MainHeapFree(current->entries);
        MainHeapFree(current);
        current = nullptr;
    }
};

TEST_F(Registry, GrowsToNumberPlusStepWithZeroedEntries) {
    Use(3, 3);
    auto *record = static_cast<Record *>(AllocateObject(current, 20));
    EXPECT_EQ(current->capacity, 36);
    EXPECT_EQ(record->handle, nullptr);
    for (int32_t n = 16; n < 36; ++n)
        EXPECT_EQ(LookupObject(current, n), nullptr);
    ASSERT_NE(LookupObject(current, 3), nullptr); // kept through the growth
    EXPECT_EQ(static_cast<Record *>(LookupObject(current, 3))->value, 3);
    EXPECT_EQ(asked, (std::vector<int32_t>{3, 20}));
}

TEST_F(Registry, ReleaseRoutineRunsOnEveryFixedAllocation) {
    Use(5, 1);
    auto *again = static_cast<Record *>(AllocateObject(current, 5));
    EXPECT_EQ(released, std::vector<int32_t>{5});
    EXPECT_EQ(again->handle, nullptr);
    EXPECT_EQ(again->value, 0);
    EXPECT_EQ(LookupObject(current, 5), nullptr); // free until the owner stores its handle
    AllocateObject(current, AUTO_NUMBER);         // not for generated numbers
    EXPECT_EQ(asked, (std::vector<int32_t>{5, 5}));
    // Any other negative number cannot be taken; its object, if any, is released all the same.
    auto *generated = static_cast<Record *>(AllocateObject(current, AUTO_NUMBER));
    generated->handle = generated;
    int32_t number = AutoNumberOf(generated);
    EXPECT_EQ(AllocateObject(current, number), nullptr);
    EXPECT_EQ(AllocateObject(current, -77), nullptr);
    EXPECT_EQ(released, (std::vector<int32_t>{5, number}));
    EXPECT_EQ(LookupObject(current, number), nullptr);
    ReleaseObject(current, 5);
    ReleaseObject(current, 99); // names nothing
    EXPECT_EQ(LookupObject(current, 5), nullptr);
    EXPECT_EQ(LookupObject(current, -12345), nullptr);
}

TEST_F(Registry, WalkOrderAndReleaseDuringWalk) {
    int32_t dummy = 0;
    BeginObjectWalk(current);
    EXPECT_EQ(NextObject(current, &dummy), nullptr);

    Use(7, 7);
    auto *older = static_cast<Record *>(AllocateObject(current, AUTO_NUMBER));
    older->handle = older;
    auto *newer = static_cast<Record *>(AllocateObject(current, AUTO_NUMBER));
    newer->handle = newer;
    Use(2, 2);
    int32_t olderNumber = AutoNumberOf(older), newerNumber = AutoNumberOf(newer);
    EXPECT_NE(olderNumber, newerNumber);
    for (int32_t n : {olderNumber, newerNumber}) {
        EXPECT_FALSE(n >= 0 && n < current->capacity);
        EXPECT_NE(n, AUTO_NUMBER);
    }
    EXPECT_EQ(LookupObject(current, newerNumber), newer);

    std::vector<int32_t> order;
    int32_t number = 0;
    BeginObjectWalk(current);
    while (void *record = NextObject(current, &number)) {
        order.push_back(number);
        EXPECT_EQ(LookupObject(current, number), record);
        ReleaseObject(current, number); // the walk has moved on already
    }
    EXPECT_EQ(order, (std::vector<int32_t>{2, 7, olderNumber, newerNumber}));
    EXPECT_EQ(LookupObject(current, olderNumber), nullptr);
    BeginObjectWalk(current);
    EXPECT_EQ(NextObject(current, &number), nullptr);
}

TEST(ListNodes, LinkAndUnlinkAnywhere) {
    ListNode *head = nullptr;
    int *a = static_cast<int *>(AllocListNode(&head, sizeof(int)));
    int *b = static_cast<int *>(AllocListNode(&head, sizeof(int)));
    int *c = static_cast<int *>(AllocListNode(&head, sizeof(int)));
    EXPECT_EQ(*a + *b + *c, 0);
    EXPECT_EQ(RecordOf(head), c);
    FreeListNode(&head, b); // middle
    EXPECT_EQ(head->next, NodeOf(a));
    EXPECT_EQ(NodeOf(a)->previous, head);
    FreeListNode(&head, c); // head
    EXPECT_EQ(RecordOf(head), a);
    EXPECT_EQ(head->previous, nullptr);
    FreeListNode(&head, a);
    EXPECT_EQ(head, nullptr);
}

TEST(StateBlocks, ZeroFilledThenInitialised) {
    auto *block = static_cast<int32_t *>(
        AllocStateBlock(64, [](void *b) { static_cast<int32_t *>(b)[1] = 42; }));
    EXPECT_EQ(block[0], 0);
    EXPECT_EQ(block[1], 42);
    EXPECT_EQ(block[15], 0);
    MainHeapFree(block);
}

#ifndef _WIN32 // (death tests start the test again as a new process on Windows)
// A heap block that cannot grow, a registry's entry table or the strings' workspace, ends the
// process with exit code 3 rather than let it go on without the record or the text.
TEST(Heaps, AGrowthThatFailsEndsTheProcess) {
    EXPECT_EXIT(
        {
            faults::Fail(faults::RESIZE, 1);
            AllocateObject(CreateObjectRegistry(sizeof(Record), 4, nullptr), 1000);
        },
        testing::ExitedWithCode(OUT_OF_MEMORY_EXIT), "");
    EXPECT_EXIT(
        {
            faults::Fail(faults::RESIZE, 1);
            ReserveResult(1 << 24, WorkspacePosition());
        },
        testing::ExitedWithCode(OUT_OF_MEMORY_EXIT), "");
}
#endif

} // namespace
