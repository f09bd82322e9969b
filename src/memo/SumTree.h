// A sequence of leaves in a balanced tree (a treap with implicit keys), each
// node holding the sum of its subtree's leaf summaries, so that a leaf is
// found by any running total (bytes, lines, rows, ...) in logarithmic time and
// a run of leaves is replaced in time logarithmic in the sequence's length.
//
// Leaf must provide Sum Summary() const; Sum must be default-constructible to
// zero and have operator+.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <utility>
#include <vector>

template <class Leaf, class Sum> class SumTree {
public:
    SumTree() = default;
    SumTree(const SumTree&) = delete;
    SumTree& operator=(const SumTree&) = delete;
    ~SumTree() { Destroy(root_); }

    std::size_t Size() const { return Count(root_); }
    Sum Total() const { return root_ ? root_->sum : Sum{}; }

    // The leaf at index i, with the sum of the leaves before it.
    struct Found {
        std::size_t index;
        Sum before;
        const Leaf* leaf;
    };
    Found At(std::size_t i) const {
        Sum before{};
        const Node* node = root_;
        std::size_t base = 0;
        for (;;) {
            const std::size_t left = Count(node->left);
            if (i < left) {
                node = node->left;
            } else if (i == left) {
                return {base + i, before + SumOf(node->left), &node->leaf};
            } else {
                before = before + SumOf(node->left) + node->leaf.Summary();
                base += left + 1;
                i -= left + 1;
                node = node->right;
            }
        }
    }

    // The first leaf whose running total, through its own summary, passes
    // beyond target, by the measure measure(Sum); the last leaf when none
    // does. The tree must not be empty.
    template <class Measure> Found Find(Measure measure, std::uint64_t target) const {
        Sum before{};
        const Node* node = root_;
        std::size_t base = 0;
        for (;;) {
            const Sum throughLeft = before + SumOf(node->left);
            const Sum throughLeaf = throughLeft + node->leaf.Summary();
            if (node->left && measure(throughLeft) > target) {
                node = node->left;
            } else if (measure(throughLeaf) > target || !node->right) {
                return {base + Count(node->left), throughLeft, &node->leaf};
            } else {
                before = throughLeaf;
                base += Count(node->left) + 1;
                node = node->right;
            }
        }
    }

    // Replaces leaves [first, last) with the given ones.
    void Replace(std::size_t first, std::size_t last, std::vector<Leaf> leaves) {
        auto [head, rest] = Split(root_, first);
        auto [middle, tail] = Split(rest, last - first);
        Destroy(middle);
        root_ = Merge(Merge(head, Build(std::move(leaves))), tail);
    }

    void Assign(std::vector<Leaf> leaves) {
        Destroy(root_);
        root_ = Build(std::move(leaves));
    }

    // Calls visit(index, leaf) for the leaves from index first on, in order,
    // until it returns false.
    template <class Visit> void VisitFrom(std::size_t first, Visit&& visit) const {
        VisitNode(root_, 0, first, visit);
    }

private:
    struct Node {
        explicit Node(Leaf l, std::uint32_t p) : leaf(std::move(l)), priority(p) {}
        Leaf leaf;
        Sum sum{};
        std::size_t count = 1;
        Node* left = nullptr;
        Node* right = nullptr;
        std::uint32_t priority;
    };

    static std::size_t Count(const Node* n) { return n ? n->count : 0; }
    static Sum SumOf(const Node* n) { return n ? n->sum : Sum{}; }
    static Node* Update(Node* n) {
        n->count = 1 + Count(n->left) + Count(n->right);
        n->sum = SumOf(n->left) + n->leaf.Summary() + SumOf(n->right);
        return n;
    }

    std::uint32_t NextPriority() {
        // xorshift32: deterministic, so that runs can be repeated.
        seed_ ^= seed_ << 13;
        seed_ ^= seed_ >> 17;
        seed_ ^= seed_ << 5;
        return seed_;
    }

    static void Destroy(Node* n) {
        // Iterative, so that no tree shape can exhaust the stack.
        std::vector<Node*> pending;
        if (n)
            pending.push_back(n);
        while (!pending.empty()) {
            Node* top = pending.back();
            pending.pop_back();
            if (top->left)
                pending.push_back(top->left);
            if (top->right)
                pending.push_back(top->right);
            delete top;
        }
    }

    // The first k leaves, and the rest.
    static std::pair<Node*, Node*> Split(Node* n, std::size_t k) {
        if (!n)
            return {nullptr, nullptr};
        if (k <= Count(n->left)) {
            auto [a, b] = Split(n->left, k);
            n->left = b;
            return {a, Update(n)};
        }
        auto [a, b] = Split(n->right, k - Count(n->left) - 1);
        n->right = a;
        return {Update(n), b};
    }

    static Node* Merge(Node* a, Node* b) {
        if (!a)
            return b;
        if (!b)
            return a;
        if (a->priority > b->priority) {
            a->right = Merge(a->right, b);
            return Update(a);
        }
        b->left = Merge(a, b->left);
        return Update(b);
    }

    // A treap of the leaves in order, in linear time: each new leaf goes onto
    // the right spine, below the last node of higher priority.
    Node* Build(std::vector<Leaf> leaves) {
        std::vector<Node*> spine;
        for (Leaf& leaf : leaves) {
            Node* node = new Node(std::move(leaf), NextPriority());
            Node* last = nullptr;
            while (!spine.empty() && spine.back()->priority < node->priority) {
                last = Update(spine.back());
                spine.pop_back();
            }
            node->left = last;
            if (!spine.empty())
                spine.back()->right = node;
            spine.push_back(node);
        }
        while (spine.size() > 1) {
            Update(spine.back());
            spine.pop_back();
        }
        return spine.empty() ? nullptr : Update(spine.front());
    }

    template <class Visit>
    static bool VisitNode(const Node* n, std::size_t base, std::size_t first, Visit& visit) {
        if (!n)
            return true;
        const std::size_t index = base + Count(n->left);
        if (first < index && !VisitNode(n->left, base, first, visit))
            return false;
        if (first <= index && !visit(index, n->leaf))
            return false;
        return VisitNode(n->right, index + 1, first, visit);
    }

    Node* root_ = nullptr;
    std::uint32_t seed_ = 0x9E3779B9u;
};
