// Storage for the trie's nodes: fixed-size blocks that never move, so a node's
// address stays valid for its whole life, with a free list of released nodes
// that the next allocations take first. A dictionary at the memory cap holds
// over a million nodes; one allocation per node made loading and freeing it
// spend most of their time in the heap.
#pragma once

#include <cstddef>
#include <memory>
#include <new>
#include <vector>

namespace kx {

// `Node` needs a `next` pointer of a base type it converts to and from (the
// free list is threaded through it) and a default state that Release restores.
template <class Node, size_t kBlockNodes>
class NodePool {
public:
    NodePool() = default;
    NodePool(const NodePool&) = delete;
    NodePool& operator=(const NodePool&) = delete;

    // A node in its default state, or null when memory ran out.
    Node* Allocate() noexcept {
        if (free_) {
            Node* n = free_;
            free_ = static_cast<Node*>(n->next);
            n->next = nullptr;
            --freeCount_;
            return n;
        }
        if (used_ == kBlockNodes) {
            // Reserved ahead so that the push below cannot fail after the
            // block was made.
            if (blocks_.size() == blocks_.capacity()) {
                try {
                    blocks_.reserve(blocks_.empty() ? 16 : blocks_.size() * 2);
                } catch (const std::bad_alloc&) {
                    return nullptr;
                }
            }
            std::unique_ptr<Node[]> block(new (std::nothrow) Node[kBlockNodes]);
            if (!block) return nullptr;
            blocks_.push_back(std::move(block));
            used_ = 0;
        }
        return &blocks_.back()[used_++];
    }

    // Returns the node to its default state (freeing what it owns) and keeps
    // it for the next Allocate.
    void Release(Node* n) noexcept {
        *n = Node();
        n->next = free_;
        free_ = n;
        ++freeCount_;
    }

    // Frees every block at once: the nodes need no walk.
    void Clear() noexcept {
        blocks_.clear();
        used_ = kBlockNodes;
        free_ = nullptr;
        freeCount_ = 0;
    }

    // Nodes handed out or waiting on the free list, and how many wait there.
    size_t Capacity() const { return blocks_.empty() ? 0 : (blocks_.size() - 1) * kBlockNodes + used_; }
    size_t FreeCount() const { return freeCount_; }
    size_t Bytes() const { return blocks_.size() * kBlockNodes * sizeof(Node); }

private:
    std::vector<std::unique_ptr<Node[]>> blocks_;
    size_t used_ = kBlockNodes;  // nodes taken from the last block
    Node* free_ = nullptr;
    size_t freeCount_ = 0;
};

}  // namespace kx
