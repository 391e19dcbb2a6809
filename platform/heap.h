#pragma once
// glibc keeps memory freed on its heap with the process until the heap is
// trimmed. After letting go of much at once (a large page cache, a long
// list), the free pages go back to the system.
#include <QtGlobal>

// Gives the heap's free pages back when freedBytes is worth the walk (or
// always, after memory of several threads was let go).
void GiveBackFreedHeap(qint64 freedBytes, bool always = false);

// Threads take their memory from the one heap. By default glibc gives each
// thread a heap of its own, and what short-lived threads (readers of a large
// query) freed there stays with the process. Called before such threads start.
void ShareHeapWithThreads();
