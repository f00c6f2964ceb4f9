// A map from positive values to ints for the adder-graph search, which asks millions of times
// whether a value is built or was already seen: open addressing on a power-of-two table, emptied
// in the time it took to fill, and the last value inserted can be taken back (the search grows a
// graph one fundamental at a time and undoes it the same way).
#pragma once

#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <vector>

namespace fir::vlog {

class OddValueMap {
public:
    OddValueMap() { Resize(64); }

    // The int of V, or nullptr when V is not held.
    int* Find(std::int64_t v) {
        Slot& s = slots_[SlotOf(v)];
        return s.key == v ? &s.payload : nullptr;
    }
    const int* Find(std::int64_t v) const { return const_cast<OddValueMap*>(this)->Find(v); }
    bool Contains(std::int64_t v) const { return Find(v) != nullptr; }

    // The int of V, inserted as PAYLOAD when V is new; INSERTED says which.
    int& Insert(std::int64_t v, int payload, bool& inserted) {
        if (v <= 0) throw std::logic_error("odd value map: keys are positive");
        if (2 * (used_.size() + 1) > slots_.size()) Resize(2 * slots_.size());
        const std::size_t at = SlotOf(v);
        inserted = slots_[at].key != v;
        if (inserted) {
            slots_[at] = Slot{v, payload};
            used_.push_back(at);
        }
        return slots_[at].payload;
    }

    // Takes back V, which must be the value inserted last: no other value's probe ran past it.
    void EraseLatest(std::int64_t v) {
        if (used_.empty() || slots_[used_.back()].key != v) throw std::logic_error("odd value map: not the latest");
        slots_[used_.back()] = Slot{};
        used_.pop_back();
    }

    // Room for COUNT values without growing on the way.
    void Reserve(std::size_t count) {
        std::size_t capacity = slots_.size();
        while (capacity < 2 * count) capacity *= 2;
        if (capacity != slots_.size()) Resize(capacity);
    }

    void Clear() {
        for (const std::size_t at : used_) slots_[at] = Slot{};
        used_.clear();
    }

    std::size_t Size() const { return used_.size(); }
    // Values looked up or inserted so far: the work of a search, whatever machine runs it.
    long Lookups() const { return lookups_; }

private:
    struct Slot {
        std::int64_t key = 0;  // 0: empty
        int payload = 0;
    };

    // Where V is, or the empty slot its probe ends on.
    std::size_t SlotOf(std::int64_t v) const {
        ++lookups_;
        std::size_t at = static_cast<std::size_t>((static_cast<std::uint64_t>(v) * 0x9E3779B97F4A7C15ULL) >> shift_);
        while (slots_[at].key != 0 && slots_[at].key != v) at = (at + 1) & (slots_.size() - 1);
        return at;
    }

    // Reinserted in insertion order, so that the latest value stays the one to take back.
    void Resize(std::size_t capacity) {
        std::vector<Slot> old;
        for (const std::size_t at : used_) old.push_back(slots_[at]);
        slots_.assign(capacity, Slot{});
        shift_ = 64;
        for (std::size_t c = capacity; c > 1; c >>= 1) --shift_;
        used_.clear();
        for (const Slot& s : old) {
            const std::size_t at = SlotOf(s.key);
            slots_[at] = s;
            used_.push_back(at);
        }
    }

    std::vector<Slot> slots_;
    std::vector<std::size_t> used_;  // occupied slots, in insertion order
    int shift_ = 58;
    mutable long lookups_ = 0;
};

}  // namespace fir::vlog
