// SPDX-License-Identifier: MIT
/*
 * Numbered objects and the shared heaps.
 *
 * The main heap holds registries, entry tables, state blocks, buffers and other records; the
 * list heap holds the nodes of doubly linked lists. Both are created at start-up before any
 * library and destroyed last (the list heap first).
 *
 * An ObjectRegistry maps object numbers to zero-filled records of one size. A record is in use
 * while its first field (the object's system handle, pointer-sized) is non-zero; owners store
 * it once the object exists. Fixed numbers (0 or more) index an entry table that grows to
 * number + step entries when needed; entries move then, so look records up by number each time.
 * Every fixed-number allocation runs the release routine first, which closes any object that
 * held the number. AUTO_NUMBER makes a record outside the table with a generated number: a
 * negative number other than AUTO_NUMBER, so it never falls among the table's numbers, and it
 * names its record until the record is released. Auto-numbered records never move. Any other
 * negative number cannot be taken: AllocateObject runs the release routine for it (closing
 * the auto-numbered object of that number, if any) and returns null.
 *
 * A walk returns the in-use numbered records in rising order, then the auto-numbered records
 * from the oldest to the newest; the caller may release each record as it comes.
 *
 * MainHeapTryAlloc answers a shortage with null, for the callers that have a way on without
 * the memory. Everywhere else a heap that cannot satisfy a request ends the process with exit
 * code 3 (OUT_OF_MEMORY_EXIT) rather than go on with a lost record.
 */
#pragma once

#include <cstddef>
#include <cstdint>

constexpr int32_t AUTO_NUMBER = -1;
constexpr unsigned OUT_OF_MEMORY_EXIT = 3;

using ReleaseRoutine = void (*)(int32_t number);
using StateInitRoutine = void (*)(void *block);

// Header of a list node; the record follows it.
struct alignas(8) ListNode {
    ListNode *next;     // the older neighbour, or null
    ListNode *previous; // the newer neighbour, or null
    int32_t number;     // generated object number of an auto-numbered record, else 0
};

struct ObjectRegistry {
    int32_t recordSize;
    int32_t growthStep;
    int32_t capacity;
    ListNode *autoRecords; // newest node of the auto-numbered records, or null
    ReleaseRoutine release;
    int32_t walkIndex;
    ListNode *walkCursor;   // next auto-numbered node of the walk, or null
    unsigned char *entries; // owned, main heap; capacity records side by side
};

void *CreateMainHeap(); // returns the heap's handle
void DestroyMainHeap();
void CreateListHeap();
void DestroyListHeap();

void *MainHeapAlloc(size_t size);    // zero-filled
void *MainHeapTryAlloc(size_t size); // zero-filled; null when the heap has no room
void MainHeapFree(void *block);
// A block (or null) moved to a new one of size bytes: its first `kept` bytes copied, the rest
// zero-filled, the old block freed.
void *MainHeapMove(void *block, size_t kept, size_t size);

ObjectRegistry *CreateObjectRegistry(int32_t recordSize, int32_t step, ReleaseRoutine release);
void *AllocateObject(ObjectRegistry *registry, int32_t number);
void *LookupObject(ObjectRegistry *registry, int32_t number);
void ReleaseObject(ObjectRegistry *registry, int32_t number);
void BeginObjectWalk(ObjectRegistry *registry);
void *NextObject(ObjectRegistry *registry, int32_t *number);
int32_t AutoNumberOf(const void *record); // the generated number of an auto-numbered record

void *AllocListNode(ListNode **head, size_t recordSize);
void FreeListNode(ListNode **head, void *record);
ListNode *NodeOf(const void *record);
void *RecordOf(ListNode *node);

void *AllocStateBlock(size_t size, StateInitRoutine init);
