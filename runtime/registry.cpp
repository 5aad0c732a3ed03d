// SPDX-License-Identifier: MIT
#include "runtime/registry.h"

#include "runtime/platform.h"

#include <cstring>

namespace {

PlatformHeap mainHeap = nullptr; // owned; destroyed by DestroyMainHeap
PlatformHeap listHeap = nullptr; // owned; destroyed by DestroyListHeap

// Generated numbers count down from -2; they are negative, so no entry table reaches them. Kept
// as how many were handed out since -2 (zero-initialised: the program carries no data section
// for it).
uint32_t generatedSinceStart = 0;

[[noreturn]] void OutOfMemory() {
    EndProcess(OUT_OF_MEMORY_EXIT);
}

void *Checked(void *block) {
    if (!block) OutOfMemory();
    return block;
}

bool InUse(const void *record) {
    void *handle = nullptr;
    std::memcpy(&handle, record, sizeof handle);
    return handle != nullptr;
}

ListNode *FindAutoNode(const ObjectRegistry *registry, int32_t number) {
    for (ListNode *node = registry->autoRecords; node; node = node->next)
        if (node->number == number) return node;
    return nullptr;
}

int32_t GenerateNumber(const ObjectRegistry *registry) {
    for (;;) {
        auto number = static_cast<int32_t>(-2 - static_cast<int64_t>(generatedSinceStart));
        generatedSinceStart = number == INT32_MIN ? 0 : generatedSinceStart + 1;
        if (!FindAutoNode(registry, number)) return number;
    }
}

unsigned char *Entry(const ObjectRegistry *registry, int32_t number) {
    return registry->entries +
           static_cast<size_t>(number) * static_cast<size_t>(registry->recordSize);
}

} // namespace

void *CreateMainHeap() {
    if (!mainHeap) mainHeap = Checked(CreatePlatformHeap(4096));
    return mainHeap;
}

void DestroyMainHeap() {
    DestroyPlatformHeap(mainHeap);
    mainHeap = nullptr;
}

void CreateListHeap() {
    if (!listHeap) listHeap = Checked(CreatePlatformHeap(1024));
}

void DestroyListHeap() {
    DestroyPlatformHeap(listHeap);
    listHeap = nullptr;
}

void *MainHeapAlloc(size_t size) {
    return Checked(AllocatePlatformBlock(mainHeap, size));
}

void *MainHeapTryAlloc(size_t size) {
    return AllocatePlatformBlock(mainHeap, size);
}

void MainHeapFree(void *block) {
    FreePlatformBlock(mainHeap, block);
}

void *MainHeapMove(void *block, size_t kept, size_t size) {
    void *moved = MainHeapAlloc(size);
    if (block) {
        std::memcpy(moved, block, kept);
        MainHeapFree(block);
    }
    return moved;
}

ObjectRegistry *CreateObjectRegistry(int32_t recordSize, int32_t step, ReleaseRoutine release) {
    auto *registry = static_cast<ObjectRegistry *>(MainHeapAlloc(sizeof(ObjectRegistry)));
    registry->recordSize = recordSize;
    registry->growthStep = step;
    registry->capacity = step;
    registry->release = release;
    registry->entries = static_cast<unsigned char *>(
        MainHeapAlloc(static_cast<size_t>(step) * static_cast<size_t>(recordSize)));
    return registry;
}

void *AllocateObject(ObjectRegistry *registry, int32_t number) {
    if (number == AUTO_NUMBER) {
        void *record =
            AllocListNode(&registry->autoRecords, static_cast<size_t>(registry->recordSize));
        NodeOf(record)->number = GenerateNumber(registry);
        return record;
    }
    if (number < 0) { // a generated number: it cannot be taken as a fixed one
        if (registry->release) registry->release(number);
        return nullptr;
    }
    if (number >= registry->capacity) {
        int64_t grown = static_cast<int64_t>(number) + registry->growthStep;
        if (grown > INT32_MAX) OutOfMemory();
        size_t bytes = static_cast<size_t>(grown) * static_cast<size_t>(registry->recordSize);
        size_t had =
            static_cast<size_t>(registry->capacity) * static_cast<size_t>(registry->recordSize);
        registry->entries = static_cast<unsigned char *>(
            Checked(ResizePlatformBlock(mainHeap, registry->entries, had, bytes)));
        registry->capacity = static_cast<int32_t>(grown);
    }
    if (registry->release) registry->release(number);
    unsigned char *entry = Entry(registry, number);
    std::memset(entry, 0, static_cast<size_t>(registry->recordSize));
    return entry;
}

void *LookupObject(ObjectRegistry *registry, int32_t number) {
    if (number >= 0 && number < registry->capacity) {
        unsigned char *entry = Entry(registry, number);
        return InUse(entry) ? entry : nullptr;
    }
    ListNode *node = number < 0 && number != AUTO_NUMBER ? FindAutoNode(registry, number) : nullptr;
    if (!node || !InUse(RecordOf(node))) return nullptr;
    return RecordOf(node);
}

void ReleaseObject(ObjectRegistry *registry, int32_t number) {
    if (number >= 0 && number < registry->capacity) {
        std::memset(Entry(registry, number), 0, static_cast<size_t>(registry->recordSize));
        return;
    }
    if (number >= 0 || number == AUTO_NUMBER) return;
    ListNode *node = FindAutoNode(registry, number);
    if (!node) return;
    if (registry->walkCursor == node) registry->walkCursor = node->previous;
    FreeListNode(&registry->autoRecords, RecordOf(node));
}

void BeginObjectWalk(ObjectRegistry *registry) {
    registry->walkIndex = 0;
    ListNode *oldest = registry->autoRecords;
    while (oldest && oldest->next)
        oldest = oldest->next;
    registry->walkCursor = oldest;
}

void *NextObject(ObjectRegistry *registry, int32_t *number) {
    while (registry->walkIndex < registry->capacity) {
        int32_t index = registry->walkIndex++;
        unsigned char *entry = Entry(registry, index);
        if (InUse(entry)) {
            if (number) *number = index;
            return entry;
        }
    }
    ListNode *node = registry->walkCursor;
    if (!node) return nullptr;
    registry->walkCursor = node->previous; // the next newer node
    if (number) *number = node->number;
    return RecordOf(node);
}

int32_t AutoNumberOf(const void *record) {
    return NodeOf(record)->number;
}

ListNode *NodeOf(const void *record) {
    return reinterpret_cast<ListNode *>(
        const_cast<unsigned char *>(static_cast<const unsigned char *>(record)) - sizeof(ListNode));
}

void *RecordOf(ListNode *node) {
    return reinterpret_cast<unsigned char *>(node) + sizeof(ListNode);
}

void *AllocListNode(ListNode **head, size_t recordSize) {
    auto *node = static_cast<ListNode *>(
        Checked(AllocatePlatformBlock(listHeap, sizeof(ListNode) + recordSize)));
    node->next = *head;
    if (*head) (*head)->previous = node;
    *head = node;
    return RecordOf(node);
}

void FreeListNode(ListNode **head, void *record) {
    if (!record) return;
    ListNode *node = NodeOf(record);
    if (node == *head) {
        *head = node->next;
        if (*head) (*head)->previous = nullptr;
    } else {
        if (node->previous) node->previous->next = node->next;
        if (node->next) node->next->previous = node->previous;
    }
    FreePlatformBlock(listHeap, node);
}

void *AllocStateBlock(size_t size, StateInitRoutine init) {
    void *block = MainHeapAlloc(size);
    if (init) init(block);
    return block;
}
