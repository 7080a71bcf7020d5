// A list that control threads change through queued add and remove events and that one
// thread (the render thread) applies with update() and then walks without locks.
#pragma once

#include <mutex>

#include "framework/TAtomicStack.h"

template <class T>
class TThreadSafeList {
public:
    enum EventType { kAdd = 0, kRemove = 1 };

    struct Node {
        Node* next = nullptr;
        EventType eventType = kAdd;
        T object{};
    };

    class iterator {
    public:
        explicit iterator(Node* n) : mNode(n) {}
        const T& operator*() const { return mNode->object; }
        const T* operator->() const { return &mNode->object; }
        iterator& operator++()
        {
            mNode = mNode->next;
            return *this;
        }
        bool operator!=(const iterator& o) const { return mNode != o.mNode; }

    private:
        Node* mNode;
    };

    TThreadSafeList() = default;
    TThreadSafeList(const TThreadSafeList&) = delete;
    TThreadSafeList& operator=(const TThreadSafeList&) = delete;
    ~TThreadSafeList()
    {
        FreeChain(mActiveList);
        FreeChain(mPendingList.pop_all());
        FreeChain(mFreeList.pop_all());
    }

    // Control threads.
    void deferred_add(const T& object) { QueueEvent(kAdd, object); }
    void deferred_remove(const T& object) { QueueEvent(kRemove, object); }

    // Render thread: applies the queued events in the order they were queued. Allocates nothing.
    void update()
    {
        Node* events = mPendingList.pop_all();
        Node* ordered = nullptr;  // reverse the LIFO chain
        while (events) {
            Node* next = events->next;
            events->next = ordered;
            ordered = events;
            events = next;
        }
        while (ordered) {
            Node* event = ordered;
            ordered = ordered->next;
            event->next = nullptr;
            if (event->eventType == kAdd)
                ApplyAdd(event);
            else
                ApplyRemove(event);
        }
    }

    // Render thread, after update().
    iterator begin() const { return iterator(mActiveList); }
    iterator end() const { return iterator(nullptr); }

private:
    void QueueEvent(EventType type, const T& object)
    {
        Node* node;
        {
            std::lock_guard<std::mutex> poppers(mFreePopMutex);  // control threads only
            node = mFreeList.pop_atomic();
        }
        if (!node) node = new Node;
        node->eventType = type;
        node->object = object;
        mPendingList.push_atomic(node);
    }

    void ApplyAdd(Node* event)
    {
        Node** tail = &mActiveList;
        for (Node* n = mActiveList; n; n = n->next) {
            if (n->object == event->object) {
                mFreeList.push_atomic(event);
                return;
            }
            tail = &n->next;
        }
        *tail = event;
    }

    void ApplyRemove(Node* event)
    {
        for (Node** link = &mActiveList; *link; link = &(*link)->next) {
            Node* n = *link;
            if (n->object == event->object) {
                *link = n->next;
                mFreeList.push_atomic(n);
                break;
            }
        }
        mFreeList.push_atomic(event);
    }

    static void FreeChain(Node* n)
    {
        while (n) {
            Node* next = n->next;
            delete n;
            n = next;
        }
    }

    Node* mActiveList = nullptr;
    TAtomicStack<Node> mPendingList;
    TAtomicStack<Node> mFreeList;
    std::mutex mFreePopMutex;
};
